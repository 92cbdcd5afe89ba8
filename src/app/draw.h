// The installer's drawing: fonts, the blue gradient background, shadowed
// headings, progress bars, debug labels and counters. Each painter takes the
// drawing context it paints on, so the same code serves the window and a
// memory bitmap.
#pragma once

#include <windows.h>

#include <string_view>

// Colours of the installer's screen (0x00BBGGRR).
constexpr COLORREF kShadowColour = RGB(0, 0, 0);
constexpr COLORREF kHeadingColour = RGB(230, 230, 230);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBarBody = RGB(0, 0, 128);
constexpr COLORREF kBarFill = RGB(0, 128, 0);
constexpr COLORREF kEraseColour = RGB(0, 0, 104);  // counter wipe, = gradient pen 32

// The colour of gradient pen i (0..63): blue 200 - 3i.
constexpr COLORREF gradientColour(int i) { return RGB(0, 0, 200 - 3 * i); }

// A font of `points` at a fixed 96 dpi (30 points = -40 pixels character
// height). Charset 500 stands for the "Times SudEuro" font with the ANSI
// charset, whatever face was asked for. The caller owns the font.
HFONT makeFont(int points, int weight, const wchar_t* face, int charset);

// Colour planes times bits per pixel of the device.
int colourDepth(HDC dc);

// Fills `client` (from x 0 and y 0) with 64 bands of blue from (0,0,200) at
// the top towards (0,0,14) at the bottom; below 24 bits of colour depth the
// whole area is the flat (0,0,104).
void drawBackground(HDC dc, const RECT& client, int depth);

// Draws `text` in black in `r`, then in light grey 2 pixels up and left of
// it. The caller has selected the font and a transparent background.
void drawShadowText(HDC dc, std::u16string_view text, RECT r, UINT format);

// A shadowed heading on one line, clipped to `r`, in `font`.
void paintHeading(HDC dc, std::u16string_view text, const RECT& r, HFONT font);

// A progress bar: white frame around `bar`, navy body inside it, green from
// the body's left edge up to x = fillEdge (an absolute coordinate), and the
// text in white centred on the whole bar.
void paintProgressBar(HDC dc, const RECT& bar, int fillEdge, std::u16string_view text,
                      HFONT font);

// A debug label: white text, left and top in `r`. The white text colour stays
// set in the DC, so the counter of the same line draws white as well.
void paintLabel(HDC dc, std::u16string_view text, const RECT& r, HFONT font);

// A counter: wipes `r` with `erase` and draws `text` there in the DC's current
// text colour.
void paintCounter(HDC dc, std::u16string_view text, const RECT& r, HFONT font, HBRUSH erase);

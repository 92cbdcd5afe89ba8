#include "app/draw.h"

#include "app/gdi.h"
#include "app/wchar.h"

namespace {

constexpr int kGradientPens = 64;
constexpr int kFlatPen = 32;
// Text is drawn on one line and clipped to its rectangle.
constexpr UINT kLineFormat = DT_LEFT | DT_TOP | DT_SINGLELINE;

int textLength(std::u16string_view text) { return static_cast<int>(text.size()); }

void drawLine(HDC dc, std::u16string_view text, RECT box, UINT format) {
  if (text.empty()) return;
  DrawTextW(dc, wchars(text), textLength(text), &box, format);
}

}  // namespace

HFONT makeFont(int points, int weight, const wchar_t* face, int charset) {
  int height = -MulDiv(points, 96, 72);
  if (charset == 500) {
    face = L"Times SudEuro";
    charset = ANSI_CHARSET;
  }
  return CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, static_cast<DWORD>(charset), 0, 0, 0, 0,
                     face);
}

int colourDepth(HDC dc) { return GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL); }

void drawBackground(HDC dc, const RECT& client, int depth) {
  gdi::Pen pens[kGradientPens];
  for (int i = 0; i < kGradientPens; ++i) pens[i].reset(CreatePen(PS_SOLID, 1, gradientColour(i)));

  gdi::Select keep(dc, pens[0]);
  const int bottom = client.bottom;
  for (int y = 0; y < bottom; ++y) {
    // 63 * y / bottom stays below 63 for every line, so pen 63 is never used.
    int pen = depth < 24 ? kFlatPen : static_cast<int>(63LL * y / bottom);
    SelectObject(dc, pens[pen]);
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, client.right, y);
  }
}

void drawShadowText(HDC dc, std::u16string_view text, RECT r, UINT format) {
  SetTextColor(dc, kShadowColour);
  drawLine(dc, text, r, format);
  r.left -= 2;
  r.top -= 2;
  SetTextColor(dc, kHeadingColour);
  drawLine(dc, text, r, format);
}

void paintHeading(HDC dc, std::u16string_view text, const RECT& r, HFONT font) {
  SetBkMode(dc, TRANSPARENT);
  gdi::Select selectFont(dc, font);
  drawShadowText(dc, text, r, kLineFormat);
}

void paintProgressBar(HDC dc, const RECT& bar, int fillEdge, std::u16string_view text,
                      HFONT font) {
  gdi::Brush green(CreateSolidBrush(kBarFill));
  gdi::Brush white(CreateSolidBrush(kWhite));
  gdi::Brush navy(CreateSolidBrush(kBarBody));

  RECT full = bar;
  FrameRect(dc, &bar, white);
  RECT inner = {bar.left + 1, bar.top + 1, bar.right - 1, bar.bottom - 1};
  FillRect(dc, &inner, navy);
  if (fillEdge > 0) {
    // The fill edge is an x coordinate; it never reaches into the frame.
    inner.right = fillEdge < inner.right ? fillEdge : inner.right;
    if (inner.right > inner.left) FillRect(dc, &inner, green);
  }

  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kWhite);
  gdi::Select selectFont(dc, font);
  drawLine(dc, text, full, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void paintLabel(HDC dc, std::u16string_view text, const RECT& r, HFONT font) {
  gdi::Select selectFont(dc, font);
  SetTextColor(dc, kWhite);
  drawLine(dc, text, r, kLineFormat);
}

void paintCounter(HDC dc, std::u16string_view text, const RECT& r, HFONT font, HBRUSH erase) {
  gdi::Select selectFont(dc, font);
  RECT box = r;
  if (erase) FillRect(dc, &box, erase);
  drawLine(dc, text, box, kLineFormat);
}

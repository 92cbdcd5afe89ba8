#include <gtest/gtest.h>

#include <string>

#include "app/draw.h"
#include "canvas.h"

using testing_support::Canvas;
using testing_support::Rgb;
using testing_support::boundsOf;
using testing_support::str;

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kLight{230, 230, 230};
constexpr Rgb kWhiteRgb{255, 255, 255};
constexpr Rgb kNavy{0, 0, 128};
constexpr Rgb kGreen{0, 128, 0};
constexpr Rgb kEofMarker{255, 0, 255};

// --- Fonts ---------------------------------------------------------------

TEST(MakeFont, HeightFaceCharsetAndWeight) {
  struct Row {
    int points, weight;
    const wchar_t* face;
    int charset;
    LONG height;
    const wchar_t* expectedFace;
    int expectedCharset;
  };
  const Row rows[] = {
      {30, 700, L"Times New Roman", 0, -40, L"Times New Roman", 0},
      {9, 400, L"Arial", 0, -12, L"Arial", 0},
      {9, 400, L"Arial", 204, -12, L"Arial", 204},
      {30, 700, L"Times New Roman", 128, -40, L"Times New Roman", 128},
      // Charset 500 means the "Times SudEuro" font with the ANSI charset.
      {30, 700, L"Times New Roman", 500, -40, L"Times SudEuro", ANSI_CHARSET},
      {9, 400, L"Arial", 500, -12, L"Times SudEuro", ANSI_CHARSET},
      // Rounded as one multiply-then-divide: 10 * 96 / 72 = 13.33.
      {10, 400, L"Arial", 0, -13, L"Arial", 0},
  };
  for (const Row& row : rows) {
    std::wstring face = row.face;
    SCOPED_TRACE("points " + std::to_string(row.points) + " charset " +
                 std::to_string(row.charset));
    gdi::Font font(makeFont(row.points, row.weight, row.face, row.charset));
    ASSERT_NE(font.get(), nullptr);
    LOGFONTW lf{};
    ASSERT_EQ(GetObjectW(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(lf.lfHeight, row.height);
    EXPECT_EQ(lf.lfWeight, row.weight);
    EXPECT_EQ(lf.lfCharSet, row.expectedCharset);
    EXPECT_EQ(std::wstring(lf.lfFaceName), std::wstring(row.expectedFace));
    EXPECT_EQ(lf.lfWidth, 0);
    EXPECT_EQ(lf.lfItalic, 0);
    EXPECT_EQ(lf.lfQuality, 0);
  }
}

// --- Background ----------------------------------------------------------

class BackgroundDepth : public ::testing::TestWithParam<int> {};

TEST_P(BackgroundDepth, GradientRowsOnDeepColour) {
  Canvas canvas(1024, 768, GetParam());
  ASSERT_TRUE(canvas.valid());
  canvas.fill(RGB(255, 0, 255));
  drawBackground(canvas.dc(), canvas.rect(), GetParam());

  struct Row {
    int y;
    Rgb colour;
  };
  const Row rows[] = {{0, {0, 0, 200}}, {384, {0, 0, 107}}, {767, {0, 0, 14}},
                    {12, {0, 0, 200}}, {13, {0, 0, 197}}};  // pen 1 starts at row 13
  for (const Row& row : rows) {
    for (int x : {0, 1, 511, 1023}) {
      EXPECT_EQ(canvas.at(x, row.y), row.colour)
          << "row " << row.y << " x " << x << ": got " << str(canvas.at(x, row.y));
    }
  }
  // Pen 63 (0,0,11) is never chosen, and every line is drawn in full.
  for (int y = 0; y < 768; ++y) {
    for (int x : {0, 1023}) {
      Rgb c = canvas.at(x, y);
      ASSERT_NE(c, (Rgb{0, 0, 11})) << "pen 63 used at row " << y;
      ASSERT_NE(c, kEofMarker) << "pixel " << x << "," << y << " not painted";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, BackgroundDepth, ::testing::Values(24, 32));

TEST(Background, LinesEndBeforeTheRightEdge) {
  Canvas canvas(600, 100, 32);
  canvas.fill(RGB(255, 0, 255));
  drawBackground(canvas.dc(), RECT{0, 0, 500, 80}, 32);
  EXPECT_EQ(canvas.at(499, 10), (Rgb{0, 0, 200 - 3 * (63 * 10 / 80)}));
  EXPECT_EQ(canvas.at(500, 10), kEofMarker) << "x = right must stay unpainted";
  EXPECT_EQ(canvas.at(10, 80), kEofMarker) << "y = bottom must stay unpainted";
  EXPECT_EQ(canvas.at(10, 79), (Rgb{0, 0, 200 - 3 * 62}));
}

TEST(Background, FlatColourBelow24Bits) {
  Canvas canvas(1024, 768, 32);
  canvas.fill(RGB(255, 0, 255));
  for (int depth : {1, 4, 8, 15, 16}) {
    drawBackground(canvas.dc(), canvas.rect(), depth);
    for (int y : {0, 384, 767}) {
      EXPECT_EQ(canvas.at(700, y), (Rgb{0, 0, 104})) << "depth " << depth << " row " << y;
    }
  }
}

TEST(Background, SixteenBitBitmapIsFlatAndMatchesTheCounterWipe) {
  Canvas canvas(640, 480, 16);
  ASSERT_TRUE(canvas.valid());
  // A memory DC reports the screen's depth, not its bitmap's; the window
  // takes the depth from its own DC, so the 16-bit case is given here.
  drawBackground(canvas.dc(), canvas.rect(), 16);
  Rgb flat = canvas.at(0, 0);
  for (int y = 0; y < 480; y += 7) {
    ASSERT_EQ(canvas.at(320, y), flat) << "row " << y << " differs from row 0";
  }
  gdi::Brush erase(CreateSolidBrush(kEraseColour));
  RECT wipe{210, 170, 290, 186};
  FillRect(canvas.dc(), &wipe, erase);
  EXPECT_EQ(canvas.at(250, 178), flat) << "counter wipe " << str(canvas.at(250, 178))
                                       << " vs background " << str(flat);

  // The gradient on the same bitmap is not flat, so the check above means something.
  drawBackground(canvas.dc(), canvas.rect(), 32);
  EXPECT_NE(canvas.at(0, 0), canvas.at(0, 479));
}

// --- Progress bar --------------------------------------------------------

struct BarCanvas {
  Canvas canvas{420, 220, 32};
  gdi::Font font{makeFont(9, 400, L"Arial", 0)};
  const RECT bar{30, 155, 380, 175};
  BarCanvas() { canvas.fill(RGB(255, 0, 255)); }
};

TEST(ProgressBar, FillsUpToTheAbsoluteEdge) {
  struct Row {
    int fillEdge;
    int greenPixels;
  };
  const Row rows[] = {{0, 0}, {-5, 0}, {31, 0}, {32, 1}, {64, 33}, {117, 86},
                      {205, 174}, {292, 261}, {379, 348}, {500, 348}};
  for (const Row& row : rows) {
    BarCanvas b;
    paintProgressBar(b.canvas.dc(), b.bar, row.fillEdge, u"", b.font);
    int green = 0, navy = 0;
    for (int x = 31; x < 379; ++x) {
      Rgb c = b.canvas.at(x, 160);
      if (c == kGreen) ++green;
      if (c == kNavy) ++navy;
    }
    EXPECT_EQ(green, row.greenPixels) << "fill edge " << row.fillEdge;
    EXPECT_EQ(green + navy, 348) << "fill edge " << row.fillEdge;
    if (row.greenPixels > 0) {
      EXPECT_EQ(b.canvas.at(31, 160), kGreen) << "fill starts at x 31, edge " << row.fillEdge;
    }
    // The frame stays white on every side.
    EXPECT_EQ(b.canvas.at(30, 160), kWhiteRgb) << "left frame, edge " << row.fillEdge;
    EXPECT_EQ(b.canvas.at(379, 160), kWhiteRgb) << "right frame, edge " << row.fillEdge;
  }
}

TEST(ProgressBar, FrameBodyAndNothingOutside) {
  BarCanvas b;
  paintProgressBar(b.canvas.dc(), b.bar, 205, u"50%", b.font);
  for (int x = 30; x < 380; ++x) {
    ASSERT_EQ(b.canvas.at(x, 155), kWhiteRgb) << "top frame x " << x;
    ASSERT_EQ(b.canvas.at(x, 174), kWhiteRgb) << "bottom frame x " << x;
    ASSERT_EQ(b.canvas.at(x, 154), kEofMarker) << "above the bar x " << x;
    ASSERT_EQ(b.canvas.at(x, 175), kEofMarker) << "below the bar x " << x;
  }
  for (int y = 155; y < 175; ++y) {
    ASSERT_EQ(b.canvas.at(30, y), kWhiteRgb) << "left frame y " << y;
    ASSERT_EQ(b.canvas.at(379, y), kWhiteRgb) << "right frame y " << y;
    ASSERT_EQ(b.canvas.at(29, y), kEofMarker) << "left of the bar y " << y;
    ASSERT_EQ(b.canvas.at(380, y), kEofMarker) << "right of the bar y " << y;
  }
  EXPECT_EQ(b.canvas.at(204, 156), kGreen);
  EXPECT_EQ(b.canvas.at(205, 156), kNavy);
  EXPECT_EQ(b.canvas.at(378, 173), kNavy);
}

// The family whose glyphs a font draws with (GetTextFaceW gives the name
// asked for, also when another face stands in for it).
std::wstring drawnFamily(HDC dc, HFONT font) {
  HGDIOBJ old = SelectObject(dc, font);
  std::wstring family;
  UINT size = GetOutlineTextMetricsW(dc, 0, nullptr);
  if (size > 0) {
    std::string buffer(size, '\0');
    auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
    if (GetOutlineTextMetricsW(dc, size, metrics)) {
      family = reinterpret_cast<const wchar_t*>(
          buffer.data() + reinterpret_cast<uintptr_t>(metrics->otmpFamilyName));
    }
  }
  SelectObject(dc, old);
  return family;
}

// Measured in Arial's metrics: under Wine that is Liberation Sans, of the
// package fonts-liberation (which the bootstrap installs); another face puts
// the text pixels elsewhere.
TEST(ProgressBar, TextIsWhiteAndCentredOnTheWholeBar) {
  BarCanvas b;
  const std::wstring family = drawnFamily(b.canvas.dc(), b.font);
  ASSERT_TRUE(family == L"Arial" || family == L"Liberation Sans")
      << "the bar's text is drawn with \"" << std::string(family.begin(), family.end())
      << "\", not Arial or its metric twin Liberation Sans (package fonts-liberation)";
  paintProgressBar(b.canvas.dc(), b.bar, 0, u"100%", b.font);
  RECT inner{31, 156, 379, 174};
  RECT text = boundsOf(b.canvas, kWhiteRgb, inner);
  ASSERT_GT(text.right, text.left) << "no white text pixels inside the bar";
  double centreX = (text.left + text.right) / 2.0;
  double centreY = (text.top + text.bottom) / 2.0;
  EXPECT_NEAR(centreX, 205.0, 2.0);
  EXPECT_NEAR(centreY, 165.0, 2.5);
  EXPECT_LT(text.right - text.left, 60);
}

// --- Shadowed text -------------------------------------------------------

TEST(ShadowText, ShadowLiesTwoPixelsRightAndBelow) {
  Canvas canvas(900, 300, 32);
  canvas.fill(RGB(0, 0, 150));
  gdi::Font font(makeFont(30, 700, L"Times New Roman", 0));
  paintHeading(canvas.dc(), u"Heading", RECT{30, 100, 480, 300}, font);

  RECT all{0, 0, 900, 300};
  RECT shadow = boundsOf(canvas, kBlack, all);
  RECT light = boundsOf(canvas, kLight, all);
  ASSERT_GT(shadow.right, shadow.left) << "no shadow pixels";
  ASSERT_GT(light.right, light.left) << "no light pixels";
  EXPECT_EQ(shadow.right - light.right, 2);
  EXPECT_EQ(shadow.bottom - light.bottom, 2);
  // The light text starts 2 pixels left of and above the rectangle.
  EXPECT_GE(light.left, 28);
  EXPECT_LT(light.left, 40);
  EXPECT_GE(light.top, 98);
  EXPECT_GE(shadow.left, 30);
  EXPECT_GE(shadow.top, 100);
}

TEST(ShadowText, LongHeadingIsCutAtTheRightEdge) {
  Canvas canvas(900, 300, 32);
  canvas.fill(RGB(0, 0, 150));
  gdi::Font font(makeFont(30, 700, L"Times New Roman", 0));
  paintHeading(canvas.dc(), u"Nederlands Deutsch Polski Ellinika Nihongo", RECT{30, 100, 480, 300},
               font);
  RECT beyond{480, 0, 900, 300};
  RECT shadow = boundsOf(canvas, kBlack, beyond);
  RECT light = boundsOf(canvas, kLight, beyond);
  EXPECT_LE(shadow.right, shadow.left) << "shadow drawn right of x 480";
  EXPECT_LE(light.right, light.left) << "text drawn right of x 480";
  RECT inside{400, 100, 480, 150};
  RECT lightInside = boundsOf(canvas, kLight, inside);
  EXPECT_GT(lightInside.right, lightInside.left) << "text should reach the right edge";
}

// --- Labels and counters -------------------------------------------------

TEST(Counter, WipesItsRectangleAndKeepsTheLabelColour) {
  Canvas canvas(500, 250, 32);
  canvas.fill(RGB(255, 0, 255));
  gdi::Font font(makeFont(9, 400, L"Arial", 0));
  gdi::Brush erase(CreateSolidBrush(kEraseColour));
  SetBkMode(canvas.dc(), TRANSPARENT);
  RECT counter{210, 170, 290, 186};

  // An empty counter only wipes its rectangle.
  paintCounter(canvas.dc(), u"", counter, font, erase);
  EXPECT_EQ(canvas.at(210, 170), (Rgb{0, 0, 104}));
  EXPECT_EQ(canvas.at(289, 185), (Rgb{0, 0, 104}));
  EXPECT_EQ(canvas.at(290, 178), kEofMarker);
  EXPECT_EQ(canvas.at(250, 186), kEofMarker);

  // The counter draws in the colour the DC has: white after a label.
  paintLabel(canvas.dc(), u"Reading", RECT{30, 170, 480, 200}, font);
  EXPECT_GT(boundsOf(canvas, kWhiteRgb, RECT{30, 170, 200, 200}).right, 30) << "label not drawn";
  paintCounter(canvas.dc(), u"8800", counter, font, erase);
  RECT digits = boundsOf(canvas, kWhiteRgb, counter);
  EXPECT_GT(digits.right, digits.left) << "counter digits not white";

  // A second number replaces the first completely.
  SetTextColor(canvas.dc(), RGB(255, 0, 0));
  paintCounter(canvas.dc(), u"1", counter, font, erase);
  EXPECT_LE(boundsOf(canvas, kWhiteRgb, counter).right, boundsOf(canvas, kWhiteRgb, counter).left)
      << "old digits left behind";
  RECT red = boundsOf(canvas, Rgb{255, 0, 0}, counter);
  EXPECT_GT(red.right, red.left) << "counter ignored the DC's text colour";
}

}  // namespace

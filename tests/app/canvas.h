// A memory bitmap to paint on in tests, with its pixels readable as RGB.
#pragma once

#include <windows.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "app/gdi.h"

namespace testing_support {

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

inline std::string str(Rgb c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

inline void PrintTo(Rgb c, std::ostream* os) { *os << str(c); }

inline Rgb rgbOf(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }

// A top-down DIB section of 16 (5-5-5), 24 or 32 bits per pixel selected
// into a memory DC.
class Canvas {
 public:
  Canvas(int width, int height, int bitsPerPixel)
      : width_(width), height_(height), bpp_(bitsPerPixel) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint8_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() { SelectObject(dc_, previous_); }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool valid() const { return bits_ != nullptr; }
  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  RECT rect() const { return RECT{0, 0, width_, height_}; }

  void fill(COLORREF colour) {
    gdi::Brush brush(CreateSolidBrush(colour));
    RECT r = rect();
    FillRect(dc_, &r, brush);
  }

  Rgb at(int x, int y) const {
    GdiFlush();
    int stride = ((width_ * bpp_ + 31) / 32) * 4;
    const uint8_t* p = bits_ + y * stride + x * (bpp_ / 8);
    if (bpp_ == 16) {
      int v = p[0] | (p[1] << 8);
      auto expand = [](int five) { return (five << 3) | (five >> 2); };
      return {expand((v >> 10) & 31), expand((v >> 5) & 31), expand(v & 31)};
    }
    return {p[2], p[1], p[0]};
  }

 private:
  gdi::MemoryDC dc_;
  gdi::Bitmap bitmap_;
  uint8_t* bits_ = nullptr;
  int width_, height_, bpp_;
  HGDIOBJ previous_ = nullptr;
};

// The smallest rectangle holding every pixel of one colour inside `area`;
// empty (right <= left) when there is none.
inline RECT boundsOf(const Canvas& canvas, Rgb colour, RECT area) {
  RECT box{area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (!(canvas.at(x, y) == colour)) continue;
      if (x < box.left) box.left = x;
      if (y < box.top) box.top = y;
      if (x + 1 > box.right) box.right = x + 1;
      if (y + 1 > box.bottom) box.bottom = y + 1;
    }
  }
  return box;
}

}  // namespace testing_support

// Small scoped owners for GDI and window drawing contexts, so that every
// pen, brush, font, font selection and device context is given back on every
// path.
#pragma once

#include <windows.h>

namespace gdi {

// Owns a GDI object (pen, brush, font) and deletes it.
template <typename Handle>
class Owned {
 public:
  Owned() = default;
  explicit Owned(Handle h) : handle_(h) {}
  ~Owned() { reset(); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : handle_(other.release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = other.release();
    }
    return *this;
  }

  Handle get() const { return handle_; }
  operator Handle() const { return handle_; }
  Handle release() {
    Handle h = handle_;
    handle_ = nullptr;
    return h;
  }
  void reset(Handle h = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = h;
  }

 private:
  Handle handle_ = nullptr;
};

// Owns the GDI object whose handle an InstallState field holds, where the
// drawing code finds it: reset() puts a new object into the field and
// deletes the one before; the owner's end deletes it and empties the field.
template <typename Handle>
class OwnedIn {
 public:
  explicit OwnedIn(Handle& field) : field_(field) {}
  ~OwnedIn() { reset(); }
  OwnedIn(const OwnedIn&) = delete;
  OwnedIn& operator=(const OwnedIn&) = delete;

  void reset(Handle h = nullptr) {
    Handle previous = field_;
    field_ = h;
    if (previous) DeleteObject(previous);
  }

 private:
  Handle& field_;
};

using Pen = Owned<HPEN>;
using Brush = Owned<HBRUSH>;
using Font = Owned<HFONT>;
using Bitmap = Owned<HBITMAP>;

// Selects an object into a DC and puts the previous one back on exit.
class Select {
 public:
  Select(HDC dc, HGDIOBJ object)
      : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~Select() {
    if (previous_) SelectObject(dc_, previous_);
  }
  Select(const Select&) = delete;
  Select& operator=(const Select&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The drawing context of a window's client area (GetDC / ReleaseDC).
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }
  operator HDC() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// The drawing context of one WM_PAINT (BeginPaint / EndPaint).
class PaintDC {
 public:
  explicit PaintDC(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDC() { EndPaint(window_, &paint_); }
  PaintDC(const PaintDC&) = delete;
  PaintDC& operator=(const PaintDC&) = delete;
  HDC get() const { return dc_; }
  operator HDC() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// A memory DC (CreateCompatibleDC / DeleteDC).
class MemoryDC {
 public:
  MemoryDC() : dc_(CreateCompatibleDC(nullptr)) {}
  ~MemoryDC() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;
  HDC get() const { return dc_; }
  operator HDC() const { return dc_; }

 private:
  HDC dc_;
};

// Gives a control its font (WM_SETFONT) and redraws it.
inline void setWindowFont(HWND window, HFONT font) {
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

}  // namespace gdi

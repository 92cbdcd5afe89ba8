#include "app/window_screen.h"

#include <windows.h>

#include <string>

#include "app/draw.h"
#include "app/gdi.h"
#include "base/state.h"
#include "text/charset.h"

namespace {

HWND mainWindow() { return static_cast<HWND>(state.mainWindow); }
HFONT font(void* handle) { return static_cast<HFONT>(handle); }
RECT toRect(platform::Rect r) { return RECT{r.left, r.top, r.right, r.bottom}; }

std::u16string_view screenText(const char* text) { return toWideScratch(text, state.uiCodePage); }

// The list pass's drawing context, or a passing one when no list is open.
class ListDC {
 public:
  ListDC() {
    if (!state.counterDC) temporary_ = GetDC(mainWindow());
  }
  ~ListDC() {
    if (temporary_) ReleaseDC(mainWindow(), temporary_);
  }
  ListDC(const ListDC&) = delete;
  ListDC& operator=(const ListDC&) = delete;
  HDC get() const { return temporary_ ? temporary_ : static_cast<HDC>(state.counterDC); }

 private:
  HDC temporary_ = nullptr;
};

void releaseCounterDC() {
  if (state.counterDC) ReleaseDC(mainWindow(), static_cast<HDC>(state.counterDC));
  state.counterDC = nullptr;
}

class WindowScreen : public platform::Screen {
 public:
  void heading(const char* name, platform::Rect r) override {
    gdi::WindowDC dc(mainWindow());
    paintHeading(dc, screenText(name), toRect(r), font(state.headingFont));
  }

  void beginList() override {
    releaseCounterDC();  // a list left open is closed first
    HDC dc = GetDC(mainWindow());
    SetBkMode(dc, TRANSPARENT);
    state.counterDC = dc;
    if (state.eraseBrush) DeleteObject(state.eraseBrush);
    state.eraseBrush = CreateSolidBrush(kEraseColour);
  }

  void progress(platform::Rect bar, int fillEdge, const char* percentText) override {
    {
      gdi::WindowDC dc(mainWindow());
      paintProgressBar(dc, toRect(bar), fillEdge, screenText(percentText), font(state.smallFont));
    }
    UpdateWindow(mainWindow());
  }

  void label(std::u16string_view text, platform::Rect r) override {
    ListDC dc;
    paintLabel(dc.get(), text, toRect(r), font(state.smallFont));
  }

  void counter(std::u16string_view text, platform::Rect r) override {
    ListDC dc;
    paintCounter(dc.get(), text, toRect(r), font(state.smallFont),
                 static_cast<HBRUSH>(state.eraseBrush));
  }

  void endList() override { releaseCounterDC(); }

  void showWaitCursor() override {
    state.savedCursor = SetCursor(static_cast<HCURSOR>(state.waitCursor));
  }

  void restoreCursor() override { SetCursor(static_cast<HCURSOR>(state.savedCursor)); }

  void showDestination(std::u16string_view path) override {
    HWND edit = static_cast<HWND>(state.dirEdit);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(state.smallFont), TRUE);
    std::wstring text(path.begin(), path.end());
    SetWindowTextW(edit, text.c_str());
    UpdateWindow(mainWindow());
  }
};

}  // namespace

platform::Screen& windowScreen() {
  static WindowScreen screen;
  return screen;
}

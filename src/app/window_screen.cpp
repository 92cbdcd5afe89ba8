#include "app/window_screen.h"

#include <windows.h>

#include <optional>

#include "app/draw.h"
#include "app/gdi.h"
#include "app/wchar.h"
#include "base/state.h"
#include "text/charset.h"

namespace {

RECT toRect(platform::Rect r) { return RECT{r.left, r.top, r.right, r.bottom}; }

std::u16string_view screenText(const char* text) { return toWideScratch(text, state.uiCodePage); }

// The owners of the GDI objects whose handles the InstallState holds.
struct ScreenObjects {
  gdi::OwnedIn<HFONT> headingFont{state.headingFont};
  gdi::OwnedIn<HFONT> smallFont{state.smallFont};
  gdi::OwnedIn<HBRUSH> eraseBrush{state.eraseBrush};
  // The drawing context of the list being built (state.counterDC).
  std::optional<gdi::WindowDC> listDC;

  void closeList() {
    state.counterDC = nullptr;
    listDC.reset();
  }
  void openList() {
    closeList();  // a list left open is closed first
    listDC.emplace(state.mainWindow);
    state.counterDC = *listDC;
  }
};

ScreenObjects& objects() {
  static ScreenObjects owned;
  return owned;
}

// The list pass's drawing context, or a passing one when no list is open.
class ListDC {
 public:
  ListDC() {
    if (!state.counterDC) temporary_.emplace(state.mainWindow);
  }
  HDC get() const { return temporary_ ? temporary_->get() : state.counterDC; }

 private:
  std::optional<gdi::WindowDC> temporary_;
};

class WindowScreen : public platform::Screen {
 public:
  void heading(const char* name, platform::Rect r) override {
    gdi::WindowDC dc(state.mainWindow);
    paintHeading(dc, screenText(name), toRect(r), state.headingFont);
  }

  void beginList() override {
    objects().openList();
    SetBkMode(state.counterDC, TRANSPARENT);
    objects().eraseBrush.reset(CreateSolidBrush(kEraseColour));
  }

  void progress(platform::Rect bar, int fillEdge, const char* percentText) override {
    {
      gdi::WindowDC dc(state.mainWindow);
      paintProgressBar(dc, toRect(bar), fillEdge, screenText(percentText), state.smallFont);
    }
    UpdateWindow(state.mainWindow);
  }

  void label(std::u16string_view text, platform::Rect r) override {
    ListDC dc;
    paintLabel(dc.get(), text, toRect(r), state.smallFont);
  }

  void counter(std::u16string_view text, platform::Rect r) override {
    ListDC dc;
    paintCounter(dc.get(), text, toRect(r), state.smallFont, state.eraseBrush);
  }

  void endList() override { objects().closeList(); }

  void showWaitCursor() override { state.savedCursor = SetCursor(state.waitCursor); }

  void restoreCursor() override { SetCursor(state.savedCursor); }

  void showDestination(std::u16string_view path) override {
    gdi::setWindowFont(state.dirEdit, state.smallFont);
    SetWindowTextW(state.dirEdit, wide(path).c_str());
    UpdateWindow(state.mainWindow);
  }
};

}  // namespace

platform::Screen& windowScreen() {
  static WindowScreen screen;
  return screen;
}

void makeScreenFonts(int charset) {
  objects().headingFont.reset(makeFont(30, 700, L"Times New Roman", charset));
  objects().smallFont.reset(makeFont(9, 400, L"Arial", charset));
}

void releaseScreenObjects() {
  ScreenObjects& owned = objects();
  owned.closeList();
  owned.headingFont.reset();
  owned.smallFont.reset();
  owned.eraseBrush.reset();
}

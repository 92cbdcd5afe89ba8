// The painter behind the installer's progress display.
//
// install/progress.h holds the display logic (positions, counters, which label
// goes where); it calls these operations with finished coordinates. The
// installer's window implements them with GDI (app/window_screen.cpp);
// without a window (tools, tests) a do-nothing screen is in place, and tests
// can install a recorder.
#pragma once

#include <string_view>

namespace platform {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

class Screen {
 public:
  virtual ~Screen() = default;
  // Shadowed heading (8-bit text in uiCodePage) in `r`, heading font.
  virtual void heading(const char* name, Rect r) {}
  // Takes the drawing context for one list and makes the counter brush.
  virtual void beginList() {}
  // Frame, body, fill up to x = fillEdge and the centred 8-bit text in `bar`.
  virtual void progress(Rect bar, int fillEdge, const char* percentText) {}
  // White label text in `r`, small font.
  virtual void label(std::u16string_view text, Rect r) {}
  // Wipes `r` with the counter brush and draws `text` in it.
  virtual void counter(std::u16string_view text, Rect r) {}
  // Gives the drawing context of the list back.
  virtual void endList() {}
  // Shows the wait cursor, keeping the current one; restoreCursor shows the
  // kept one again.
  virtual void showWaitCursor() {}
  virtual void restoreCursor() {}
  // Shows a copy destination in the directory edit box (small font) and has
  // the window repainted at once.
  virtual void showDestination(std::u16string_view path) {}
};

// The screen in use; never null.
Screen& screen();
// Installs `s` (nullptr: the do-nothing screen again). Not owned.
void setScreen(Screen* s);

}  // namespace platform

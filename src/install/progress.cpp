#include "install/progress.h"

#include "base/state.h"
#include "text/strings_step.h"

void drawLanguageHeading(const char* name) {
  platform::screen().heading(name, {30, state.headingY, 480, state.headingY + 200});
  state.headingY += 50;
}

void beginListDisplay() { platform::screen().beginList(); }

void drawProgress(int fillEdge, const char* percentText) {
  platform::screen().progress({30, state.progressY, 380, state.progressY + 20}, fillEdge, percentText);
}

void drawPhaseLabel(std::u16string_view label, int rightEdge) {
  platform::screen().label(label, {30, state.debugLineY, rightEdge, state.debugLineY + 30});
}

void placeCounter() { state.counterRect = {210, state.debugLineY, 290, state.debugLineY + 16}; }

void setCounterNumber(int64_t value) {
  char16_t digits[24];
  int n = 0;
  bool negative = value < 0;
  uint64_t v = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    digits[n++] = static_cast<char16_t>(u'0' + v % 10);
    v /= 10;
  } while (v != 0);
  if (negative) digits[n++] = u'-';
  state.counterText.clear();
  while (n > 0) state.counterText.append(digits[--n]);
}

void drawCounter() { platform::screen().counter(state.counterText.view(), state.counterRect); }

void drawDoneMark() {
  platform::screen().label(text(StringKey::Done), {300, state.debugLineY, 480, state.debugLineY + 30});
  state.debugLineY += 25;
}

void endListDisplay() {
  state.progressY += 50;
  platform::screen().endList();
}

void WindowListDisplay::progress(ListMilestone milestone) {
  struct Step {
    int fillEdge;
    const char* text;
  };
  static constexpr Step kSteps[] = {{0, "0%"},     {64, "10%"},  {117, "25%"},
                                    {205, "50%"}, {292, "75%"}, {379, "100%"}};
  const Step& step = kSteps[static_cast<int>(milestone)];
  drawProgress(step.fillEdge, step.text);
}

void WindowListDisplay::phase(ListPhase phase, std::u16string_view label) {
  drawPhaseLabel(label, phase == ListPhase::Sorting ? 400 : 480);
}

void WindowListDisplay::begin() {
  beginListDisplay();
  platform::screen().showWaitCursor();
}

void WindowListDisplay::end() {
  endListDisplay();
  platform::screen().restoreCursor();
}

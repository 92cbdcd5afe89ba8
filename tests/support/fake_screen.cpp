#include <string>

#include "support/test_support.h"

namespace testing_support {
namespace {
std::string rect(platform::Rect r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}
}  // namespace

void RecordingScreen::heading(const char* name, platform::Rect r) {
  calls.push_back("heading " + rect(r) + " " + name);
}
void RecordingScreen::beginList() { calls.push_back("beginList"); }
void RecordingScreen::progress(platform::Rect bar, int fillEdge, const char* percentText) {
  calls.push_back("progress " + rect(bar) + " fill=" + std::to_string(fillEdge) + " text=" + percentText);
}
void RecordingScreen::label(std::u16string_view text, platform::Rect r) {
  calls.push_back("label " + rect(r) + " " + u8(text));
}
void RecordingScreen::counter(std::u16string_view text, platform::Rect r) {
  calls.push_back("counter " + rect(r) + " " + u8(text));
}
void RecordingScreen::endList() { calls.push_back("endList"); }
void RecordingScreen::showWaitCursor() { calls.push_back("waitCursor"); }
void RecordingScreen::restoreCursor() { calls.push_back("restoreCursor"); }

}  // namespace testing_support

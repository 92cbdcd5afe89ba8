#include <gtest/gtest.h>

#include "platform/faults.h"
#include "platform/screen.h"
#include "platform/ui.h"
#include "support/test_support.h"

namespace testing_support {

std::vector<ShownBox>& shownBoxes() {
  static std::vector<ShownBox> boxes;
  return boxes;
}

namespace {
void recordBox(std::u16string_view text, std::u16string_view caption, platform::BoxIcon icon) {
  shownBoxes().push_back({std::u16string(text), std::u16string(caption), icon});
}

// Every test starts from the state of a fresh process.
class FreshState : public ::testing::EmptyTestEventListener {
 public:
  explicit FreshState(void (*programState)()) : programState_(programState) {}

 private:
  void OnTestStart(const ::testing::TestInfo&) override {
    if (programState_) programState_();
    platform::faults::reset();
    platform::setScreen(nullptr);
    shownBoxes().clear();
  }
  void (*programState_)();
};
}  // namespace

int runTests(int argc, char** argv, void (*freshProgramState)()) {
  ::testing::InitGoogleTest(&argc, argv);
  platform::setMessageBoxHook(recordBox);
  ::testing::UnitTest::GetInstance()->listeners().Append(new FreshState(freshProgramState));
  return RUN_ALL_TESTS();
}

}  // namespace testing_support

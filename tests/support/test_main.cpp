#include <gtest/gtest.h>

#include "base/state.h"
#include "platform/faults.h"
#include "support/test_support.h"

namespace testing_support {

std::vector<ShownBox>& shownBoxes() {
  static std::vector<ShownBox> boxes;
  return boxes;
}

namespace {
void throwOnFatal(FatalKind kind, std::u16string_view message) {
  throw FatalExit{kind, std::u16string(message)};
}

void recordBox(std::u16string_view text, std::u16string_view caption, platform::BoxIcon icon) {
  shownBoxes().push_back({std::u16string(text), std::u16string(caption), icon});
}

// Every test starts from the state of a fresh process.
class FreshState : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    resetInstallState();
    platform::faults::reset();
    platform::setScreen(nullptr);
    shownBoxes().clear();
  }
};
}  // namespace

}  // namespace testing_support

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setFatalHook(testing_support::throwOnFatal);
  platform::setMessageBoxHook(testing_support::recordBox);
  ::testing::UnitTest::GetInstance()->listeners().Append(new testing_support::FreshState);
  return RUN_ALL_TESTS();
}

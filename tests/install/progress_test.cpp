// The progress display of the installation (install/progress.h) as a list
// build's display.
#include "install/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/state.h"
#include "support/collate_fixture.h"
#include "support/test_support.h"
#include "wordlist/list_helpers.h"

using list_test::byLocale;
using list_test::byTable;
using testing_support::CollateTest;
using testing_support::u8;

TEST_F(CollateTest, ComparisonsAreCountedAndShownEvery1000WhileDebugging) {
  testing_support::RecordingScreen screen;
  platform::setScreen(&screen);
  placeCounter();
  WindowListDisplay display;
  ComparisonCounter counter{true, 998, &display};
  for (int i = 0; i < 4; ++i) byLocale(u"a", u"b", &counter);
  EXPECT_EQ(counter.count, 1002);
  EXPECT_EQ(u8(state.counterText.view()), "1001");
  EXPECT_EQ(screen.calls, (std::vector<std::string>{"counter 210,170,290,186 1000"}));
  counter.counting = false;
  byLocale(u"a", u"b", &counter);
  byTable(u"a", u"b", &counter, 1252);
  EXPECT_EQ(counter.count, 1002);
  counter.counting = true;
  byTable(u"a", u"b", &counter, 1252);
  EXPECT_EQ(counter.count, 1003);
  platform::setScreen(nullptr);
}

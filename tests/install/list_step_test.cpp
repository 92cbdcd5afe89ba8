// The language step's list build: what it draws, the InstallState it keeps
// and the messages that end the run. The builder itself is tested in
// tests/wordlist.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "install/list_step_fixture.h"
#include "platform/faults.h"
#include "platform/file.h"

using list_step::ListBuildTest;
using list_step::Pair;
using list_test::record;
using testing_support::u16;

namespace {

std::vector<std::string> withPrefix(const std::vector<std::string>& calls,
                                    std::string_view prefix) {
  std::vector<std::string> out;
  for (const std::string& c : calls) {
    if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
  }
  return out;
}

const std::vector<std::string> kEmptyListCalls = {
    "beginList",
    "waitCursor",
    "progress 30,155,380,175 fill=0 text=0%",
    "label 30,170,480,200 ReadFrom",
    "progress 30,155,380,175 fill=64 text=10%",
    "label 300,170,480,200 Done",
    "progress 30,155,380,175 fill=117 text=25%",
    "label 30,195,480,225 WriteTemp",
    "label 300,195,480,225 Done",
    "progress 30,155,380,175 fill=205 text=50%",
    "label 30,220,480,250 ReadTo",
    "label 300,220,480,250 Done",
    "label 30,245,400,275 SortTo",
    "label 300,245,480,275 Done",
    "progress 30,155,380,175 fill=292 text=75%",
    "label 30,270,480,300 WriteTo",
    "label 300,270,480,300 Done",
    "progress 30,155,380,175 fill=379 text=100%",
    "endList",
    "restoreCursor",
};

}  // namespace

TEST_F(ListBuildTest, EmptyListDrawsAllSixProgressPointsAndPhaseLines) {
  EXPECT_TRUE(build(std::string()).empty());
  EXPECT_EQ(dir.read(u"out.lst"), "");
  EXPECT_TRUE(dir.exists(u"out.lst"));
  EXPECT_EQ(screen.calls, kEmptyListCalls);
  EXPECT_EQ(state.progressY, 205);
  EXPECT_EQ(state.debugLineY, 295);
}

TEST_F(ListBuildTest, WithoutDebugModeOnlyBarsAndRecordCountersAreDrawn) {
  state.debugMode = 0;
  std::vector<Pair> source;
  for (int i = 0; i < 150; ++i) {
    std::string n = std::to_string(1000 + i);
    source.push_back({"w" + n, "t" + n});
  }
  build(source);
  std::vector<std::string> expected = {"beginList",
                                       "waitCursor",
                                       "progress 30,155,380,175 fill=0 text=0%",
                                       "progress 30,155,380,175 fill=64 text=10%",
                                       "counter 210,170,290,186 0",
                                       "counter 210,170,290,186 100",
                                       "progress 30,155,380,175 fill=117 text=25%",
                                       "counter 210,170,290,186 0",
                                       "counter 210,170,290,186 100",
                                       "progress 30,155,380,175 fill=205 text=50%",
                                       "counter 210,170,290,186 0",
                                       "counter 210,170,290,186 100",
                                       "progress 30,155,380,175 fill=292 text=75%",
                                       "counter 210,170,290,186 0",
                                       "counter 210,170,290,186 100",
                                       "progress 30,155,380,175 fill=379 text=100%",
                                       "endList",
                                       "restoreCursor"};
  EXPECT_EQ(screen.calls, expected);
  EXPECT_EQ(state.comparisonCount, 0) << "comparisons are counted only in debug mode";
  EXPECT_EQ(state.debugLineY, 170);
}

TEST_F(ListBuildTest, CountersRunOnTheirPhaseLines) {
  std::vector<Pair> source;
  for (int i = 0; i < 150; ++i) {
    std::string n = std::to_string(1000 + i);
    source.push_back({"w" + n, "t" + n});
  }
  build(source);
  auto line = [&](int y) {
    return withPrefix(screen.calls, "counter 210," + std::to_string(y) + ",");
  };
  std::vector<std::string> hundreds = {"0", "100"};
  for (int y : {170, 195, 220, 270}) {
    std::vector<std::string> shown;
    for (const std::string& c : line(y)) shown.push_back(c.substr(c.rfind(' ') + 1));
    EXPECT_EQ(shown, hundreds) << "line at y " << y;
  }
  // The sorting line shows comparisonCount at every multiple of 1000 reached.
  std::vector<std::string> sortShown;
  for (const std::string& c : line(245)) sortShown.push_back(c.substr(c.rfind(' ') + 1));
  ASSERT_GT(state.comparisonCount, 0);
  std::vector<std::string> multiples;
  for (int k = 0; k < state.comparisonCount; k += 1000) multiples.push_back(std::to_string(k));
  EXPECT_EQ(sortShown, multiples);
  EXPECT_EQ(testing_support::u8(state.counterText.view()), "149") << "last merged index";
}

TEST_F(ListBuildTest, ComparisonCountRunsOnAcrossLists) {
  std::vector<Pair> first, second;
  for (int i = 0; i < 600; ++i)
    first.push_back({"w" + std::to_string(i), "t" + std::to_string(i * 7919 % 600)});
  for (int i = 0; i < 300; ++i)
    second.push_back({"v" + std::to_string(i), "u" + std::to_string(i * 31 % 300)});
  build(second);
  const int32_t secondAlone = state.comparisonCount;
  state.comparisonCount = 0;
  build(first);
  const int32_t afterFirst = state.comparisonCount;
  ASSERT_GT(afterFirst, 1000);
  screen.calls.clear();
  const int sortLine = state.debugLineY + 3 * 25;
  build(second);
  EXPECT_EQ(state.comparisonCount, afterFirst + secondAlone);
  // The second list's sorting line shows the multiples of 1000 passed during
  // its own sort, continuing the first list's count.
  std::string prefix = "counter 210," + std::to_string(sortLine) + ",";
  std::vector<std::string> expected;
  for (int k = (afterFirst + 999) / 1000 * 1000; k < state.comparisonCount; k += 1000) {
    expected.push_back(prefix + "290," + std::to_string(sortLine + 16) + " " + std::to_string(k));
  }
  EXPECT_EQ(withPrefix(screen.calls, prefix), expected);
}

struct FatalRow {
  const char* name;
  void (*arrange)(testing_support::ScratchDir& dir);
  std::u16string message;
};

TEST_F(ListBuildTest, FatalConditions) {
  const std::vector<FatalRow> rows = {
      {"missing source", [](auto& d) { platform::removeFile(d.path() + u"\\in.lst"); },
       u"Input file \"in.lst\" missing"},
      {"temporary file in a missing folder",
       [](auto&) { list_step::setString(StringKey::Install_TaalTemp, u"nodir\\taal.tmp"); },
       u"Can't create tempfile"},
      {"temporary record not written",
       [](auto&) { platform::faults::failNth(platform::faults::Op::Write, 1); },
       u"Write error tempfile"},
      {"output in a missing folder",
       [](auto&) { std::strcpy(state.outputListName, "nodir\\out.lst"); },
       u"Can't create output file \"nodir\\out.lst\" "},
      {"output record not written",
       [](auto&) { platform::faults::failNth(platform::faults::Op::Write, 3); },
       u"Write error output file"},
      {"source read fails after counting",
       [](auto&) { platform::faults::failNth(platform::faults::Op::Read, 1); },
       u"Read error input file \"in.lst\""},
      {"temporary read fails after counting",
       [](auto&) { platform::faults::failNth(platform::faults::Op::Read, 2); },
       u"Read error tempfile"},
      {"output not flushed to disk",
       [](auto&) { platform::faults::failNth(platform::faults::Op::Flush, 1); },
       u"Write error output file"},
      {"list cannot be replaced",
       [](auto&) { platform::faults::failNth(platform::faults::Op::Rename, 1); },
       u"Can't replace output file \"out.lst\""},
      {"output named like a replacement",
       [](auto&) { std::strcpy(state.outputListName, "new.lst.$$$"); },
       u"Can't create output file \"new.lst.$$$\" "},
      {"output named like a replacement, as Windows reads the name",
       [](auto&) { std::strcpy(state.outputListName, "NEW.LST.$$$. "); },
       u"Can't create output file \"NEW.LST.$$$. \" "},
      {"source named like the replacement",
       [](auto& d) {
         std::strcpy(state.inputListName, "out.lst.$$$");
         d.write(u"out.lst.$$$", d.read(u"in.lst"));
       },
       u"Can't create output file \"out.lst\" "},
      // Last: the folder stays.
      {"a folder in the way of the replacement", [](auto& d) { d.mkdir(u"out.lst.$$$"); },
       u"Can't create output file \"out.lst\" "},
  };
  // Whatever fails, the earlier list stays as it was and no replacement is
  // left (a folder in the way, or a source of that name, stays).
  const std::string earlier = record("old", "list");
  for (const FatalRow& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    platform::faults::reset();
    dir.write(u"in.lst", record("huis", "house, home"));
    dir.write(u"out.lst", earlier);
    row.arrange(dir);
    bool replacementThere = dir.exists(u"out.lst.$$$");
    std::string sourceThere = dir.read(u"out.lst.$$$");
    EXPECT_FATAL(buildReversedList(), FatalKind::Error, row.message);
    platform::faults::reset();
    EXPECT_EQ(dir.read(u"out.lst"), earlier);
    EXPECT_EQ(dir.exists(u"out.lst.$$$"), replacementThere);
    EXPECT_EQ(dir.read(u"out.lst.$$$"), sourceThere);
    platform::removeFile(dir.path() + u"\\out.lst.$$$");
  }
}

// Deletes the temporary file when the reversal's "Done" is drawn, so that it
// cannot be opened again.
class TempThief : public testing_support::RecordingScreen {
 public:
  std::u16string tempPath;
  void label(std::u16string_view text, platform::Rect r) override {
    RecordingScreen::label(text, r);
    if (text == u"Done" && r.top == 195) platform::removeFile(tempPath);
  }
};

TEST_F(ListBuildTest, TemporaryFileThatCannotBeReopenedIsFatal) {
  TempThief thief;
  thief.tempPath = dir.path() + u"\\taal.tmp";
  platform::setScreen(&thief);
  dir.write(u"in.lst", record("huis", "house"));
  EXPECT_FATAL(buildReversedList(), FatalKind::Error, u"Can't open tempfile");
}

TEST_F(ListBuildTest, ListPathsLongerThan79CharactersAreFatal) {
  // PathLanguage + "in.lst": 73 + 6 = 79 characters fit; one more does not.
  std::strcpy(state.outputListName, "ou.lst");
  std::u16string folder73 = u"lists\\" + std::u16string(67, u'd');
  list_step::setString(StringKey::PathLanguage, folder73.c_str());
  EXPECT_FATAL(buildReversedList(), FatalKind::Error,
               u"Input file \"" + folder73 + u"in.lst\" missing");

  std::u16string folder74 = folder73 + u"e";
  list_step::setString(StringKey::PathLanguage, folder74.c_str());
  EXPECT_FATAL(buildReversedList(), FatalKind::Error, u"Path too long \"" + folder74 + u"in.lst\"");

  list_step::setString(StringKey::PathLanguage, u"");
  std::strcpy(state.outputListName, std::string(80, 'o').c_str());
  EXPECT_FATAL(buildReversedList(), FatalKind::Error,
               u"Path too long \"" + std::u16string(80, u'o') + u"\"");
}

TEST_F(ListBuildTest, ListNamesAreConvertedWithTheInterfaceCodePage) {
  state.uiCodePage = 1251;
  std::strcpy(state.inputListName, "\xe4\xe0.lst");  // Cyrillic "da"
  EXPECT_FATAL(buildReversedList(), FatalKind::Error,
               u"Input file \"" + u16("да.lst") + u"\" missing");
}


#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list_helpers.h"
#include "platform/faults.h"
#include "platform/file.h"

using list_test::ListBuildTest;
using list_test::Pair;
using list_test::record;
using testing_support::u16;

TEST_F(ListBuildTest, TrailingPartialRecordIsIgnored) {
  std::string bytes = record("huis", "house") + record("boom", "tree") + "xy";
  ASSERT_EQ(bytes.size(), 170u);
  std::vector<Pair> expected = {{"house", "huis"}, {"tree", "boom"}};
  EXPECT_EQ(build(bytes), expected);
}

struct ReversalRow {
  const char* name;
  std::vector<Pair> source;
  std::vector<Pair> expected;
};

TEST_F(ListBuildTest, ReversalAndMergeRows) {
  const std::string a20(20, 'a'), b27(27, 'b'), b28(28, 'b'), c5(5, 'c');
  const std::vector<ReversalRow> rows = {
      {"empty translations give nothing", {{"leeg", ""}, {"komma", ",,,"}}, {}},
      {"space after comma is skipped",
       {{"huis", "house, home"}},
       {{"home", "huis"}, {"house", "huis"}}},
      {"space before comma stays",
       {{"huis", "house ,home"}},
       {{"home", "huis"}, {"house ", "huis"}}},
      {"leading commas", {{"x", ",,a"}}, {{"a", "x"}}},
      {"spaces-only token gives an empty word",
       {{"x", "a,   ,b"}},
       {{"", "x"}, {"a", "x"}, {"b", "x"}}},
      {"equal headwords merge in record order",
       {{"huis", "house, home"}, {"woning", "house"}},
       {{"home", "huis"}, {"house", "huis, woning"}}},
      {"20 + 28 + 2 is not below 50: dropped", {{a20, "h"}, {b28, "h"}}, {{"h", a20}}},
      {"20 + 27 + 2 = 49: appended", {{a20, "h"}, {b27, "h"}}, {{"h", a20 + ", " + b27}}},
      {"a shorter one after a dropped one is appended",
       {{a20, "h"}, {b28, "h"}, {c5, "h"}},
       {{"h", a20 + ", " + c5}}},
      {"letter case separates records but not places",
       {{"p", "apple"}, {"q", "Banana"}, {"r", "APPLE"}, {"s", "apple"}},
       {{"apple", "p"}, {"APPLE", "r"}, {"apple", "s"}, {"Banana", "q"}}},
      {"token over 30 bytes is left out", {{"x", std::string(31, 't') + ",ok"}}, {{"ok", "x"}}},
      {"C order: underscore before letters, case ignored",
       {{"1", "zebra"}, {"2", "_x"}, {"3", "Apple"}, {"4", "banana"}},
       {{"_x", "2"}, {"Apple", "3"}, {"banana", "4"}, {"zebra", "1"}}},
  };
  for (const ReversalRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(build(row.source), row.expected);
  }
}

TEST_F(ListBuildTest, BothSortMethodsGiveTheSameFile) {
  std::vector<Pair> source = {{"huis", "house, home, Home"},
                              {"woning", "house, dwelling"},
                              {"thuis", "home"},
                              {"co-op", "Co-op, coop"},
                              {"x", "_a,ab, a-b"}};
  std::vector<Pair> byKeys = build(source, ListSort::SortKeys);
  std::vector<Pair> byComparison = build(source, ListSort::PerComparison);
  EXPECT_EQ(byKeys, byComparison);
  ASSERT_TRUE(platform::setRuntimeCollation(u"english_usa.1252"));
  EXPECT_EQ(build(source, ListSort::SortKeys), build(source, ListSort::PerComparison));
}

TEST_F(ListBuildTest, DoubleByteMergeIsCutBeforeALeadByte) {
  job.listCodePage = 932;
  const std::string a = "\x82\xa0", i = "\x82\xa2";  // two kana, two bytes each
  std::string first, second = "x";
  for (int k = 0; k < 15; ++k) first += a;
  for (int k = 0; k < 10; ++k) second += i;
  std::string expected = first + ", x";
  for (int k = 0; k < 8; ++k) expected += i;
  ASSERT_EQ(expected.size(), 49u) << "byte 50 would split the ninth kana";
  EXPECT_EQ(build({{first, "h"}, {second, "h"}}), (std::vector<Pair>{{"h", expected}}));
}

TEST_F(ListBuildTest, SortTableOrdersTheList) {
  dir.mkdir(u"tables");
  std::string table(256, '\0');
  for (int c = 'a'; c <= 'z'; ++c) table[c] = static_cast<char>(200 - (c - 'a'));  // z first
  table['-'] = 1;
  dir.write(u"tables\\english.stb", table);
  std::vector<Pair> source = {{"1", "ab, zz, a-b, m"}};
  std::vector<Pair> expected = {{"zz", "1"}, {"m", "1"}, {"ab", "1"}, {"a-b", "1"}};
  EXPECT_EQ(build(source), expected);
  EXPECT_TRUE(sortTableLoaded);
  EXPECT_EQ(build(source, ListSort::PerComparison), expected);
}

// A list is replaced only by a complete new one, and a replacement left by a
// run that was cut short is simply written again.
TEST_F(ListBuildTest, ReplacesAnEarlierListAndALeftoverReplacement) {
  dir.write(u"out.lst", record("old", "list"));
  dir.write(u"out.lst.$$$", record("half", "written"));
  std::vector<Pair> expected = {{"house", "huis"}};
  EXPECT_EQ(build({{"huis", "house"}}), expected);
}

// What the display is told: every milestone, and with debug lines on each
// phase with its label and its end; the record counters run in both.
TEST_F(ListBuildTest, DisplayFollowsTheMilestonesAndPhases) {
  std::vector<Pair> numbered;
  for (int i = 0; i < 150; ++i) {
    std::string n = std::to_string(1000 + i);
    numbered.push_back({"w" + n, "t" + n});
  }
  const std::vector<std::string> counters = {"counter 0 drawn", "counter 100 drawn", "counter 149"};
  auto join = [](std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  struct Row {
    const char* name;
    bool debug;
    std::vector<Pair> source;
    std::vector<std::string> calls;
  } rows[] = {
      {"empty list, debug lines on", true, {},
       {"begin", "progress 0", "phase Loading ReadFrom", "progress 10", "placeCounter", "done",
        "progress 25", "phase Reversing WriteTemp", "placeCounter", "done", "progress 50",
        "phase Rereading ReadTo", "placeCounter", "done", "phase Sorting SortTo", "placeCounter",
        "done", "progress 75", "phase Merging WriteTo", "placeCounter", "done", "progress 100",
        "end"}},
      {"150 records, debug lines off", false, numbered,
       join({{"begin", "progress 0", "progress 10", "placeCounter"}, counters,
             {"progress 25", "placeCounter"}, counters, {"progress 50", "placeCounter"}, counters,
             {"progress 75", "placeCounter"}, counters, {"progress 100", "end"}})},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    job.debug = row.debug;
    build(row.source);
    EXPECT_EQ(display.calls, row.calls);
    EXPECT_EQ(counts.records, static_cast<int32_t>(row.source.size()));
  }
  EXPECT_EQ(counts.comparisons.count, 0) << "comparisons are counted only with debug lines on";
}

// The comparison count of ListCounts runs on from build to build.
TEST_F(ListBuildTest, ListCountsRunOnAcrossLists) {
  std::vector<Pair> first, second;
  for (int i = 0; i < 600; ++i)
    first.push_back({"w" + std::to_string(i), "t" + std::to_string(i * 7919 % 600)});
  for (int i = 0; i < 300; ++i)
    second.push_back({"v" + std::to_string(i), "u" + std::to_string(i * 31 % 300)});
  build(second);
  const int32_t secondAlone = counts.comparisons.count;
  ASSERT_GT(secondAlone, 0);
  counts.comparisons.count = 0;
  build(first);
  const int32_t afterFirst = counts.comparisons.count;
  build(second);
  EXPECT_EQ(counts.comparisons.count, afterFirst + secondAlone);
}

// A failed build returns why; the earlier list stays as it was and no
// replacement is left behind.
TEST_F(ListBuildTest, FailuresReturnTheirError) {
  struct Row {
    const char* name;
    void (*arrange)(ListJob& job);
    ListError expected;
  } rows[] = {
      {"missing source", [](ListJob& job) { job.sourcePath = u"missing.lst"; },
       ListError::SourceMissing},
      {"source path at the limit", [](ListJob& job) { job.pathLimit = 6; },
       ListError::SourcePathTooLong},
      {"output path at the limit", [](ListJob& job) { job.pathLimit = 7; },
       ListError::OutputPathTooLong},
      {"temporary file in a missing folder", [](ListJob& job) { job.tempPath = u"nodir\\taal.tmp"; },
       ListError::TempCreateFailed},
      {"output named like a replacement", [](ListJob& job) { job.outputPath = u"new.lst.$$$"; },
       ListError::OutputCreateFailed},
      {"list cannot be replaced",
       [](ListJob&) { platform::faults::failNth(platform::faults::Op::Rename, 1); },
       ListError::OutputReplaceFailed},
  };
  const std::string earlier = record("old", "list");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    platform::faults::reset();
    dir.write(u"in.lst", record("huis", "house, home"));
    dir.write(u"out.lst", earlier);
    row.arrange(job);
    EXPECT_EQ(buildReversedList(job, counts, display), row.expected);
    platform::faults::reset();
    EXPECT_EQ(dir.read(u"out.lst"), earlier);
    EXPECT_FALSE(dir.exists(u"out.lst.$$$"));
  }
}

TEST(WriteReversedRecord, ByteLimitsOfWordAndToken) {
  testing_support::ScratchDir dir;
  std::u16string kana25(25, u'\u3042'), kana26(26, u'\u3042'), kana30(30, u'\u3042');
  struct Row {
    const char* name;
    std::u16string word, token;
    bool written;
  } rows[] = {
      {"50-byte word", kana25, u"home", true},
      {"52-byte word", kana26, u"home", false},
      {"60-byte word (30 double-byte characters)", kana30, u"home", false},
      {"30-byte token after skipped spaces", u"huis", u"   " + std::u16string(30, u't'), true},
      {"31-byte token", u"huis", std::u16string(31, u't'), false},
  };
  platform::File file =
      platform::File::open(dir.path() + u"\\t.tmp", platform::OpenMode::WriteBinary);
  int expectedRecords = 0;
  for (const Row& row : rows) {
    PairWrite result = writeReversedRecord(file, row.word.c_str(), row.token, 932, 1252);
    EXPECT_EQ(result, row.written ? PairWrite::Written : PairWrite::Skipped) << row.name;
    expectedRecords += row.written;
  }
  file.close();
  std::vector<Pair> got = list_test::parse(dir.read(u"t.tmp"));
  ASSERT_EQ(static_cast<int>(got.size()), expectedRecords);
  EXPECT_EQ(got[0].word, "home");
  EXPECT_EQ(got[0].translations.size(), 50u);
  EXPECT_EQ(got[1].word, std::string(30, 't'));
  std::string bytes = dir.read(u"t.tmp");
  EXPECT_EQ(bytes.substr(84 + 30, 1), std::string(1, '\0')) << "byte 30 of a full word is zero";
  EXPECT_EQ(bytes.substr(84 + 31 + 4), std::string(84 - 35, '\0')) << "rest zero-filled";
}

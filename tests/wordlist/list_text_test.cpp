#include "wordlist/list_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list_helpers.h"

using list_test::Pair;

namespace {
std::vector<Pair> packed(const std::string& text, uint32_t wordCp, uint32_t transCp,
                         std::vector<ListTextProblem>& problems) {
  return list_test::parse(packListText(text, wordCp, transCp, problems));
}
}  // namespace

TEST(ListText, PacksRowsInTheirCodePages) {
  std::vector<ListTextProblem> problems;
  std::string text =
      "\xEF\xBB\xBF"
      "huis\thouse, home\r\n"
      "\n"
      "\xD0\xB4\xD0\xB0\tyes\n"         // да
      "\xE3\x81\x82\tkana\ttab kept\n"  // あ
      "\tempty word";
  // The kana row has a character that 1251 lacks: nothing is packed.
  std::vector<Pair> got = packed(text, 1251, 1252, problems);
  EXPECT_EQ(got.size(), 0u);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].line, 4);

  got = packed("huis\thouse, home\r\n\n\xD0\xB4\xD0\xB0\tyes\n\tempty word", 1251, 1252, problems);
  EXPECT_TRUE(problems.empty());
  std::vector<Pair> expected = {{"huis", "house, home"}, {"\xE4\xE0", "yes"}, {"", "empty word"}};
  EXPECT_EQ(got, expected);

  got = packed("\xE3\x81\x82\tkana\ttab kept\n", 932, 1252, problems);
  EXPECT_EQ(got, (std::vector<Pair>{{"\x82\xA0", "kana\ttab kept"}}));
}

TEST(ListText, RefusedRowsAreReportedWithTheirLineNumbers) {
  std::string kana15, kana16;
  for (int i = 0; i < 15; ++i) kana15 += "\xE3\x81\x82";
  kana16 = kana15 + "\xE3\x81\x82";
  std::string text =
      "ok\tfine\n"                             // 1
      "no tab here\n"                          // 2
      + kana15 + "\t30 bytes fit\n"            // 3
      + kana16 + "\t32 bytes do not\n"         // 4
      + "w\t" + std::string(51, 't') + "\n"    // 5
      + "w\t" + std::string(50, 't') + "\n"    // 6
      + "bad \xC3\x28 utf8\tx\n"               // 7
      + "\xE2\x82\xAC\teuro is not in 932\n";  // 8
  std::vector<ListTextProblem> problems;
  std::string records = packListText(text, 932, 932, problems);
  EXPECT_TRUE(records.empty()) << "nothing is packed when a row is refused";
  std::vector<int> lines;
  for (const ListTextProblem& p : problems) lines.push_back(p.line);
  EXPECT_EQ(lines, (std::vector<int>{2, 4, 5, 7, 8}));
  ASSERT_EQ(problems.size(), 5u);
  EXPECT_NE(problems[1].message.find("32 bytes"), std::string::npos) << problems[1].message;
  EXPECT_NE(problems[4].message.find("lacks"), std::string::npos) << problems[4].message;
}

TEST(ListText, BestFitLettersAreRefused) {
  std::vector<ListTextProblem> problems;
  packListText(
      "\xC5\x81\xC3\xB3"
      "d\xC5\xBA\tboat\n",
      1252, 1252, problems);  // Łódź
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_TRUE(packListText("\xC5\x81\xC3\xB3"
                           "d\xC5\xBA\tboat\n",
                           1250, 1252, problems)
                  .size() == 84);
}

TEST(ListText, UnpackReadsFieldsToTheirZeroOrWidth) {
  std::string records =
      list_test::record("\xE4\xE0", "yes") + list_test::record(std::string(31, 'w'), "t") + "xx";
  EXPECT_EQ(unpackListRecords(records, 1251, 1252),
            "\xD0\xB4\xD0\xB0\tyes\n" + std::string(31, 'w') + "\tt\n");
}

TEST(ListText, PackAndUnpackRoundTrip) {
  std::string text =
      "\xE3\x81\x82\xE3\x81\x84\thouse, home\n"
      "\xEF\xBD\xB1\thalf-width\n"
      "x\t\n";
  std::vector<ListTextProblem> problems;
  std::string records = packListText(text, 932, 1252, problems);
  ASSERT_TRUE(problems.empty());
  EXPECT_EQ(unpackListRecords(records, 932, 1252), text);
}

TEST(ListText, Utf8Decoding) {
  struct Row {
    std::string in;
    bool valid;
    std::u16string out;
  } rows[] = {
      {"abc", true, u"abc"},
      {"\xF0\x9F\x98\x80", true, u"\U0001F600"},
      {"\xC0\xAF", false, u""},          // overlong
      {"\xE0\x80\xAF", false, u""},      // overlong
      {"\xED\xA0\x80", false, u""},      // surrogate
      {"\xF4\x90\x80\x80", false, u""},  // above U+10FFFF
      {"\xE3\x81", false, u""},          // cut off
      {"\x80", false, u""},
  };
  for (const Row& row : rows) {
    std::u16string out;
    EXPECT_EQ(utf8ToUtf16(row.in, out), row.valid) << testing::PrintToString(row.in);
    if (row.valid) {
      EXPECT_EQ(out, row.out);
      EXPECT_EQ(utf16ToUtf8(out), row.in);
    }
  }
}

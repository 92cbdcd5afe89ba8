#include <gtest/gtest.h>
#if defined(_WIN32)
#include <windows.h>
#endif

#include <climits>
#include <string>

#include "platform/codepage.h"
#include "support/test_support.h"
#include "text/charset.h"

using testing_support::u16;
using testing_support::u8;

namespace {

constexpr char16_t kGuard = 0xBEEF;
constexpr char kNarrowGuard = '\x7E';

// Five double-byte Shift-JIS characters: 日本語です.
const char kShiftJis[] = "\x93\xFA\x96\x7B\x8C\xEA\x82\xC5\x82\xB7";
const char16_t kShiftJisWide[] = u"日本語です";
const char16_t kThreeKanji[] = u"日本語";

// The ANSI code page, asked of the system itself (the native build's POSIX
// layer has a fixed one).
uint32_t systemAnsiCodePage() {
#if defined(_WIN32)
  return GetACP();
#else
  return 1252;
#endif
}

}  // namespace

TEST(CharsetToCodePage, FixedTable) {
  struct Row {
    int32_t charset;
    uint32_t codePage;
  };
  const Row rows[] = {
      {0, 1252},   {128, 932},  {129, 949},  {134, 936},  {136, 950},
      {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256},
      {186, 1257}, {204, 1251}, {222, 874},  {238, 1250}, {500, 1254},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(charsetToCodePage(row.charset), row.codePage) << "charset " << row.charset;
    EXPECT_TRUE(charsetHasFixedCodePage(row.charset)) << "charset " << row.charset;
  }
}

TEST(CharsetToCodePage, OtherNumbersGiveTheAnsiCodePage) {
  const uint32_t ansi = systemAnsiCodePage();
  for (int32_t charset : {1, 2, 255, -1, 501, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(charsetToCodePage(charset), ansi) << "charset " << charset;
    EXPECT_FALSE(charsetHasFixedCodePage(charset)) << "charset " << charset;
  }
}

// Charset 0 must not follow the system: on a Cyrillic system (ANSI code page
// 1251) it still gives 1252. Wine takes its ANSI code page from the Unix
// locale of the process it starts, so ctest runs these tests a second time as
// text_tests_cyrillic with LC_ALL=ru_RU.UTF-8.
TEST(CharsetToCodePage, CharsetZeroIs1252OnACyrillicSystem) {
  if (systemAnsiCodePage() != 1251) {
    GTEST_SKIP() << "needs ANSI code page 1251 (ANSI code page is " << systemAnsiCodePage()
                 << "); ctest runs it as text_tests_cyrillic with LC_ALL=ru_RU.UTF-8";
  }
  EXPECT_EQ(charsetToCodePage(0), 1252u);
  EXPECT_EQ(charsetToCodePage(255), 1251u);
  EXPECT_EQ(charsetToCodePage(-1), 1251u);
}

TEST(Conversions, EmptyInputsGiveEmptyTexts) {
  char16_t wide[4] = {kGuard, kGuard, kGuard, kGuard};
  EXPECT_EQ(toWide("", wide, 1252), wide);
  EXPECT_EQ(wide[0], 0);
  EXPECT_EQ(wide[1], kGuard);

  wide[0] = kGuard;
  toWideCount("", wide, 0, 932);
  EXPECT_EQ(wide[0], 0);
  EXPECT_EQ(wide[1], kGuard);

  toWideScratch("x", 1252);
  EXPECT_EQ(std::u16string(toWideScratch("", 1252)), u"");

  char narrow[4] = {kNarrowGuard, kNarrowGuard, kNarrowGuard, kNarrowGuard};
  EXPECT_EQ(toNarrow(u"", narrow, 1252), narrow);
  EXPECT_EQ(narrow[0], 0);
  EXPECT_EQ(narrow[1], kNarrowGuard);

  toNarrowScratch(u"x", 1252);
  EXPECT_EQ(std::string(toNarrowScratch(u"", 932)), "");
}

TEST(Conversions, ToWideCountKeepsEmbeddedZeros) {
  const char bytes[] = {'a', '=', '1', 0, 'b', '=', '2', 0};
  char16_t out[10];
  for (char16_t& c : out) c = kGuard;
  toWideCount(bytes, out, 8, 1252);
  const char16_t expected[9] = {u'a', u'=', u'1', 0, u'b', u'=', u'2', 0, 0};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(out[i], expected[i]) << "unit " << i;
  EXPECT_EQ(out[9], kGuard) << "written past count + 1 units";
}

TEST(Conversions, ShiftJisTenBytesGiveFiveUnits) {
  char16_t out[11 + 3];
  for (char16_t& c : out) c = kGuard;
  toWide(kShiftJis, out, 932);
  EXPECT_EQ(std::u16string(out), kShiftJisWide);
  EXPECT_EQ(out[5], 0);
  for (int i = 11; i < 14; ++i) EXPECT_EQ(out[i], kGuard) << "guard unit " << i;
}

TEST(Conversions, ToNarrowOfThreeKanji) {
  char out[7 + 3];
  for (char& c : out) c = kNarrowGuard;
  toNarrow(kThreeKanji, out, 932);
  EXPECT_EQ(std::string(out), std::string("\x93\xFA\x96\x7B\x8C\xEA"));
  for (int i = 7; i < 10; ++i) EXPECT_EQ(out[i], kNarrowGuard) << "guard byte " << i;

  for (char& c : out) c = kNarrowGuard;
  toNarrow(kThreeKanji, out, 1252);
  EXPECT_EQ(std::string(out), "???") << "three substitute characters expected";
  EXPECT_EQ(out[4], kNarrowGuard);
}

TEST(Conversions, UnknownCodePageGivesEmptyText) {
  char16_t wide[4] = {kGuard, kGuard, kGuard, kGuard};
  toWide("abc", wide, 12345);
  EXPECT_EQ(wide[0], 0);
  char narrow[8] = {};
  toNarrow(u"abc", narrow, 12345);
  EXPECT_EQ(narrow[0], 0);
}

TEST(ScratchBuffers, SamePointerAndLastResultOnly) {
  const char16_t* first = toWideScratch("first", 1252);
  const char16_t* second = toWideScratch("second", 1252);
  EXPECT_EQ(first, second);
  EXPECT_EQ(std::u16string(first), u"second");

  const char* n1 = toNarrowScratch(u"one", 1252);
  const char* n2 = toNarrowScratch(u"two", 1252);
  EXPECT_EQ(n1, n2);
  EXPECT_EQ(std::string(n1), "two");
}

TEST(ScratchBuffers, AreIndependentOfEachOther) {
  const char16_t* wide = toWideScratch("wide text", 1252);
  const char* narrow = toNarrowScratch(u"narrow text", 1252);
  EXPECT_EQ(std::u16string(wide), u"wide text");
  toWideScratch("again wide", 1252);
  EXPECT_EQ(std::string(narrow), "narrow text");
  EXPECT_NE(static_cast<const void*>(wide), static_cast<const void*>(narrow));
}

TEST(ScratchBuffers, ResultThatDoesNotFitGivesEmptyText) {
  struct Row {
    const char* name;
    int length;  // of the input
    bool fits;
  };
  const Row rows[] = {{"999 units", 999, true}, {"1000 units", 1000, false}, {"4000", 4000, false}};
  for (const Row& row : rows) {
    std::string bytes(static_cast<std::size_t>(row.length), 'a');
    std::u16string wide(static_cast<std::size_t>(row.length), u'b');
    toNarrowScratch(u"kept", 1252);
    const char16_t* w = toWideScratch(bytes.c_str(), 1252);
    EXPECT_EQ(wideLength(w), row.fits ? row.length : 0) << row.name << " toWideScratch";
    const char* n = toNarrowScratch(wide.c_str(), 1252);
    EXPECT_EQ(std::string(n).size(), row.fits ? static_cast<std::size_t>(row.length) : 0u)
        << row.name << " toNarrowScratch";
    EXPECT_EQ(wideLength(w), row.fits ? row.length : 0) << row.name << " wide result disturbed";
  }
  // Double-byte: 499 kanji need 998 bytes and fit, 500 need 1000 and do not.
  EXPECT_EQ(std::string(toNarrowScratch(std::u16string(499, u'日').c_str(), 932)).size(), 998u);
  EXPECT_EQ(std::string(toNarrowScratch(std::u16string(500, u'日').c_str(), 932)), "");
}

TEST(ParseDecimal, LikeTheRuntimeAtoi) {
  struct Row {
    const char* text;
    int32_t value;
  };
  const Row rows[] = {
      {"204", 204},         {"  42", 42},        {"\t-7", -7},          {"+5", 5},
      {"12abc", 12},        {"abc", 0},          {"", 0},               {"-", 0},
      {"0128", 128},        {" 1 2", 1},         {"99999999999", INT32_MAX},
      {"-99999999999", INT32_MIN},               {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(parseDecimal(row.text), row.value) << "text \"" << row.text << "\"";
  }
}

TEST(ExactConversion, RefusesWhatTheCodePageCannotHold) {
  struct Row {
    const char* name;
    std::u16string text;
    uint32_t codePage;
    int expected;  // bytes, or -1
  };
  const Row rows[] = {
      {"latin in 1252", u"café", 1252, 4},
      {"cyrillic in 1251", u"Жук", 1251, 3},
      {"cyrillic in 1252", u"Жук", 1252, -1},
      {"kanji in 932", u"日本", 932, 4},
      {"kanji in 1251", u"日本", 1251, -1},
      {"best-fit letter in 1250", u"\u00C5", 1250, -1},
  };
  for (const Row& row : rows) {
    char out[32];
    int n = platform::wideToMultiByteExact(row.codePage, row.text.data(),
                                           static_cast<int>(row.text.size()), out, sizeof out);
    EXPECT_EQ(n, row.expected) << row.name;
  }
}

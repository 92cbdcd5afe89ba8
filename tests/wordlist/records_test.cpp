#include <gtest/gtest.h>

#include <string>

#include "list_helpers.h"
#include "platform/file.h"

using list_test::record;
using testing_support::u16;
using testing_support::u8;

namespace {
const std::string kA = "\x82\xa0";  // a kana in code page 932, two bytes
std::string kana(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += kA;
  return s;
}
}  // namespace

TEST(FieldBytes, CutsNeverSplitADoubleByteCharacter) {
  struct Row {
    const char* name;
    std::string text;
    int limit;
    uint32_t codePage;
    int expected;
  } rows[] = {
      {"fits", "house", 30, 1252, 5},
      {"single-byte cut", std::string(40, 'x'), 30, 1252, 30},
      {"high bytes are single in 1252", std::string(40, '\x82'), 30, 1252, 30},
      {"kana cut on a boundary", kana(20), 30, 932, 30},
      {"odd start: the lead byte at 29 goes", "x" + kana(20), 30, 932, 29},
      {"half-width katakana are single bytes", std::string(40, '\xb1'), 50, 932, 40},
      {"mixed up to byte 50", "ab" + kana(30), 50, 932, 50},
      {"mixed, one byte short", "abc" + kana(30), 50, 932, 49},
  };
  for (const Row& row : rows) {
    char field[64] = {};
    int n = copyFieldBytes(field, row.text.data(), static_cast<int>(row.text.size()), row.limit,
                           row.codePage);
    EXPECT_EQ(n, row.expected) << row.name;
    EXPECT_EQ(std::string(field, n), row.text.substr(0, n)) << row.name;
    EXPECT_EQ(field[n], 0) << row.name << ": nothing copied past the cut";
  }
}

TEST(FieldBytes, FieldWithoutZeroIsReadToItsWidth) {
  struct Row {
    const char* name;
    std::string field;
    uint32_t codePage;
    int expected;
  } rows[] = {
      {"zero ends it", std::string("abc\0def", 7) + std::string(24, 'x'), 1252, 3},
      {"no zero: whole width", std::string(31, 'a'), 1252, 31},
      {"no zero, ends on a whole kana", "x" + kana(15), 932, 31},
      {"no zero, a lead byte without its trail is dropped", kana(15) + "\x82", 932, 30},
  };
  for (const Row& row : rows) {
    ASSERT_EQ(row.field.size(), 31u) << row.name;
    EXPECT_EQ(fieldTextLength(row.field.data(), 31, row.codePage), row.expected) << row.name;
  }
}

TEST(WordListEntry, FullFieldsAreCutToThirtyAndFiftyCharacters) {
  WordList list;
  ASSERT_TRUE(list.begin(3, 1252, 1252));
  WordRecord r;
  std::string bytes = record(std::string(31, 'w'), std::string(51, 't'));
  std::memcpy(&r, bytes.data(), sizeof r);
  ASSERT_TRUE(list.add(r));
  bytes = record("huis", "house, home");
  std::memcpy(&r, bytes.data(), sizeof r);
  ASSERT_TRUE(list.add(r));
  WordEntry e;
  list.entry(0, e);
  EXPECT_EQ(std::u16string(e.word()), std::u16string(30, u'w'));
  EXPECT_EQ(std::u16string(e.translations()), std::u16string(50, u't'));
  EXPECT_EQ(e.units[30], 0);
  EXPECT_EQ(e.units[81], 0);
  EXPECT_EQ(e.units[82], 0);
  list.entry(1, e);
  EXPECT_EQ(u8(e.word()), "huis");
  EXPECT_EQ(u8(e.translations()), "house, home");
  for (int i = 4; i < 31; ++i) EXPECT_EQ(e.units[i], 0) << "entry zero-filled at " << i;
  char16_t word[31];
  EXPECT_EQ(list.wideWord(1, word), 4);
  EXPECT_FALSE(list.add(r) && list.add(r)) << "no more than the capacity";
}

TEST(WordListEntry, CodePagesOfTheLoad) {
  WordList list;
  ASSERT_TRUE(list.begin(1, 1251, 932));
  std::string bytes = record("\xe4\xe0", kana(2));
  WordRecord r;
  std::memcpy(&r, bytes.data(), sizeof r);
  ASSERT_TRUE(list.add(r));
  WordEntry e;
  list.entry(0, e);
  EXPECT_EQ(std::u16string(e.word()), u16("да"));
  EXPECT_EQ(std::u16string(e.translations()), u"\u3042\u3042");
}

class LoadTest : public ::testing::Test {
 protected:
  platform::File open(const std::string& bytes) {
    dir.write(u"l.lst", bytes);
    return platform::File::open(dir.path() + u"\\l.lst", platform::OpenMode::ReadBinary);
  }
  testing_support::ScratchDir dir;
};

TEST_F(LoadTest, CountsWholeRecordsAndLoadsThem) {
  std::string bytes;
  for (int i = 0; i < 1030; ++i) bytes += record("w" + std::to_string(i), "t" + std::to_string(i));
  bytes += std::string(83, 'x');
  platform::File f = open(bytes);
  int32_t count = countWordRecords(f, -1);
  EXPECT_EQ(count, 1030);
  WordList list;
  list_test::RecordingListDisplay display;
  ASSERT_EQ(loadWordEntries(f, count, 1252, 1252, list, display), LoadResult::Loaded);
  ASSERT_EQ(list.size(), 1030);
  EXPECT_STREQ(list.word(1029), "w1029");
  EXPECT_STREQ(list.translations(517), "t517");
  ASSERT_FALSE(display.calls.empty());
  EXPECT_EQ(display.calls.back(), "counter 1029") << "the last index stays in the counter";
}

TEST_F(LoadTest, RecordsMissingAfterTheCountFailTheLoad) {
  platform::File f = open(record("a", "b"));
  WordList list;
  ListDisplay display;
  // Two records counted before the file shrank.
  EXPECT_EQ(loadWordEntries(f, 2, 1252, 1252, list, display), LoadResult::ReadFailed);
  EXPECT_EQ(list.size(), 0);
}

TEST(ByteArena, PositionsStayValidAcrossBlocks) {
  ByteArena arena;
  uint32_t first, big, after;
  ASSERT_TRUE(arena.allocate(10, first));
  std::memcpy(arena.at(first), "0123456789", 10);
  ASSERT_TRUE(arena.allocate(ByteArena::kBlockSize - 5, big));
  ASSERT_TRUE(arena.allocate(100, after));
  EXPECT_EQ(big >> ByteArena::kBlockBits, 1u) << "a piece that does not fit starts a block";
  EXPECT_EQ(std::string(reinterpret_cast<char*>(arena.at(first)), 10), "0123456789");
  uint32_t tooBig;
  EXPECT_FALSE(arena.allocate(ByteArena::kBlockSize + 1, tooBig));
}

// Collation (text/collate.h): the locale names tried for a Locale value,
// the comparison of texts by locale and by sort table, the sort table file.
#include "text/collate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/collate.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "support/collate_fixture.h"
#include "support/test_support.h"
#include "text/charset.h"

using testing_support::CollateTest;
using testing_support::u16;
using testing_support::u8;

namespace {

// The locale names offered to the collation setter, and the one it takes.
std::vector<std::u16string>& offered() {
  static std::vector<std::u16string> names;
  return names;
}
std::u16string& accepted() {
  static std::u16string name;
  return name;
}
bool recordingSetter(std::u16string_view name) {
  offered().emplace_back(name);
  return name == accepted();
}

int byLocale(std::u16string_view a, std::u16string_view b) { return compareTextsByLocale(a, b); }

// The sort table's order of two headwords, weighed in code page 1252.
constexpr uint32_t kCodePage = 1252;
int byTable(std::u16string_view a, std::u16string_view b) {
  char x[kHeadwordBytesCapacity], y[kHeadwordBytesCapacity];
  int m = narrowText(a.data(), static_cast<int>(a.size()), x, sizeof x, kCodePage);
  int n = narrowText(b.data(), static_cast<int>(b.size()), y, sizeof y, kCodePage);
  return compareTextsBySortTable(std::string_view(x, m), std::string_view(y, n));
}

void writeTable(testing_support::ScratchDir& dir, const std::string& name,
                const std::string& bytes) {
  dir.mkdir(u"tables");
  dir.write(u"tables\\" + u16(name) + u".stb", bytes);
}

}  // namespace

TEST_F(CollateTest, LocaleNamesTriedForEachLocaleValue) {
  setCollationSetter(recordingSetter);
  struct Row {
    std::u16string value;
    std::u16string acceptedName;  // what the platform takes
    bool result;
    std::vector<std::u16string> tried;
  } rows[] = {
      {u"Esperanto", u"english_usa.1252", true, {u"english_usa.1252"}},
      {u"RUSSKIJ", u"english_usa.1252", true, {u"english_usa.1252"}},
      {u"serbian", u"serbian (cyrillic)_Serbia.1251", true, {u"serbian (cyrillic)_Serbia.1251"}},
      {u"Serbian",
       u"serbian (cyrillic)_Serbia and Montenegro.1251",
       true,
       {u"serbian (cyrillic)_Serbia.1251", u"serbian (cyrillic)_Serbia and Montenegro.1251"}},
      {u"serbian",
       u"none",
       false,
       {u"serbian (cyrillic)_Serbia.1251", u"serbian (cyrillic)_Serbia and Montenegro.1251"}},
      {u"serbian_latin", u"serbian_latin", true, {u"serbian_latin"}},
      {u"esperanto2", u"none", false, {u"esperanto2"}},
      {u"German", u"German", true, {u"German"}},
      {u"\u00e9sperantO", u"none", false, {u"\u00e9sperantO"}},
  };
  for (const Row& row : rows) {
    offered().clear();
    accepted() = row.acceptedName;
    EXPECT_EQ(setCollationLocale(row.value), row.result) << u8(row.value);
    EXPECT_EQ(offered(), row.tried) << u8(row.value);
  }
}

TEST_F(CollateTest, AcceptedLocalesGiveTheirWindowsLocaleIds) {
  struct Row {
    const char16_t* value;
    uint32_t localeId;
  } rows[] = {
      {u"german", 0x0407},
      {u"dutch", 0x0413},
      {u"russian", 0x0419},
      {u"turkish", 0x041F},
      {u"english_usa.1252", 0x0409},
      {u"ESPERANTO", 0x0409},
      {u"russkij", 0x0409},
      {u"serbian", 0x281A},
      {u"C", 0},
  };
  for (const Row& row : rows) {
    EXPECT_TRUE(setCollationLocale(row.value)) << u8(row.value);
    EXPECT_EQ(platform::runtimeCollationLocaleId(), row.localeId) << u8(row.value);
  }
}

TEST_F(CollateTest, RefusedLocaleKeepsTheSetting) {
  ASSERT_TRUE(setCollationLocale(u"german"));
  EXPECT_FALSE(setCollationLocale(u"klingon_nowhere.1252"));
  EXPECT_EQ(platform::runtimeCollationLocaleId(), 0x0407u);
}

TEST_F(CollateTest, CLocaleFoldsAsciiLettersOnly) {
  EXPECT_EQ(byLocale(u"apple", u"APPLE"), 0);
  EXPECT_GT(byLocale(u"Zebra", u"apple"), 0);
  EXPECT_EQ(byLocale(u"Zebra", u"apple"), 'z' - 'a');
  for (const char16_t* word : {u"apple", u"APPLE", u"a", u"Z", u"zebra"}) {
    EXPECT_LT(byLocale(u"_x", word), 0) << u8(word);
  }
  EXPECT_EQ(byLocale(u"ab", u"abc"), -'c');
  EXPECT_EQ(byLocale(u"\u00c9", u"\u00e9"), 0xC9 - 0xE9) << "only A-Z are folded";
  EXPECT_EQ(byLocale(u"\uffff", u"a"), 0xFFFF - 'a') << "units compare unsigned";
}

TEST_F(CollateTest, NamedLocaleGivesMinusOneZeroOrOne) {
  ASSERT_TRUE(setCollationLocale(u"english_usa.1252"));
  EXPECT_EQ(byLocale(u"apple", u"APPLE"), 0);
  EXPECT_EQ(byLocale(u"apple", u"Zebra"), -1);
  EXPECT_EQ(byLocale(u"Zebra", u"apple"), 1);
  EXPECT_EQ(byLocale(u"co-op", u"coop"), -1) << "the hyphen is a symbol, before letters";
  EXPECT_EQ(byLocale(u"it's", u"its"), -1) << "so is the apostrophe";
}

TEST_F(CollateTest, SortTableWeights) {
  testing_support::ScratchDir dir;
  const std::u16string tablePath = u"tables\\Esperanto.stb";
  std::string table(256, '\0');
  for (int c = 1; c < 256; ++c) table[c] = static_cast<char>(c);
  table['-'] = 1;
  table['#'] = 0;
  writeTable(dir, "Esperanto", table);
  loadSortTable(platform::Folder::userPaths(), tablePath);
  ASSERT_TRUE(sortTableLoaded);
  EXPECT_EQ(byTable(u"a-b", u"ab"), 0) << "weight 1 is left out";
  EXPECT_EQ(byTable(u"ab#zzz", u"ab#aaa"), 0) << "weight 0 ends the key";
  EXPECT_EQ(byTable(u"ab#zzz", u"ab"), 0);
  EXPECT_EQ(byTable(u"ab", u"abc"), -1) << "a key that begins the other sorts first";
  EXPECT_EQ(byTable(u"b", u"a"), 1);
  EXPECT_EQ(byTable(u"\u00e9", u"z"), 1) << "0xE9 in code page 1252 weighs 0xE9";
}

TEST_F(CollateTest, SortTableFileHandling) {
  testing_support::ScratchDir dir;
  const std::u16string tablePath = u"tables\\RUSSKIJ.stb";
  loadSortTable(platform::Folder::userPaths(), tablePath);
  EXPECT_FALSE(sortTableLoaded) << "no file: nothing changes";
  writeTable(dir, "RUSSKIJ", std::string(3, '\x05'));  // a short table
  loadSortTable(platform::Folder::userPaths(), tablePath);
  EXPECT_TRUE(sortTableLoaded);
  // Bytes 0-2 weigh 5, everything else keeps weight 0 and ends the key.
  EXPECT_EQ(byTable(u"\x01", u"\x02"), 0);
  EXPECT_EQ(byTable(u"\x01", u"a"), 1);
  EXPECT_EQ(currentWordOrder(kCodePage).kind, WordOrder::Kind::SortTable);
  platform::removeFile(u"tables\\RUSSKIJ.stb");
  loadSortTable(platform::Folder::userPaths(), tablePath);
  EXPECT_TRUE(sortTableLoaded) << "once loaded, the table stays in use";
}


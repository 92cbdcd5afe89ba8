#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "install/progress.h"
#include "list_helpers.h"
#include "platform/file.h"
#include "wordlist/entry_order.h"

using testing_support::u16;
using testing_support::u8;

namespace {

// Puts the runtime's collation back to "C" and the seam away after a test.
class CollateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetSortTable();
    platform::setRuntimeCollation(u"C");
    offered().clear();
  }
  void TearDown() override {
    setCollationSetter(nullptr);
    resetSortTable();
    platform::setRuntimeCollation(u"C");
    for (auto& v : strings.values) v = nullptr;
  }
  static std::vector<std::u16string>& offered() {
    static std::vector<std::u16string> names;
    return names;
  }
  static std::u16string& accepted() {
    static std::u16string name;
    return name;
  }
  static bool recordingSetter(std::u16string_view name) {
    offered().emplace_back(name);
    return name == accepted();
  }
};

struct Entry {
  WordEntry block;
  WordEntry* pointer;
  explicit Entry(std::u16string_view word) {
    std::memset(&block, 0, sizeof block);
    for (std::size_t i = 0; i < word.size() && i < 30; ++i) block.units[i] = word[i];
    pointer = &block;
  }
};

// The counter that the comparators count with (none unless a test sets one);
// the sort table weighs the headwords in state.homeCodePage.
ComparisonCounter* comparisonCounter = nullptr;

int byLocale(std::u16string_view a, std::u16string_view b) {
  Entry x(a), y(b);
  setEntryComparison(comparisonCounter, state.homeCodePage);
  return compareByLocale(&x.pointer, &y.pointer);
}

int byTable(std::u16string_view a, std::u16string_view b) {
  Entry x(a), y(b);
  setEntryComparison(comparisonCounter, state.homeCodePage);
  return compareBySortTable(&x.pointer, &y.pointer);
}

int sign(int v) { return (v > 0) - (v < 0); }

// memcmp order of two keys, a key that begins the other first.
int keyOrder(const WordOrder& order, std::u16string_view a, std::u16string_view b) {
  unsigned char x[kWordKeyCapacity], y[kWordKeyCapacity];
  int m = wordSortKey(order, a, x);
  int n = wordSortKey(order, b, y);
  int c = std::memcmp(x, y, m < n ? m : n);
  return c != 0 ? sign(c) : sign(m - n);
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
  loadSortTable(tablePath);
  ASSERT_TRUE(sortTableLoaded);
  state.homeCodePage = 1252;
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
  loadSortTable(tablePath);
  EXPECT_FALSE(sortTableLoaded) << "no file: nothing changes";
  writeTable(dir, "RUSSKIJ", std::string(3, '\x05'));  // a short table
  loadSortTable(tablePath);
  EXPECT_TRUE(sortTableLoaded);
  state.homeCodePage = 1252;
  // Bytes 0-2 weigh 5, everything else keeps weight 0 and ends the key.
  EXPECT_EQ(byTable(u"\x01", u"\x02"), 0);
  EXPECT_EQ(byTable(u"\x01", u"a"), 1);
  EXPECT_EQ(currentWordOrder(state.homeCodePage).kind, WordOrder::Kind::SortTable);
  platform::removeFile(u"tables\\RUSSKIJ.stb");
  loadSortTable(tablePath);
  EXPECT_TRUE(sortTableLoaded) << "once loaded, the table stays in use";
}

TEST_F(CollateTest, ComparisonsAreCountedAndShownEvery1000WhileDebugging) {
  testing_support::RecordingScreen screen;
  platform::setScreen(&screen);
  placeCounter();
  WindowListDisplay display;
  ComparisonCounter counter{true, 998, &display};
  comparisonCounter = &counter;
  for (int i = 0; i < 4; ++i) byLocale(u"a", u"b");
  EXPECT_EQ(counter.count, 1002);
  EXPECT_EQ(u8(state.counterText.view()), "1001");
  EXPECT_EQ(screen.calls, (std::vector<std::string>{"counter 210,170,290,186 1000"}));
  counter.counting = false;
  byLocale(u"a", u"b");
  state.homeCodePage = 1252;
  byTable(u"a", u"b");
  EXPECT_EQ(counter.count, 1002);
  counter.counting = true;
  byTable(u"a", u"b");
  EXPECT_EQ(counter.count, 1003);
  comparisonCounter = nullptr;
  platform::setScreen(nullptr);
}

// The keys must give exactly the comparators' order, or the fast sort would
// put a list in a different order than the comparators define.
TEST_F(CollateTest, SortKeysAgreeWithTheComparatorsOnRandomPairs) {
  std::mt19937 random(20240611);
  const std::u16string alphabet =
      u"aAbBeEzZ-'_ 0 .,\u00e4\u00c4\u00f6\u00df\u00e9\u0131\u0130\u0438\u0418\u0451\u3042\u30a2";
  auto word = [&]() {
    std::u16string w;
    int n = random() % 8;
    for (int i = 0; i < n; ++i) w += alphabet[random() % alphabet.size()];
    return w;
  };
  state.debugMode = 0;
  for (const char16_t* locale : {u"C", u"english_usa.1252", u"german", u"turkish", u"russian"}) {
    ASSERT_TRUE(setCollationLocale(locale));
    WordOrder order = currentWordOrder(state.homeCodePage);
    int disagreements = 0;
    for (int i = 0; i < 3000; ++i) {
      std::u16string a = word(), b = i % 5 == 0 ? a : word();
      if (i % 7 == 0 && !b.empty() && ((b[0] | 0x20) >= u'a' && (b[0] | 0x20) <= u'z')) {
        b[0] ^= 0x20;  // case twins and near twins
      }
      int expected = sign(byLocale(a, b));
      if (keyOrder(order, a, b) != expected && ++disagreements <= 5) {
        ADD_FAILURE() << u8(locale) << ": \"" << u8(a) << "\" vs \"" << u8(b) << "\" comparator "
                      << expected << ", keys " << keyOrder(order, a, b);
      }
    }
    EXPECT_EQ(disagreements, 0) << u8(locale);
  }

  testing_support::ScratchDir dir;
  const std::u16string tablePath = u"tables\\t.stb";
  std::string table(256, '\0');
  for (int c = 1; c < 256; ++c) table[c] = static_cast<char>(random() % 7);  // ties, skips and ends
  table[0] = 0;
  writeTable(dir, "t", table);
  loadSortTable(tablePath);
  for (uint32_t codePage : {1252u, 1251u, 932u}) {
    state.homeCodePage = codePage;
    WordOrder order = currentWordOrder(state.homeCodePage);
    for (int i = 0; i < 3000; ++i) {
      std::u16string a = word(), b = word();
      ASSERT_EQ(keyOrder(order, a, b), byTable(a, b))
          << codePage << ": \"" << u8(a) << "\" vs \"" << u8(b) << "\"";
    }
  }
}

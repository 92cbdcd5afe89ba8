// The reference comparators of entry_order.h against the sort keys of
// text/collate.h, which the list builder sorts by.
#include "wordlist/entry_order.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "list_helpers.h"
#include "platform/folder.h"
#include "support/collate_fixture.h"
#include "text/collate.h"

using list_test::byLocale;
using list_test::byTable;
using testing_support::CollateTest;
using testing_support::u8;

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

// memcmp order of two keys, a key that begins the other first.
int keyOrder(const WordOrder& order, std::u16string_view a, std::u16string_view b) {
  unsigned char x[kWordKeyCapacity], y[kWordKeyCapacity];
  int m = wordSortKey(order, a, x);
  int n = wordSortKey(order, b, y);
  int c = std::memcmp(x, y, m < n ? m : n);
  return c != 0 ? sign(c) : sign(m - n);
}

}  // namespace

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
  for (const char16_t* locale : {u"C", u"english_usa.1252", u"german", u"turkish", u"russian"}) {
    ASSERT_TRUE(setCollationLocale(locale));
    WordOrder order = currentWordOrder(1252);
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
  dir.mkdir(u"tables");
  dir.write(u"tables\\t.stb", table);
  loadSortTable(platform::Folder::userPaths(), tablePath);
  for (uint32_t codePage : {1252u, 1251u, 932u}) {
    WordOrder order = currentWordOrder(codePage);
    for (int i = 0; i < 3000; ++i) {
      std::u16string a = word(), b = word();
      ASSERT_EQ(keyOrder(order, a, b), byTable(a, b, nullptr, codePage))
          << codePage << ": \"" << u8(a) << "\" vs \"" << u8(b) << "\"";
    }
  }
}

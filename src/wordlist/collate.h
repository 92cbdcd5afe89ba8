// Collation of headwords and registry keys: the interface language's locale
// or a byte-weight sort table.
//
// Besides the qsort-style comparators, the order can be had as sort keys:
// wordSortKey gives each headword a byte string whose byte-by-byte order
// (memcmp, a key that is the beginning of another first) is the order of
// the comparator in use, so that a long list is sorted by computing every
// key once instead of comparing texts pair by pair.
#pragma once

#include <cstdint>
#include <string_view>

// Sets the collation locale for the name of strings key Locale (with the
// esperanto, russkij and serbian names mapped). False when refused.
bool setCollationLocale(std::u16string_view localeName);
// Reads tables\<Locale>.stb when present and switches to sort-table order.
void loadSortTable();
extern bool sortTableLoaded;

// qsort-style comparators. compareByLocale and compareBySortTable take two
// elements of a WordEntry pointer array and count comparisons;
// compareRegistryKeys takes two elements of a SortSlot pointer array.
int compareByLocale(const void* a, const void* b);
int compareBySortTable(const void* a, const void* b);
int compareRegistryKeys(const void* a, const void* b);

// The comparison of compareByLocale without the counting: case-insensitive
// under the current collation setting. "C" locale: ASCII letters folded,
// the difference of the first differing units; a named locale: -1, 0 or +1
// from the system, INT_MAX when the system comparison fails.
int compareTextsByLocale(std::u16string_view a, std::u16string_view b);

// Counts one word-list comparison while debugMode is set: the counter's text
// becomes comparisonCount, drawn when it is a multiple of 1000, then the
// count goes up by one.
void countComparison();

// The order of word-list headwords in force: the sort table while one is
// loaded, otherwise the collation locale ("C" or a named one).
struct WordOrder {
  enum class Kind { FoldedUnits, Locale, SortTable };
  Kind kind = Kind::FoldedUnits;
  uint32_t localeId = 0;  // Locale: the Windows locale identifier
  uint32_t codePage = 0;  // SortTable: homeCodePage, the headwords' code page
};
WordOrder currentWordOrder();

// Room for the key of a headword of up to 30 units.
constexpr int kWordKeyCapacity = 1024;

// Writes the sort key of `word` (at most 30 units) under `order` to `out`
// (kWordKeyCapacity bytes) and returns its length. Keys in memcmp order,
// shorter first on a common beginning, give exactly the comparator's order:
// FoldedUnits the units with A-Z folded, two bytes each, high byte first;
// Locale the system's sort key; SortTable the weights of the headword's
// bytes in homeCodePage, weight 1 left out, ended by weight 0. A headword
// whose system key cannot be made gets a key after every other one.
int wordSortKey(const WordOrder& order, std::u16string_view word, unsigned char* out);

// Test seam: while a setter is installed, setCollationLocale offers its
// locale names to it instead of the runtime (nullptr: the runtime again).
using CollationSetter = bool (*)(std::u16string_view name);
void setCollationSetter(CollationSetter setter);

// Puts the sort table and sortTableLoaded back to their start (tests and
// measuring tools that build several lists in one process).
void resetSortTable();

// Collation of headwords and registry keys: the interface language's locale
// or a byte-weight sort table.
//
// Besides comparing two texts, the order can be had as sort keys:
// wordSortKey gives each headword a byte string whose byte-by-byte order
// (memcmp, a key that is the beginning of another first) is the order of
// the comparison in use, so that a long list is sorted by computing every
// key once instead of comparing texts pair by pair.
#pragma once

#include <cstdint>
#include <string_view>

// Sets the collation locale for the name of strings key Locale (with the
// esperanto, russkij and serbian names mapped). False when refused.
bool setCollationLocale(std::u16string_view localeName);

namespace platform {
class Folder;
}

// Reads the 256 byte weights of the sort table `path` in `folder` (folder.h)
// when the file is there and switches to sort-table order; a table once
// loaded stays in use.
void loadSortTable(const platform::Folder& folder, std::u16string_view path);
extern bool sortTableLoaded;
// Puts the sort table and sortTableLoaded back to their start (tests and
// tools that build several lists in one process).
void resetSortTable();

// Case-insensitive comparison under the current collation setting. "C"
// locale: ASCII letters folded, the difference of the first differing
// units; a named locale: -1, 0 or +1 from the system, INT_MAX when the
// system comparison fails.
int compareTextsByLocale(std::u16string_view a, std::u16string_view b);
// The sort table's order of two 8-bit texts: their weights, weight 1 left
// out, up to weight 0 or the end; -1, 0 or +1.
int compareTextsBySortTable(std::string_view a, std::string_view b);

// The order of headwords in force: the sort table while one is loaded,
// otherwise the collation locale ("C" or a named one).
struct WordOrder {
  enum class Kind { FoldedUnits, Locale, SortTable };
  Kind kind = Kind::FoldedUnits;
  uint32_t localeId = 0;  // Locale: the Windows locale identifier
  uint32_t codePage = 0;  // SortTable: the headwords' code page
};
// `headwordCodePage` is the code page that the sort table weighs.
WordOrder currentWordOrder(uint32_t headwordCodePage);

// Headwords are at most this many units long.
constexpr int kHeadwordChars = 30;
// Room for the key of a headword of up to kHeadwordChars units.
constexpr int kWordKeyCapacity = 1024;
// 8-bit form of a headword: at most 4 bytes a unit.
constexpr int kHeadwordBytesCapacity = 4 * kHeadwordChars + 1;

// Writes the sort key of `word` (cut to kHeadwordChars units) under `order`
// to `out` (kWordKeyCapacity bytes) and returns its length. Keys in memcmp
// order, shorter first on a common beginning, give exactly the comparison's
// order: FoldedUnits the units with A-Z folded, two bytes each, high byte
// first; Locale the system's sort key; SortTable the weights of the
// headword's bytes in the order's code page, weight 1 left out, ended by
// weight 0. A headword whose system key cannot be made gets a key after
// every other one.
int wordSortKey(const WordOrder& order, std::u16string_view word, unsigned char* out);

// Test seam: while a setter is installed, setCollationLocale offers its
// locale names to it instead of the runtime (nullptr: the runtime again).
using CollationSetter = bool (*)(std::u16string_view name);
void setCollationSetter(CollationSetter setter);

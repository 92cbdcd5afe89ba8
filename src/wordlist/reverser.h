// Turning one word list round: load, reverse, sort, merge, write.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {
class File;
}

// Builds PathLanguage + outputListName from PathLanguage + inputListName
// for the current language line.
void buildReversedList();

// How the reversed list is put in order. Both give the same file: the order
// of the comparators of collate.h, equal headwords in the order of the
// reversed pairs.
enum class ListSort {
  SortKeys,       // one key per headword, keys sorted (the installer's way)
  PerComparison,  // qsort of the entries with the comparators, pair by pair
};
void buildReversedList(ListSort method);

// Writes the reversed pair (token -> word) to the temporary file: the word
// converted with listCodePage, the token with homeCodePage and its leading
// spaces skipped. Nothing is written when the word has more than 50 bytes or
// the token more than 30; returns whether a record was written. A record not
// written whole ends the installation ("Write error tempfile").
bool writeReversedRecord(platform::File& file, const char16_t* word, std::u16string_view token);

// Calls `pair(token)` for each token of a translations text split at ","
// (a run of commas separates two tokens; no empty token).
template <typename Pair>
void forEachToken(const char16_t* translations, Pair pair) {
  const char16_t* p = translations;
  while (*p) {
    while (*p == u',') ++p;
    if (!*p) break;
    const char16_t* start = p;
    while (*p && *p != u',') ++p;
    pair(std::u16string_view(start, static_cast<std::size_t>(p - start)));
  }
}

// Turning one word list round: load, reverse, sort, merge, write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "wordlist/list_display.h"

namespace platform {
class File;
class Folder;
}

// What one build reads and writes.
struct ListJob {
  // Where the paths below resolve: the held installation folder (never
  // through a link), or, when null, as given (the user's own paths).
  const platform::Folder* folder = nullptr;
  std::u16string_view sourcePath;     // the source list
  std::u16string_view tempPath;       // the reversed pairs, deleted at the end
  std::u16string_view outputPath;     // the reversed list (see replacementPath)
  std::u16string_view sortTablePath;  // byte weights, used when the file is there
  uint32_t listCodePage = 0;          // the source list's words
  uint32_t homeCodePage = 0;          // the source list's translations
  bool debug = false;                 // phase labels and comparison counting
  // Paths of this many units or more are refused (0: any length), before
  // anything is opened.
  std::size_t pathLimit = 0;
  // Phase labels: loading, reversal, re-reading, sorting, merging.
  std::u16string_view readFrom, writeTemp, readTo, sortTo, writeTo;
};

// How the reversed list is put in order. Both give the same file: the order
// of the comparators of entry_order.h, equal headwords in the order of the
// reversed pairs.
enum class ListSort {
  SortKeys,       // one key per headword, keys sorted (the installer's way)
  PerComparison,  // qsort of the entries with the comparators, pair by pair
};

// The reversed list is written under a name of its own beside the list
// (the list's path followed by kReplacementSuffix) and put in the list's
// place in one step only once it is complete, flushed and closed, so that an
// existing list is never seen half-written, whenever the process ends.
// ".$$$" is DOS's old extension for scratch files. An output list whose name
// itself ends in it is refused, so one list's replacement never overwrites
// another reversed list, not even through its 8.3 alias (which keeps the
// extension); of the source lists only the build's own is checked, so a
// distribution must not name a source list "<output list>.$$$".
inline constexpr std::u16string_view kReplacementSuffix = u".$$$";
std::u16string replacementPath(std::u16string_view outputPath);

// Why a build stopped. The replacement is removed before the error is
// returned and the list stays as it was; the other files written up to that
// point (the temporary file) stay.
enum class ListError {
  None,
  SourcePathTooLong,
  OutputPathTooLong,
  SourceMissing,      // the source list cannot be opened
  SourceOutOfMemory,  // the source list does not fit in memory
  SourceReadFailed,
  TempCreateFailed,   // also when the temporary file is named like a list
  TempWriteFailed,
  TempOpenFailed,
  TempOutOfMemory,
  TempReadFailed,
  OutputCreateFailed,   // the replacement; also for a read-only list, and when
                        // the replacement would be named like a list
  OutputWriteFailed,    // also when it cannot be flushed or closed
  OutputReplaceFailed,  // the list cannot be replaced (held open by a program)
  SortOutOfMemory,
};

// Process-wide numbers that one build continues: the record count of the
// last file counted (kept when a size cannot be had) and the comparison
// count.
struct ListCounts {
  int32_t records = 0;
  ComparisonCounter comparisons;
};

ListError buildReversedList(const ListJob& job, ListCounts& counts, ListDisplay& display,
                            ListSort method = ListSort::SortKeys);

enum class PairWrite { Written, Skipped, Failed };

// Writes the reversed pair (token -> word) to the temporary file: the word
// converted with `listCodePage`, the token with `homeCodePage` and its
// leading spaces skipped. Skipped when the word has more than 50 bytes or
// the token more than 30; Failed when the record was not written whole.
PairWrite writeReversedRecord(platform::File& file, const char16_t* word,
                              std::u16string_view token, uint32_t listCodePage,
                              uint32_t homeCodePage);

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

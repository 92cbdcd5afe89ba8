// The list builder. Memory: the source list, and later the reversed pairs,
// are held as packed 8-bit texts (WordList); the sort adds a few 32-bit
// numbers per record and one key per distinct headword. Wide WordEntry
// blocks are made one at a time where a record is worked on.
#include "wordlist/reverser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ascii.h"
#include "base/buffer.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "platform/replacing_file.h"
#include "text/charset.h"
#include "text/collate.h"
#include "wordlist/entry_order.h"
#include "wordlist/records.h"

namespace {

// 8-bit forms of one word or token: up to 4 bytes a unit.
constexpr int kNarrowCapacity = 4 * (kEntryTranslationsChars + 1) + 1;

// The reversed pair with the word already in the list's code page.
PairWrite writePair(platform::File& file, const char* word, int wordLength,
                    std::u16string_view token, uint32_t homeCodePage) {
  if (wordLength > kTranslationsMaxBytes) return PairWrite::Skipped;
  char bytes[kNarrowCapacity];
  int length = narrowText(token.data(), static_cast<int>(token.size()), bytes, sizeof bytes,
                          homeCodePage);
  const char* start = bytes;
  while (*start == ' ') ++start;
  int tokenLength = length - static_cast<int>(start - bytes);
  if (tokenLength > kWordMaxBytes) return PairWrite::Skipped;
  WordRecord record;
  std::memset(&record, 0, sizeof record);
  std::memcpy(record.word, start, tokenLength);
  std::memcpy(record.translations, word, wordLength);
  if (file.write(&record, sizeof record) != sizeof record) return PairWrite::Failed;
  return PairWrite::Written;
}

// Every pair of every entry into the temporary file; false when a record
// was not written whole.
bool reverseEntries(const WordList& list, platform::File& temp, const ListJob& job,
                    ListDisplay& display) {
  WordEntry entry;
  char word[kNarrowCapacity];
  for (int32_t i = 0; i < list.size(); ++i) {
    countRecord(display, i);
    list.entry(i, entry);
    int wordLength =
        narrowText(entry.word(), wideLength(entry.word()), word, sizeof word, job.listCodePage);
    bool written = true;
    forEachToken(entry.translations(), [&](std::u16string_view token) {
      if (written && writePair(temp, word, wordLength, token, job.homeCodePage) == PairWrite::Failed) {
        written = false;
      }
    });
    if (!written) return false;
  }
  finishRecordCounter(display, list.size() - 1);
  return true;
}

// Sorting by keys. Records with the same 8-bit headword have the same key,
// so the key is made and sorted once per distinct headword; the records then
// take the place of their headword, in record order among equal keys (a
// counting sort by the rank of the key).

// The distinct headwords of a list: group[i] is the headword of record i,
// firstRecord[g] a record that has headword g.
struct Headwords {
  Buffer<uint32_t> group;
  Buffer<uint32_t> firstRecord;
  uint32_t count = 0;
};

uint32_t hashText(const char* text) {
  uint32_t h = 2166136261u;  // FNV-1a
  for (; *text; ++text) h = (h ^ static_cast<unsigned char>(*text)) * 16777619u;
  return h;
}

bool groupHeadwords(const WordList& list, Headwords& words) {
  uint32_t n = static_cast<uint32_t>(list.size());
  uint64_t capacity = 16;
  while (capacity < 2ull * n) capacity <<= 1;
  const uint32_t mask = static_cast<uint32_t>(capacity - 1);
  Buffer<uint32_t> table = allocateZeroedBuffer<uint32_t>(capacity);
  Buffer<uint32_t> hashes = allocateBuffer<uint32_t>(n);
  words.group = allocateBuffer<uint32_t>(n);
  words.firstRecord = allocateBuffer<uint32_t>(n);
  if (!table || !hashes || !words.group || !words.firstRecord) return false;
  for (uint32_t i = 0; i < n; ++i) {
    const char* word = list.word(i);
    uint32_t h = hashText(word);
    uint32_t slot = h & mask;
    for (;; slot = (slot + 1) & mask) {
      uint32_t entry = table[slot];
      if (entry == 0) {
        entry = ++words.count;  // slots hold headword + 1; 0 is free
        table[slot] = entry;
        words.firstRecord[entry - 1] = i;
        hashes[entry - 1] = h;
      } else if (hashes[entry - 1] != h ||
                 std::strcmp(list.word(words.firstRecord[entry - 1]), word) != 0) {
        continue;
      }
      words.group[i] = entry - 1;
      break;
    }
  }
  return true;
}

// One distinct headword while sorting: the first 8 key bytes (high byte
// first, zero-padded) decide most comparisons without touching the key.
struct KeySlot {
  uint64_t prefix;
  uint32_t key;   // position of the key in the arena: 2 length bytes, then the key
  uint32_t word;  // the headword
};

// memcmp order of two stored keys, a key that is the beginning of the other
// first.
int compareStoredKeys(const ByteArena& keys, uint32_t x, uint32_t y) {
  const unsigned char* p = keys.at(x);
  const unsigned char* q = keys.at(y);
  int m = p[0] | p[1] << 8;
  int n = q[0] | q[1] << 8;
  int c = std::memcmp(p + 2, q + 2, static_cast<std::size_t>(m < n ? m : n));
  if (c != 0) return c;
  return m - n;
}

// The sort's order of two slots; every comparison is counted like one of
// the comparators'.
class KeyOrder {
 public:
  KeyOrder(const ByteArena& keys, ComparisonCounter& counter) : keys_(keys), counter_(counter) {}

  bool operator()(const KeySlot& a, const KeySlot& b) const {
    counter_.tickDrawnOnly();
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    return compareStoredKeys(keys_, a.key, b.key) < 0;
  }

 private:
  const ByteArena& keys_;
  ComparisonCounter& counter_;
};

// Stores the sort key of every distinct headword; false when memory is short.
bool makeKeys(const WordList& list, const Headwords& words, const WordOrder& order,
              ByteArena& keys, KeySlot* slots) {
  unsigned char key[kWordKeyCapacity];
  char16_t word[kEntryWordChars + 1];
  for (uint32_t g = 0; g < words.count; ++g) {
    int length = list.wideWord(words.firstRecord[g], word);
    int keyLength = wordSortKey(order, std::u16string_view(word, length), key);
    uint32_t position;
    if (!keys.allocate(static_cast<uint32_t>(keyLength) + 2, position)) return false;
    unsigned char* stored = keys.at(position);
    stored[0] = static_cast<unsigned char>(keyLength & 0xFF);
    stored[1] = static_cast<unsigned char>(keyLength >> 8);
    std::memcpy(stored + 2, key, keyLength);
    uint64_t prefix = 0;
    for (int b = 0; b < 8; ++b) prefix = prefix << 8 | (b < keyLength ? key[b] : 0);
    slots[g] = {prefix, position, g};
  }
  return true;
}

// Sorts the distinct headwords by key; returns for each headword the rank of
// its key (equal keys, equal rank) and the number of ranks. Empty when
// memory is short.
Buffer<uint32_t> rankHeadwords(const WordList& list, const Headwords& words,
                               const WordOrder& order, ComparisonCounter& counter,
                               uint32_t& ranks) {
  Buffer<KeySlot> slots = allocateBuffer<KeySlot>(words.count);
  Buffer<uint32_t> rank = allocateBuffer<uint32_t>(words.count);
  ByteArena keys;
  if (!slots || !rank || !makeKeys(list, words, order, keys, slots.get())) return nullptr;

  int32_t before = counter.count;
  std::sort(slots.get(), slots.get() + words.count, KeyOrder(keys, counter));
  counter.finish(before);

  ranks = 0;
  for (uint32_t s = 0; s < words.count; ++s) {
    if (s > 0 && (slots[s - 1].prefix != slots[s].prefix ||
                  compareStoredKeys(keys, slots[s - 1].key, slots[s].key) != 0)) {
      ++ranks;
    }
    rank[slots[s].word] = ranks;
  }
  if (words.count > 0) ++ranks;
  return rank;
}

Buffer<uint32_t> sortByKeys(const WordList& list, const WordOrder& wordOrder,
                            ComparisonCounter& counter) {
  uint32_t n = static_cast<uint32_t>(list.size());
  Headwords words;
  if (!groupHeadwords(list, words)) return nullptr;
  words.firstRecord.reset(static_cast<uint32_t*>(std::realloc(
      words.firstRecord.release(), (words.count ? words.count : 1) * sizeof(uint32_t))));
  if (!words.firstRecord) return nullptr;
  uint32_t ranks = 0;
  Buffer<uint32_t> rank = rankHeadwords(list, words, wordOrder, counter, ranks);
  if (!rank) return nullptr;
  words.firstRecord.reset();

  // Counting sort of the records by the rank of their headword; records of
  // one rank stay in record order.
  Buffer<uint32_t> start = allocateZeroedBuffer<uint32_t>(ranks + 1);
  Buffer<uint32_t> order = allocateBuffer<uint32_t>(n);
  if (!start || !order) return nullptr;
  for (uint32_t i = 0; i < n; ++i) ++start[rank[words.group[i]] + 1];
  for (uint32_t r = 0; r < ranks; ++r) start[r + 1] += start[r];
  for (uint32_t i = 0; i < n; ++i) order[start[rank[words.group[i]]]++] = i;
  return order;
}

// A sort with the comparators themselves, one call per comparison; equal
// headwords keep the order of the records, as with the keys.
using EntryComparator = int (*)(const void*, const void*);

Buffer<uint32_t> sortPerComparison(const WordList& list, uint32_t headwordCodePage,
                                   ComparisonCounter& counter) {
  int32_t n = list.size();
  Buffer<WordEntry> entries = allocateBuffer<WordEntry>(n);
  Buffer<WordEntry*> pointers = allocateBuffer<WordEntry*>(n);
  Buffer<uint32_t> indexes = allocateBuffer<uint32_t>(n);
  if (!entries || !pointers || !indexes) return nullptr;
  for (int32_t i = 0; i < n; ++i) {
    list.entry(i, entries[i]);
    pointers[i] = &entries[i];
  }
  setEntryComparison(&counter, headwordCodePage);
  EntryComparator compare = sortTableLoaded ? compareBySortTable : compareByLocale;
  // A merge sort: it stays within the array even should a comparison not
  // be consistent, and keeps equal headwords in record order.
  std::stable_sort(pointers.get(), pointers.get() + n,
                   [compare](WordEntry* const& x, WordEntry* const& y) { return compare(&x, &y) < 0; });
  setEntryComparison(nullptr, headwordCodePage);
  for (int32_t i = 0; i < n; ++i) indexes[i] = static_cast<uint32_t>(pointers[i] - entries.get());
  return indexes;
}

// One merged record: the headword in the home code page, the joined words
// in the list's code page; false when it was not written whole.
bool writeMerged(platform::File& out, const WordEntry& f, const ListJob& job) {
  char word[kNarrowCapacity], translations[kNarrowCapacity];
  int wordLength = narrowText(f.word(), wideLength(f.word()), word, sizeof word, job.homeCodePage);
  int translationsLength = narrowText(f.translations(), wideLength(f.translations()), translations,
                                      sizeof translations, job.listCodePage);
  WordRecord record;
  fillRecord(record, word, wordLength, job.homeCodePage, translations, translationsLength,
             job.listCodePage);
  return out.write(&record, sizeof record) == sizeof record;
}

bool sameWord(const char16_t* a, const char16_t* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

bool mergeAndWrite(const WordList& list, const uint32_t* order, platform::File& out,
                   const ListJob& job, ListDisplay& display) {
  int32_t n = list.size();
  WordEntry first;
  char16_t word[kEntryWordChars + 1];
  char16_t next[kEntryTranslationsChars + 1];
  int wordLength = n > 0 ? list.wideWord(order[0], word) : 0;
  for (int32_t k = 0; k < n;) {
    // The run's first entry; its word was converted when the previous run
    // ended on it.
    std::memset(&first, 0, sizeof first);
    std::memcpy(first.word(), word, sizeof(char16_t) * wordLength);
    char16_t* translations = first.translations();
    int a = list.wideTranslations(order[k], next);
    std::memcpy(translations, next, sizeof(char16_t) * a);
    int32_t j = k + 1;
    for (; j < n; ++j) {
      wordLength = list.wideWord(order[j], word);
      if (!sameWord(first.word(), word)) break;
      int b = list.wideTranslations(order[j], next);
      if (a + b + 2 >= 50) continue;
      translations[a] = u',';
      translations[a + 1] = u' ';
      std::memcpy(translations + a + 2, next, sizeof(char16_t) * b);
      a += b + 2;
      translations[a] = 0;
    }
    k = j - 1;
    if (!writeMerged(out, first, job)) return false;
    countRecord(display, k);
    ++k;
  }
  finishRecordCounter(display, n - 1);
  return true;
}

// The steps of one build. Each returns ListError::None to go on.
class ListBuild {
 public:
  ListBuild(const ListJob& job, ListCounts& counts, ListDisplay& display)
      : job_(job),
        counts_(counts),
        display_(display),
        replacement_(replacementPath(job.outputPath)),
        output_(folder(), job.outputPath, replacement_, platform::ReplacingFile::Mode::Binary) {
    counts_.comparisons.counting = job.debug;
    counts_.comparisons.display = &display;
  }

  // Below a held folder no name is reached through a link (the build would
  // read or write wherever it points).
  const platform::Folder& folder() const {
    return job_.folder ? *job_.folder : platform::Folder::userPaths();
  }

  ListError loadSource(platform::File& source) {
    source = folder().open(job_.sourcePath, platform::OpenMode::ReadBinary);
    if (!source) return ListError::SourceMissing;
    display_.progress(ListMilestone::Loaded);
    display_.placeCounter();
    return load(source, job_.listCodePage, job_.homeCodePage, ListError::SourceOutOfMemory,
                ListError::SourceReadFailed);
  }

  ListError reverseIntoTemp(platform::File& source, platform::File& temp) {
    // A temporary file named like one of the lists would overwrite the
    // source list, or be deleted at the end as the finished reversed list.
    if (equalsIgnoringAsciiCase(job_.tempPath, job_.sourcePath) ||
        equalsIgnoringAsciiCase(job_.tempPath, job_.outputPath)) {
      return ListError::TempCreateFailed;
    }
    temp = folder().open(job_.tempPath, platform::OpenMode::CreateBinary);
    if (!temp) return ListError::TempCreateFailed;
    display_.progress(ListMilestone::Reversed);
    phase(ListPhase::Reversing, job_.writeTemp);
    display_.placeCounter();
    if (!reverseEntries(list_, temp, job_, display_)) return ListError::TempWriteFailed;
    list_.release();
    source.close();
    if (!temp.close()) return ListError::TempWriteFailed;
    if (job_.debug) display_.done();
    return ListError::None;
  }

  // The temporary file's words are in the home code page, its translations
  // in the list's.
  ListError readPairsBack(platform::File& temp) {
    temp = folder().open(job_.tempPath, platform::OpenMode::ReadBinary);
    if (!temp) return ListError::TempOpenFailed;
    display_.progress(ListMilestone::Reread);
    phase(ListPhase::Rereading, job_.readTo);
    display_.placeCounter();
    return load(temp, job_.homeCodePage, job_.listCodePage, ListError::TempOutOfMemory,
                ListError::TempReadFailed);
  }

  // Counts the open file's records and loads them into list_, the words
  // and translations read with the given code pages.
  ListError load(platform::File& file, uint32_t wordCodePage, uint32_t translationsCodePage,
                 ListError outOfMemory, ListError readFailed) {
    counts_.records = countWordRecords(file, counts_.records);
    switch (loadWordEntries(file, counts_.records, wordCodePage, translationsCodePage, list_,
                            display_)) {
      case LoadResult::Loaded: break;
      case LoadResult::OutOfMemory: return outOfMemory;
      case LoadResult::SeekFailed:
      case LoadResult::ReadFailed: return readFailed;
    }
    if (job_.debug) display_.done();
    return ListError::None;
  }

  // Creates the replacement (a plain one left by a run that was cut short is
  // removed first), then sorts. A list marked read-only is refused here, as
  // opening it for writing always was: its owner does not want it replaced;
  // so is a list that is a link, or lies behind one.
  ListError sort(ListSort method, Buffer<uint32_t>& order) {
    platform::NameInfo list = folder().look(job_.outputPath);
    if (namedLikeReplacement(job_.outputPath) || list.readOnly ||
        list.kind == platform::PathKind::Link ||
        equalsIgnoringAsciiCase(replacement_, job_.sourcePath) ||
        equalsIgnoringAsciiCase(replacement_, job_.tempPath)) {
      return ListError::OutputCreateFailed;
    }
    if (!output_.create()) return ListError::OutputCreateFailed;
    if (job_.debug) {
      phase(ListPhase::Sorting, job_.sortTo);
      display_.placeCounter();
    }
    loadSortTable(folder(), job_.sortTablePath);
    order = method == ListSort::SortKeys
                ? sortByKeys(list_, currentWordOrder(job_.homeCodePage), counts_.comparisons)
                : sortPerComparison(list_, job_.homeCodePage, counts_.comparisons);
    if (!order) return ListError::SortOutOfMemory;
    if (job_.debug) display_.done();
    return ListError::None;
  }

  ListError mergeInto(Buffer<uint32_t>& order) {
    display_.progress(ListMilestone::Sorted);
    phase(ListPhase::Merging, job_.writeTo);
    display_.placeCounter();
    if (!mergeAndWrite(list_, order.get(), output_.file(), job_, display_)) {
      return ListError::OutputWriteFailed;
    }
    order.reset();
    list_.release();
    if (job_.debug) display_.done();
    return ListError::None;
  }

  // The complete replacement, flushed to disk and closed, takes the list's
  // place in one step. After a failure, here or in an earlier step, the
  // unfinished replacement goes when the build ends and the list stays.
  ListError replaceList() {
    switch (output_.commit()) {
      case platform::ReplacingFile::Outcome::Done: return ListError::None;
      case platform::ReplacingFile::Outcome::WriteFailed: return ListError::OutputWriteFailed;
      case platform::ReplacingFile::Outcome::ReplaceFailed: break;
    }
    return ListError::OutputReplaceFailed;
  }

  void phase(ListPhase phase, std::u16string_view label) {
    if (job_.debug) display_.phase(phase, label);
  }

 private:
  // Windows drops trailing dots and spaces from a file name, so "x.$$$." is
  // "x.$$$".
  static bool namedLikeReplacement(std::u16string_view path) {
    while (!path.empty() && (path.back() == u'.' || path.back() == u' ')) path.remove_suffix(1);
    return path.size() >= kReplacementSuffix.size() &&
           equalsIgnoringAsciiCase(path.substr(path.size() - kReplacementSuffix.size()),
                                   kReplacementSuffix);
  }

  const ListJob& job_;
  ListCounts& counts_;
  ListDisplay& display_;
  WordList list_;
  std::u16string replacement_;
  platform::ReplacingFile output_;
};

}  // namespace

std::u16string replacementPath(std::u16string_view outputPath) {
  std::u16string path(outputPath);
  path += kReplacementSuffix;
  return path;
}

PairWrite writeReversedRecord(platform::File& file, const char16_t* word,
                              std::u16string_view token, uint32_t listCodePage,
                              uint32_t homeCodePage) {
  char bytes[kNarrowCapacity];
  int length = narrowText(word, wideLength(word), bytes, sizeof bytes, listCodePage);
  return writePair(file, bytes, length, token, homeCodePage);
}

ListError buildReversedList(const ListJob& job, ListCounts& counts, ListDisplay& display,
                            ListSort method) {
  ListBuild build(job, counts, display);
  display.begin();
  display.progress(ListMilestone::Started);
  build.phase(ListPhase::Loading, job.readFrom);

  if (job.pathLimit > 0 && job.sourcePath.size() >= job.pathLimit) {
    return ListError::SourcePathTooLong;
  }
  if (job.pathLimit > 0 && job.outputPath.size() >= job.pathLimit) {
    return ListError::OutputPathTooLong;
  }
  platform::File source, temp;
  Buffer<uint32_t> order;
  ListError error = build.loadSource(source);
  if (error == ListError::None) error = build.reverseIntoTemp(source, temp);
  if (error == ListError::None) error = build.readPairsBack(temp);
  if (error == ListError::None) error = build.sort(method, order);
  if (error == ListError::None) error = build.mergeInto(order);
  if (error == ListError::None) {
    temp.close();
    error = build.replaceList();
  }
  if (error != ListError::None) return error;
  build.folder().remove(job.tempPath);
  display.progress(ListMilestone::Finished);
  display.end();
  return ListError::None;
}

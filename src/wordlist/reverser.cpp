// The list builder. Memory: the source list, and later the reversed pairs,
// are held as packed 8-bit texts (WordList); the sort adds a few 32-bit
// numbers per record and one key per distinct headword. Wide WordEntry
// blocks are made one at a time where a record is worked on.
#include "wordlist/reverser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "app/fatal.h"
#include "app/progress.h"
#include "app/state.h"
#include "platform/file.h"
#include "text/charset.h"
#include "text/fixed_text.h"
#include "text/strings.h"
#include "wordlist/collate.h"
#include "wordlist/records.h"

namespace {

constexpr int kListPathCapacity = 80;
using ListPath = WideText<kListPathCapacity>;

// 8-bit forms of one word or token: up to 4 bytes a unit.
constexpr int kNarrowCapacity = 4 * (kEntryTranslationsChars + 1) + 1;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Buffer = std::unique_ptr<T[], FreeDeleter>;

template <typename T>
Buffer<T> allocateBuffer(std::size_t count) {
  return Buffer<T>(static_cast<T*>(std::malloc(count ? count * sizeof(T) : 1)));
}

std::u16string quoted(std::u16string_view before, std::u16string_view path,
                      std::u16string_view after) {
  std::u16string message(before);
  message += path;
  message += after;
  return message;
}

// PathLanguage followed directly by the list name in uiCodePage. A path that
// does not fit the 80-unit buffer ends the installation, naming it.
void buildListPath(const char* listName, ListPath& path) {
  char name[sizeof state.inputListName];
  std::size_t n = strnlen(listName, sizeof name - 1);
  std::memcpy(name, listName, n);
  name[n] = 0;
  char16_t wideName[sizeof name];
  toWide(name, wideName, state.uiCodePage);
  std::u16string full = text(StringKey::PathLanguage);
  full += wideName;
  if (!path.assign(full)) raiseFatal(quoted(u"Path too long \"", full, u"\""));
}

// File names that are equal ignoring ASCII case (the file system's view of
// plain names).
bool sameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i] >= u'A' && a[i] <= u'Z' ? a[i] + 0x20 : a[i];
    char16_t y = b[i] >= u'A' && b[i] <= u'Z' ? b[i] + 0x20 : b[i];
    if (x != y) return false;
  }
  return true;
}

void loadOrFail(platform::File& file, WordList& list, std::u16string_view what) {
  switch (loadWordEntries(file, list)) {
    case LoadResult::Loaded: return;
    case LoadResult::OutOfMemory: raiseFatal(quoted(u"Not enough memory to load ", what, u""));
    case LoadResult::SeekFailed:
    case LoadResult::ReadFailed: break;
  }
  raiseFatal(quoted(u"Read error ", what, u""));
}

// The reversed pair with the word already in listCodePage.
bool writePair(platform::File& file, const char* word, int wordLength, std::u16string_view token) {
  if (wordLength > kTranslationsMaxBytes) return false;
  char bytes[kNarrowCapacity];
  int length = narrowText(token.data(), static_cast<int>(token.size()), bytes, sizeof bytes,
                          state.homeCodePage);
  const char* start = bytes;
  while (*start == ' ') ++start;
  int tokenLength = length - static_cast<int>(start - bytes);
  if (tokenLength > kWordMaxBytes) return false;
  WordRecord record;
  std::memset(&record, 0, sizeof record);
  std::memcpy(record.word, start, tokenLength);
  std::memcpy(record.translations, word, wordLength);
  if (file.write(&record, sizeof record) != sizeof record) raiseFatal(u"Write error tempfile");
  return true;
}

void reverseEntries(const WordList& list, platform::File& temp) {
  WordEntry entry;
  char word[kNarrowCapacity];
  for (int32_t i = 0; i < list.size(); ++i) {
    countRecord(i);
    list.entry(i, entry);
    int wordLength =
        narrowText(entry.word(), wideLength(entry.word()), word, sizeof word, state.listCodePage);
    forEachToken(entry.translations(),
                 [&](std::u16string_view token) { writePair(temp, word, wordLength, token); });
  }
  finishRecordCounter(list.size() - 1);
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
  Buffer<uint32_t> table(static_cast<uint32_t*>(std::calloc(capacity, sizeof(uint32_t))));
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
// the comparators' (see countComparison).
class KeyOrder {
 public:
  KeyOrder(const ByteArena& keys, uint32_t& count, bool counting)
      : keys_(keys), count_(count), counting_(counting) {}

  bool operator()(const KeySlot& a, const KeySlot& b) const {
    if (counting_) {
      if (static_cast<int32_t>(count_) % 1000 == 0) {
        setCounterNumber(static_cast<int32_t>(count_));
        drawCounter();
      }
      ++count_;
    }
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    return compareStoredKeys(keys_, a.key, b.key) < 0;
  }

 private:
  const ByteArena& keys_;
  uint32_t& count_;
  bool counting_;
};

[[noreturn]] void sortMemoryFatal() { raiseFatal(u"Not enough memory to sort the word list"); }

// Sorts the distinct headwords by key; returns for each headword the rank of
// its key (equal keys, equal rank) and the number of ranks.
Buffer<uint32_t> rankHeadwords(const WordList& list, const Headwords& words, uint32_t& ranks) {
  Buffer<KeySlot> slots = allocateBuffer<KeySlot>(words.count);
  Buffer<uint32_t> rank = allocateBuffer<uint32_t>(words.count);
  if (!slots || !rank) sortMemoryFatal();
  ByteArena keys;
  WordOrder order = currentWordOrder();
  unsigned char key[kWordKeyCapacity];
  char16_t word[kEntryWordChars + 1];
  for (uint32_t g = 0; g < words.count; ++g) {
    int length = list.wideWord(words.firstRecord[g], word);
    int keyLength = wordSortKey(order, std::u16string_view(word, length), key);
    uint32_t position;
    if (!keys.allocate(static_cast<uint32_t>(keyLength) + 2, position)) sortMemoryFatal();
    unsigned char* stored = keys.at(position);
    stored[0] = static_cast<unsigned char>(keyLength & 0xFF);
    stored[1] = static_cast<unsigned char>(keyLength >> 8);
    std::memcpy(stored + 2, key, keyLength);
    uint64_t prefix = 0;
    for (int b = 0; b < 8; ++b) prefix = prefix << 8 | (b < keyLength ? key[b] : 0);
    slots[g] = {prefix, position, g};
  }

  uint32_t count = static_cast<uint32_t>(state.comparisonCount);
  bool counting = state.debugMode != 0;
  std::sort(slots.get(), slots.get() + words.count, KeyOrder(keys, count, counting));
  if (counting && count != static_cast<uint32_t>(state.comparisonCount)) {
    setCounterNumber(static_cast<int32_t>(count - 1));
  }
  state.comparisonCount = static_cast<int32_t>(count);

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

Buffer<uint32_t> sortByKeys(const WordList& list) {
  uint32_t n = static_cast<uint32_t>(list.size());
  Headwords words;
  if (!groupHeadwords(list, words)) sortMemoryFatal();
  words.firstRecord.reset(static_cast<uint32_t*>(std::realloc(
      words.firstRecord.release(), (words.count ? words.count : 1) * sizeof(uint32_t))));
  if (!words.firstRecord) sortMemoryFatal();
  uint32_t ranks = 0;
  Buffer<uint32_t> rank = rankHeadwords(list, words, ranks);
  words.firstRecord.reset();

  // Counting sort of the records by the rank of their headword; records of
  // one rank stay in record order.
  Buffer<uint32_t> start(static_cast<uint32_t*>(std::calloc(ranks + 1, sizeof(uint32_t))));
  Buffer<uint32_t> order = allocateBuffer<uint32_t>(n);
  if (!start || !order) sortMemoryFatal();
  for (uint32_t i = 0; i < n; ++i) ++start[rank[words.group[i]] + 1];
  for (uint32_t r = 0; r < ranks; ++r) start[r + 1] += start[r];
  for (uint32_t i = 0; i < n; ++i) order[start[rank[words.group[i]]]++] = i;
  return order;
}

// qsort with the comparators themselves; equal headwords keep the order of
// the records, as with the keys (the entries lie in record order in one
// array, so their addresses decide).
int (*listComparator)(const void*, const void*) = nullptr;

int compareWithRecordOrder(const void* a, const void* b) {
  int c = listComparator(a, b);
  if (c != 0) return c;
  const WordEntry* x = *static_cast<const WordEntry* const*>(a);
  const WordEntry* y = *static_cast<const WordEntry* const*>(b);
  return (x > y) - (x < y);
}

Buffer<uint32_t> sortPerComparison(const WordList& list) {
  int32_t n = list.size();
  Buffer<WordEntry> entries = allocateBuffer<WordEntry>(n);
  Buffer<WordEntry*> pointers = allocateBuffer<WordEntry*>(n);
  Buffer<uint32_t> indexes = allocateBuffer<uint32_t>(n);
  if (!entries || !pointers || !indexes) sortMemoryFatal();
  for (int32_t i = 0; i < n; ++i) {
    list.entry(i, entries[i]);
    pointers[i] = &entries[i];
  }
  listComparator = sortTableLoaded ? compareBySortTable : compareByLocale;
  std::qsort(pointers.get(), n, sizeof(WordEntry*), compareWithRecordOrder);
  for (int32_t i = 0; i < n; ++i) indexes[i] = static_cast<uint32_t>(pointers[i] - entries.get());
  return indexes;
}

void writeMerged(platform::File& out, const WordEntry& f) {
  char word[kNarrowCapacity], translations[kNarrowCapacity];
  int wordLength =
      narrowText(f.word(), wideLength(f.word()), word, sizeof word, state.homeCodePage);
  int translationsLength = narrowText(f.translations(), wideLength(f.translations()), translations,
                                      sizeof translations, state.listCodePage);
  WordRecord record;
  fillRecord(record, word, wordLength, state.homeCodePage, translations, translationsLength,
             state.listCodePage);
  if (out.write(&record, sizeof record) != sizeof record) raiseFatal(u"Write error output file");
}

bool sameWord(const char16_t* a, const char16_t* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

void mergeAndWrite(const WordList& list, const uint32_t* order, platform::File& out) {
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
    writeMerged(out, first);
    countRecord(k);
    ++k;
  }
  finishRecordCounter(n - 1);
}

}  // namespace

bool writeReversedRecord(platform::File& file, const char16_t* word, std::u16string_view token) {
  char bytes[kNarrowCapacity];
  int length = narrowText(word, wideLength(word), bytes, sizeof bytes, state.listCodePage);
  return writePair(file, bytes, length, token);
}

void buildReversedList() { buildReversedList(ListSort::SortKeys); }

void buildReversedList(ListSort method) {
  bool debug = state.debugMode != 0;
  beginListDisplay();
  platform::screen().showWaitCursor();
  drawProgress(0, "0%");
  if (debug) drawPhaseLabel(text(StringKey::Install_ReadFrom));

  // Load the source list.
  ListPath sourcePath, outputPath;
  buildListPath(state.inputListName, sourcePath);
  buildListPath(state.outputListName, outputPath);
  platform::File source = platform::File::open(sourcePath, platform::OpenMode::ReadBinary);
  if (!source) raiseFatal(quoted(u"Input file \"", sourcePath.view(), u"\" missing"));
  drawProgress(64, "10%");
  placeCounter();
  countWordRecords(source);
  WordList list;
  loadOrFail(source, list, quoted(u"input file \"", sourcePath.view(), u"\""));
  if (debug) drawDoneMark();

  // Reverse it into the temporary file.
  // A temporary file named like one of the lists would overwrite the source
  // list, or be deleted at the end as the finished reversed list.
  std::u16string tempPath = text(StringKey::Install_TaalTemp);
  if (sameName(tempPath, sourcePath.view()) || sameName(tempPath, outputPath.view())) {
    raiseFatal(u"Can't create tempfile");
  }
  platform::File temp = platform::File::open(tempPath, platform::OpenMode::WriteBinary);
  if (!temp) raiseFatal(u"Can't create tempfile");
  drawProgress(117, "25%");
  if (debug) drawPhaseLabel(text(StringKey::Install_WriteTemp));
  placeCounter();
  reverseEntries(list, temp);
  list.release();
  source.close();
  if (!temp.close()) raiseFatal(u"Write error tempfile");
  if (debug) drawDoneMark();

  // Read the reversed pairs back.
  temp = platform::File::open(tempPath, platform::OpenMode::ReadBinary);
  if (!temp) raiseFatal(u"Can't open tempfile");
  drawProgress(205, "50%");
  if (debug) drawPhaseLabel(text(StringKey::Install_ReadTo));
  placeCounter();
  countWordRecords(temp);
  std::swap(state.listCodePage, state.homeCodePage);
  LoadResult loaded = loadWordEntries(temp, list);
  std::swap(state.listCodePage, state.homeCodePage);
  if (loaded == LoadResult::OutOfMemory) raiseFatal(u"Not enough memory to load tempfile");
  if (loaded != LoadResult::Loaded) raiseFatal(u"Read error tempfile");
  if (debug) drawDoneMark();

  // Sort.
  platform::File output = platform::File::open(outputPath, platform::OpenMode::WriteBinary);
  if (!output) raiseFatal(quoted(u"Can't create output file \"", outputPath.view(), u"\" "));
  if (debug) {
    drawPhaseLabel(text(StringKey::Install_SortTo), 400);
    placeCounter();
  }
  loadSortTable();
  Buffer<uint32_t> order =
      method == ListSort::SortKeys ? sortByKeys(list) : sortPerComparison(list);
  if (debug) drawDoneMark();

  // Merge equal headwords and write.
  drawProgress(292, "75%");
  if (debug) drawPhaseLabel(text(StringKey::Install_WriteTo));
  placeCounter();
  mergeAndWrite(list, order.get(), output);
  order.reset();
  list.release();
  if (debug) drawDoneMark();
  temp.close();
  if (!output.close()) raiseFatal(u"Write error output file");
  platform::removeFile(tempPath);
  drawProgress(379, "100%");
  endListDisplay();
  platform::screen().restoreCursor();
}

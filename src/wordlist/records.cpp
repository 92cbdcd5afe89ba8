#include "wordlist/records.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "platform/codepage.h"
#include "platform/file.h"

namespace {

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Converts `length` bytes into `out` and keeps at most `limit` units (a
// surrogate pair is not split); the rest of the `limit` + 1 units stays as it
// was (the caller zero-fills). Returns the number of units kept.
int widenField(const char* text, int length, uint32_t codePage, char16_t* out, int limit) {
  char16_t buffer[kTranslationsFieldSize + 1];
  int n = length > 0 ? platform::multiByteToWide(codePage, text, length, buffer,
                                                 kTranslationsFieldSize + 1)
                     : 0;
  if (n > limit) {
    n = limit;
    if (isHighSurrogate(buffer[n - 1])) --n;
  }
  for (int i = 0; i < n; ++i) out[i] = buffer[i];
  out[n] = 0;
  return n;
}

// The whole records read at a time by the loader.
constexpr int kReadBatch = 512;

}  // namespace

int fieldTextLength(const char* field, int width, uint32_t codePage) {
  const void* zero = std::memchr(field, 0, width);
  if (zero) return static_cast<int>(static_cast<const char*>(zero) - field);
  int i = 0;
  while (i < width) {
    int step = platform::isLeadByte(codePage, static_cast<unsigned char>(field[i])) ? 2 : 1;
    if (i + step > width) break;
    i += step;
  }
  return i;
}

int copyFieldBytes(char* field, const char* text, int length, int limit, uint32_t codePage) {
  int n = length;
  if (length > limit) {
    n = 0;
    while (n < limit) {
      int step = platform::isLeadByte(codePage, static_cast<unsigned char>(text[n])) ? 2 : 1;
      if (n + step > limit) break;
      n += step;
    }
  }
  std::memcpy(field, text, n);
  return n;
}

void fillRecord(WordRecord& record, const char* word, int wordLength, uint32_t wordCodePage,
                const char* translations, int translationsLength, uint32_t translationsCodePage) {
  std::memset(&record, 0, sizeof record);
  copyFieldBytes(record.word, word, wordLength, kWordMaxBytes, wordCodePage);
  copyFieldBytes(record.translations, translations, translationsLength, kTranslationsMaxBytes,
                 translationsCodePage);
}

// ByteArena

ByteArena::~ByteArena() { release(); }

ByteArena::ByteArena(ByteArena&& other) noexcept
    : blocks_(std::exchange(other.blocks_, nullptr)),
      blockCount_(std::exchange(other.blockCount_, 0)),
      blockCapacity_(std::exchange(other.blockCapacity_, 0)),
      used_(std::exchange(other.used_, 0)) {}

ByteArena& ByteArena::operator=(ByteArena&& other) noexcept {
  if (this != &other) {
    release();
    blocks_ = std::exchange(other.blocks_, nullptr);
    blockCount_ = std::exchange(other.blockCount_, 0);
    blockCapacity_ = std::exchange(other.blockCapacity_, 0);
    used_ = std::exchange(other.used_, 0);
  }
  return *this;
}

bool ByteArena::allocate(uint32_t size, uint32_t& position) {
  if (size > kBlockSize) return false;
  if (blockCount_ == 0 || used_ + size > kBlockSize) {
    constexpr uint32_t kMaxBlocks = 1u << (32 - kBlockBits);
    if (blockCount_ == kMaxBlocks) return false;
    if (blockCount_ == blockCapacity_) {
      uint32_t grown = blockCapacity_ ? blockCapacity_ * 2 : 64;
      if (grown > kMaxBlocks) grown = kMaxBlocks;
      void* table = std::realloc(blocks_, grown * sizeof(unsigned char*));
      if (!table) return false;
      blocks_ = static_cast<unsigned char**>(table);
      blockCapacity_ = grown;
    }
    void* block = std::malloc(kBlockSize);
    if (!block) return false;
    blocks_[blockCount_++] = static_cast<unsigned char*>(block);
    used_ = 0;
  }
  position = ((blockCount_ - 1) << kBlockBits) | used_;
  used_ += size;
  return true;
}

void ByteArena::release() {
  for (uint32_t i = 0; i < blockCount_; ++i) std::free(blocks_[i]);
  std::free(blocks_);
  blocks_ = nullptr;
  blockCount_ = blockCapacity_ = used_ = 0;
}

// WordList

const char* WordList::translations(int32_t i) const {
  const char* w = word(i);
  return w + std::strlen(w) + 1;
}

bool WordList::begin(int32_t capacity, uint32_t wordCodePage, uint32_t translationsCodePage) {
  release();
  wordCodePage_ = wordCodePage;
  translationsCodePage_ = translationsCodePage;
  if (capacity <= 0) return true;
  offsets_.reset(static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) * capacity)));
  if (!offsets_) return false;
  capacity_ = capacity;
  return true;
}

bool WordList::add(const WordRecord& record) {
  if (count_ >= capacity_) return false;
  int wordLength = fieldTextLength(record.word, kWordFieldSize, wordCodePage_);
  int translationsLength =
      fieldTextLength(record.translations, kTranslationsFieldSize, translationsCodePage_);
  uint32_t position;
  if (!arena_.allocate(wordLength + translationsLength + 2, position)) return false;
  unsigned char* p = arena_.at(position);
  std::memcpy(p, record.word, wordLength);
  p[wordLength] = 0;
  std::memcpy(p + wordLength + 1, record.translations, translationsLength);
  p[wordLength + 1 + translationsLength] = 0;
  offsets_[count_++] = position;
  return true;
}

void WordList::release() {
  arena_.release();
  offsets_.reset();
  capacity_ = count_ = 0;
}

void WordList::entry(int32_t i, WordEntry& entry) const {
  std::memset(&entry, 0, sizeof entry);
  const char* w = word(i);
  int wordLength = static_cast<int>(std::strlen(w));
  widenField(w, wordLength, wordCodePage_, entry.word(), kEntryWordChars);
  const char* t = w + wordLength + 1;
  widenField(t, static_cast<int>(std::strlen(t)), translationsCodePage_, entry.translations(),
             kEntryTranslationsChars);
}

int WordList::wideWord(int32_t i, char16_t (&out)[kEntryWordChars + 1]) const {
  const char* w = word(i);
  return widenField(w, static_cast<int>(std::strlen(w)), wordCodePage_, out, kEntryWordChars);
}

int WordList::wideTranslations(int32_t i, char16_t (&out)[kEntryTranslationsChars + 1]) const {
  const char* t = translations(i);
  return widenField(t, static_cast<int>(std::strlen(t)), translationsCodePage_, out,
                    kEntryTranslationsChars);
}

// File operations

int32_t countWordRecords(platform::File& file, int32_t previous) {
  int64_t size = file.size();
  int32_t count = previous;
  if (size >= 0) {
    int64_t records = size / kWordRecordSize;
    count = records > INT32_MAX ? INT32_MAX : static_cast<int32_t>(records);
  }
  file.seek(0);
  return count;
}

LoadResult loadWordEntries(platform::File& file, int32_t recordCount, uint32_t wordCodePage,
                           uint32_t translationsCodePage, WordList& list, ListDisplay& display) {
  list.release();
  if (!file.seek(0)) return LoadResult::SeekFailed;
  int32_t count = recordCount > 0 ? recordCount : 0;
  if (!list.begin(count, wordCodePage, translationsCodePage)) return LoadResult::OutOfMemory;
  std::unique_ptr<WordRecord[]> batch(new (std::nothrow) WordRecord[kReadBatch]);
  if (!batch) return LoadResult::OutOfMemory;
  for (int32_t i = 0; i < count;) {
    int n = count - i < kReadBatch ? count - i : kReadBatch;
    std::size_t bytes = static_cast<std::size_t>(n) * kWordRecordSize;
    if (file.read(batch.get(), bytes) != bytes) {
      list.release();
      return LoadResult::ReadFailed;
    }
    for (int k = 0; k < n; ++k, ++i) {
      countRecord(display, i);
      if (!list.add(batch[k])) {
        list.release();
        return LoadResult::OutOfMemory;
      }
    }
  }
  finishRecordCounter(display, count - 1);
  return LoadResult::Loaded;
}

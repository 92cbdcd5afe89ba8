// Word-list files: fixed 84-byte records, read into a compact in-memory list.
//
// A word-list file is a plain sequence of WordRecords without header or
// trailer. In memory a list keeps each record's two texts packed one after
// the other in large blocks, so that a list of a million records costs about
// what its texts need instead of a fixed-size block per record; WordEntry is
// the wide form of one record, made when it is needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/buffer.h"
#include "text/charset.h"
#include "wordlist/list_display.h"

namespace platform {
class File;
}

constexpr int kWordRecordSize = 84;
constexpr int kWordFieldSize = 31;  // word: at most 30 bytes and a zero
constexpr int kTranslationsOffset = 31;
constexpr int kTranslationsFieldSize = 51;  // translations: at most 50 bytes and a zero
constexpr int kWordMaxBytes = kWordFieldSize - 1;
constexpr int kTranslationsMaxBytes = kTranslationsFieldSize - 1;

struct WordRecord {
  char word[kWordFieldSize];
  char translations[kTranslationsFieldSize];
  char reserved[2];
};
static_assert(sizeof(WordRecord) == kWordRecordSize);

// The wide form of one record: 83 UTF-16 units, zero-filled.
constexpr int kEntryWordChars = 30;  // index 30 is always zero
constexpr int kEntryTranslationsIndex = 31;
constexpr int kEntryTranslationsChars = 50;  // as loaded; the merge keeps it below 50
constexpr int kEntryUnits = 83;

struct WordEntry {
  char16_t units[kEntryUnits];
  char16_t* word() { return units; }
  const char16_t* word() const { return units; }
  char16_t* translations() { return units + kEntryTranslationsIndex; }
  const char16_t* translations() const { return units + kEntryTranslationsIndex; }
};
static_assert(sizeof(WordEntry) == 2 * kEntryUnits);

// Length of a field's text: up to its first zero byte, or its whole width
// when it has none; a double-byte lead byte left without its trail byte at
// the end of the width is not counted.
int fieldTextLength(const char* field, int width, uint32_t codePage);

// Copies at most `limit` bytes of `text` (`length` bytes) to `field` and
// returns the number copied. The cut never falls inside a double-byte
// character of `codePage`: a lead byte whose trail byte would not fit is
// left out with it. Nothing is written past `limit` bytes.
int copyFieldBytes(char* field, const char* text, int length, int limit, uint32_t codePage);

// Fills `record` (zero-filled first) from two 8-bit texts, each cut to its
// field's limit by copyFieldBytes.
void fillRecord(WordRecord& record, const char* word, int wordLength, uint32_t wordCodePage,
                const char* translations, int translationsLength, uint32_t translationsCodePage);

// Blocks of bytes handed out in order and released together. Positions are
// 32-bit: a list of up to 4 GB of texts.
class ByteArena {
 public:
  ByteArena() = default;
  ~ByteArena();
  ByteArena(const ByteArena&) = delete;
  ByteArena& operator=(const ByteArena&) = delete;
  ByteArena(ByteArena&& other) noexcept;
  ByteArena& operator=(ByteArena&& other) noexcept;

  static constexpr int kBlockBits = 20;  // 1 MB blocks
  static constexpr uint32_t kBlockSize = 1u << kBlockBits;

  // Reserves `size` bytes (at most kBlockSize) in one piece; returns their
  // position, or false when memory is exhausted or 4 GB are used.
  bool allocate(uint32_t size, uint32_t& position);
  unsigned char* at(uint32_t position) const {
    return blocks_[position >> kBlockBits] + (position & (kBlockSize - 1));
  }
  void release();

 private:
  unsigned char** blocks_ = nullptr;
  uint32_t blockCount_ = 0;
  uint32_t blockCapacity_ = 0;
  uint32_t used_ = 0;  // bytes used in the last block
};

// A word list in memory: for each record its two texts as on disk (up to the
// first zero byte, see fieldTextLength), each ended by a zero byte, with the
// code pages that they are read with.
class WordList {
 public:
  WordList() = default;
  WordList(WordList&&) noexcept = default;
  WordList& operator=(WordList&&) noexcept = default;

  int32_t size() const { return count_; }

  // The 8-bit texts of record i.
  const char* word(int32_t i) const {
    return reinterpret_cast<const char*>(arena_.at(offsets_[i]));
  }
  const char* translations(int32_t i) const;

  // The wide form of record i: the word converted with the word code page
  // and cut to 30 units, the translations with the translations code page
  // cut to 50; the rest of `entry` zero.
  void entry(int32_t i, WordEntry& entry) const;
  // The wide word alone, into 31 units (zero-terminated); returns its length.
  int wideWord(int32_t i, char16_t (&out)[kEntryWordChars + 1]) const;
  // The wide translations alone, into 51 units; returns their length.
  int wideTranslations(int32_t i, char16_t (&out)[kEntryTranslationsChars + 1]) const;

  // Starts an empty list for `capacity` records; false when memory is short.
  bool begin(int32_t capacity, uint32_t wordCodePage, uint32_t translationsCodePage);
  // Adds the record's texts; false when memory is short or the list is full.
  bool add(const WordRecord& record);
  void release();

 private:
  ByteArena arena_;
  Buffer<uint32_t> offsets_;
  int32_t capacity_ = 0;
  int32_t count_ = 0;
  uint32_t wordCodePage_ = 0;
  uint32_t translationsCodePage_ = 0;
};

// The number of whole records of the open file (its size / 84, a trailing
// partial record ignored); `previous` when the size cannot be determined.
// The position goes back to the start.
int32_t countWordRecords(platform::File& file, int32_t previous);

enum class LoadResult { Loaded, SeekFailed, OutOfMemory, ReadFailed };

// Reads `recordCount` records of the open file from its start into `list`,
// the words read with `wordCodePage` and the translations with
// `translationsCodePage`. The counter shows the index of each record, drawn
// at every multiple of 100. Anything but Loaded leaves `list` empty.
LoadResult loadWordEntries(platform::File& file, int32_t recordCount, uint32_t wordCodePage,
                           uint32_t translationsCodePage, WordList& list, ListDisplay& display);

// Helpers of the word-list tests: records as bytes, the reference
// comparators on single words, a display that records what a build shows,
// and a fixture that runs the list builder on a job in a scratch directory.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/collate.h"
#include "support/test_support.h"
#include "text/collate.h"
#include "wordlist/entry_order.h"
#include "wordlist/list_display.h"
#include "wordlist/records.h"
#include "wordlist/reverser.h"

namespace list_test {

// One record's two fields as raw bytes (up to the first zero byte).
struct Pair {
  std::string word, translations;
  bool operator==(const Pair&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Pair& p) {
  return os << "{\"" << p.word << "\" -> \"" << p.translations << "\"}";
}

using testing_support::record;

inline std::string records(const std::vector<Pair>& pairs) {
  std::string bytes;
  for (const Pair& p : pairs) bytes += record(p.word, p.translations);
  return bytes;
}

inline std::string fieldText(const char* field, std::size_t width) {
  std::size_t n = strnlen(field, width);
  return std::string(field, n);
}

inline std::vector<Pair> parse(const std::string& bytes) {
  std::vector<Pair> pairs;
  for (std::size_t at = 0; at + kWordRecordSize <= bytes.size(); at += kWordRecordSize) {
    const char* r = bytes.data() + at;
    pairs.push_back({fieldText(r, 31), fieldText(r + kTranslationsOffset, 51)});
  }
  return pairs;
}

// One headword as the entry that the comparators of entry_order.h see.
struct Entry {
  WordEntry block;
  WordEntry* pointer;
  explicit Entry(std::u16string_view word) {
    std::memset(&block, 0, sizeof block);
    for (std::size_t i = 0; i < word.size() && i < 30; ++i) block.units[i] = word[i];
    pointer = &block;
  }
};

// The comparators on two headwords, counting with `counter` (may be null);
// the sort table weighs the headwords in `headwordCodePage`.
inline int byLocale(std::u16string_view a, std::u16string_view b,
                    ComparisonCounter* counter = nullptr, uint32_t headwordCodePage = 1252) {
  Entry x(a), y(b);
  setEntryComparison(counter, headwordCodePage);
  return compareByLocale(&x.pointer, &y.pointer);
}
inline int byTable(std::u16string_view a, std::u16string_view b,
                   ComparisonCounter* counter = nullptr, uint32_t headwordCodePage = 1252) {
  Entry x(a), y(b);
  setEntryComparison(counter, headwordCodePage);
  return compareBySortTable(&x.pointer, &y.pointer);
}

// Records every call of a build to its display as one line of text, e.g.
// "progress 25", "phase Reversing WriteTemp", "counter 100 drawn".
class RecordingListDisplay : public ListDisplay {
 public:
  std::vector<std::string> calls;
  void begin() override { calls.push_back("begin"); }
  void end() override { calls.push_back("end"); }
  void progress(ListMilestone milestone) override {
    calls.push_back("progress " + std::to_string(milestonePercent(milestone)));
  }
  void phase(ListPhase phase, std::u16string_view label) override {
    static const char* const kNames[] = {"Loading", "Reversing", "Rereading", "Sorting", "Merging"};
    calls.push_back(std::string("phase ") + kNames[static_cast<int>(phase)] + " " +
                    testing_support::u8(label));
  }
  void done() override { calls.push_back("done"); }
  void placeCounter() override { calls.push_back("placeCounter"); }
  void counter(int64_t value, bool draw) override {
    calls.push_back("counter " + std::to_string(value) + (draw ? " drawn" : ""));
  }
};

// Runs buildReversedList on a source list in a scratch directory: job names
// in.lst / out.lst, temporary file taal.tmp, sort table
// tables\english.stb, both code pages 1252, short phase labels, debug on;
// "C" collation.
class ListBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    job = ListJob{};
    job.sourcePath = u"in.lst";
    job.tempPath = u"taal.tmp";
    job.outputPath = u"out.lst";
    job.sortTablePath = u"tables\\english.stb";
    job.listCodePage = job.homeCodePage = 1252;
    job.debug = true;
    job.readFrom = u"ReadFrom";
    job.writeTemp = u"WriteTemp";
    job.readTo = u"ReadTo";
    job.sortTo = u"SortTo";
    job.writeTo = u"WriteTo";
    counts = ListCounts{};
    display.calls.clear();
    resetSortTable();
    platform::setRuntimeCollation(u"C");
  }
  void TearDown() override {
    resetSortTable();
    platform::setRuntimeCollation(u"C");
  }

  std::vector<Pair> build(const std::string& source, ListSort method = ListSort::SortKeys) {
    dir.write(u"in.lst", source);
    EXPECT_EQ(buildReversedList(job, counts, display, method), ListError::None);
    EXPECT_FALSE(dir.exists(u"taal.tmp")) << "the temporary file is deleted";
    EXPECT_FALSE(dir.exists(u"out.lst.$$$")) << "the replacement has become the list";
    return parse(dir.read(u"out.lst"));
  }
  std::vector<Pair> build(const std::vector<Pair>& source, ListSort method = ListSort::SortKeys) {
    return build(records(source), method);
  }

  ListJob job;
  ListCounts counts;
  RecordingListDisplay display;
  testing_support::ScratchDir dir;
};

}  // namespace list_test

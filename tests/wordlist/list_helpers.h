// Helpers of the word-list tests: records as bytes, and a fixture that runs
// the list builder in a scratch directory with a recording screen.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/state.h"
#include "install/language_step.h"
#include "install/progress.h"
#include "platform/collate.h"
#include "support/test_support.h"
#include "text/collate.h"
#include "text/strings_step.h"
#include "wordlist/entry_order.h"
#include "wordlist/records.h"

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

inline void setString(StringKey key, const char16_t* value) {
  strings.values[static_cast<int>(key)] = value;
}

// The strings the list builder reads: lists in the current directory,
// temporary file taal.tmp, short phase labels, collation locale "english".
inline void useListStrings() {
  setString(StringKey::PathLanguage, u"");
  setString(StringKey::Install_TaalTemp, u"taal.tmp");
  setString(StringKey::Install_ReadFrom, u"ReadFrom");
  setString(StringKey::Install_WriteTemp, u"WriteTemp");
  setString(StringKey::Install_ReadTo, u"ReadTo");
  setString(StringKey::Install_SortTo, u"SortTo");
  setString(StringKey::Install_WriteTo, u"WriteTo");
  setString(StringKey::Done, u"Done");
  setString(StringKey::Locale, u"english");
}

// Runs buildReversedList on a source list in a scratch directory; names
// in.lst / out.lst, temporary file taal.tmp, all code pages 1252, "C"
// collation, no sort table, debugMode on.
class ListBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    useListStrings();
    state.uiCodePage = state.homeCodePage = state.listCodePage = 1252;
    std::strcpy(state.inputListName, "in.lst");
    std::strcpy(state.outputListName, "out.lst");
    platform::setScreen(&screen);
    resetSortTable();
    platform::setRuntimeCollation(u"C");
  }
  void TearDown() override {
    for (auto& v : strings.values) v = nullptr;
    platform::setScreen(nullptr);
    resetSortTable();
    platform::setRuntimeCollation(u"C");
  }

  std::vector<Pair> build(const std::string& source, ListSort method = ListSort::SortKeys) {
    dir.write(u"in.lst", source);
    if (method == ListSort::SortKeys) {
      buildReversedList();
    } else {
      // The reference sort, through the word-list layer with the step's job.
      ListJobPaths paths;
      ListCounts counts;
      WindowListDisplay display;
      EXPECT_EQ(buildReversedList(currentListJob(paths), counts, display, method), ListError::None);
    }
    EXPECT_FALSE(dir.exists(u"taal.tmp")) << "the temporary file is deleted";
    EXPECT_FALSE(dir.exists(u"out.lst.$$$")) << "the replacement has become the list";
    return parse(dir.read(u"out.lst"));
  }
  std::vector<Pair> build(const std::vector<Pair>& source, ListSort method = ListSort::SortKeys) {
    return build(records(source), method);
  }

  testing_support::ScratchDir dir;
  testing_support::RecordingScreen screen;
};

}  // namespace list_test

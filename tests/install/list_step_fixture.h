// The language step's list build (install/language_step.h) in a scratch
// directory: the InstallState's names and code pages, the strings it reads
// and a recording screen.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/state.h"
#include "install/language_step.h"
#include "install/progress.h"
#include "platform/collate.h"
#include "support/test_support.h"
#include "text/collate.h"
#include "text/strings_step.h"
#include "wordlist/list_helpers.h"

namespace list_step {

using list_test::Pair;

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

// Runs the step's buildReversedList on a source list in a scratch directory;
// names in.lst / out.lst, temporary file taal.tmp, all code pages 1252, "C"
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

  std::vector<Pair> build(const std::string& source) {
    dir.write(u"in.lst", source);
    buildReversedList();
    EXPECT_FALSE(dir.exists(u"taal.tmp")) << "the temporary file is deleted";
    EXPECT_FALSE(dir.exists(u"out.lst.$$$")) << "the replacement has become the list";
    return list_test::parse(dir.read(u"out.lst"));
  }
  std::vector<Pair> build(const std::vector<Pair>& source) {
    return build(list_test::records(source));
  }

  testing_support::ScratchDir dir;
  testing_support::RecordingScreen screen;
};

}  // namespace list_step

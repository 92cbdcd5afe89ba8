// Damaged dict.ini files through the real registry operations: every line
// the operation does not mean to change comes through byte for byte, the
// count and the sort end normally, and a sort that cannot keep the file
// whole gives up without touching it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/state.h"
#include "hostile_support.h"
#include "platform/file.h"
#include "install/registry_step.h"
#include "support/strings_fixture.h"
#include "support/test_support.h"
#include "text/strings_step.h"
#include "text/collate.h"

using namespace hostile;
using testing_support::ScratchDir;

using testing_support::kEofMarker;
using testing_support::crlf;
using testing_support::bytes;

namespace {

struct RegistryRow {
  std::string name;
  std::string file;  // dict.ini as bytes on disk
  uint32_t codePage = 1252;
  // Expected count of entries; -2: not checked.
  int count = -2;
  // Expected result of the sort when the count is above 1; -2: not checked.
  int sorted = -2;
};

class HostileRegistry : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::loadDefaultStrings(); }
  void TearDown() override { testing_support::unloadStrings(); }

  // remove (of a name no line has), add, count and sort, each checked.
  void runRow(const RegistryRow& row) {
    SCOPED_TRACE(row.name);
    state.uiCodePage = row.codePage;
    dir.write(u"dict.ini", row.file);
    StateGuard guard;
    guard.allow(state.registryPath).allow(state.languageEntryCount);

    // Removing a name that no line has: the file comes back as it was (in
    // text mode a bare newline is written as CR LF).
    std::string rowName = row.name + " / remove";
    Outcome got = hostile::runRow(rowName, [] { removeLanguageEntry("Nobody at all"); });
    expectOutcome(rowName, got, {normal()});
    EXPECT_EQ(dir.read(u"dict.ini"), textModeRoundTrip(row.file)) << "row \"" << rowName << "\"";
    printTime("dict.ini", rowName, got);

    // Adding: every byte of the old file is still there, in order, and the
    // new entry appears once.
    std::string before = dir.read(u"dict.ini");
    rowName = row.name + " / add";
    got = hostile::runRow(rowName, [] { addLanguageEntry("n", "n", "0", "Newcomer"); });
    expectOutcome(rowName, got, {normal()});
    std::string after = dir.read(u"dict.ini");
    EXPECT_TRUE(keepsInOrder(before, after, "n,n,0,Newcomer\r\n"))
        << "row \"" << rowName << "\": old bytes lost or reordered";
    printTime("dict.ini", rowName, got);

    rowName = row.name + " / count and sort";
    int count = 0, sortResult = -3;
    before = dir.read(u"dict.ini");
    got = hostile::runRow(rowName, [&] {
      count = countLanguageEntries();
      if (count > 1) sortResult = sortLanguageSection();
    });
    expectOutcome(rowName, got, {normal()});
    if (row.count != -2) {
      EXPECT_EQ(count, row.count) << "row \"" << rowName << "\"";
    }
    if (row.sorted != -2) {
      EXPECT_EQ(sortResult, row.sorted) << "row \"" << rowName << "\"";
    }
    if (sortResult != 0) {
      EXPECT_EQ(dir.read(u"dict.ini"), before) << "row \"" << rowName << "\": changed, no sort";
    }
    EXPECT_FALSE(dir.exists(u"tmp.ini")) << "row \"" << rowName << "\"";
    EXPECT_EQ(guard.check(), "") << "row \"" << row.name << "\"";
    printTime("dict.ini", rowName, got);
  }

  // True when `after` holds every byte of `before` in order, with `entry`
  // (and blank lines) inserted.
  static bool keepsInOrder(const std::string& before, const std::string& after,
                           const std::string& entry) {
    std::size_t at = after.find(entry);
    std::string rest = after;
    if (at != std::string::npos) rest.erase(at, entry.size());
    std::size_t i = 0;
    for (char c : rest) {
      if (i < before.size() && before[i] == c) {
        ++i;
      } else if (c != '\r' && c != '\n') {
        return false;
      }
    }
    return i == before.size();
  }

  ScratchDir dir;
};

std::string section(const std::vector<std::string>& entries) {
  std::string text = "[Language]\n";
  for (const std::string& e : entries) text += e + "\n";
  return crlf(text + "\n" + kEofMarker);
}

}  // namespace

TEST_F(HostileRegistry, DamagedRegistries) {
  std::string manyEntries = "[Language]\n";
  for (int i = 0; i < 100000; ++i) {
    manyEntries += "x,y,0,Name" + std::to_string((i * 7919) % 100000) + "\n";
  }
  manyEntries = crlf(manyEntries + "\n" + kEofMarker);
  const std::vector<RegistryRow> rows = {
      {"empty file", "", 1252, 0},
      {"random bytes, seed 71 (4 KB)", randomBytes(71, 4096)},
      {"random bytes, seed 72 (64 KB)", randomBytes(72, 65536)},
      {"random bytes, seed 73 (64 KB) after the header", crlf("[Language]\n") + randomBytes(73, 65536)},
      {"random text, seed 74 (64 KB)", randomText(74, 65536)},
      {"no newline at all", "[Language]", 1252, 1},
      {"no newline after the last entry", crlf("[Language]\nb,b,0,Basque\na,a,0,Dutch"), 1252,
       3, 0},
      {"bare newlines and lone carriage returns", "[Language]\nb,b,0,B\r\ra,a,0,A\r\r\n\n"},
      {"one line of 1 MB in the section",
       crlf("[Language]\na,a,0,A\n" + std::string(1 << 20, 'L') + "\nb,b,0,B\n\n"), 1252, 4, -1},
      {"one line of 1 MB before the section",
       crlf(std::string(1 << 20, 'L') + "\n[Language]\na,a,0,A\nb,b,0,B\n\n" + kEofMarker), 1252, 3,
       0},
      {"entry of 299 bytes", crlf("[Language]\nb,b,0,B\n" + std::string(298, 'E') + "\n\n"), 1252,
       3, 0},
      {"entry of 300 bytes", crlf("[Language]\nb,b,0,B\n" + std::string(299, 'E') + "\n\n"), 1252,
       3, -1},
      {"zero bytes inside lines",
       bytes("[Language]\r\nb,b,0,B\0rest\r\na,a,0,\0A\r\n\0\r\nc,c,0,C\r\n\r\n"), 1252},
      // Ctrl-Z is data here, unlike in install.inf and the configuration
      // file: a rewrite keeps it and every line after it (the count of 5
      // takes in the entries behind it and the added one).
      {"Ctrl-Z inside and after the section",
       crlf("[Language]\nb,b,0,B\x1a tail\na,a,0,A\n\x1a\nc,c,0,C\n\n" + kEofMarker), 1252, 5, 0},
      {"zero byte inside the header line", bytes("[Lang\0uage]\r\na,a,0,A\r\n\r\n"), 1252, 0},
      {"lone lead byte ending a key (932)",
       crlf("[Language]\nb,b,128,\x82\na,a,128,A\x82\n\n" + kEofMarker), 932, 3, 0},
      {"lone lead byte as the file's last byte (932)", crlf("[Language]\na,a,0,A\n") + "\x82", 932},
      {"fields without commas", crlf("[Language]\nplain\n,,,,\n,\n\n"), 1252, 4, 0},
      {"header repeated 10,000 times", crlf([] {
         std::string s;
         for (int i = 0; i < 10000; ++i) s += "[Language]\n";
         return s;
       }()), 1252},
      {"100,000 entries", manyEntries, 1252, 100001, 0},
  };
  for (const RegistryRow& row : rows) runRow(row);
}

// A sorted 100,000-entry section really is in order, and every entry is
// still there once.
TEST_F(HostileRegistry, HundredThousandEntriesAreSortedWhole) {
  std::vector<std::string> entries;
  for (int i = 0; i < 100000; ++i) entries.push_back("x,y,0,N" + std::to_string((i * 7919) % 100000));
  dir.write(u"dict.ini", section(entries));
  Outcome got = hostile::runRow("sort 100,000", [] {
    ASSERT_EQ(countLanguageEntries(), 100000);
    ASSERT_EQ(sortLanguageSection(), 0);
  });
  expectOutcome("sort 100,000", got, {normal()});
  printTime("dict.ini", "sort of 100,000 entries", got);
  std::string text = dir.read(u"dict.ini");
  std::size_t at = text.find("[Language]\r\n") + 12;
  std::vector<std::string> sorted;
  while (at < text.size()) {
    std::size_t end = text.find("\r\n", at);
    std::string line = text.substr(at, end - at);
    if (line.empty()) break;
    sorted.push_back(line);
    at = end + 2;
  }
  ASSERT_EQ(sorted.size(), entries.size());
  std::vector<std::string> expected = entries;
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> got2 = sorted;
  std::sort(got2.begin(), got2.end());
  EXPECT_EQ(got2, expected) << "entries lost or changed";
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    std::u16string a = u16(sorted[i - 1].substr(6)), b = u16(sorted[i].substr(6));
    ASSERT_LE(compareTextsByLocale(a, b), 0) << sorted[i - 1] << " before " << sorted[i];
  }
}

// FilenameIni around the path limit: a name that does not fit is never cut
// into the name of another file.
TEST(HostileRegistryPaths, RegistryNamesAroundTheLimit) {
  for (std::size_t length : {259u, 260u, 261u}) {
    std::string row = "FilenameIni of " + std::to_string(length) + " characters";
    SCOPED_TRACE(row);
    resetInstallState();
    ScratchDir dir;
    std::string name(length, 'r');
    testing_support::writeStringsFiles(testing_support::withValues({{"FilenameIni", name}}));
    loadStrings(u"C:\\unused");
    std::strcpy(state.inputListName, "first.lst");
    std::u16string cut(259, u'r');
    StateGuard guard;
    guard.allow(state.registryPath).allow(state.languageEntryCount).allow(state.debugLineY);
    Outcome got = hostile::runRow(row, [] {
      ensureRegistry();
      removeLanguageEntry("A");
      addLanguageEntry("a", "a", "0", "A");
    });
    std::vector<Allowed> allowed = {normal(), fatal(u"Can't create DICT.INI")};
    if (length > 259) allowed = {fatal(u"Can't create DICT.INI")};
    expectOutcome(row, got, allowed);
    if (length > 259) {
      EXPECT_FALSE(dir.exists(cut)) << row << ": wrote a file under the cut name";
    }
    EXPECT_FALSE(dir.exists(u"tmp.ini")) << row;
    EXPECT_EQ(guard.check(), "") << row;
    printTime("dict.ini paths", row, got);
    strings = StringsTable{};
  }
}

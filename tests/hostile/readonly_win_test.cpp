// Windows only: files marked read-only (FILE_ATTRIBUTE_READONLY). A
// read-only dict.ini ends the run with a message and stays as it was; a
// read-only reversed list cannot be replaced and says so.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "base/state.h"
#include "hostile_support.h"
#include "install/registry_step.h"
#include "support/strings_fixture.h"
#include "support/test_support.h"
#include "text/strings_step.h"
#include "text/collate.h"
#include "install/language_step.h"

using namespace hostile;
using testing_support::ScratchDir;

using testing_support::kEofMarker;
using testing_support::crlf;
using testing_support::record;

namespace {

bool setReadOnly(const std::u16string& path, bool on) {
  const wchar_t* p = reinterpret_cast<const wchar_t*>(path.c_str());
  DWORD attributes = GetFileAttributesW(p);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  attributes = on ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~FILE_ATTRIBUTE_READONLY);
  return SetFileAttributesW(p, attributes) != 0;
}

// True when the system refuses to open a read-only file for writing (Wine
// running as root does not: it keeps the mark only as permission bits).
bool writesAreRefused(const std::u16string& path) {
  FILE* f = _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"ab");
  if (!f) return true;
  fclose(f);
  return false;
}

class ReadOnlyFiles : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::loadDefaultStrings(); }
  void TearDown() override {
    setReadOnly(dir.path() + u"\\dict.ini", false);
    setReadOnly(dir.path() + u"\\dutch.out", false);
    setReadOnly(dir.path() + u"\\tmp.ini", false);
    testing_support::unloadStrings();
  }
  ScratchDir dir;
};

}  // namespace

TEST_F(ReadOnlyFiles, ReadOnlyRegistryIsLeftAsItWas) {
  const std::string original = crlf("[Language]\nz,z,0,Zulu\nd,d,0,Dutch\n\n" + kEofMarker);
  struct Row {
    const char* name;
    std::function<void()> run;
  } rows[] = {
      {"remove", [] { removeLanguageEntry("Dutch"); }},
      {"add", [] { addLanguageEntry("a", "a", "0", "Dutch"); }},
      {"sort", [] {
         ASSERT_EQ(countLanguageEntries(), 2);
         sortLanguageSection();
       }},
      {"language step", [] { processLanguages(); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    setReadOnly(dir.path() + u"\\dict.ini", false);
    dir.write(u"dict.ini", original);
    dir.write(u"taal.cf", "a,a,0,Dutch\r\ndutch.src\r\ndutch.out\r\n");
    dir.write(u"dutch.src", record("huis", "house"));
    ASSERT_TRUE(setReadOnly(dir.path() + u"\\dict.ini", true));
    Outcome got = runRow(row.name, row.run);
    // The sort is a lesser step: it gives up quietly and the run goes on.
    bool sort = std::string(row.name) == "sort";
    expectOutcome(std::string("read-only dict.ini, ") + row.name, got,
                  {sort ? normal() : fatal(u"DICT.INI is read-only")});
    EXPECT_EQ(dir.read(u"dict.ini"), original) << row.name;
    EXPECT_FALSE(dir.exists(u"tmp.ini")) << row.name;
    printTime("read-only", std::string("dict.ini, ") + row.name, got);
  }
}

TEST_F(ReadOnlyFiles, ReadOnlyReversedListCannotBeReplaced) {
  dir.write(u"taal.cf", "a,a,0,Dutch\r\ndutch.src\r\ndutch.out\r\n");
  dir.write(u"dutch.src", record("huis", "house"));
  dir.write(u"dutch.out", "old list");
  ASSERT_TRUE(setReadOnly(dir.path() + u"\\dutch.out", true));
  if (!writesAreRefused(dir.path() + u"\\dutch.out")) {
    GTEST_SKIP() << "this system lets a read-only file be opened for writing";
  }
  Outcome got = runRow("read-only reversed list", [] { processLanguages(); });
  expectOutcome("read-only reversed list", got,
                {fatal(u"Can't create output file \"dutch.out\" ")});
  EXPECT_EQ(dir.read(u"dutch.out"), "old list");
  printTime("read-only", "reversed list", got);
}

TEST_F(ReadOnlyFiles, ReadOnlyLeftoverTmpIni) {
  const std::string original = crlf("[Language]\nd,d,0,Dutch\n\n" + kEofMarker);
  dir.write(u"dict.ini", original);
  dir.write(u"tmp.ini", "left by an earlier run");
  ASSERT_TRUE(setReadOnly(dir.path() + u"\\tmp.ini", true));
  if (!writesAreRefused(dir.path() + u"\\tmp.ini")) {
    GTEST_SKIP() << "this system lets a read-only file be opened for writing";
  }
  Outcome got = runRow("read-only tmp.ini", [] { removeLanguageEntry("Dutch"); });
  expectOutcome("read-only tmp.ini", got, {fatal(u"Can't open TMP.INI")});
  EXPECT_EQ(dir.read(u"dict.ini"), original);
  printTime("read-only", "leftover tmp.ini", got);
}

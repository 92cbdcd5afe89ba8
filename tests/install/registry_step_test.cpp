// The registry step (install/registry_step.h): dict.ini's operations on the
// file that the strings name, with the InstallState's list name, debug line
// and entry count, and the messages that end the run. The operations
// themselves are tested in tests/registry.
#include "install/registry_step.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "base/state.h"
#include "platform/faults.h"
#include "platform/file.h"
#include "registry/registry_files.h"
#include "support/strings_fixture.h"
#include "support/test_support.h"
#include "text/collate.h"
#include "text/strings_step.h"

using registry_test::skeleton;
using testing_support::crlf;
using testing_support::kEofMarker;
using testing_support::lf;

namespace {

// A scratch directory with a loaded strings file. The language section
// header is "[Language]".
class Registry : public registry_test::RegistryFiles {
 protected:
  void SetUp() override {
    testing_support::StringsFiles files;
    files.overrides = {{"Install_IniLine01", "; dictionary registry"},
                       {"Install_IniLine03", "count=0"}};
    testing_support::writeStringsFiles(files);
    loadStrings(u"C:\\unused");
    setCollationLocale(u"english");
  }
};

// Counts, then sorts as the installation sequence does.
int countAndSort() {
  int n = countLanguageEntries();
  return n > 1 ? sortLanguageSection() : -2;
}

TEST_F(Registry, EnsureCreatesTheSkeletonOnlyWhenMissing) {
  struct Row {
    const char* name;
    int debugMode;
    bool exists;
    int expectedLineY;
  } rows[] = {
      {"new file, debug on", 1, false, 195},
      {"new file, debug off", 0, false, 170},
      {"existing file, debug on", 1, true, 195},
      {"existing file, debug off", 0, true, 170},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    platform::removeFile(u"dict.ini");
    if (row.exists) writeRegistry("[Language]\nA,b,c,Mine\n");
    state.debugMode = row.debugMode;
    state.debugLineY = 170;
    std::strcpy(state.inputListName, "first.lst");
    ensureRegistry();
    EXPECT_EQ(state.debugLineY, row.expectedLineY);
    EXPECT_EQ(registry(), row.exists ? "[Language]\nA,b,c,Mine\n" : skeleton());
    EXPECT_FALSE(dir.exists(u"tmp.ini"));
  }
}

TEST_F(Registry, RemoveAndAddNeedTheRegistry) {
  EXPECT_FATAL(removeLanguageEntry("A"), FatalKind::Error, u"Can't open DICT.INI");
  EXPECT_FATAL(addLanguageEntry("1", "2", "3", "A"), FatalKind::Error, u"Can't open DICT.INI");
  EXPECT_FALSE(dir.exists(u"dict.ini"));
  EXPECT_FALSE(dir.exists(u"tmp.ini"));
}

TEST_F(Registry, CountFollowsTheSectionFlag) {
  struct Row {
    const char* name;
    std::string text;
    int count;
  } rows[] = {
      {"one entry", "[Language]\na,b,c,A\n\n" + kEofMarker, 1},
      {"two entries", "[Language]\na,b,c,A\nd,e,f,B\n\n\n" + kEofMarker, 2},
      {"header matched only as a whole line", "[Language] x\na\nb\n\n", 0},
      {"header case ignored", "[LANGUAGE]\na\nb\n", 2},
      {"comment ends the section", "[Language]\na\n# c\nb\n\n", 1},
      {"empty line ends the section", "[Language]\na\n\nb\n", 1},
      {"repeated header counts", "[Language]\n[Language]\na\n", 2},
      {"sections add up", "[Language]\na\n\n[Language]\nb\nc\n", 3},
      {"no header", "[Selected]\na\n", 0},
      {"empty file", "", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    state.languageEntryCount = -7;
    writeRegistry(row.text);
    EXPECT_EQ(countLanguageEntries(), row.count);
    EXPECT_EQ(state.languageEntryCount, row.count);
  }
  platform::removeFile(u"dict.ini");
  EXPECT_EQ(countLanguageEntries(), -1);
}

TEST_F(Registry, SortGivesUpWithoutChangingTheFile) {
  struct Row {
    const char* name;
    std::string text;
    int countBefore;
  } rows[] = {
      {"entry longer than the line buffer",
       "[Language]\nb\nx,y,z," + std::string(400, 'a') + "\n\n", -1},
      {"file holds more entries than counted", "[Language]\nb\na\nc\n\n", 2},
      {"file holds fewer entries than counted", "[Language]\nb\na\n\n", 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    writeRegistry(row.text);
    if (row.countBefore < 0) {
      ASSERT_EQ(countLanguageEntries(), 2);
    } else {
      state.languageEntryCount = row.countBefore;
    }
    EXPECT_EQ(sortLanguageSection(), -1);
    EXPECT_EQ(registry(), lf(crlf(row.text)));
    EXPECT_FALSE(dir.exists(u"tmp.ini"));
  }
  platform::removeFile(u"dict.ini");
  state.languageEntryCount = 2;
  EXPECT_EQ(sortLanguageSection(), -1);
  EXPECT_FALSE(dir.exists(u"dict.ini"));
}

// Every step that writes tmp.ini, made to fail at each write, at the flush
// and at the replacement: the registry on disk stays as it was, tmp.ini is
// gone and the run ends with a message.
TEST_F(Registry, FailuresLeaveTheOldRegistryInPlace) {
  const std::string original = "[Language]\na,a,0,Dutch\nb,b,0,Basque\n\n" + kEofMarker;
  struct Step {
    const char* name;
    bool startsWithoutRegistry;
    std::function<void()> run;
    const char16_t* replaceMessage;
  } steps[] = {
      {"ensure", true, [] { ensureRegistry(); }, u"Can't create DICT.INI"},
      {"remove", false, [] { removeLanguageEntry("Dutch"); }, u"Can't replace DICT.INI"},
      {"add", false, [] { addLanguageEntry("n", "n", "0", "New"); }, u"Can't replace DICT.INI"},
      {"sort", false, [] { ASSERT_EQ(countAndSort(), 0); }, u"Can't replace DICT.INI"},
  };
  struct Fault {
    platform::faults::Op op;
    const char* name;
  } faults[] = {
      {platform::faults::Op::Write, "write"},
      {platform::faults::Op::Flush, "flush"},
      {platform::faults::Op::Rename, "replace"},
  };
  for (const Step& step : steps) {
    for (const Fault& fault : faults) {
      bool succeeded = false;
      int failures = 0;
      for (int n = 1; n < 100 && !succeeded; ++n) {
        SCOPED_TRACE(std::string(step.name) + ", " + fault.name + " number " + std::to_string(n));
        platform::faults::reset();
        platform::removeFile(u"dict.ini");
        if (!step.startsWithoutRegistry) writeRegistry(original);
        const std::string before = dir.read(u"dict.ini");
        platform::faults::failNth(fault.op, n);
        try {
          step.run();
          succeeded = true;
        } catch (const testing_support::FatalExit& e) {
          ++failures;
          const char16_t* expected = fault.op == platform::faults::Op::Rename
                                         ? step.replaceMessage
                                         : u"Write error TMP.INI";
          EXPECT_EQ(testing_support::u8(e.message), testing_support::u8(expected));
          EXPECT_EQ(dir.read(u"dict.ini"), before);
          EXPECT_EQ(dir.exists(u"dict.ini"), !step.startsWithoutRegistry);
          EXPECT_FALSE(dir.exists(u"tmp.ini"));
        }
        if (succeeded) {
          EXPECT_NE(dir.read(u"dict.ini"), before) << "the step changed nothing";
          EXPECT_FALSE(dir.exists(u"tmp.ini"));
        }
      }
      SCOPED_TRACE(std::string(step.name) + ", " + fault.name);
      EXPECT_TRUE(succeeded);
      EXPECT_GE(failures, 1);
    }
  }
}

TEST_F(Registry, TmpIniThatCannotBeCreated) {
  writeRegistry("[Language]\nb\na\n\n");
  dir.mkdir(u"tmp.ini");  // a directory of that name cannot be opened as a file
  EXPECT_FATAL(removeLanguageEntry("a"), FatalKind::Error, u"Can't open TMP.INI");
  EXPECT_FATAL(addLanguageEntry("1", "2", "3", "a"), FatalKind::Error, u"Can't open TMP.INI");
  ASSERT_EQ(countLanguageEntries(), 2);
  EXPECT_FATAL(sortLanguageSection(), FatalKind::Error, u"Can't open TMP.INI");
  EXPECT_EQ(registry(), "[Language]\nb\na\n\n");
}

}  // namespace

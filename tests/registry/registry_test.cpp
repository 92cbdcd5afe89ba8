// dict.ini maintenance: skeleton, removing and adding entries, counting and
// the sorted rewrite of the language section.
#include "install/registry_step.h"
#include "registry/registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "base/state.h"
#include "platform/faults.h"
#include "platform/file.h"
#include "support/strings_fixture.h"
#include "support/test_support.h"
#include "text/strings_step.h"
#include "text/collate.h"

using testing_support::ScratchDir;

using testing_support::kEofMarker;
using testing_support::crlf;
using testing_support::lf;

namespace {

// A scratch directory with a loaded strings file. The language section
// header is "[Language]" unless a test overrides IniLanguage.
class Registry : public ::testing::Test {
 protected:
  void loadTexts(std::vector<std::pair<std::string, std::string>> overrides = {}) {
    overrides.push_back({"Install_IniLine01", "; dictionary registry"});
    overrides.push_back({"Install_IniLine03", "count=0"});
    testing_support::StringsFiles files;
    files.overrides = overrides;
    testing_support::writeStringsFiles(files);
    loadStrings(u"C:\\unused");
    setCollationLocale(u"english");
  }
  void SetUp() override { loadTexts(); }

  void writeRegistry(std::string_view text) { dir.write(u"dict.ini", crlf(text)); }
  std::string registry() const { return lf(dir.read(u"dict.ini")); }

  ScratchDir dir;
};

// The skeleton that ensureRegistry writes for the first list "first.lst".
std::string skeleton(std::string_view header = "[Language]") {
  return "; dictionary registry\n\n[Addnew]\ncount=0\n\n[Selected]\nfirst.lst\n\n" +
         std::string(header) + "\n\n\n" + kEofMarker;
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

TEST_F(Registry, SkeletonIsTextModeWithTheMarkerOf66Characters) {
  std::strcpy(state.inputListName, "first.lst");
  ensureRegistry();
  std::string bytes = dir.read(u"dict.ini");
  EXPECT_EQ(bytes, crlf(skeleton()));
}

TEST_F(Registry, RemoveDropsLinesWhoseKeyIsTheName) {
  // `removedAsLastLine`: the same line as the file's last line, without a
  // line end. The language name is compared without the line end either way;
  // a line of fewer than four fields keys on its first field as read, which
  // holds the newline only when there is one.
  struct Row {
    const char* line;
    bool removed;
    bool removedAsLastLine;
  } rows[] = {
      {"x,y,204,Dutch", true, true},   {"x,y,204,DUTCH", true, true},
      {"x,,y,,204,,Dutch", true, true}, {"Dutch,x", true, true},
      {"Dutch", false, true},          {",,,,", false, false},
      {"x,y,204,Dutch2", false, false}, {"x,y,204,Dutc", false, false},
      {"Dutch Extra,y,z,German", false, false}, {"x,y,204,German", false, false},
      {"x,y,204,Dutch,more", true, true}, {"x,y,204,Dutch ", false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    // The line stands outside the language section too: removal looks at
    // every line of the file.
    std::string before = std::string("[Selected]\n") + row.line + "\n\n[Language]\n" + row.line +
                         "\nq,r,s,Other\n\n" + kEofMarker;
    writeRegistry(before);
    removeLanguageEntry("Dutch");
    std::string expected =
        row.removed ? "[Selected]\n\n[Language]\nq,r,s,Other\n\n" + kEofMarker : before;
    EXPECT_EQ(registry(), expected);
    EXPECT_FALSE(dir.exists(u"tmp.ini"));

    before = std::string("[Language]\nq,r,s,Other\n") + row.line;
    writeRegistry(before);
    removeLanguageEntry("Dutch");
    EXPECT_EQ(registry(), row.removedAsLastLine ? "[Language]\nq,r,s,Other\n" : before)
        << "as the last line, without a line end";
  }
}

TEST_F(Registry, RemoveKeepsALongLineWholeEvenWhenAPieceLooksLikeTheEntry) {
  // 299 bytes fill the first read; the rest of the line would have the key
  // "Dutch" if it were taken as a line of its own.
  std::string longLine = std::string(299, 'p') + "q,r,s,Dutch";
  // Here the first read ends inside the fourth field, after "Dutch": the
  // name is "Dutchland", not "Dutch".
  std::string cutName = std::string(289, 'p') + ",r,s,Dutchland";
  writeRegistry("[Language]\n" + longLine + "\n" + cutName + "\nx,y,z,Dutch\n\n");
  removeLanguageEntry("Dutch");
  EXPECT_EQ(registry(), "[Language]\n" + longLine + "\n" + cutName + "\n\n");
}

TEST_F(Registry, AddAppendsToTheSection) {
  struct Row {
    const char* name;
    std::string before, after;
  } rows[] = {
      {"after the last entry", "[Language]\na,b,c,A\n\n" + kEofMarker,
       "[Language]\na,b,c,A\n1,2,3,New\n\n" + kEofMarker},
      {"empty section", "[Language]\n\n\n" + kEofMarker, "[Language]\n1,2,3,New\n\n\n" + kEofMarker},
      {"section ends at the end of the file", "[Language]\na,b,c,A\n",
       "[Language]\na,b,c,A\n1,2,3,New\n\n"},
      {"last line without newline", "[Language]\na,b,c,A", "[Language]\na,b,c,A\n1,2,3,New\n\n"},
      {"header is the last line, without newline", "x\n[Language]", "x\n[Language]\n1,2,3,New\n\n"},
      {"a one-character last line is an entry", "[Language]\nx", "[Language]\nx\n1,2,3,New\n\n"},
      {"header matched on 10 characters", "[LANGUAGE] old\na,b,c,A\n\n",
       "[LANGUAGE] old\na,b,c,A\n1,2,3,New\n\n"},
      {"header differs within 10 characters", "[Languag]\na,b,c,A\n\n", "[Languag]\na,b,c,A\n\n"},
      {"no header: copied unchanged", "[Selected]\nx\n\n" + kEofMarker, "[Selected]\nx\n\n" + kEofMarker},
      {"two headers: the entry in both", "[Language]\na\n\n[Language]\nb\n\n",
       "[Language]\na\n1,2,3,New\n\n[Language]\nb\n1,2,3,New\n\n"},
      {"a comment line stays inside the section", "[Language]\na\n# note\n\nrest\n",
       "[Language]\na\n# note\n1,2,3,New\n\nrest\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    writeRegistry(row.before);
    addLanguageEntry("1", "2", "3", "New");
    EXPECT_EQ(registry(), row.after);
    EXPECT_FALSE(dir.exists(u"tmp.ini"));
  }
}

TEST_F(Registry, AddKeepsALineThatFillsTheBufferExactly) {
  // 209 bytes and the newline: the newline arrives as a read of its own and
  // must not count as the blank line that ends the section.
  std::string longLine = "a,b,c," + std::string(203, 'n');
  ASSERT_EQ(longLine.size(), 209u);
  writeRegistry("[Language]\n" + longLine + "\nz,z,z,Z\n\n" + kEofMarker);
  addLanguageEntry("1", "2", "3", "New");
  EXPECT_EQ(registry(), "[Language]\n" + longLine + "\nz,z,z,Z\n1,2,3,New\n\n" + kEofMarker);
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

// Counts, then sorts as the installation sequence does.
int countAndSort() {
  int n = countLanguageEntries();
  return n > 1 ? sortLanguageSection() : -2;
}

TEST_F(Registry, SortRewritesTheSectionInCollationOrder) {
  struct Row {
    const char* name;
    std::string before, after;
  } rows[] = {
      {"after the language step", "[Language]\nx,y,0,zulu\nx,y,0,Alpha\n\n\n" + kEofMarker,
       "[Language]\nx,y,0,Alpha\nx,y,0,zulu\n\n" + kEofMarker},
      {"no blank line and no marker", "[Language]\nb\na", "[Language]\na\nb\n\n" + kEofMarker},
      {"old markers and blank lines are not doubled",
       "[Language]\nb\na\n" + kEofMarker + "\n" + kEofMarker, "[Language]\na\nb\n\n" + kEofMarker},
      {"key is the first field with fewer than four",
       "[Language]\nCharlie,x\nbravo\nx,y,z,Alpha,more\n\n" + kEofMarker,
       "[Language]\nx,y,z,Alpha,more\nbravo\nCharlie,x\n\n" + kEofMarker},
      {"the lines after the section are kept",
       "head\n[Language]\nb\na\n\n\n# comment\n[Other]\nk=v\n\n" + kEofMarker + "tail\n",
       "head\n[Language]\na\nb\n\n# comment\n[Other]\nk=v\n\n" + kEofMarker + "tail\n"},
      {"a comment ends the section", "[Language]\nc\nb\n# note\na\n\n" + kEofMarker,
       "[Language]\nb\nc\n\n# note\na\n\n" + kEofMarker},
      {"an empty line ends the section", "[Language]\nc\nb\n\na\n", "[Language]\nb\nc\n\na\n"},
      {"a line of commas is kept", "[Language]\nx,y,z,B\n,,,\nx,y,z,A\n\n" + kEofMarker,
       "[Language]\n,,,\nx,y,z,A\nx,y,z,B\n\n" + kEofMarker},
      {"entries of a second section move to the first",
       "[Language]\nb\n\n[Language]\na\n\n" + kEofMarker,
       "[Language]\na\nb\n\n[Language]\n\n" + kEofMarker},
      {"entries go after the first line that starts like the header",
       "[LANGUAGE] old\nz\n[Language]\nb\na\n\n", "[LANGUAGE] old\na\nb\n\nz\n[Language]\n\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    writeRegistry(row.before);
    EXPECT_EQ(countAndSort(), 0);
    EXPECT_EQ(registry(), row.after);
    EXPECT_FALSE(dir.exists(u"tmp.ini"));
  }
}

TEST_F(Registry, SortWithAShortHeaderLeavesTheContent) {
  loadTexts({{"IniLanguage", "[Lang]"}});
  // Adding finds the short header (its newline is removed first) ...
  writeRegistry("[Lang]\nx,y,z,Zulu\n\n" + kEofMarker);
  addLanguageEntry("x", "y", "z", "Alpha");
  std::string added = "[Lang]\nx,y,z,Zulu\nx,y,z,Alpha\n\n" + kEofMarker;
  EXPECT_EQ(registry(), added);
  // ... the count finds it as a whole line, but the sort compares it with
  // the newline in place and never matches: the content stays.
  EXPECT_EQ(countLanguageEntries(), 2);
  EXPECT_EQ(sortLanguageSection(), 0);
  EXPECT_EQ(registry(), added);
}

TEST_F(Registry, SortKeepsKeysOf200CharactersAndMoreWhole) {
  // Two names that agree in their first 230 characters.
  std::string common(230, 'm');
  std::string later = "x,y,z," + common + "Zeta";
  std::string earlier = "x,y,z," + common + "beta";
  writeRegistry("[Language]\n" + later + "\n" + earlier + "\n\n" + kEofMarker);
  EXPECT_EQ(countAndSort(), 0);
  EXPECT_EQ(registry(), "[Language]\n" + earlier + "\n" + later + "\n\n" + kEofMarker);
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

TEST_F(Registry, FreshInstallOfTwoLanguagesThenSort) {
  std::strcpy(state.inputListName, "first.lst");
  ensureRegistry();
  removeLanguageEntry("Zulu");
  addLanguageEntry("z1", "z2", "0", "Zulu");
  ensureRegistry();  // a second call leaves the file alone
  removeLanguageEntry("afrikaans");
  addLanguageEntry("a1", "a2", "0", "afrikaans");
  std::string prefix = "; dictionary registry\n\n[Addnew]\ncount=0\n\n[Selected]\nfirst.lst\n\n";
  EXPECT_EQ(registry(), prefix + "[Language]\nz1,z2,0,Zulu\na1,a2,0,afrikaans\n\n\n" + kEofMarker);
  EXPECT_EQ(countAndSort(), 0);
  EXPECT_EQ(registry(), prefix + "[Language]\na1,a2,0,afrikaans\nz1,z2,0,Zulu\n\n" + kEofMarker);
}

TEST_F(Registry, InstallOverARegistryThatListsTheLanguage) {
  std::string before =
      "[Selected]\nold,x\n\n[Language]\nb,b,0,Basque\no,o,0,Old\nc,c,0,Catalan\n\n" + kEofMarker;
  writeRegistry(before);
  ensureRegistry();
  EXPECT_EQ(registry(), before);
  removeLanguageEntry("OLD");
  addLanguageEntry("n", "n", "204", "Old");
  EXPECT_EQ(registry(),
            "[Selected]\n\n[Language]\nb,b,0,Basque\nc,c,0,Catalan\n"
            "n,n,204,Old\n\n" +
                kEofMarker);
}

TEST_F(Registry, SortedNamesInAnotherCodePageComeBackByteForByte) {
  // A Cyrillic name (code page 1251 bytes) in a registry whose interface
  // code page is 932: the bytes are not valid Shift-JIS text.
  std::string name = "\xD0\xF3\xF1\xF1\xEA\xE8\xE9";
  writeRegistry("[Language]\nx,y,204," + name + "\nx,y,0,Alpha\n\n" + kEofMarker);
  state.uiCodePage = 932;
  EXPECT_EQ(countAndSort(), 0);
  std::string after = registry();
  EXPECT_NE(after.find("x,y,204," + name + "\n"), std::string::npos) << after;
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

// The operations themselves, on the files and header they are given: the
// strings file's names and texts play no part.
RegistryJob jobOn(std::u16string_view path, std::u16string_view tmpPath, std::string_view header) {
  RegistryJob job;
  job.registryPath = path;
  job.tmpPath = tmpPath;
  job.codePage = 1252;
  job.languageHeader = header;
  return job;
}

TEST_F(Registry, OperationsUseTheGivenFilesAndHeader) {
  dir.mkdir(u"tmp.ini");  // in the way of any write to the step's tmp.ini
  const RegistryJob job = jobOn(u"languages.ini", u"languages.tmp", "[Sprachen]");
  RegistrySkeleton skeleton{"; eigen", "[Nieuw]", "n=0", "[Gekozen]", "nl.lst"};
  ASSERT_EQ(ensureRegistry(job, skeleton), RegistryStatus::Done);
  ASSERT_EQ(addLanguageEntry(job, "z", "z", "0", "Zulu"), RegistryStatus::Done);
  ASSERT_EQ(addLanguageEntry(job, "a", "a", "0", "Afrikaans"), RegistryStatus::Done);
  ASSERT_EQ(removeLanguageEntry(job, "Nobody"), RegistryStatus::Done);
  ASSERT_EQ(countLanguageEntries(job), 2);
  ASSERT_EQ(sortLanguageSection(job, 2), RegistryStatus::Done);
  EXPECT_EQ(lf(dir.read(u"languages.ini")),
            "; eigen\n\n[Nieuw]\nn=0\n\n[Gekozen]\nnl.lst\n\n[Sprachen]\na,a,0,Afrikaans\n"
            "z,z,0,Zulu\n\n" + kEofMarker);
  EXPECT_FALSE(dir.exists(u"languages.tmp"));
  EXPECT_FALSE(dir.exists(u"dict.ini"));
}

// Each reason of the sort to leave dict.ini as it is has its own status.
TEST_F(Registry, SortTellsWhyItGaveUp) {
  const RegistryJob job = jobOn(u"dict.ini", u"tmp.ini", "[Language]");
  struct Row {
    const char* name;
    std::string text;  // "": no dict.ini
    int count;
    RegistryStatus expected;
  } rows[] = {
      {"no count", "[Language]\nb\na\n\n", -1, RegistryStatus::CountUnknown},
      {"no dict.ini", "", 2, RegistryStatus::RegistryMissing},
      {"entry longer than the line buffer", "[Language]\nb\nx,y,z," + std::string(400, 'a') + "\n\n",
       2, RegistryStatus::EntryTooLong},
      {"zero byte in an entry", "[Language]\nb\nx,y,z," + std::string(1, '\0') + "A\n\n", 2,
       RegistryStatus::EntryHasZeroByte},
      {"more entries than counted", "[Language]\nb\na\nc\n\n", 2, RegistryStatus::CountChanged},
      {"fewer entries than counted", "[Language]\nb\na\n\n", 3, RegistryStatus::CountChanged},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    platform::removeFile(u"dict.ini");
    if (!row.text.empty()) writeRegistry(row.text);
    EXPECT_EQ(sortLanguageSection(job, row.count), row.expected);
    EXPECT_EQ(dir.exists(u"dict.ini"), !row.text.empty());
    if (!row.text.empty()) {
      EXPECT_EQ(registry(), row.text);
    }
    EXPECT_FALSE(dir.exists(u"tmp.ini"));
  }
}

// dict.ini's operations (registry/registry.h) on the files, header and code
// page of their job: the skeleton, removing and adding entries, counting,
// the sorted rewrite of the language section, and the status of each
// failure. The registry step that runs them for the installer is tested in
// tests/install.
#include "registry/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/faults.h"
#include "platform/file.h"
#include "registry/registry_files.h"
#include "registry/sort_slot.h"
#include "support/collate_fixture.h"
#include "support/test_support.h"
#include "text/collate.h"

using registry_test::skeleton;
using testing_support::crlf;
using testing_support::kEofMarker;
using testing_support::lf;
using testing_support::u8;

namespace {

RegistryJob jobOn(std::u16string_view path, std::u16string_view tmpPath, std::string_view header) {
  RegistryJob job;
  job.registryPath = path;
  job.tmpPath = tmpPath;
  job.codePage = 1252;
  job.languageHeader = header;
  return job;
}

// The skeleton's texts as the installer gives them for the first list
// "first.lst" (see registry_test::skeleton).
const RegistrySkeleton kSkeleton{"; dictionary registry", "[Addnew]", "count=0", "[Selected]",
                                 "first.lst"};

// dict.ini and tmp.ini in a scratch directory, the language section header
// "[Language]", code page 1252, the collation locale "english".
class Registry : public registry_test::RegistryFiles {
 protected:
  void SetUp() override { setCollationLocale(u"english"); }

  // Counts, then sorts as the installation sequence does.
  RegistryStatus countAndSort() {
    int n = countLanguageEntries(job);
    EXPECT_GT(n, 1) << "the installation sorts only two entries or more";
    return sortLanguageSection(job, n);
  }

  RegistryJob job = jobOn(u"dict.ini", u"tmp.ini", "[Language]");
};

TEST_F(Registry, SkeletonIsTextModeWithTheMarkerOf66Characters) {
  ASSERT_EQ(ensureRegistry(job, kSkeleton), RegistryStatus::Done);
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
    EXPECT_EQ(removeLanguageEntry(job, "Dutch"), RegistryStatus::Done);
    std::string expected =
        row.removed ? "[Selected]\n\n[Language]\nq,r,s,Other\n\n" + kEofMarker : before;
    EXPECT_EQ(registry(), expected);
    EXPECT_FALSE(dir.exists(u"tmp.ini"));

    before = std::string("[Language]\nq,r,s,Other\n") + row.line;
    writeRegistry(before);
    EXPECT_EQ(removeLanguageEntry(job, "Dutch"), RegistryStatus::Done);
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
  EXPECT_EQ(removeLanguageEntry(job, "Dutch"), RegistryStatus::Done);
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
    EXPECT_EQ(addLanguageEntry(job, "1", "2", "3", "New"), RegistryStatus::Done);
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
  EXPECT_EQ(addLanguageEntry(job, "1", "2", "3", "New"), RegistryStatus::Done);
  EXPECT_EQ(registry(), "[Language]\n" + longLine + "\nz,z,z,Z\n1,2,3,New\n\n" + kEofMarker);
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
    EXPECT_EQ(countAndSort(), RegistryStatus::Done);
    EXPECT_EQ(registry(), row.after);
    EXPECT_FALSE(dir.exists(u"tmp.ini"));
  }
}

TEST_F(Registry, SortWithAShortHeaderLeavesTheContent) {
  job.languageHeader = "[Lang]";
  // Adding finds the short header (its newline is removed first) ...
  writeRegistry("[Lang]\nx,y,z,Zulu\n\n" + kEofMarker);
  EXPECT_EQ(addLanguageEntry(job, "x", "y", "z", "Alpha"), RegistryStatus::Done);
  std::string added = "[Lang]\nx,y,z,Zulu\nx,y,z,Alpha\n\n" + kEofMarker;
  EXPECT_EQ(registry(), added);
  // ... the count finds it as a whole line, but the sort compares it with
  // the newline in place and never matches: the content stays.
  EXPECT_EQ(countLanguageEntries(job), 2);
  EXPECT_EQ(sortLanguageSection(job, 2), RegistryStatus::Done);
  EXPECT_EQ(registry(), added);
}

TEST_F(Registry, SortKeepsKeysOf200CharactersAndMoreWhole) {
  // Two names that agree in their first 230 characters.
  std::string common(230, 'm');
  std::string later = "x,y,z," + common + "Zeta";
  std::string earlier = "x,y,z," + common + "beta";
  writeRegistry("[Language]\n" + later + "\n" + earlier + "\n\n" + kEofMarker);
  EXPECT_EQ(countAndSort(), RegistryStatus::Done);
  EXPECT_EQ(registry(), "[Language]\n" + earlier + "\n" + later + "\n\n" + kEofMarker);
}

TEST_F(Registry, FreshInstallOfTwoLanguagesThenSort) {
  ASSERT_EQ(ensureRegistry(job, kSkeleton), RegistryStatus::Done);
  EXPECT_EQ(removeLanguageEntry(job, "Zulu"), RegistryStatus::Done);
  EXPECT_EQ(addLanguageEntry(job, "z1", "z2", "0", "Zulu"), RegistryStatus::Done);
  EXPECT_EQ(ensureRegistry(job, kSkeleton), RegistryStatus::Done);  // a second call leaves the file alone
  EXPECT_EQ(removeLanguageEntry(job, "afrikaans"), RegistryStatus::Done);
  EXPECT_EQ(addLanguageEntry(job, "a1", "a2", "0", "afrikaans"), RegistryStatus::Done);
  std::string prefix = "; dictionary registry\n\n[Addnew]\ncount=0\n\n[Selected]\nfirst.lst\n\n";
  EXPECT_EQ(registry(), prefix + "[Language]\nz1,z2,0,Zulu\na1,a2,0,afrikaans\n\n\n" + kEofMarker);
  EXPECT_EQ(countAndSort(), RegistryStatus::Done);
  EXPECT_EQ(registry(), prefix + "[Language]\na1,a2,0,afrikaans\nz1,z2,0,Zulu\n\n" + kEofMarker);
}

TEST_F(Registry, InstallOverARegistryThatListsTheLanguage) {
  std::string before =
      "[Selected]\nold,x\n\n[Language]\nb,b,0,Basque\no,o,0,Old\nc,c,0,Catalan\n\n" + kEofMarker;
  writeRegistry(before);
  EXPECT_EQ(ensureRegistry(job, kSkeleton), RegistryStatus::Done);
  EXPECT_EQ(registry(), before);
  EXPECT_EQ(removeLanguageEntry(job, "OLD"), RegistryStatus::Done);
  EXPECT_EQ(addLanguageEntry(job, "n", "n", "204", "Old"), RegistryStatus::Done);
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
  job.codePage = 932;
  EXPECT_EQ(countAndSort(), RegistryStatus::Done);
  std::string after = registry();
  EXPECT_NE(after.find("x,y,204," + name + "\n"), std::string::npos) << after;
}

TEST_F(Registry, OperationsUseTheGivenFilesAndHeader) {
  dir.mkdir(u"tmp.ini");  // in the way of any write to a tmp.ini of the usual name
  job = jobOn(u"languages.ini", u"languages.tmp", "[Sprachen]");
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

// A failed change reports why; dict.ini stays as it was and tmp.ini is gone
// (unless it was in the way from the start).
TEST_F(Registry, FailuresReportTheirStatus) {
  using platform::faults::Op;
  const std::string original = "[Language]\na,a,0,Dutch\nb,b,0,Basque\n\n" + kEofMarker;
  auto remove = [this] { return removeLanguageEntry(job, "Dutch"); };
  auto add = [this] { return addLanguageEntry(job, "n", "n", "0", "New"); };
  struct Row {
    const char* name;
    bool registryThere;
    std::function<void()> arrange;
    std::function<RegistryStatus()> run;
    RegistryStatus expected;
  } rows[] = {
      {"remove without dict.ini", false, [] {}, remove, RegistryStatus::RegistryMissing},
      {"add without dict.ini", false, [] {}, add, RegistryStatus::RegistryMissing},
      {"add, a write fails", true, [] { platform::faults::failNth(Op::Write, 1); }, add,
       RegistryStatus::TmpWriteFailed},
      {"ensure, the flush fails", false, [] { platform::faults::failNth(Op::Flush, 1); },
       [this] { return ensureRegistry(job, kSkeleton); }, RegistryStatus::TmpWriteFailed},
      {"sort, the replacement fails", true, [] { platform::faults::failNth(Op::Rename, 1); },
       [this] { return sortLanguageSection(job, 2); }, RegistryStatus::ReplaceFailed},
      // Last: the folder stays.
      {"remove, tmp.ini a folder", true, [this] { dir.mkdir(u"tmp.ini"); }, remove,
       RegistryStatus::TmpCreateFailed},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    platform::faults::reset();
    platform::removeFile(u"dict.ini");
    if (row.registryThere) writeRegistry(original);
    const std::string before = dir.read(u"dict.ini");
    row.arrange();
    EXPECT_EQ(row.run(), row.expected);
    platform::faults::reset();
    EXPECT_EQ(dir.exists(u"dict.ini"), row.registryThere);
    EXPECT_EQ(dir.read(u"dict.ini"), before);
    if (row.expected != RegistryStatus::TmpCreateFailed) {
      EXPECT_FALSE(dir.exists(u"tmp.ini"));
    }
  }
}

}  // namespace

// The sort's comparator of two entries: their keys in collation order.
using testing_support::CollateTest;

TEST_F(CollateTest, RegistryKeysCompareInCollationOrder) {
  auto slot = [](std::u16string_view key) {
    auto* s = new SortSlot;
    for (std::size_t i = 0; i < key.size(); ++i) s->key[i] = key[i];
    return s;
  };
  SortSlot* slots[] = {slot(u"Nederlands"), slot(u"english"), slot(u"Deutsch"), slot(u"_x")};
  std::qsort(slots, 4, sizeof(SortSlot*), compareRegistryKeys);
  std::vector<std::string> order;
  for (SortSlot* s : slots) order.push_back(u8(s->key));
  EXPECT_EQ(order, (std::vector<std::string>{"_x", "Deutsch", "english", "Nederlands"}));
  for (SortSlot* s : slots) delete s;
}

// distkit check: a sound setup folder passes; each fault is reported once,
// with its file and line.
#include "distkit/check.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "distkit/commands.h"
#include "distkit_helpers.h"
#include "platform/file.h"
#include "support/strings_fixture.h"
#include "support/test_support.h"

using testing_support::ScratchDir;

using testing_support::record;
using testing_support::replaceInFile;

namespace {

const std::string kScript =
    "title Test Setup\n"            // 1
    "# install\n"                   // 2
    "mkdir lists\n"                 // 3
    "copy taal.src taal.cf\n"       // 4
    "copy readme.txt readme.txt\n"  // 5
    "xcopy *.str\n"                 // 6
    "sndcopy words lists\n"         // 7
    "icongroup Dictionary\n"        // 8
    "iconname Dictionary\n"         // 9
    "iconexe readme.txt\n"          // 10
    "mkwlist\n";                    // 11

const std::string kConfig =
    "# languages\n"      // 1
    "d,x,0,Dutch\n"      // 2
    "dutch.wl\n"         // 3
    "rev-dutch.wl\n"     // 4
    "\n"                 // 5
    "g,x,204,Russian\n"  // 6
    "russian.wl\n"       // 7
    "rev-russian.wl\n";  // 8

// Writes a sound setup folder into the current (scratch) directory.
void writeSetupFolder(const testing_support::StringsFiles& strings) {
  testing_support::writeStringsFiles(strings);
  testing_support::writeFileBytes(u"install.inf", kScript);
  testing_support::writeFileBytes(u"taal.src", kConfig);
  testing_support::writeFileBytes(u"readme.txt", "read me\n");
  platform::createDirectory(u"words");
  testing_support::writeFileBytes(u"words\\dutch.wl",
                                  record("huis", "house") + record("boom", "tree"));
  testing_support::writeFileBytes(u"words\\russian.wl", record("\xE4\xEE\xEC", "house"));
}

TEST(DistkitCheck, ASoundSetupFolderHasNoProblems) {
  ScratchDir dir;
  writeSetupFolder(defaultStrings());
  EXPECT_EQ(formatted(checkDistribution(dir.path())), std::vector<std::string>{});
  EXPECT_EQ(runCheckCommand({dir.path()}), 0);
}

TEST(DistkitCheck, EachFaultIsReportedWithItsPlace) {
  struct Row {
    const char* name;
    std::function<void()> spoil;
    std::string place;      // "file:line: " or "file: "
    std::string fragment;   // a part of the message
    std::size_t count = 1;  // problems in all, the first one described above
  } rows[] = {
      {"no install.inf", [] { platform::removeFile(u"install.inf"); }, "install.inf: ", "missing"},
      {"no language.in_", [] { platform::removeFile(u"language.in_"); },
       "language.in_: ", "missing"},
      {"no strings file", [] { platform::removeFile(u"english.str"); }, "english.str: ", "missing",
       2},
      {"a key missing",
       [] {
         auto strings = defaultStrings();
         strings.omit = {"Install_Stop"};
         testing_support::writeStringsFiles(strings);
       },
       "english.str: ", "key Install_Stop missing"},
      {"unknown line", [] { replaceInFile(u"install.inf", "# install", "frobnicate x"); },
       "install.inf:2: ", "unknown line, ignored by the installer: frobnicate x"},
      {"keyword only by its first letters",
       [] { replaceInFile(u"install.inf", "title Test Setup", "titles Test"); },
       "install.inf:1: ", "\"titles\" is read as the keyword title"},
      {"argument missing", [] { replaceInFile(u"install.inf", "title Test Setup", "title"); },
       "install.inf:1: ", "title without its argument"},
      {"comment line longer than 99 bytes: its rest is read as a line",
       [] { replaceInFile(u"install.inf", "# install", "#" + std::string(120, 'c')); },
       "install.inf:2: ", "line longer than 99 bytes", 2},
      {"setini without =", [] { replaceInFile(u"install.inf", "# install", "setini Volume"); },
       "install.inf:2: ", "setini without \"=\""},
      {"copy source missing", [] { platform::removeFile(u"readme.txt"); },
       "install.inf:5: ", "copy: readme.txt not found in the setup folder"},
      {"copy without destination",
       [] { replaceInFile(u"install.inf", "# install", "copy readme.txt"); },
       "install.inf:2: ", "copy needs a source and a destination"},
      {"destination folder not made",
       [] { replaceInFile(u"install.inf", "# install", "copy readme.txt docs\\r.txt"); },
       "install.inf:2: ", "the folder docs is not made by an earlier mkdir line"},
      {"mkdir after the copy that needs it",
       [] {
         replaceInFile(u"install.inf", "mkdir lists\n", "");
         replaceInFile(u"install.inf", "mkwlist\n", "mkwlist\nmkdir lists\n");
       },
       "install.inf:6: ", "sndcopy: the folder lists is not made by an earlier mkdir line"},
      {"xcopy pattern matches nothing", [] { replaceInFile(u"install.inf", "*.str", "*.xyz"); },
       "install.inf:6: ", "xcopy: *.xyz matches no file"},
      {"sndcopy folder missing",
       [] { replaceInFile(u"install.inf", "sndcopy words", "sndcopy sounds"); },
       "install.inf:7: ", "sndcopy: the folder sounds is not in the setup folder", 3},
      {"display file missing",
       [] { replaceInFile(u"install.inf", "# install", "display end.txt"); },
       "install.inf:2: ", "display: end.txt not found"},
      {"configuration not copied",
       [] { replaceInFile(u"install.inf", "copy taal.src taal.cf", "copy taal.src other.cf"); },
       "install.inf:11: ", "no copy line puts the language configuration file taal.cf"},
      {"language line of three fields", [] { replaceInFile(u"taal.src", "d,x,0,Dutch", "d,x,0"); },
       "taal.src:2: ", "fewer than four fields"},
      {"charset not a number", [] { replaceInFile(u"taal.src", "d,x,0,Dutch", "d,x,cp,Dutch"); },
       "taal.src:2: ", "charset field \"cp\" is not a number"},
      {"group without its name lines",
       [] { replaceInFile(u"taal.src", "russian.wl\nrev-russian.wl\n", "russian.wl\n"); },
       "taal.src:6: ", "without its two list file names"},
      {"Ctrl-Z ends the configuration file, as for the installer",
       [] { replaceInFile(u"taal.src", "russian.wl\nrev-", "russian.wl\n\x1arev-"); },
       "taal.src:6: ", "without its two list file names"},
      {"source list not among the copied files",
       [] { replaceInFile(u"taal.src", "dutch.wl\nrev", "german.wl\nrev"); },
       "taal.src:3: ", "source list lists\\german.wl is not put into the install folder"},
      {"copy target a device",
       [] { replaceInFile(u"install.inf", "# install", "copy readme.txt nul.txt"); },
       "install.inf:2: ", "copy: \"nul.txt\" names the device nul"},
      {"copy targets that are one file on Windows",
       [] {
         replaceInFile(u"install.inf", "# install",
                       "copy readme.txt \xC4rger.txt\ncopy readme.txt \xE4rger.txt");
       },
       "install.inf:3: ", "are one file on Windows: this copy overwrites that one"},
      {"copy source outside the setup folder",
       [] { replaceInFile(u"install.inf", "# install", "copy ..\\readme.txt r.txt"); },
       "install.inf:2: ", "copy: \"..\\readme.txt\" climbs out of its folder"},
      {"mkdir climbing out", [] { replaceInFile(u"install.inf", "# install", "mkdir ..\\up"); },
       "install.inf:2: ", "mkdir: \"..\\up\" climbs out of its folder"},
      {"a list name ending in .$$$",
       [] { replaceInFile(u"taal.src", "rev-dutch.wl", "rev-dutch.$$$"); }, "taal.src:4: ",
       "list name \"rev-dutch.$$$\" ends in .$$$"},
      {"a reversed list over a copied file",
       [] { replaceInFile(u"taal.src", "rev-dutch.wl", "russian.wl"); }, "taal.src:4: ",
       "would overwrite lists\\russian.wl, which install.inf line 7 copies"},
      {"two reversed lists of one name",
       [] { replaceInFile(u"taal.src", "rev-russian.wl", "REV-dutch.wl"); }, "taal.src:8: ",
       "would overwrite the reversed list of line 4"},
      {"list of a partial record",
       [] { testing_support::writeFileBytes(u"words\\dutch.wl", record("a", "b") + "xy"); },
       "words\\dutch.wl: ", "size 86 is not a multiple of 84 bytes"},
      {"word field without its zero byte",
       [] {
         testing_support::writeFileBytes(u"words\\dutch.wl",
                                         record("a", "b") + record(std::string(31, 'w'), "t"));
       },
       "words\\dutch.wl: ", "record 2: word field without its zero byte"},
      {"translations field without its zero byte",
       [] {
         testing_support::writeFileBytes(u"words\\russian.wl", record("a", std::string(51, 't')));
       },
       "words\\russian.wl: ", "record 1: translations field without its zero byte"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir dir;
    writeSetupFolder(defaultStrings());
    row.spoil();
    std::vector<std::string> problems = formatted(checkDistribution(dir.path()));
    ASSERT_EQ(problems.size(), row.count) << ::testing::PrintToString(problems);
    EXPECT_EQ(problems[0].substr(0, row.place.size()), row.place) << problems[0];
    EXPECT_NE(problems[0].find(row.fragment), std::string::npos) << problems[0];
    EXPECT_EQ(runCheckCommand({dir.path()}), 1);
  }
}

TEST(DistkitCheck, FieldProblemsOfOneListAreSummedUpAfterFive) {
  ScratchDir dir;
  writeSetupFolder(defaultStrings());
  std::string list;
  for (int i = 0; i < 8; ++i) list += record(std::string(31, 'w'), "t");
  testing_support::writeFileBytes(u"words\\dutch.wl", list);
  std::vector<std::string> problems = formatted(checkDistribution(dir.path()));
  ASSERT_EQ(problems.size(), 6u) << ::testing::PrintToString(problems);
  EXPECT_EQ(problems[5], "words\\dutch.wl: 3 more fields without their zero byte");
}

TEST(DistkitCheck, CommandNeedsExactlyOneFolder) {
  EXPECT_EQ(runCheckCommand({}), 2);
  EXPECT_EQ(runCheckCommand({u"a", u"b"}), 2);
  EXPECT_EQ(runCheckCommand({u"Z:\\no\\such\\folder"}), 1);
}

}  // namespace

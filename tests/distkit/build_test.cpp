// distkit build: the sample description gives the same checked folder on
// every run; a broken description ends with its place named and no folder.
#include "distkit/build.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "distkit/commands.h"
#include "distkit_helpers.h"
#include "platform/faults.h"
#include "platform/file.h"
#include "support/planted_link.h"
#include "support/strings_fixture.h"
#include "support/test_support.h"

using testing_support::replaceInFile;
using testing_support::ScratchDir;
using testing_support::writeFileBytes;

namespace {

// Every file under `dir` (relative name -> bytes); folders as names only.
void snapshot(const std::u16string& dir, const std::u16string& prefix,
              std::map<std::u16string, std::string>& out) {
  platform::FileSearch search;
  if (!search.first(dir + u"\\*")) return;
  do {
    std::u16string name(search.name());
    if (name == u"." || name == u"..") continue;
    if (search.isDirectory()) {
      out[prefix + name + u"\\"] = "";
      snapshot(dir + u"\\" + name, prefix + name + u"\\", out);
      continue;
    }
    platform::File file = platform::File::open(dir + u"\\" + name, platform::OpenMode::ReadBinary);
    std::string bytes(static_cast<std::size_t>(file.size()), '\0');
    file.read(bytes.data(), bytes.size());
    out[prefix + name] = bytes;
  } while (search.next());
}
std::map<std::u16string, std::string> tree(const std::u16string& dir) {
  std::map<std::u16string, std::string> out;
  snapshot(dir, u"", out);
  return out;
}

// The side files and folders of distkit's own in `dir`.
std::vector<std::u16string> sideNames(const std::u16string& dir) {
  std::vector<std::u16string> names;
  platform::listDirectory(dir, names);
  std::erase_if(names, [](const std::u16string& n) { return n.rfind(u"~distkit-", 0) != 0; });
  return names;
}

TEST(DistkitBuild, TheSampleBuildsToTheSameCheckedFolderEveryTime) {
  ScratchDir dir;
  std::u16string sample = testing_support::testDataDir() + u"\\..\\..\\sample\\distribution.ini";
  ASSERT_EQ(formatted(buildDistribution(sample, u"one")), std::vector<std::string>{});
  ASSERT_EQ(runBuildCommand({sample, u"two"}), 0);
  std::map<std::u16string, std::string> first = tree(dir.path() + u"\\one");
  std::vector<std::u16string> names;
  for (const auto& [name, bytes] : first) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::u16string>{
                       u".distkit-build", u"closing.txt", u"english.str", u"install.inf",
                       u"language.cf", u"language.in_", u"lists\\", u"lists\\COPYING.FreeDict",
                       u"lists\\deu.wl", u"lists\\ell.wl", u"lists\\jpn.wl", u"lists\\pol.wl",
                       u"nederlands.str", u"readme.txt"}));
  EXPECT_EQ(first, tree(dir.path() + u"\\two"));
  EXPECT_EQ(formatted(checkDistribution(dir.path() + u"\\one")), std::vector<std::string>{});
  // A second build over the first replaces it with the same folder and
  // leaves nothing beside it.
  ASSERT_EQ(formatted(buildDistribution(sample, u"one")), std::vector<std::string>{});
  EXPECT_EQ(tree(dir.path() + u"\\one"), first);
  EXPECT_EQ(tree(dir.path()).size(), 2 * first.size() + 2);
}

const std::string kDescription =
    "[Setup]\n"                    // 1
    "Language=english\n"           // 2
    "Strings=english.txt\n"        // 3
    "Script=install.inf\n"         // 4
    "Languages=dut\n"              // 5
    "[Files]\n"                    // 6
    "File1=readme.txt\n"           // 7
    "[Language dut]\n"             // 8
    "Code=d\n"                     // 9
    "Number=x\n"                   // 10
    "Charset=0\n"                  // 11
    "Name=Dutch\n"                 // 12
    "WordList=dutch.tsv\n"         // 13
    "WordCodePage=1252\n"          // 14
    "TranslationsCodePage=1252\n"  // 15
    "SourceList=lists/dutch.wl\n"  // 16
    "OutputList=rev-dutch.wl\n"    // 17
    "SortTable=weights.stb\n";     // 18

const std::string kScript =
    "title Test Setup\n"            // 1
    "mkdir lists\n"                 // 2
    "copy taal.cf taal.cf\n"        // 3
    "copy readme.txt readme.txt\n"  // 4
    "xcopy *.str\n"                 // 5
    "sndcopy lists lists\n"         // 6
    "mkdir tables\n"                // 7
    "sndcopy tables tables\n"       // 8
    "mkwlist\n";                    // 9

// The sources of a small distribution, in the current (scratch) directory.
void writeSources(const testing_support::StringsFiles& strings = defaultStrings()) {
  writeFileBytes(u"dist.ini", kDescription);
  writeFileBytes(u"english.txt", testing_support::stringsSource(strings));
  writeFileBytes(u"install.inf", kScript);
  writeFileBytes(u"readme.txt", "read me\n");
  writeFileBytes(u"dutch.tsv", "huis\thouse\nboom\ttree\n");
  writeFileBytes(u"weights.stb", std::string(256, '\x01'));
}

TEST(DistkitBuild, ASmallDistributionIsWrittenAndChecked) {
  ScratchDir dir;
  writeSources();
  ASSERT_EQ(formatted(buildDistribution(u"dist.ini", u"out")), std::vector<std::string>{});
  EXPECT_EQ(dir.read(u"out\\taal.cf"),
            "# Languages of this distribution, made by distkit build from dist.ini.\n"
            "d,x,0,Dutch\ndutch.wl\nrev-dutch.wl\n");
  EXPECT_EQ(dir.read(u"out\\language.in_"), "[Dictionary]\r\nLanguage=english\r\nCharacter=0\r\n");
  EXPECT_EQ(dir.read(u"out\\lists\\dutch.wl").size(), 2u * 84);
  EXPECT_EQ(dir.read(u"out\\tables\\english.stb"), std::string(256, '\x01'));
}

// The description as UTF-16 with a byte-order mark, for names beyond ASCII.
void writeUtf16Description(const std::string& utf8) {
  std::u16string text = testing_support::u16(utf8);
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  writeFileBytes(u"dist.ini", bytes);
}

void setFile1(const std::string& entry) {
  replaceInFile(u"dist.ini", "File1=readme.txt", "File1=" + entry);
}

void setStrings(std::vector<std::pair<std::string, std::string>> values) {
  auto strings = defaultStrings();
  strings.overrides.insert(strings.overrides.end(), values.begin(), values.end());
  writeFileBytes(u"english.txt", testing_support::stringsSource(strings));
}

// Every refusal: exit 2, its place named, and not one byte changed anywhere
// (a setup folder "out" built before, the sources, the folders beside).
TEST(DistkitBuild, EveryRefusalNamesItsPlaceAndChangesNothing) {
  struct Row {
    const char* name;
    std::function<void()> spoil;
    std::string place;     // "file:line: " or "folder: "
    std::string fragment;  // a part of the message
    std::u16string out = u"out";
  } rows[] = {
      {"a list that is missing", [] { platform::removeFile(u"dutch.tsv"); },
       "dist.ini:13: ", "cannot read dutch.tsv"},
      {"a key missing", [] { replaceInFile(u"dist.ini", "OutputList=rev-dutch.wl\n", ""); },
       "dist.ini:8: ", "[Language dut] has no OutputList"},
      {"an unknown code page",
       [] { replaceInFile(u"dist.ini", "WordCodePage=1252", "WordCodePage=99999"); },
       "dist.ini:14: ", "unknown code page \"99999\""},
      {"a language without its section",
       [] { replaceInFile(u"dist.ini", "Languages=dut", "Languages=dut eng"); },
       "dist.ini:5: ", "no section [Language eng]"},
      {"a strings source without a key the installer needs",
       [] {
         auto strings = defaultStrings();
         strings.omit = {"Install_Stop"};
         writeFileBytes(u"english.txt", testing_support::stringsSource(strings));
       },
       "dist.ini:3: ", "english.str (packed from english.txt): key Install_Stop missing"},
      {"a strings line without =",
       [] { replaceInFile(u"english.txt", "Install_Stop=", "Install_Stop"); },
       "english.txt:", "no '='"},
      {"a word list row too long",
       [] { replaceInFile(u"dutch.tsv", "boom", std::string(31, 'b')); }, "dutch.tsv:2: ", "30"},
      {"a script line the installer does not know",
       [] { replaceInFile(u"install.inf", "mkdir lists", "mkdir lists\nfrobnicate"); },
       "install.inf:3: ", "unknown line"},
      {"a language line longer than the installer reads",
       [] { replaceInFile(u"dist.ini", "Name=Dutch", "Name=" + std::string(100, 'D')); },
       "dist.ini:9: ", "taal.cf line 2: line longer than 99 bytes"},
      {"a sort table that the script does not install",
       [] { replaceInFile(u"install.inf", "sndcopy tables tables\n", ""); },
       "dist.ini:18: ", "install.inf puts no tables\\english.stb into the install folder"},
      // Folders that are not distkit's to replace.
      {"the description's own source folder", [] {}, ".: ", "dist.ini, a source of this build",
       u"."},
      {"a folder that holds a source",
       [] {
         platform::createDirectory(u"src");
         platform::renameFile(u"readme.txt", u"src\\readme.txt");
         setFile1("src/readme.txt");
       },
       "src: ", "readme.txt, a source of this build", u"src"},
      {"a folder with install.inf that distkit did not make",
       [] {
         platform::createDirectory(u"mine");
         writeFileBytes(u"mine\\install.inf", "title Mine\n");
       },
       "mine: ", "not made by distkit build", u"mine"},
      {"a marker that does not add up",
       [] {
         platform::createDirectory(u"mine");
         writeFileBytes(u"mine\\.distkit-build",
                        "distkit build made this folder; the next distkit build into it replaces "
                        "it.\n1 files, list digest 0000000000000000\n4 a.txt\n");
       },
       "mine: ", "not made by distkit build", u"mine"},
      {"a file for OUTDIR", [] { writeFileBytes(u"file", "x"); }, "file: ", "is a file",
       u"file"},
      {"File5 without File4",
       [] { setFile1("readme.txt\nFile2=dutch.tsv\nFile3=weights.stb\nFile5=x"); },
       "dist.ini:10: ", "[Files] File5: File4 is missing or empty"},
      {"Strings2 without Strings1",
       [] { writeFileBytes(u"dist.ini", kDescription + "[Strings]\nStrings2=english.txt\n"); },
       "dist.ini:20: ", "[Strings] Strings2: Strings1 is missing or empty"},
      // Names, from each source of names.
      {"> climbing out", [] { setFile1("readme.txt > ..\\x.txt"); }, "dist.ini:7: ", "\"..\""},
      {"> with a drive", [] { setFile1("readme.txt > C:\\x.txt"); }, "dist.ini:7: ", "a drive"},
      {"> absolute", [] { setFile1("readme.txt > /x.txt"); }, "dist.ini:7: ", "not relative"},
      {"> a UNC path", [] { setFile1("readme.txt > \\\\srv\\x.txt"); }, "dist.ini:7: ", "UNC"},
      {"> a device with an extension", [] { setFile1("readme.txt > docs\\Nul.txt"); },
       "dist.ini:7: ", "the device Nul"},
      {"> a device", [] { setFile1("readme.txt > com1"); }, "dist.ini:7: ", "the device com1"},
      {"> a trailing dot", [] { setFile1("readme.txt > readme."); }, "dist.ini:7: ",
       "ending in a dot or a space"},
      {"> a folder with a trailing space", [] { setFile1("readme.txt > docs \\readme.txt"); },
       "dist.ini:7: ", "ending in a dot or a space"},
      {"> a character Windows refuses", [] { setFile1("readme.txt > a<b.txt"); },
       "dist.ini:7: ", "\"<\""},
      {"> a control character", [] { setFile1("readme.txt > a\x01" "b.txt"); }, "dist.ini:7: ",
       "control character 0x01"},
      {"> too long", [] { setFile1("readme.txt > " + std::string(256, 'r')); }, "dist.ini:7: ",
       "longer than 255"},
      {"> the marker's name", [] { setFile1("readme.txt > .distkit-build"); }, "dist.ini:7: ",
       "marker"},
      {"two > names Windows takes as one",
       [] {
         std::string text = kDescription;
         text.replace(text.find("File1=readme.txt"), 16,
                      "File1=readme.txt > \xC3\x84rger.txt\nFile2=readme.txt > \xC3\xA4rger.txt");
         writeUtf16Description(text);
       },
       "dist.ini:8: ", "written twice into the setup folder (also by line 7)"},
      {"SourceList a device", [] { replaceInFile(u"dist.ini", "lists/dutch.wl", "lists/aux.wl"); },
       "dist.ini:16: ", "the device aux"},
      {"SourceList ending in .$$$",
       [] { replaceInFile(u"dist.ini", "lists/dutch.wl", "lists/dutch.$$$"); }, "dist.ini:16: ",
       ".$$$"},
      {"OutputList climbing out",
       [] { replaceInFile(u"dist.ini", "OutputList=rev-dutch.wl", "OutputList=..\\rev.wl"); },
       "dist.ini:17: ", "\"..\""},
      {"OutputList absolute",
       [] { replaceInFile(u"dist.ini", "OutputList=rev-dutch.wl", "OutputList=C:\\rev.wl"); },
       "dist.ini:17: ", "a drive"},
      {"OutputList ending in .$$$",
       [] { replaceInFile(u"dist.ini", "OutputList=rev-dutch.wl", "OutputList=rev.$$$"); },
       "dist.ini:17: ", ".$$$"},
      {"OutputList beyond the installer's path",
       [] { replaceInFile(u"dist.ini", "rev-dutch.wl", std::string(74, 'r') + ".wl"); },
       "dist.ini:17: ", "a path of 83 characters; the installer's holds 79"},
      {"OutputList climbing to dict.ini",
       [] { replaceInFile(u"dist.ini", "OutputList=rev-dutch.wl", "OutputList=..\\dict.ini"); },
       "dist.ini:17: ", "\"..\""},
      {"OutputList a copied file",
       [] { replaceInFile(u"dist.ini", "OutputList=rev-dutch.wl", "OutputList=dutch.wl"); },
       "dist.ini:17: ", "would overwrite its own source list"},
      {"Install_TaalCf outside the folder", [] { setStrings({{"Install_TaalCf", "..\\x.cf"}}); },
       "dist.ini:3: ", "Install_TaalCf, the configuration file's name, \"..\\x.cf\" climbs"},
      {"Install_TaalCf a device", [] { setStrings({{"Install_TaalCf", "PRN.cf"}}); },
       "dist.ini:3: ", "the device PRN"},
      {"Locale naming a device", [] { setStrings({{"Locale", "con"}}); }, "dist.ini:18: ",
       "Locale in english.str (packed from english.txt): \"tables\\con.stb\" names the device con"},
      {"Locale with a character Windows refuses", [] { setStrings({{"Locale", "a|b"}}); },
       "dist.ini:18: ", "\"|\""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir dir;
    writeSources();
    ASSERT_EQ(formatted(buildDistribution(u"dist.ini", u"out")), std::vector<std::string>{});
    row.spoil();
    std::map<std::u16string, std::string> before = tree(dir.path());
    std::vector<std::string> problems = formatted(buildDistribution(u"dist.ini", row.out));
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0].substr(0, row.place.size()), row.place) << problems[0];
    EXPECT_NE(problems[0].find(row.fragment), std::string::npos) << problems[0];
    EXPECT_EQ(runBuildCommand({u"dist.ini", row.out}), 2);
    EXPECT_EQ(tree(dir.path()), before) << "something changed";
  }
}

// Names that Windows holds as one (each UTF-16 unit's simple upper-case
// form): build refuses two ">" names, check reports xcopy and sndcopy
// putting two such names into one folder of the install folder.
TEST(DistkitBuild, NamesWindowsHoldsAsOneAreRefusedAndReported) {
  struct Row {
    const char* a;
    const char* b;
    bool one;
  } rows[] = {
      {"\u1ea1", "\u1ea0", true},        // Vietnamese a with dot below
      {"\uff41", "\uff21", true},        // fullwidth a
      {"\u01c5", "\u01c6", true},        // title case and small dz with caron
      {"\u03c9", "\u03a9", true},        // omega
      {"\u10d0", "\u1c90", true},        // Georgian an
      {"\u0561", "\u0531", true},        // Armenian ayb
      {"\u00e9", "e\u0301", false},      // canonically equivalent only
      {"\U00010428", "\U00010400", false},  // beyond the UTF-16 units
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.a) + " / " + row.b);
    std::u16string a = testing_support::u16(row.a), b = testing_support::u16(row.b);
    ScratchDir dir;
    writeSources();
    std::string text = kDescription;
    text.replace(text.find("File1=readme.txt"), 16,
                 "File1=readme.txt\nFile2=readme.txt > " + std::string(row.a) +
                     ".txt\nFile3=readme.txt > " + row.b + ".txt");
    writeUtf16Description(text);
    std::vector<std::string> built = formatted(buildDistribution(u"dist.ini", u"out"));
    std::vector<std::string> refused;
    if (row.one) refused = {"dist.ini:9: " + std::string(row.b) + ".txt is written twice into the "
                            "setup folder (also by line 8)"};
    EXPECT_EQ(built, refused);

    // d\a.1 and d\a.2 by "sndcopy s1 d", then d\b.1 by xcopy and d\b.2 by
    // sndcopy.
    dir.mkdir(u"s1");
    dir.mkdir(u"s2");
    writeFileBytes(u"s1\\" + a + u".1", "1");
    writeFileBytes(u"s1\\" + a + u".2", "2");
    writeFileBytes(b + u".1", "1");
    writeFileBytes(u"s2\\" + b + u".2", "2");
    writeFileBytes(u"install.inf", "mkdir d\nsndcopy s1 d\nxcopy *.1 d\nsndcopy s2 d\n");
    std::vector<std::string> twins;
    for (const std::string& problem : formatted(checkDistribution(dir.path())))
      if (problem.find("are one file") != std::string::npos) twins.push_back(problem);
    std::vector<std::string> reported;
    if (row.one)
      reported = {"install.inf:3: xcopy: d\\" + std::string(row.b) + ".1 and d\\" + row.a +
                      ".1 (line 2) are one file on Windows: this copy overwrites that one",
                  "install.inf:4: sndcopy: d\\" + std::string(row.b) + ".2 and d\\" + row.a +
                      ".2 (line 2) are one file on Windows: this copy overwrites that one"};
    EXPECT_EQ(twins, reported);
  }
}

// A rebuild replaces OUT only when every file in it is as build wrote it,
// else it is refused with the file named and nothing changes. A marker
// without digests (of an earlier build: "<size> <name>") counts sizes.
TEST(DistkitBuild, ARebuildReplacesOnlyAFolderStillAsWritten) {
  auto noDigests = [](const char* bytes) {
    platform::removeTree(u"out");
    platform::createDirectory(u"out");
    writeFileBytes(u"out\\a.txt", bytes);
    writeFileBytes(u"out\\.distkit-build", "distkit build made this folder; the next distkit build "
                   "into it replaces it.\n1 files, list digest 18dd8c471fa60bab\n3 a.txt\n");
  };
  const std::string changed = "readme.txt, changed since distkit build wrote it";
  struct Row {
    const char* name;
    std::function<void()> spoil;
    std::string refused;  // "": OUT is replaced
  } rows[] = {
      {"nothing changed", [] {}, ""},
      {"edited", [] { replaceInFile(u"out\\readme.txt", "me", "me, mine"); }, changed},
      {"edited, same size", [] { replaceInFile(u"out\\readme.txt", "read", "READ"); }, changed},
      {"a file added", [] { writeFileBytes(u"out\\lists\\notes.txt", "mine"); },
       "lists\\notes.txt, which distkit build did not write"},
#if !defined(_WIN32)  // where Windows holds the two names as one file
      {"a case twin", [] { writeFileBytes(u"out\\README.TXT", "mine"); },
       "README.TXT, which distkit build did not write (its name differs only in case from "
       "readme.txt, which build wrote)"},
#endif
      {"a link in a written file's place",
       [] {
         char16_t cwd[1024];
         std::u16string source(cwd, platform::currentDirectory(cwd, 1024));
#if !defined(_WIN32)  // under Wine the link is only reported
         platform::removeFile(u"out\\readme.txt");
#endif
         testing_support::plantLink(u"out\\readme.txt", source + u"\\readme.txt");
       },
       "readme.txt, a link in the place of a file that distkit build wrote"},
      {"no digests, sizes as written", [&] { noDigests("abc"); }, ""},
      {"no digests, a size changed", [&] { noDigests("abcd"); },
       "a.txt, changed since distkit build wrote it"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir dir;
    writeSources();
    ASSERT_EQ(runBuildCommand({u"dist.ini", u"out"}), 0);
    row.spoil();
    writeFileBytes(u"readme.txt", "read me again\n");
    std::map<std::u16string, std::string> before = tree(dir.path());
    std::vector<std::string> problems = formatted(buildDistribution(u"dist.ini", u"out"));
    EXPECT_EQ(runBuildCommand({u"dist.ini", u"out"}), row.refused.empty() ? 0 : 2);
    testing_support::stopReportingLinks();
    std::vector<std::string> expected;
    if (!row.refused.empty())
      expected = {"out: holds " + row.refused + ": not replaced (move your change into the sources "
                  "and build again, or build into a new folder)"};
    EXPECT_EQ(problems, expected);
    EXPECT_EQ(sideNames(dir.path()), std::vector<std::u16string>{});
    if (row.refused.empty()) {
      EXPECT_EQ(formatted(buildDistribution(u"dist.ini", u"fresh")), expected);
      EXPECT_EQ(tree(dir.path() + u"\\out"), tree(dir.path() + u"\\fresh"));
    } else {
      EXPECT_EQ(tree(dir.path()), before) << "something changed";
    }
  }
}

// A rebuild that fails in its last steps leaves the previous folder whole:
// in its place, or, when it cannot be put back, beside it where the report
// says.
TEST(DistkitBuild, ARebuildThatFailsAtTheEndKeepsThePreviousFolder) {
  using platform::faults::Op;
  struct Row {
    Op op;
    int nth, count;
    std::string fragment;
    std::u16string keptAt = u"out";
  } rows[] = {
      {Op::Write, 8, 1, "cannot write tables\\english.stb into the staging folder"},
      {Op::MakeDir, 1, 1, "cannot create a staging folder beside it"},
      {Op::Rename, 1, 1, "cannot move the old setup folder aside; it is as it was"},
      {Op::Rename, 2, 1, "the old setup folder is back"},
      {Op::Rename, 2, 2, "the old setup folder is kept, whole, at ", u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.fragment);
    ScratchDir dir;
    writeSources();
    ASSERT_EQ(runBuildCommand({u"dist.ini", u"out"}), 0);
    std::map<std::u16string, std::string> before = tree(dir.path() + u"\\out");
    writeFileBytes(u"readme.txt", "read me again\n");
    platform::faults::failNth(row.op, row.nth, row.count);
    std::vector<std::string> problems = formatted(buildDistribution(u"dist.ini", u"out"));
    platform::faults::reset();
    ASSERT_EQ(problems.size(), 1u) << ::testing::PrintToString(problems);
    EXPECT_NE(problems[0].find(row.fragment), std::string::npos) << problems[0];
    std::vector<std::u16string> sides = sideNames(dir.path());  // "": kept in one of its own
    ASSERT_EQ(sides.size(), row.keptAt.empty() ? 1u : 0u) << "side folders left";
    EXPECT_EQ(tree(dir.path() + u"\\" + (sides.empty() ? row.keptAt : sides[0] + u"\\out")), before);
  }
}

// A user's files beside OUT under the names that distkit's commands once
// wrote through survive every run, done or failed.
TEST(DistkitSideFiles, AUsersFilesBesideOutSurviveEveryCommand) {
  struct Row {
    int (*command)(const Args&);
    std::u16string out;
    Args args;
  } rows[] = {
      {runStringsCommand, u"english.str", {u"pack", u"english.txt", u"english.str"}},
      {runListCommand, u"dutch.wl", {u"pack", u"dutch.tsv", u"dutch.wl", u"--word-cp", u"1252",
                                     u"--trans-cp", u"1252"}},
      {runReverseCommand, u"rev.wl", {u"dutch.wl", u"rev.wl", u"--list-cp", u"1252",
                                      u"--home-cp", u"1252", u"--locale", u"C"}},
      {runBuildCommand, u"out", {u"dist.ini", u"out"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing_support::u8(row.out));
    ScratchDir dir;
    writeSources();
    writeFileBytes(u"dutch.wl", testing_support::record("huis", "house"));
    for (const char16_t* suffix : {u".tmp", u".part", u".distkit-tmp", u".distkit-old"})
      writeFileBytes(row.out + suffix, "mine");
    EXPECT_EQ(row.command(row.args) + row.command(row.args), 0) << "a run, and one over its OUT";
    platform::faults::failNth(platform::faults::Op::Write, 1);
    EXPECT_NE(row.command(row.args), 0) << "a run whose write fails";
    platform::faults::reset();
    for (const char16_t* suffix : {u".tmp", u".part", u".distkit-tmp", u".distkit-old"})
      EXPECT_EQ(dir.read(row.out + suffix), "mine") << testing_support::u8(suffix);
    EXPECT_EQ(sideNames(dir.path()), std::vector<std::u16string>{});
  }
}

TEST(DistkitBuild, AnEmptyFolderIsReplaced) {
  ScratchDir dir;
  writeSources();
  dir.mkdir(u"empty");
  EXPECT_EQ(runBuildCommand({u"dist.ini", u"empty"}), 0);
  EXPECT_TRUE(dir.exists(u"empty\\install.inf"));
  EXPECT_EQ(runBuildCommand({u"dist.ini"}), 2);
}

}  // namespace

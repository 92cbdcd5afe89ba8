// distkit build: the sample description gives the same checked folder on
// every run; a broken description ends with its place named and no folder.
#include "distkit/build.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "distkit/commands.h"
#include "platform/file.h"
#include "support/strings_fixture.h"
#include "support/test_support.h"

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

std::vector<std::string> formatted(const std::vector<CheckProblem>& problems) {
  std::vector<std::string> out;
  for (const CheckProblem& p : problems) out.push_back(formatProblem(p));
  return out;
}

TEST(DistkitBuild, TheSampleBuildsToTheSameCheckedFolderEveryTime) {
  ScratchDir dir;
  std::u16string sample = testing_support::testDataDir() + u"\\..\\..\\sample\\distribution.ini";
  ASSERT_EQ(formatted(buildDistribution(sample, u"one")), std::vector<std::string>{});
  ASSERT_EQ(runBuildCommand({sample, u"two"}), 0);
  std::map<std::u16string, std::string> first = tree(dir.path() + u"\\one");
  std::vector<std::u16string> names;
  for (const auto& [name, bytes] : first) names.push_back(name);
  EXPECT_EQ(names,
            (std::vector<std::u16string>{
                u"closing.txt", u"english.str", u"install.inf", u"language.cf", u"language.in_",
                u"lists\\", u"lists\\COPYING.FreeDict", u"lists\\deu.wl", u"lists\\ell.wl",
                u"lists\\jpn.wl", u"lists\\pol.wl", u"nederlands.str", u"readme.txt"}));
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

testing_support::StringsFiles defaultStrings() {
  testing_support::StringsFiles strings;
  strings.overrides = {{"PathLanguage", "lists\\"}};
  return strings;
}

// The sources of a small distribution, in the current (scratch) directory.
void writeSources(const testing_support::StringsFiles& strings = defaultStrings()) {
  writeFileBytes(u"dist.ini", kDescription);
  writeFileBytes(u"english.txt", testing_support::stringsSource(strings));
  writeFileBytes(u"install.inf", kScript);
  writeFileBytes(u"readme.txt", "read me\n");
  writeFileBytes(u"dutch.tsv", "huis\thouse\nboom\ttree\n");
  writeFileBytes(u"weights.stb", std::string(256, '\x01'));
}

void replaceInFile(std::u16string_view name, const std::string& from, const std::string& to) {
  platform::File in = platform::File::open(name, platform::OpenMode::ReadBinary);
  std::string text(static_cast<std::size_t>(in.size()), '\0');
  in.read(text.data(), text.size());
  in.close();
  std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
  writeFileBytes(name, text);
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

TEST(DistkitBuild, ABrokenDescriptionNamesItsPlaceAndWritesNothing) {
  struct Row {
    const char* name;
    std::function<void()> spoil;
    std::string place;     // "file:line: "
    std::string fragment;  // a part of the message
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
      {"a setup folder name outside the folder",
       [] { replaceInFile(u"dist.ini", "SourceList=lists/dutch.wl", "SourceList=../dutch.wl"); },
       "dist.ini:16: ", "not a path inside the setup folder"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir dir;
    writeSources();
    row.spoil();
    std::vector<std::string> problems = formatted(buildDistribution(u"dist.ini", u"out"));
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0].substr(0, row.place.size()), row.place) << problems[0];
    EXPECT_NE(problems[0].find(row.fragment), std::string::npos) << problems[0];
    EXPECT_FALSE(platform::pathExists(u"out")) << "no setup folder";
    EXPECT_FALSE(platform::pathExists(u"out.distkit-tmp")) << "no staging folder";
  }
}

TEST(DistkitBuild, AFailedBuildLeavesAnExistingFolderAsItWas) {
  ScratchDir dir;
  writeSources();
  ASSERT_EQ(runBuildCommand({u"dist.ini", u"out"}), 0);
  std::map<std::u16string, std::string> before = tree(dir.path() + u"\\out");
  platform::removeFile(u"dutch.tsv");
  EXPECT_EQ(runBuildCommand({u"dist.ini", u"out"}), 2);
  EXPECT_EQ(tree(dir.path() + u"\\out"), before);

  // A folder that is not a setup folder is never replaced.
  writeSources();
  dir.mkdir(u"mine");
  writeFileBytes(u"mine\\notes.txt", "mine");
  EXPECT_EQ(formatted(buildDistribution(u"dist.ini", u"mine")),
            std::vector<std::string>{
                "mine: exists and is not a setup folder (no install.inf): not replaced"});
  EXPECT_EQ(dir.read(u"mine\\notes.txt"), "mine");
  EXPECT_EQ(runBuildCommand({u"dist.ini"}), 2);

  // An empty folder is (the build tools make the output's folder first).
  dir.mkdir(u"empty");
  EXPECT_EQ(runBuildCommand({u"dist.ini", u"empty"}), 0);
  EXPECT_TRUE(dir.exists(u"empty\\install.inf"));
}

}  // namespace

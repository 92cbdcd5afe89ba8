#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "script/script.h"
#include "script/script_fixture.h"
#include "text/strings_step.h"

namespace script_test {
namespace {

// Reads a value of section "Dictionary" of win.ini; "<none>" when missing.
std::string winIniValue(const char* key) {
  char buffer[200];
  GetPrivateProfileStringA("Dictionary", key, "<none>", buffer, sizeof buffer, "win.ini");
  return buffer;
}

class InstallPassTest : public ScriptTest {
 protected:
  DestinationScreen screen;

  void SetUp() override {
    ScriptTest::SetUp();
    platform::setScreen(&screen);
    clearWinIniSection();
  }
  void TearDown() override {
    clearWinIniSection();
    platform::setScreen(nullptr);
  }
  static void clearWinIniSection() {
    WritePrivateProfileStringA("Dictionary", nullptr, nullptr, "win.ini");
  }

  // installDir as the pass leaves it (with its trailing backslash), in UTF-8.
  std::string inst() const { return u8(at(u"inst")) + "\\"; }

  void run(const std::string& script) {
    writeScript(script);
    runInstallPass();
  }
};

// Files of the distribution folder used by the copy tests.
void writeDistribution(const testing_support::ScratchDir& scratch) {
  scratch.write(u"setup\\readme.txt", "readme of setup");
  scratch.write(u"setup\\one.dat", "one of setup");
  scratch.write(u"setup\\two.dat", "two of setup");
  scratch.mkdir(u"setup\\folder.dat");  // a directory that matches *.dat
  scratch.mkdir(u"setup\\sub");
  scratch.write(u"setup\\sub\\one.dat", "one of sub");
  scratch.write(u"setup\\sub\\three.dat", "three of sub");
  scratch.mkdir(u"setup\\sounds\\inner");
  scratch.write(u"setup\\sounds\\a.wav", "a of sounds");
  scratch.write(u"setup\\sounds\\b.wav", "b of sounds");
  scratch.write(u"setup\\sounds\\inner\\c.wav", "c of inner");
}

// One copy scenario: the script, the folders made under inst first, the
// files expected under inst afterwards with their contents, files that must
// not be there, and the destinations shown (sorted, relative to inst).
struct CopyCase {
  const char* name;
  std::string script;
  std::vector<std::u16string> folders;
  std::vector<std::pair<std::u16string, std::string>> present;
  std::vector<std::u16string> absent;
  std::vector<std::string> shown;
};

const CopyCase kCopyCases[] = {
    {"copy into a folder made by mkdir",
     "mkdir docs\ncopy readme.txt docs\\readme.txt\n",
     {},
     {{u"docs\\readme.txt", "readme of setup"}},
     {},
     {"docs\\readme.txt"}},
    {"copy into a missing folder fails and the pass goes on",
     "copy readme.txt docs\\readme.txt\ncopy one.dat first.dat\n",
     {},
     {{u"first.dat", "one of setup"}},
     {u"docs"},
     {"docs\\readme.txt", "first.dat"}},
    {"copy of a missing source fails and the pass goes on",
     "copy nothing.txt x.txt\ncopy two.dat y.dat\n",
     {},
     {{u"y.dat", "two of setup"}},
     {u"x.txt"},
     {"x.txt", "y.dat"}},
    {"copy tokens split at runs of spaces",
     "COPY   readme.txt    r.txt  \n",
     {},
     {{u"r.txt", "readme of setup"}},
     {},
     {"r.txt"}},
    {"copying counts as copy", "copying readme.txt r.txt\n", {}, {{u"r.txt", "readme of setup"}},
     {}, {"r.txt"}},
    {"copy without destination is skipped", "copy readme.txt\n", {}, {}, {u"readme.txt"}, {}},
    {"xcopy without subfolder copies into installDir",
     "xcopy *.dat\n",
     {},
     {{u"one.dat", "one of setup"}, {u"two.dat", "two of setup"}},
     {u"folder.dat", u"readme.txt"},
     {"\\one.dat", "\\two.dat"}},
    {"xcopy into a subfolder",
     "xcopy *.dat lists\n",
     {u"lists"},
     {{u"lists\\one.dat", "one of setup"}, {u"lists\\two.dat", "two of setup"}},
     {u"one.dat", u"lists\\folder.dat"},
     {"lists\\one.dat", "lists\\two.dat"}},
    {"xcopy into a missing subfolder copies nothing and the pass goes on",
     "xcopy *.dat lists\ncopy readme.txt r.txt\n",
     {},
     {{u"r.txt", "readme of setup"}},
     {u"lists"},
     {"lists\\one.dat", "lists\\two.dat", "r.txt"}},
    {"xcopy with a folder part copies the like-named files of setupDir",
     "xcopy sub\\*.dat x\n",
     {u"x"},
     {{u"x\\one.dat", "one of setup"}},
     {u"x\\three.dat"},
     {"x\\one.dat", "x\\three.dat"}},
    {"xcopy pattern without match", "xcopy *.none\n", {}, {}, {}, {}},
    {"xcopy without pattern is skipped", "xcopy\nxcopy  \n", {}, {}, {}, {}},
    {"sndcopy copies the files of a folder, not its subfolders",
     "sndcopy sounds snd\n",
     {u"snd"},
     {{u"snd\\a.wav", "a of sounds"}, {u"snd\\b.wav", "b of sounds"}},
     {u"snd\\inner", u"snd\\c.wav"},
     {"snd\\a.wav", "snd\\b.wav"}},
    {"sndcopy of a missing folder is skipped",
     "sndcopy nosuch snd\n",
     {u"snd"},
     {},
     {u"snd\\readme.txt", u"snd\\one.dat"},
     {}},
    {"sndcopy without subfolder is skipped", "sndcopy sounds\n", {}, {}, {u"a.wav"}, {}},
    {"commands with a name that breaks the rule are skipped",
     "mkdir ..\\up\ncopy readme.txt ..\\r.txt\nxcopy *.dat ..\\inst\nsndcopy sounds snd.\n"
     "copy one.dat nul.dat\ncopy readme.txt r.txt\n",
     {u"snd"},
     {{u"r.txt", "readme of setup"}},
     {u"..\\up", u"..\\r.txt", u"one.dat", u"snd\\a.wav"},
     {"r.txt"}},
};

TEST_F(InstallPassTest, CopyCommands) {
  writeDistribution(scratch);
  for (const CopyCase& c : kCopyCases) {
    SCOPED_TRACE(c.name);
    testing_support::ScratchDir other;  // a current directory apart from setupDir
    std::u16string instDir = other.path() + u"\\inst";
    other.mkdir(u"inst");
    for (const std::u16string& folder : c.folders) other.mkdir(u"inst\\" + folder);
    state.installDir.assign(instDir);
    screen.shown.clear();
    std::string before = currentDir();

    run(c.script);

    for (const auto& [name, content] : c.present) {
      EXPECT_EQ(other.read(u"inst\\" + name), content) << u8(name);
    }
    for (const std::u16string& name : c.absent) {
      EXPECT_FALSE(other.exists(u"inst\\" + name)) << u8(name);
    }
    std::vector<std::string> expected;
    for (const std::string& s : c.shown) expected.push_back(u8(instDir) + "\\" + s);
    std::vector<std::string> shown = screen.shown;
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(currentDir(), before);
  }
}

TEST_F(InstallPassTest, DestinationsShownInScriptOrderBeforeEachCopy) {
  writeDistribution(scratch);
  run("copy two.dat b.dat\ncopy one.dat a.dat\ncopy readme.txt c.txt\n");
  EXPECT_EQ(screen.shown,
            (std::vector<std::string>{inst() + "b.dat", inst() + "a.dat", inst() + "c.txt"}));
}

TEST_F(InstallPassTest, ExistingDestinationIsReplaced) {
  writeDistribution(scratch);
  scratch.write(u"inst\\one.dat", "old content that is longer");
  scratch.mkdir(u"inst\\snd");
  scratch.write(u"inst\\snd\\a.wav", "old a");
  run("copy readme.txt one.dat\nsndcopy sounds snd\n");
  EXPECT_EQ(scratch.read(u"inst\\one.dat"), "readme of setup");
  EXPECT_EQ(scratch.read(u"inst\\snd\\a.wav"), "a of sounds");
}

TEST_F(InstallPassTest, InstallDirGetsOneTrailingBackslash) {
  run("mkwlist\n");
  EXPECT_EQ(u8(state.installDir.view()), inst());
  run("mkwlist\n");
  EXPECT_EQ(u8(state.installDir.view()), inst());
}

TEST_F(InstallPassTest, MakeDirectories) {
  run("mkdir data\nmkdir a\\b\nmkdir my data\nMKDIR c\nmkdir c\\d\nmkdir c\nmkdir\n");
  EXPECT_TRUE(scratch.exists(u"inst\\data"));
  EXPECT_FALSE(scratch.exists(u"inst\\a"));
  EXPECT_TRUE(scratch.exists(u"inst\\my data"));
  EXPECT_TRUE(scratch.exists(u"inst\\c\\d"));
}

TEST_F(InstallPassTest, ProfileSettingsInWinIni) {
  const char16_t* saved = strings.values[static_cast<int>(StringKey::AviDelay)];
  strings.values[static_cast<int>(StringKey::AviDelay)] = u"AviWait";
  run("setini Volume=5\nsetini A=B=C\nsetini NoValue\nsetini =7\nsetini Spaced = x y\n"
      "avidelay 250\nsetini\n");
  strings.values[static_cast<int>(StringKey::AviDelay)] = saved;

  EXPECT_EQ(winIniValue("Volume"), "5");
  EXPECT_EQ(winIniValue("A"), "B=C");
  EXPECT_EQ(winIniValue("NoValue"), "<none>");
  EXPECT_EQ(winIniValue("Spaced"), "x y");
  EXPECT_EQ(winIniValue("AviWait"), "250");
}

TEST_F(InstallPassTest, ProfileValuesStayEightBit) {
  state.uiCodePage = 1251;
  const char16_t* saved = strings.values[static_cast<int>(StringKey::AviDelay)];
  strings.values[static_cast<int>(StringKey::AviDelay)] = u"\u0417";  // 0xC7 in 1251
  run("setini K=\xE9\navidelay \xE8\n");
  strings.values[static_cast<int>(StringKey::AviDelay)] = saved;

  EXPECT_EQ(winIniValue("K"), "\xE9");
  EXPECT_EQ(winIniValue("\xC7"), "\xE8");
}

TEST_F(InstallPassTest, CollectedValuesLastLineWins) {
  state.uninstallPath.assign(at(u"uninstall.ini"));
  run("iconname First\niconname My Dictionary\nicongroup Group One\nicongroup Group Two\n"
      "iconexe bin\\a.exe\niconexe bin\\my app.exe\ndisplay one.txt\ndisplay read me.txt\n"
      "mkwlist\niconexe ..\\x.exe\ndisplay C:\\x.txt\n");
  EXPECT_EQ(state.makeShortcut, 1);
  EXPECT_EQ(state.makeWordLists, 1);
  EXPECT_EQ(u8(state.shortcutName.view()), "My Dictionary");
  EXPECT_EQ(u8(state.groupName.view()), "Group Two");
  EXPECT_EQ(u8(state.shortcutTarget.view()), "bin\\my app.exe");
  EXPECT_EQ(u8(state.closingTextFile.view()), "read me.txt");
  EXPECT_EQ(profileValue(u"name", at(u"uninstall.ini")), "Group Two");
}

TEST_F(InstallPassTest, CommandsWithoutArgumentChangeNothing) {
  state.uninstallPath.assign(at(u"uninstall.ini"));
  run("iconname\nicongroup\niconexe\ndisplay\nmkdir\navidelay\nsetini\n");
  EXPECT_EQ(state.makeShortcut, 0);
  EXPECT_TRUE(state.shortcutName.empty());
  EXPECT_TRUE(state.groupName.empty());
  EXPECT_TRUE(state.shortcutTarget.empty());
  EXPECT_TRUE(state.closingTextFile.empty());
  EXPECT_FALSE(scratch.exists(u"uninstall.ini"));
}

// A keyword followed by one space and nothing else has the empty text as its
// argument. Where an empty value means what a script without the line
// means, it replaces the earlier one; where it would name a drive root, a
// link ".lnk" or no delay, the line is ignored.
TEST_F(InstallPassTest, KeywordWithOneSpaceAndNothingElse) {
  struct Row {
    const char* name;
    bool startupPass;
    std::string script;
    std::string (*value)();
    std::string expected;
  } rows[] = {
      {"title: no title", true, "title T\ntitle \n",
       [] { return u8(state.titleText.view()); }, ""},
      {"wbarg: no arguments", true, "wbarg w\nwbarg \n",
       [] { return u8(state.shortcutArgs.view()); }, ""},
      {"dir: ignored", true, "dir C:\\A\ndir \n",
       [] { return u8(state.defaultDir.view()) + "|" + u8(state.uninstallPath.view()); },
       "C:\\A|C:\\A\\uninstall.ini"},
      {"subdir: ignored", true, "subdir B\nsubdir \n",
       [] { return u8(state.defaultDir.view()) + "|" + u8(state.uninstallPath.view()); },
       "C:\\PF\\B|C:\\PF\\B\\uninstall.ini"},
      {"icongroup: the programs folder itself, recorded", false, "icongroup G\nicongroup \n",
       [] {
         return u8(state.groupName.view()) + "|" +
                profileValue(u"name", state.uninstallPath.view());
       },
       "|"},
      {"iconexe: the link points at installDir", false, "iconexe a.exe\niconexe \n",
       [] { return u8(state.shortcutTarget.view()); }, ""},
      {"display: the Install_Finished text", false, "display d.txt\ndisplay \n",
       [] { return u8(state.closingTextFile.view()); }, ""},
      {"iconname: ignored", false, "iconname \n",
       [] { return std::to_string(state.makeShortcut) + "|" + u8(state.shortcutName.view()); },
       "0|"},
      {"avidelay: ignored", false, "avidelay 250\navidelay \n",
       [] { return winIniValue("AviWait"); }, "250"},
  };
  const char16_t* saved = strings.values[static_cast<int>(StringKey::AviDelay)];
  strings.values[static_cast<int>(StringKey::AviDelay)] = u"AviWait";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    resetInstallState();
    clearWinIniSection();
    state.setupDir.assign(at(u"setup"));
    state.installDir.assign(at(u"inst"));
    state.defaultDir.assign(u"C:\\PF");
    if (!row.startupPass) state.uninstallPath.assign(at(u"uninstall.ini"));
    writeScript(row.script);
    row.startupPass ? runStartupPass() : runInstallPass();
    EXPECT_EQ(row.value(), row.expected);
  }
  strings.values[static_cast<int>(StringKey::AviDelay)] = saved;
}

TEST_F(InstallPassTest, GroupNameWithoutUninstallRecord) {
  run("icongroup Group\n");
  EXPECT_EQ(u8(state.groupName.view()), "Group");
  EXPECT_EQ(winIniValue("name"), "<none>");
  EXPECT_FALSE(scratch.exists(u"uninstall.ini"));
  EXPECT_FALSE(scratch.exists(u"setup\\uninstall.ini"));
}

TEST_F(InstallPassTest, ArgumentsConvertWithInterfaceCodePage) {
  state.uiCodePage = 1251;
  run("iconname \xC0\xC1\nmkdir \xE0\n");
  EXPECT_EQ(u8(state.shortcutName.view()), u8(u"\u0410\u0411"));
  EXPECT_TRUE(scratch.exists(u"inst\\\u0430"));
}

TEST_F(InstallPassTest, StartupKeywordsIgnored) {
  state.debugMode = 0;
  state.defaultDir.assign(u"C:\\PF");
  run("title T\ndir C:\\D\nsubdir S\nwbarg w\ndebug\n");
  EXPECT_TRUE(state.titleText.empty());
  EXPECT_EQ(u8(state.defaultDir.view()), "C:\\PF");
  EXPECT_TRUE(state.uninstallPath.empty());
  EXPECT_TRUE(state.shortcutArgs.empty());
  EXPECT_EQ(state.debugMode, 0);
}

TEST_F(InstallPassTest, MissingScriptIsFatal) {
  EXPECT_FATAL(runInstallPass(), FatalKind::Error, u"Can't open INSTALL.INF");
}

}  // namespace
}  // namespace script_test

#include <string>

#include "script/script.h"
#include "script/script_fixture.h"
#include "platform/shell.h"

namespace script_test {
namespace {

struct StartupCase {
  const char* name;
  std::string script;
  int presetDebug;
  std::string title, defaultDir, uninstallPath, args;
  int debugMode;
};

constexpr const char* kPF = "C:\\PF";  // stands for the program-files folder

std::string aa(int n) { return std::string(n, 'a'); }

const StartupCase kStartupCases[] = {
    {"upper-case keyword", "TITLE Setup\n", 1, "Setup", kPF, "", "", 1},
    {"mixed-case keyword", "Title Setup\n", 1, "Setup", kPF, "", "", 1},
    {"lower-case keyword", "title Setup\n", 1, "Setup", kPF, "", "", 1},
    {"longer word counts as keyword", "titles Setup\n", 1, "Setup", kPF, "", "", 1},
    {"directory is dir", "directory C:\\X\n", 1, "", "C:\\X", "C:\\X\\uninstall.ini", "", 1},
    {"subfolder matches nothing", "subfolder Data\n", 1, "", kPF, "", "", 1},
    {"subdirs is subdir", "subdirs Data\n", 1, "", "C:\\PF\\Data", "C:\\PF\\Data\\uninstall.ini",
     "", 1},
    {"dir then subdirs", "dir C:\\A\nsubdir B\nsubdir C\n", 1, "", "C:\\A\\B\\C",
     "C:\\A\\B\\C\\uninstall.ini", "", 1},
    {"later dir replaces dir and subdir", "dir C:\\A\nsubdir B\ndir C:\\D\n", 1, "", "C:\\D",
     "C:\\D\\uninstall.ini", "", 1},
    {"subdir after backslash doubles it", "dir C:\\A\\\nsubdir B\n", 1, "", "C:\\A\\\\B",
     "C:\\A\\\\B\\uninstall.ini", "", 1},
    {"comment and empty line", "# title X\n\n", 1, "", kPF, "", "", 1},
    {"comment before a title", "#title X\n\ntitle Y\n", 1, "Y", kPF, "", "", 1},
    {"space before keyword", " title X\n", 1, "", kPF, "", "", 1},
    {"argument keeps its spaces", "title   A  B \n", 1, "  A  B ", kPF, "", "", 1},
    {"wbarg", "wbarg -x /y z\n", 1, "", kPF, "", "-x /y z", 1},
    {"later title and wbarg win", "title A\nwbarg a\ntitle B\nwbarg b\n", 1, "B", kPF, "", "b", 1},
    {"CR LF line ends", "title A\r\ndir C:\\B\r\n", 1, "A", "C:\\B", "C:\\B\\uninstall.ini", "", 1},
    {"last line without newline", "title A\ndir C:\\B", 1, "A", "C:\\B", "C:\\B\\uninstall.ini",
     "", 1},
    {"line of 99 bytes and more is two lines", "title " + aa(93) + "dir C:\\Y\n", 1, aa(93),
     "C:\\Y", "C:\\Y\\uninstall.ini", "", 1},
    {"newline after 99 bytes is an empty line", "title " + aa(93) + "\nwbarg z\n", 1, aa(93), kPF,
     "", "z", 1},
    {"keyword without argument ignored", "title A\ntitle\nwbarg\ndir\nsubdir\n", 1, "A", kPF, "",
     "", 1},
    {"dir and subdir with empty argument ignored", "dir \nsubdir \ntitle \n", 1, "", kPF, "", "",
     1},
    {"Ctrl-Z ends the script", "title A\nwbarg w\x1a z\ntitle B\n", 1, "A", kPF, "", "w", 1},
    {"Ctrl-Z starting a line", "title A\n\x1a" "dir C:\\B\n", 1, "A", kPF, "", "", 1},
    {"debug sets the switch", "debug\n", 0, "", kPF, "", "", 1},
    {"debug with argument", "debug 1\n", 0, "", kPF, "", "", 1},
    {"DEBUGGING counts as debug", "DEBUGGING\n", 0, "", kPF, "", "", 1},
    {"no debug line leaves it on", "title A\n", 1, "A", kPF, "", "", 1},
    {"no debug line does not set it", "title A\n", 0, "A", kPF, "", "", 0},
    {"install keywords ignored",
     "mkdir x\ncopy a b\nxcopy *.*\niconname N\nicongroup G\nsetini A=B\nmkwlist\ndisplay d\n", 0,
     "", kPF, "", "", 0},
};

class StartupPassTest : public ScriptTest {};

TEST_F(StartupPassTest, ScriptLines) {
  for (const StartupCase& c : kStartupCases) {
    resetInstallState();
    state.setupDir.assign(at(u"setup"));
    state.defaultDir.assign(u16(kPF));
    state.debugMode = c.presetDebug;
    writeScript(c.script);

    runStartupPass();

    SCOPED_TRACE(c.name);
    EXPECT_EQ(u8(state.titleText.view()), c.title);
    EXPECT_EQ(u8(state.defaultDir.view()), c.defaultDir);
    EXPECT_EQ(u8(state.uninstallPath.view()), c.uninstallPath);
    EXPECT_EQ(u8(state.shortcutArgs.view()), c.args);
    EXPECT_EQ(state.debugMode, c.debugMode);
    EXPECT_EQ(state.makeShortcut, 0);
    EXPECT_EQ(state.makeWordLists, 0);
    EXPECT_TRUE(state.shortcutName.empty());
    EXPECT_TRUE(state.groupName.empty());
    EXPECT_TRUE(state.closingTextFile.empty());
  }
  EXPECT_FALSE(scratch.exists(u"inst\\x"));
  EXPECT_FALSE(scratch.exists(u"x"));
}

TEST_F(StartupPassTest, DirAndSubdirWriteProgramIntoBothRecords) {
  scratch.mkdir(u"Apps\\Dict");
  std::string apps = u8(at(u"Apps"));
  writeScript("dir " + apps + "\nsubdir Dict\n");

  runStartupPass();

  EXPECT_EQ(u8(state.defaultDir.view()), apps + "\\Dict");
  EXPECT_EQ(u8(state.uninstallPath.view()), apps + "\\Dict\\uninstall.ini");
  EXPECT_EQ(profileValue(u"program", at(u"Apps\\uninstall.ini")), apps);
  EXPECT_EQ(profileValue(u"program", at(u"Apps\\Dict\\uninstall.ini")), apps + "\\Dict");
}

TEST_F(StartupPassTest, RecordInMissingFolderFailsSilently) {
  writeScript("dir " + u8(at(u"nowhere")) + "\ntitle After\n");

  runStartupPass();

  EXPECT_EQ(u8(state.uninstallPath.view()), u8(at(u"nowhere\\uninstall.ini")));
  EXPECT_FALSE(scratch.exists(u"nowhere"));
  EXPECT_EQ(u8(state.titleText.view()), "After");
}

TEST_F(StartupPassTest, SubdirAloneFollowsProgramFilesFolder) {
  char16_t programFiles[kPathCapacity];
  ASSERT_TRUE(platform::programFilesFolder(programFiles, kPathCapacity));
  // A 32-bit program on 64-bit Windows (as in the tests' Wine prefix) is
  // given the 32-bit programs' folder.
  std::string got = u8(programFiles);
  EXPECT_TRUE(got == "C:\\Program Files" || got == "C:\\Program Files (x86)") << got;
  state.defaultDir.assign(programFiles);
  writeScript("subdir Dict\n");

  runStartupPass();

  EXPECT_EQ(u8(state.defaultDir.view()), u8(programFiles) + "\\Dict");
  EXPECT_EQ(u8(state.uninstallPath.view()), u8(programFiles) + "\\Dict\\uninstall.ini");
}

TEST_F(StartupPassTest, NoDirKeepsProposedDirectoryAndNoRecord) {
  state.defaultDir.assign(at(u"proposed"));
  scratch.mkdir(u"proposed");
  writeScript("title T\nwbarg w\n");

  runStartupPass();

  EXPECT_EQ(u8(state.defaultDir.view()), u8(at(u"proposed")));
  EXPECT_TRUE(state.uninstallPath.empty());
  EXPECT_FALSE(scratch.exists(u"proposed\\uninstall.ini"));
}

TEST_F(StartupPassTest, ArgumentsConvertWithInterfaceCodePage) {
  state.uiCodePage = 1251;
  writeScript("title \xC0\xC1\xC2\nwbarg \xE0\n");

  runStartupPass();

  EXPECT_EQ(u8(state.titleText.view()), u8(u"\u0410\u0411\u0412"));
  EXPECT_EQ(u8(state.shortcutArgs.view()), u8(u"\u0430"));
}

TEST_F(StartupPassTest, SetupDirWithTrailingBackslash) {
  state.setupDir.assign(at(u"setup\\"));
  writeScript("title T\n");

  runStartupPass();

  EXPECT_EQ(u8(state.titleText.view()), "T");
}

TEST_F(StartupPassTest, OverlongPathsAreRefusedNotCut) {
  std::string dir = "C:\\" + std::string(92, 'd');  // 95 characters
  std::string e(90, 'e'), f(60, 'f'), g(20, 'g');
  writeScript("dir " + dir + "\nsubdir " + e + "\n");
  runStartupPass();
  EXPECT_EQ(u8(state.defaultDir.view()), dir + "\\" + e);
  EXPECT_EQ(u8(state.uninstallPath.view()), dir + "\\" + e + "\\uninstall.ini");

  // 247 characters still make a directory, but no record path fits behind
  // them; 268 characters are no directory at all.
  writeScript("dir " + dir + "\nsubdir " + e + "\nsubdir " + f + "\nsubdir " + g + "\n");
  runStartupPass();
  EXPECT_EQ(u8(state.defaultDir.view()), dir + "\\" + e + "\\" + f);
  EXPECT_EQ(u8(state.uninstallPath.view()), "");
}

TEST_F(StartupPassTest, MissingScriptIsFatal) {
  EXPECT_FATAL(runStartupPass(), FatalKind::Error, u"Can't open INSTALL.INF");
}

}  // namespace
}  // namespace script_test

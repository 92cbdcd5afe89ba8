// Start-up of setup.exe as the user meets it: fatal boxes for a broken setup
// folder, and a main window that leaves the disk alone until Start.
#include "e2e/e2e_fixture.h"

#include <shlobj.h>

namespace e2e {
namespace {

class StartupE2E : public SetupE2E {};

struct BrokenFolder {
  const char* name;
  bool script;       // install.inf present
  bool settings;     // language.in_ present
  bool stringsFile;  // english.str present
  const char* omitKey;
  const wchar_t* text;
  const wchar_t* caption;
};

const BrokenFolder kBrokenFolders[] = {
    {"NoInstallInf", false, true, true, "", L"Can't open INSTALL.INF", L"Error"},
    {"NoStringsFile", true, true, false, "", L"No strings file found (2).   ", L"Dictionary"},
    {"NoLanguageIn", true, false, true, "", L"No strings file found (2).   ", L"Dictionary"},
    {"FirstKeyMissing", true, true, true, "MainMenuFile0", L"String: MainMenuFile0 not found.   ",
     L"Dictionary"},
    {"ChDirKeyMissing", true, true, true, "Install_ChDir", L"String: Install_ChDir not found.   ",
     L"Dictionary"},
    {"LastKeyMissing", true, true, true, "ForeignFonts", L"String: ForeignFonts not found.   ",
     L"Dictionary"},
    {"CharsetKeyMissing", true, true, true, "CharactersetCode",
     L"String: CharactersetCode not found.   ", L"Dictionary"},
};

class BrokenFolderE2E : public SetupE2E, public ::testing::WithParamInterface<BrokenFolder> {};

TEST_P(BrokenFolderE2E, ShowsItsBoxAndExitsWithOne) {
  const BrokenFolder& row = GetParam();
  if (row.script) {
    ASSERT_TRUE(writeFile(setupDir() + L"\\install.inf", standardScript()));
  }
  if (row.settings) {
    ASSERT_TRUE(writeFile(setupDir() + L"\\language.in_", languageSettings()));
  }
  if (row.stringsFile) {
    ASSERT_TRUE(
        writeStringsFile(setupDir() + L"\\english.str", defaultStringValues(), row.omitKey));
  }
  ASSERT_TRUE(setup().start(setupDir())) << setup().error();
  ASSERT_NO_FATAL_FAILURE(expectBoxAndPressOk(row.text, row.caption));
  expectExit(1);
}

INSTANTIATE_TEST_SUITE_P(Startup, BrokenFolderE2E, ::testing::ValuesIn(kBrokenFolders),
                         [](const ::testing::TestParamInfo<BrokenFolder>& info) {
                           return std::string(info.param.name);
                         });

// The loader's second place: the "strings" folder of the proposed directory
// that the script's dir line names.
TEST_F(StartupE2E, StringsFileFoundInProposedDirectory) {
  ASSERT_TRUE(writeFile(setupDir() + L"\\install.inf", standardScript()));
  ASSERT_TRUE(writeFile(setupDir() + L"\\language.in_", languageSettings()));
  ASSERT_TRUE(CreateDirectoryW((proposedDir() + L"\\strings").c_str(), nullptr));
  ASSERT_TRUE(writeStringsFile(proposedDir() + L"\\strings\\english.str", defaultStringValues()));
  HWND main = startToMainWindow();
  ASSERT_NE(main, nullptr);
  clickButton(main, kStopButton);
  expectExit(0);
}

TEST_F(StartupE2E, MainWindowComesUpLabelledAndCoversTheScreen) {
  ASSERT_NO_FATAL_FAILURE(writeSetupFolder(standardScript()));
  HWND main = startToMainWindow();
  ASSERT_NE(main, nullptr);

  RECT r{};
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(r.bottom, GetSystemMetrics(SM_CYSCREEN));
  LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_EQ(readText(main), L"") << "the window has no window text";

  struct Label {
    int id;
    const wchar_t* text;
  } labels[] = {
      {kStartButton, L"Start"},          {kStopButton, L"Stop"},
      {kChdirButton, L"Change directory"}, {kInstDirLabel, L"Installation directory:"},
      {kDriveLabel, L"Drive:"},          {kDirLabel, L"Directory:"},
  };
  for (const Label& label : labels) {
    EXPECT_EQ(utf8(readText(control(main, label.id))), utf8(label.text)) << "control " << label.id;
  }
  EXPECT_EQ(utf8(readText(control(main, kDirEdit))), utf8(proposedDir()))
      << "the edit box proposes the script's dir";
  clickButton(main, kStopButton);
  expectExit(0);
}

// Without dir line the program files folder is proposed.
TEST_F(StartupE2E, WithoutDirLineProposesProgramFiles) {
  ASSERT_NO_FATAL_FAILURE(writeSetupFolder("title Plain\r\n"));
  HWND main = startToMainWindow();
  ASSERT_NE(main, nullptr);
  wchar_t programFiles[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE));
  EXPECT_EQ(utf8(readText(control(main, kDirEdit))), utf8(programFiles));
  clickButton(main, kStopButton);
  expectExit(0);
}

// Stop and closing the window end the program with 0, and the only trace
// on disk is the "program" key of the uninstall record.
TEST_F(StartupE2E, LeavingBeforeStartChangesNothingButTheUninstallRecord) {
  struct Way {
    const char* name;
    void (*leave)(HWND main);
  } ways[] = {
      {"Stop button", [](HWND main) { clickButton(main, kStopButton); }},
      {"WM_CLOSE", [](HWND main) { PostMessageW(main, WM_CLOSE, 0, 0); }},
  };
  ASSERT_NO_FATAL_FAILURE(writeSetupFolder(standardScript()));
  ASSERT_TRUE(writeFile(proposedDir() + L"\\existing.txt", "kept as it is"));
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    removeTree(proposedDir() + L"\\uninstall.ini");
    Snapshot setupBefore = snapshotTree(setupDir());
    Snapshot proposedBefore = snapshotTree(proposedDir());

    HWND main = startToMainWindow();
    ASSERT_NE(main, nullptr);
    way.leave(main);
    ASSERT_NO_FATAL_FAILURE(expectExit(0));

    EXPECT_EQ(describeChanges(setupBefore, snapshotTree(setupDir())), "");
    Snapshot proposedAfter = snapshotTree(proposedDir());
    EXPECT_EQ(describeChanges(proposedBefore, proposedAfter), "added: uninstall.ini\n");

    std::wstring record = proposedDir() + L"\\uninstall.ini";
    wchar_t sections[512] = {};
    DWORD n = GetPrivateProfileSectionNamesW(sections, 512, record.c_str());
    EXPECT_EQ(std::wstring(sections, n), std::wstring(L"Dictionary", 11));
    wchar_t keys[1024] = {};
    n = GetPrivateProfileSectionW(L"Dictionary", keys, 1024, record.c_str());
    EXPECT_EQ(utf8(std::wstring(keys, n)), utf8(L"program=" + proposedDir() + std::wstring(1, 0)));
    EXPECT_EQ(utf8(winIniDictionary()), "") << "win.ini's Dictionary section";
  }
}

}  // namespace
}  // namespace e2e

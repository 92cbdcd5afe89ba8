#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <filesystem>
#include <random>
#include <string>

#include "platform/shell.h"
#include "script/script.h"
#include "script/script_fixture.h"

namespace script_test {
namespace {

namespace fs = std::filesystem;

// What a link file holds, read back through the shell.
struct LinkData {
  bool loaded = false;
  std::string path, arguments, workingDir;
};

LinkData readLink(const std::u16string& file) {
  LinkData data;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return data;
  }
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    std::wstring name(file.begin(), file.end());
    if (SUCCEEDED(persist->Load(name.c_str(), STGM_READ))) {
      wchar_t buffer[MAX_PATH];
      data.loaded = true;
      buffer[0] = 0;
      link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH);
      data.path = u8(reinterpret_cast<const char16_t*>(buffer));
      buffer[0] = 0;
      link->GetArguments(buffer, MAX_PATH);
      data.arguments = u8(reinterpret_cast<const char16_t*>(buffer));
      buffer[0] = 0;
      link->GetWorkingDirectory(buffer, MAX_PATH);
      data.workingDir = u8(reinterpret_cast<const char16_t*>(buffer));
    }
    persist->Release();
  }
  link->Release();
  return data;
}

std::u16string programs() {
  char16_t buffer[kPathCapacity];
  platform::commonProgramsFolder(buffer, kPathCapacity);
  return buffer;
}

// Removes a folder tree at once. Wine's menu builder, which would keep a new
// group folder busy for seconds after a link is saved, is off in the test
// prefix (scripts/wine-run.sh).
std::error_code removeTree(const std::u16string& path) {
  std::error_code ec;
  fs::remove_all(fs::path(path), ec);
  return ec;
}

class ShortcutTest : public ScriptTest {
 protected:
  std::u16string group;  // a group name no other test uses
  std::u16string linkName;

  void SetUp() override {
    ScriptTest::SetUp();
    CoInitialize(nullptr);
    std::random_device rd;
    group = u16("Dictionary test " + std::to_string(rd()));
    linkName = u16("Link " + std::to_string(rd()));
    state.uninstallPath.assign(at(u"uninstall.ini"));
    state.installDir.assign(at(u"inst\\"));
    scratch.mkdir(u"inst\\bin");
    scratch.write(u"inst\\bin\\app.exe", "MZ");
  }
  void TearDown() override {
    platform::setCurrentDirectory(programs());  // leave the group folder
    std::error_code ec;
    fs::remove(fs::path(programs() + u"\\" + linkName + u".lnk"), ec);
    EXPECT_FALSE(removeTree(groupFolder())) << "group folder left behind";
    EXPECT_FALSE(removeTree(scratch.path())) << "scratch folder left behind";
    CoUninitialize();
  }

  std::u16string groupFolder() const { return programs() + u"\\" + group; }
};

TEST_F(ShortcutTest, ProgramsFolderIsTheStartMenu) {
  std::string folder = u8(programs());
  EXPECT_NE(folder.find("Start Menu\\Programs"), std::string::npos) << folder;
  char16_t tiny[5];
  EXPECT_FALSE(platform::commonProgramsFolder(tiny, 5));
  EXPECT_EQ(tiny[0], 0);
}

TEST_F(ShortcutTest, LinkInGroupWithTargetArgumentsAndWorkingDir) {
  state.makeShortcut = 1;
  state.shortcutName.assign(linkName);
  state.shortcutTarget.assign(u"bin\\app.exe");
  state.shortcutArgs.assign(u"-lang 2 /x");
  state.groupName.assign(group);

  createShortcutStep();

  std::u16string link = groupFolder() + u"\\" + linkName + u".lnk";
  LinkData data = readLink(link);
  ASSERT_TRUE(data.loaded) << u8(link);
  EXPECT_EQ(data.path, u8(at(u"inst\\bin\\app.exe")));
  EXPECT_EQ(data.arguments, "-lang 2 /x");
  EXPECT_EQ(data.workingDir, u8(at(u"inst\\")));
  EXPECT_EQ(profileValue(u"icon", at(u"uninstall.ini")), u8(groupFolder()));
  EXPECT_EQ(currentDir(), u8(groupFolder()));
}

TEST_F(ShortcutTest, ExistingGroupFolderIsUsed) {
  fs::create_directory(fs::path(groupFolder()));
  state.makeShortcut = 1;
  state.shortcutName.assign(linkName);
  state.groupName.assign(group);

  createShortcutStep();

  EXPECT_TRUE(readLink(groupFolder() + u"\\" + linkName + u".lnk").loaded);
}

TEST_F(ShortcutTest, WithoutIconExeTheLinkPointsAtInstallDir) {
  state.makeShortcut = 1;
  state.shortcutName.assign(linkName);
  state.groupName.assign(group);

  createShortcutStep();

  LinkData data = readLink(groupFolder() + u"\\" + linkName + u".lnk");
  ASSERT_TRUE(data.loaded);
  std::string inst = u8(at(u"inst"));
  EXPECT_TRUE(data.path == inst || data.path == inst + "\\") << data.path;
  EXPECT_EQ(data.arguments, "");
}

TEST_F(ShortcutTest, WithoutGroupTheLinkGoesIntoProgramsFolder) {
  state.makeShortcut = 1;
  state.shortcutName.assign(linkName);

  createShortcutStep();

  EXPECT_TRUE(readLink(programs() + u"\\" + linkName + u".lnk").loaded);
  EXPECT_EQ(profileValue(u"icon", at(u"uninstall.ini")), u8(programs()));
}

TEST_F(ShortcutTest, WithoutUninstallRecordTheLinkIsStillMade) {
  state.uninstallPath.clear();
  state.makeShortcut = 1;
  state.shortcutName.assign(linkName);
  state.groupName.assign(group);

  createShortcutStep();

  EXPECT_TRUE(readLink(groupFolder() + u"\\" + linkName + u".lnk").loaded);
  EXPECT_FALSE(scratch.exists(u"uninstall.ini"));
}

TEST_F(ShortcutTest, NothingWithoutMakeShortcut) {
  state.shortcutName.assign(linkName);
  state.groupName.assign(group);
  std::string before = currentDir();

  createShortcutStep();

  EXPECT_FALSE(fs::exists(fs::path(groupFolder())));
  EXPECT_FALSE(fs::exists(fs::path(programs() + u"\\" + linkName + u".lnk")));
  EXPECT_EQ(profileValue(u"icon", at(u"uninstall.ini")), "<none>");
  EXPECT_EQ(currentDir(), before);
}

TEST_F(ShortcutTest, ScriptWithoutIconNameMakesNoGroup) {
  writeScript("icongroup " + u8(group) + "\niconexe bin\\app.exe\n");
  runInstallPass();
  createShortcutStep();

  EXPECT_EQ(state.makeShortcut, 0);
  EXPECT_FALSE(fs::exists(fs::path(groupFolder())));
  EXPECT_EQ(profileValue(u"name", at(u"uninstall.ini")), u8(group));
  EXPECT_EQ(profileValue(u"icon", at(u"uninstall.ini")), "<none>");
}

TEST_F(ShortcutTest, ScriptThroughBothSteps) {
  state.shortcutArgs.assign(u"-w");
  writeScript("icongroup " + u8(group) + "\niconname " + u8(linkName) +
              "\niconexe bin\\app.exe\n");
  runInstallPass();
  createShortcutStep();

  LinkData data = readLink(groupFolder() + u"\\" + linkName + u".lnk");
  ASSERT_TRUE(data.loaded);
  EXPECT_EQ(data.path, u8(at(u"inst\\bin\\app.exe")));
  EXPECT_EQ(data.arguments, "-w");
  EXPECT_EQ(profileValue(u"name", at(u"uninstall.ini")), u8(group));
  EXPECT_EQ(profileValue(u"icon", at(u"uninstall.ini")), u8(groupFolder()));
}

TEST_F(ShortcutTest, CreateShortcutReportsTheSaveResult) {
  std::u16string target = at(u"inst\\bin\\app.exe");
  std::u16string good = at(u"good.lnk");
  EXPECT_EQ(platform::createShortcut(target, good, at(u"inst"), u"a"), 0);
  EXPECT_TRUE(readLink(good).loaded);
  EXPECT_LT(platform::createShortcut(target, at(u"missing\\bad.lnk"), at(u"inst"), u"a"), 0);
  EXPECT_FALSE(scratch.exists(u"missing"));
}

}  // namespace
}  // namespace script_test

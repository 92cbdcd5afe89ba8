// A whole install pass driven from the window: files copied, win.ini and
// uninstall.ini written, the Start-menu shortcut made, and the closing text
// shown in the interface's code page (Russian, 1251).
#include "e2e/e2e_fixture.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace e2e {
namespace {

std::string codePageBytes(const std::wstring& text, UINT codePage) {
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring profileSection(const std::wstring& file, const wchar_t* section) {
  wchar_t buffer[4096] = {};
  DWORD n = GetPrivateProfileSectionW(section, buffer, 4096, file.c_str());
  std::wstring lines;
  for (DWORD i = 0; i < n; ++i) lines += buffer[i] ? buffer[i] : L'\n';
  return lines;
}

struct LinkInfo {
  bool loaded = false;
  std::wstring path, arguments, workingDirectory;
};

LinkInfo readLink(const std::wstring& file) {
  LinkInfo info;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return info;
  }
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
      wchar_t text[MAX_PATH * 2] = {};
      link->GetPath(text, MAX_PATH * 2, nullptr, SLGP_RAWPATH);
      info.path = text;
      text[0] = 0;
      link->GetArguments(text, MAX_PATH * 2);
      info.arguments = text;
      text[0] = 0;
      link->GetWorkingDirectory(text, MAX_PATH * 2);
      info.workingDirectory = text;
      info.loaded = true;
    }
    persist->Release();
  }
  link->Release();
  return info;
}

class InstallE2E : public SetupE2E {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(SetupE2E::SetUp());
    CoInitialize(nullptr);
  }
  void TearDown() override {
    SetupE2E::TearDown();
    CoUninitialize();
  }
};

TEST_F(InstallE2E, InstallPassCopiesWritesSettingsMakesShortcutAndShowsRussianClosingText) {
  const std::wstring group = L"E2E Group " + std::to_wstring(GetCurrentProcessId());
  const std::wstring target = work() / L"target";
  // The setup folder of a Russian distribution.
  std::string script = standardScript() +
                       "wbarg -lang ru\r\n"
                       "mkdir data\r\n"
                       "mkdir lists\r\n"
                       "mkdir snd\r\n"
                       "mkdir My Docs\r\n"
                       "copy readme.txt data\\readme.txt\r\n"
                       "copy readme.txt replaced.txt\r\n"
                       "copy trainer.exe trainer.exe\r\n"
                       "copy missing.txt missing.txt\r\n"
                       "xcopy *.dat\r\n"
                       "xcopy *.lst lists\r\n"
                       "sndcopy sounds snd\r\n"
                       "setini Volume=5\r\n"
                       "setini A=B=C\r\n"
                       "avidelay 250\r\n"
                       "icongroup " + utf8(group) + "\r\n"
                       "iconname E2E Trainer\r\n"
                       "iconexe trainer.exe\r\n"
                       "display closing.txt\r\n";
  ASSERT_TRUE(writeFile(setupDir() + L"\\install.inf", script));
  ASSERT_TRUE(writeFile(setupDir() + L"\\language.in_", languageSettings("russian", 204)));
  std::map<std::string, std::string> values = defaultStringValues();
  values["CharactersetCode"] = "204";
  values["AviDelay"] = "AviDelay";
  ASSERT_TRUE(writeStringsFile(setupDir() + L"\\russian.str", values));
  const std::wstring closing = L"Установка завершена.\r\nСпасибо!";
  ASSERT_TRUE(writeFile(setupDir() + L"\\closing.txt", codePageBytes(closing, 1251)));
  ASSERT_TRUE(writeFile(setupDir() + L"\\readme.txt", "read me"));
  ASSERT_TRUE(writeFile(setupDir() + L"\\trainer.exe", "MZ not really"));
  ASSERT_TRUE(writeFile(setupDir() + L"\\a.dat", "a"));
  ASSERT_TRUE(writeFile(setupDir() + L"\\b.dat", "b"));
  ASSERT_TRUE(writeFile(setupDir() + L"\\x.lst", "x"));
  ASSERT_TRUE(CreateDirectoryW((setupDir() + L"\\sounds").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((setupDir() + L"\\sounds\\sub").c_str(), nullptr));
  ASSERT_TRUE(writeFile(setupDir() + L"\\sounds\\s1.wav", "s1"));
  ASSERT_TRUE(writeFile(setupDir() + L"\\sounds\\s2.wav", "s2"));
  // An existing installation directory with a file that is replaced.
  ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
  ASSERT_TRUE(writeFile(target + L"\\replaced.txt", "old content"));

  HWND main = startToMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(setText(control(main, kDirEdit), target));
  clickButton(main, kStartButton);

  std::optional<BoxInfo> box = setup().waitMessageBox();
  ASSERT_TRUE(box.has_value()) << setup().error();
  EXPECT_EQ(utf8(box->text), utf8(closing)) << "the closing text, converted from 1251";
  EXPECT_EQ(utf8(box->caption), "Installation");

  // Each destination was shown in the directory box before its copy; the
  // last one (a sound file, in the order the folder lists them) is still there.
  std::string shown = utf8(readText(control(main, kDirEdit)));
  EXPECT_TRUE(equalsIgnoringCase(wide(shown), target + L"\\snd\\s1.wav") ||
              equalsIgnoringCase(wide(shown), target + L"\\snd\\s2.wav"))
      << "last destination shown: " << shown;

  // Files, while the closing box is still up.
  Snapshot installed = snapshotTree(target);
  Snapshot expected = {
      {L"data", "<dir>"},         {L"data\\readme.txt", "read me"},
      {L"lists", "<dir>"},        {L"lists\\x.lst", "x"},
      {L"snd", "<dir>"},          {L"snd\\s1.wav", "s1"},
      {L"snd\\s2.wav", "s2"},     {L"My Docs", "<dir>"},
      {L"replaced.txt", "read me"}, {L"trainer.exe", "MZ not really"},
      {L"a.dat", "a"},            {L"b.dat", "b"},
  };
  EXPECT_EQ(describeChanges(expected, installed), "");

  // win.ini: setini and avidelay (key named by the AviDelay text).
  EXPECT_EQ(utf8(winIniDictionary()), "Volume=5\nA=B=C\nAviDelay=250\n");

  // The uninstall record beside the proposed directory.
  std::wstring groupFolder = programsFolder() + L"\\" + group;
  EXPECT_EQ(utf8(profileSection(proposedDir() + L"\\uninstall.ini", L"Dictionary")),
            utf8(L"program=" + proposedDir() + L"\nname=" + group + L"\nicon=" + groupFolder +
                 L"\n"));

  // The shortcut, read back through the shell.
  std::wstring linkFile = groupFolder + L"\\E2E Trainer.lnk";
  ASSERT_TRUE(fileExists(linkFile)) << utf8(linkFile);
  LinkInfo link = readLink(linkFile);
  ASSERT_TRUE(link.loaded) << "IPersistFile::Load failed on " << utf8(linkFile);
  EXPECT_TRUE(equalsIgnoringCase(link.path, target + L"\\trainer.exe")) << utf8(link.path);
  EXPECT_EQ(utf8(link.arguments), "-lang ru");
  EXPECT_TRUE(equalsIgnoringCase(link.workingDirectory, target + L"\\") ||
              equalsIgnoringCase(link.workingDirectory, target))
      << utf8(link.workingDirectory);

  setup().pressOk(*box);
  expectExit(0);
}

// Without an iconname line nothing goes to the Start menu, though icongroup
// still records its name; without display the Install_Finished text closes.
TEST_F(InstallE2E, WithoutIconnameNoShortcutAndFallbackClosingText) {
  const std::wstring group = L"E2E Unused " + std::to_wstring(GetCurrentProcessId());
  ASSERT_NO_FATAL_FAILURE(
      writeSetupFolder(standardScript() + "icongroup " + utf8(group) + "\r\nmkdir data\r\n"));
  std::wstring programs = programsFolder();
  Snapshot menuBefore = snapshotTree(programs);

  HWND main = startToMainWindow();
  ASSERT_NE(main, nullptr);
  std::wstring target = work() / L"target";
  ASSERT_TRUE(setText(control(main, kDirEdit), target));
  clickButton(main, kStartButton);
  ASSERT_NO_FATAL_FAILURE(expectBoxAndPressOk(L"Installation finished.", L"Installation"));
  ASSERT_NO_FATAL_FAILURE(expectExit(0));

  EXPECT_TRUE(directoryExists(target + L"\\data"));
  EXPECT_EQ(describeChanges(menuBefore, snapshotTree(programs)), "");
  EXPECT_EQ(utf8(profileSection(proposedDir() + L"\\uninstall.ini", L"Dictionary")),
            utf8(L"program=" + proposedDir() + L"\nname=" + group + L"\n"));
}

}  // namespace
}  // namespace e2e

// What a Windows PC brings that a test folder does not: a DLL that a web
// page dropped beside setup.exe in the Downloads folder, and read-only media.
#include "e2e/e2e_fixture.h"

#include <algorithm>

namespace e2e {
namespace {

// Sets or clears the read-only mark of every file below `root` (or of the
// named files only).
void markReadOnly(const std::wstring& root, bool readOnly,
                  const std::vector<std::wstring>& only = {}) {
  for (const auto& [name, content] : snapshotTree(root)) {
    if (!only.empty() && std::find(only.begin(), only.end(), name) == only.end()) continue;
    std::wstring path = root + L"\\" + name;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    SetFileAttributesW(path.c_str(), readOnly ? attributes | FILE_ATTRIBUTE_READONLY
                                              : attributes & ~FILE_ATTRIBUTE_READONLY);
  }
}

std::string readOnlyFilesOf(const std::wstring& root) {
  std::string names;
  for (const auto& [name, content] : snapshotTree(root)) {
    DWORD attributes = GetFileAttributesW((root + L"\\" + name).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (attributes & FILE_ATTRIBUTE_READONLY)) {
      names += " " + utf8(name);
    }
  }
  return names;
}

class WindowsE2E : public SampleSetupE2E {
 protected:
  void TearDown() override {
    markReadOnly(setupDir(), false);
    markReadOnly(installDir_, false);
    SampleSetupE2E::TearDown();
  }
};

// Wine is told to prefer a native uxtheme.dll for this copy of setup.exe
// (as Windows takes any DLL that is not a known one from the program's
// folder first). The themed controls load uxtheme.dll while the window
// opens; setup.exe restricts the search to the system folder before that,
// so the planted one stays out. (Without that restriction this run loads
// the planted DLL, which then fails the first themed control.)
TEST_F(SetupE2E, ADllPlantedBesideSetupIsNeverLoaded) {
  ASSERT_NO_FATAL_FAILURE(writeSetupFolder(standardScript()));
  const std::wstring exe = setupDir() + L"\\planted-setup.exe";
  const std::wstring mark = setupDir() + L"\\planted-loaded.txt";
  const std::wstring planted = windowsPath(PLANTED_DLL_LINUX_PATH);
  ASSERT_TRUE(CopyFileW(setupExePath().c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(planted.c_str(), (setupDir() + L"\\uxtheme.dll").c_str(), FALSE));

  // The planted DLL leaves its mark when it is loaded.
  const std::wstring probe = setupDir() + L"\\planted-probe.dll";
  ASSERT_TRUE(CopyFileW(planted.c_str(), probe.c_str(), FALSE));
  HMODULE loaded = LoadLibraryW(probe.c_str());
  ASSERT_NE(loaded, nullptr);
  FreeLibrary(loaded);
  ASSERT_TRUE(fileExists(mark)) << "the planted DLL leaves no mark when loaded";
  ASSERT_TRUE(DeleteFileW(mark.c_str()));

  const wchar_t* appKey = L"Software\\Wine\\AppDefaults\\planted-setup.exe";
  const std::wstring overrides = std::wstring(appKey) + L"\\DllOverrides";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, overrides.c_str(), L"uxtheme", REG_SZ,
                            L"native,builtin", sizeof L"native,builtin"),
            ERROR_SUCCESS);
  bool started = setup().start(setupDir(), exe);
  HWND main = started ? setup().waitMainWindow() : nullptr;
  Sleep(500);  // the controls are drawn
  RegDeleteTreeW(HKEY_CURRENT_USER, appKey);
  ASSERT_TRUE(started) << setup().error();
  EXPECT_FALSE(fileExists(mark)) << "setup.exe loaded the uxtheme.dll placed beside it";
  EXPECT_NE(main, nullptr) << setup().error();
}

// A setup folder on a CD: every file read-only. The installed copies are
// writable, and a later setup from a newer medium replaces copies that an
// older setup left read-only.
TEST_F(WindowsE2E, ReadOnlyMediumInstallsWritableCopiesAndAReinstallReplacesThem) {
  markReadOnly(setupDir(), true);
  ASSERT_NO_FATAL_FAILURE(installToTheEnd());
  EXPECT_EQ(digestList(snapshotTree(installDir_)), recordedSampleDigests());
  EXPECT_EQ(readOnlyFilesOf(installDir_), "");

  const std::string newer = "The readme of a newer medium.\r\n";
  markReadOnly(setupDir(), false);
  ASSERT_TRUE(writeFile(setupDir() + L"\\readme.txt", newer));
  markReadOnly(setupDir(), true);
  markReadOnly(installDir_, true, {L"docs\\readme.txt", L"english.str", L"lists\\deu.wl"});
  ASSERT_NO_FATAL_FAILURE(installToTheEnd());
  EXPECT_EQ(readFile(installDir_ + L"\\docs\\readme.txt"), newer);
  EXPECT_EQ(readOnlyFilesOf(installDir_), "");
}

}  // namespace
}  // namespace e2e

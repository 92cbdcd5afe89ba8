#include "e2e/e2e_fixture.h"

#include <shlobj.h>

namespace e2e {

std::wstring programsFolder() {
  wchar_t path[MAX_PATH] = {};
  PIDLIST_ABSOLUTE list = nullptr;
  if (SHGetSpecialFolderLocation(nullptr, CSIDL_COMMON_PROGRAMS, &list) != S_OK) return {};
  SHGetPathFromIDListW(list, path);
  CoTaskMemFree(list);
  return path;
}

namespace {
std::set<std::wstring> entriesOf(const std::wstring& folder) {
  std::set<std::wstring> names;
  for (const auto& [name, content] : snapshotTree(folder)) {
    if (name.find(L'\\') == std::wstring::npos) names.insert(name);
  }
  return names;
}
}  // namespace

std::wstring winIniDictionary() {
  wchar_t buffer[4096] = {};
  DWORD n = GetProfileSectionW(L"Dictionary", buffer, 4096);
  std::wstring lines;
  for (DWORD i = 0; i < n; ++i) lines += buffer[i] ? buffer[i] : L'\n';
  return lines;
}

void SetupE2E::SetUp() {
  ASSERT_FALSE(work_.path().empty()) << "cannot make a work folder under " << utf8(tempDir());
  setupDir_ = work_ / L"setup";
  proposedDir_ = work_ / L"proposed";
  ASSERT_TRUE(work_.mkdir(L"setup"));
  ASSERT_TRUE(work_.mkdir(L"proposed"));
  // Each case starts without the values that an earlier installation wrote.
  WriteProfileStringW(L"Dictionary", nullptr, nullptr);
  programsDir_ = programsFolder();
  if (!programsDir_.empty()) programsBefore_ = entriesOf(programsDir_);
}

void SetupE2E::TearDown() {
  setup_.kill();
  WriteProfileStringW(L"Dictionary", nullptr, nullptr);
  if (programsDir_.empty()) return;
  for (const std::wstring& name : entriesOf(programsDir_)) {
    if (!programsBefore_.count(name)) removeTree(programsDir_ + L"\\" + name);
  }
}

std::string SetupE2E::standardScript() const {
  return std::string("title ") + kTitle + "\r\ndir " + utf8(proposedDir_) + "\r\n";
}

void SetupE2E::writeSetupFolder(const std::string& installInf) {
  if (!installInf.empty()) {
    ASSERT_TRUE(writeFile(setupDir_ + L"\\install.inf", installInf));
  }
  ASSERT_TRUE(writeFile(setupDir_ + L"\\language.in_", languageSettings()));
  ASSERT_TRUE(writeStringsFile(setupDir_ + L"\\english.str", defaultStringValues()));
}

HWND SetupE2E::startToMainWindow() {
  if (!setup_.start(setupDir_)) {
    ADD_FAILURE() << setup_.error();
    return nullptr;
  }
  HWND main = setup_.waitMainWindow();
  if (!main) ADD_FAILURE() << setup_.error();
  return main;
}

void SetupE2E::expectExit(DWORD expected) {
  std::optional<DWORD> code = setup_.waitExit();
  ASSERT_TRUE(code.has_value()) << setup_.error();
  EXPECT_EQ(*code, expected) << "exit code of setup.exe";
}

void SetupE2E::expectBoxAndPressOk(const std::wstring& text, const std::wstring& caption) {
  std::optional<BoxInfo> box = setup_.waitMessageBox();
  ASSERT_TRUE(box.has_value()) << setup_.error();
  EXPECT_EQ(utf8(box->text), utf8(text)) << "message box text";
  EXPECT_EQ(utf8(box->caption), utf8(caption)) << "message box caption";
  setup_.pressOk(*box);
  // The box goes away once OK has been handled.
  EXPECT_TRUE(waitUntil([&] { return !IsWindow(box->window) || !IsWindowVisible(box->window); }))
      << "the message box did not close after OK";
}

void SetupE2E::saveScreenshot(const std::wstring& name) {
  std::wstring path = artifactsDir() + L"\\" + name + L".png";
  EXPECT_TRUE(savePng(captureScreen(), path)) << "cannot save " << utf8(path);
}

void SampleSetupE2E::SetUp() {
  ASSERT_NO_FATAL_FAILURE(SetupE2E::SetUp());
  installDir_ = sampleInstallDir();
  ASSERT_FALSE(installDir_.empty());
  removeTree(installDir_);
  ASSERT_TRUE(directoryExists(sampleDistPath()))
      << "no sample distribution at " << utf8(sampleDistPath());
  ASSERT_TRUE(copyTree(sampleDistPath(), setupDir()));
}

void SampleSetupE2E::installToTheEnd() {
  HWND main = startToMainWindow();
  ASSERT_NE(main, nullptr);
  clickButton(main, kStartButton);
  std::optional<BoxInfo> box = setup().waitMessageBox(120000);
  ASSERT_TRUE(box.has_value()) << setup().error();
  EXPECT_EQ(utf8(box->caption), "Dictionary Setup");
  setup().pressOk(*box);
  ASSERT_NO_FATAL_FAILURE(expectExit(0));
}

void SampleSetupE2E::TearDown() {
  SetupE2E::TearDown();
  removeTree(installDir_);
}

}  // namespace e2e

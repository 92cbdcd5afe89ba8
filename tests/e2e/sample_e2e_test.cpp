// The whole installation of the bundled sample distribution, as a user runs
// it: start setup.exe in the distribution folder, accept the proposed
// directory with Start, read the closing text, press OK.
#include "e2e/e2e_fixture.h"

#include <shlobj.h>

#include <map>
#include <set>

namespace e2e {
namespace {

// A byte-weight sort table far from the English collation: ASCII letters in
// reverse alphabetical order, case ignored; the hyphen left out; every other
// byte before the letters in byte order.
std::string reverseAlphabetTable() {
  std::string weights(256, '\0');
  for (int b = 1; b < 256; ++b) weights[b] = static_cast<char>(2 + b * 120 / 256);
  for (int i = 0; i < 26; ++i) {
    weights['a' + i] = weights['A' + i] = static_cast<char>(250 - 4 * i);
  }
  weights['-'] = 1;
  return weights;
}

using SampleE2E = SampleSetupE2E;

TEST_F(SampleE2E, WholeInstallationOfTheSampleDistribution) {

  HWND main = startToMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(utf8(readText(control(main, kDirEdit))), utf8(installDir_)) << "the proposed folder";
  clickButton(main, kStartButton);

  std::optional<BoxInfo> box = setup().waitMessageBox(120000);
  ASSERT_TRUE(box.has_value()) << setup().error();
  saveScreenshot(L"sample-done");
  EXPECT_EQ(utf8(box->caption), "Dictionary Setup");
  EXPECT_EQ(utf8(box->text), readFile(setupDir() + L"\\closing.txt"));

  // What the installation left in the folder.
  Snapshot installed = snapshotTree(installDir_);
  std::set<std::string> names;
  for (const auto& [name, content] : installed) names.insert(utf8(name));
  std::set<std::string> expected = {
      "dict.ini", "docs", "docs\\readme.txt", "english.str", "nederlands.str", "uninstall.ini",
      "lists", "lists\\COPYING.FreeDict", "lists\\deu.wl", "lists\\ell.wl", "lists\\jpn.wl",
      "lists\\pol.wl", "lists\\eng-deu.wl", "lists\\eng-ell.wl", "lists\\eng-jpn.wl",
      "lists\\eng-pol.wl"};
  EXPECT_EQ(names, expected) << "language.cf is gone, no temporary file is left";
  EXPECT_EQ(installed[L"docs\\readme.txt"], readFile(setupDir() + L"\\readme.txt"));

  // Every byte of every file the installation wrote, against the digests
  // recorded from a known-good build: any change of output shows here. A
  // differing run leaves its own list beside the screenshots.
  std::string digests = digestList(installed);
  std::string recorded = recordedSampleDigests();
  if (digests != recorded) writeFile(artifactsDir() + L"\\sample_install.sha256", digests);
  EXPECT_EQ(digests, recorded) << "installed files differ from tests/e2e/sample_install.sha256";
  for (const char* list : {"eng-deu.wl", "eng-ell.wl", "eng-jpn.wl", "eng-pol.wl"}) {
    const std::string& bytes = installed[L"lists\\" + wide(list)];
    EXPECT_GT(bytes.size(), 0u) << list;
    EXPECT_EQ(bytes.size() % 84, 0u) << list << " holds whole 84-byte records";
  }

  // The registry: one entry per language, sorted by language name.
  std::vector<std::string> section = languageSection(installed[L"dict.ini"]);
  std::vector<std::string> sorted = {"eng-deu.wl,deu,0,German", "eng-ell.wl,ell,161,Greek",
                                     "eng-jpn.wl,jpn,128,Japanese", "eng-pol.wl,pol,238,Polish"};
  EXPECT_EQ(section, sorted);

  // Settings, uninstall record (the folder did not exist at start-up, so
  // "program" could not be written then) and the shortcut.
  EXPECT_EQ(utf8(winIniDictionary()), "Volume=5\nLastList=eng-deu.wl\nAviDelay=250\n");
  wchar_t programs[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, programs, CSIDL_COMMON_PROGRAMS, FALSE));
  std::wstring group = std::wstring(programs) + L"\\Dictionary";
  wchar_t value[MAX_PATH] = {};
  std::wstring record = installDir_ + L"\\uninstall.ini";
  GetPrivateProfileStringW(L"Dictionary", L"program", L"<none>", value, MAX_PATH, record.c_str());
  EXPECT_EQ(utf8(value), "<none>");
  GetPrivateProfileStringW(L"Dictionary", L"name", L"", value, MAX_PATH, record.c_str());
  EXPECT_EQ(utf8(value), "Dictionary");
  GetPrivateProfileStringW(L"Dictionary", L"icon", L"", value, MAX_PATH, record.c_str());
  EXPECT_TRUE(equalsIgnoringCase(value, group)) << utf8(value);
  EXPECT_TRUE(fileExists(group + L"\\Dictionary readme.lnk"));

  setup().pressOk(*box);
  expectExit(0);
}

// Installing again over the same folder replaces each language's entry; a
// third run whose Polish source list is gone ends with the missing-file
// box and exit code 1, with dict.ini as the German step left it.
TEST_F(SampleE2E, SecondRunReplacesEntriesAndAMissingListEndsTheRun) {
  const std::vector<std::string> sorted = {
      "eng-deu.wl,deu,0,German", "eng-ell.wl,ell,161,Greek", "eng-jpn.wl,jpn,128,Japanese",
      "eng-pol.wl,pol,238,Polish"};
  const std::wstring registry = installDir_ + L"\\dict.ini";

  std::string firstRegistry;
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    ASSERT_NO_FATAL_FAILURE(installToTheEnd());
    EXPECT_EQ(languageSection(readFile(registry)), sorted);
    if (run == 1) firstRegistry = readFile(registry);
  }
  EXPECT_EQ(readFile(registry), firstRegistry) << "the second run gives the same registry";

  // The source list is gone from the distribution and from the earlier
  // installation (the list builder reads it from the installed folder).
  ASSERT_TRUE(DeleteFileW((setupDir() + L"\\lists\\pol.wl").c_str()));
  ASSERT_TRUE(DeleteFileW((installDir_ + L"\\lists\\pol.wl").c_str()));
  HWND main = startToMainWindow();
  ASSERT_NE(main, nullptr);
  clickButton(main, kStartButton);
  std::optional<BoxInfo> box = setup().waitMessageBox(120000);
  ASSERT_TRUE(box.has_value()) << setup().error();
  saveScreenshot(L"sample-missing-list");
  EXPECT_EQ(utf8(box->caption), "Error");
  std::string text = utf8(box->text);
  EXPECT_TRUE(text.rfind("Input file \"", 0) == 0 && text.ends_with("pol.wl\" missing")) << text;
  setup().pressOk(*box);
  ASSERT_NO_FATAL_FAILURE(expectExit(1));
  // German was removed and added again (at the end, unsorted); the other
  // entries are as they were.
  std::vector<std::string> afterGerman = {"eng-ell.wl,ell,161,Greek", "eng-jpn.wl,jpn,128,Japanese",
                                          "eng-pol.wl,pol,238,Polish", "eng-deu.wl,deu,0,German"};
  EXPECT_EQ(languageSection(readFile(registry)), afterGerman);
  EXPECT_TRUE(fileExists(installDir_ + L"\\language.cf")) << "kept for another try";
}


// distkit reverse writes, from a distribution's source list, the very list
// that setup.exe installs: for the code page 1252 (German) and 932
// (Japanese) lists of the sample, sorted by the English collation (strings
// key Locale=english) and, in a second installation, by a tables\english.stb
// that the install script copies into place.
TEST_F(SampleE2E, DistkitReverseWritesTheInstalledListsByteForByte) {
  struct List {
    const wchar_t* source;
    const wchar_t* reversed;
    const wchar_t* codePage;
  };
  const List lists[] = {{L"deu.wl", L"eng-deu.wl", L"1252"}, {L"jpn.wl", L"eng-jpn.wl", L"932"}};
  const std::wstring table = setupDir() + L"\\tables\\english.stb";
  std::map<std::wstring, std::string> byLocale;

  for (bool withTable : {false, true}) {
    SCOPED_TRACE(withTable ? "sort table" : "locale english");
    if (withTable) {
      CreateDirectoryW((setupDir() + L"\\tables").c_str(), nullptr);
      ASSERT_TRUE(writeFile(table, reverseAlphabetTable()));
      std::string script = readFile(setupDir() + L"\\install.inf");
      std::size_t at = script.find("mkwlist");
      ASSERT_NE(at, std::string::npos);
      script.insert(at, "mkdir tables\r\ncopy tables\\english.stb tables\\english.stb\r\n");
      ASSERT_TRUE(writeFile(setupDir() + L"\\install.inf", script));
    }
    ASSERT_NO_FATAL_FAILURE(installToTheEnd());

    for (const List& list : lists) {
      SCOPED_TRACE(utf8(list.reversed));
      std::string installed = readFile(installDir_ + L"\\lists\\" + list.reversed);
      ASSERT_GT(installed.size(), 0u);
      std::wstring preview = work() / (std::wstring(L"preview-") + list.reversed);
      std::optional<DWORD> code = runProgram(
          distkitExePath(),
          {L"reverse", setupDir() + L"\\lists\\" + list.source, preview, L"--list-cp",
           list.codePage, L"--home-cp", L"1252", withTable ? L"--table" : L"--locale",
           withTable ? table : L"english"},
          work().path());
      ASSERT_EQ(code, std::optional<DWORD>(0));
      EXPECT_TRUE(readFile(preview) == installed) << "distkit's list differs from the installed one";
      if (withTable) {
        EXPECT_NE(installed, byLocale[list.reversed]) << "the installer sorted by the table";
      } else {
        byLocale[list.reversed] = installed;
      }
    }
  }
}

}  // namespace
}  // namespace e2e

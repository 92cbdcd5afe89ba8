// The sample distribution installed with one thing changed per row: names
// in install.inf or the strings file that lead out of the installation
// folder, a hard link at a copy's destination, setup.exe started from
// another folder, the folder typed in its \\?\ form. Whatever the row, no
// file outside the installation folder is written, moved or removed: not
// beside it, not in the setup folder, not beside the setup folder. A name
// that leads out ends the run as a failed copy does (a normal end) or with
// its step's message.
#include "e2e/e2e_fixture.h"

#include "text/strings_pack.h"

namespace e2e {
namespace {

// Gives `key` of a packed strings file the value `value`.
bool setStringsValue(const std::wstring& path, const std::string& key, const std::string& value) {
  std::string source, error, packed;
  if (!unpackStrings(readFile(path), source, error)) return false;
  std::size_t at = source.rfind("\n" + key + "=");
  if (at == std::string::npos) return false;
  std::size_t end = source.find('\n', at + 1);
  source.replace(at + 1, end - at - 1, key + "=" + value);
  StringsSourceProblem problem;
  return packStrings(source, packed, problem) && writeFile(path, packed);
}

// A digest list without the uninstall record's line: the record goes to the
// proposed folder, not to a typed one.
std::string withoutRecord(std::string digests) {
  const std::string name = "  uninstall.ini\n";
  std::size_t at = digests.find(name);
  if (at != std::string::npos && at >= 64) digests.erase(at - 64, 64 + name.size());
  return digests;
}

struct HeldRow {
  const char* name;
  std::string script;        // lines added to install.inf
  std::string key, value;    // a strings entry of english.str changed
  std::wstring plant;        // a file of the user's beside the installation folder
  bool hardLink = false;     // docs\readme.txt of the installation is another name of it
  bool otherCurrent = false; // setup.exe beside install.inf, started from the row's folder
  bool longForm = false;     // the folder typed as \\?\C:\..., installed twice
  std::string fatal;         // the message the run ends with; empty: the closing box
};

using HeldFolderE2E = SampleSetupE2E;

TEST_F(HeldFolderE2E, NothingOutsideTheInstallationFolderChanges) {
  const std::vector<HeldRow> rows = {
      {"names out of the folder in install.inf",
       "copy readme.txt ..\\x.txt\r\nmkdir ..\\d\r\ncopy ..\\outside-secret.txt stolen.txt\r\n",
       "", "", L"outside-secret.txt", false, false, false, ""},
      {"Install_TaalTemp beside the folder", "", "Install_TaalTemp", "..\\victim.txt",
       L"victim.txt", false, false, false, "Can't create tempfile"},
      {"FilenameIni beside the folder", "", "FilenameIni", "..\\escape.ini", L"escape.ini",
       false, false, false, "Can't create DICT.INI"},
      {"PathLanguage beside the folder", "", "PathLanguage", "..\\x\\", L"", false, false, false,
       "Input file \"..\\x\\deu.wl\" missing"},
      {"hard link at a copy's destination", "", "", "", L"users-own.txt", true, false, false, ""},
      {"setup.exe started from another folder", "", "", "", L"", false, true, false, ""},
      {"folder typed as \\\\?\\", "", "", "", L"", false, false, true, ""},
  };
  for (const HeldRow& row : rows) {
    SCOPED_TRACE(row.name);
    // Each row in a folder of its own: the setup folder and the
    // installation folder side by side.
    const std::wstring root = work() / (L"row" + std::to_wstring(&row - rows.data() + 1));
    const std::wstring dist = root + L"\\setup", inst = root + L"\\inst";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(copyTree(sampleDistPath(), dist));
    if (!row.script.empty()) {
      const std::wstring script = dist + L"\\install.inf";
      ASSERT_TRUE(writeFile(script, readFile(script) + row.script));
    }
    if (!row.key.empty()) {
      ASSERT_TRUE(setStringsValue(dist + L"\\english.str", row.key, row.value)) << row.key;
    }
    if (!row.plant.empty()) {
      ASSERT_TRUE(writeFile(root + L"\\" + row.plant, "the user's own " + utf8(row.plant)));
    }
    if (row.hardLink) {
      ASSERT_TRUE(CreateDirectoryW(inst.c_str(), nullptr));
      ASSERT_TRUE(CreateDirectoryW((inst + L"\\docs").c_str(), nullptr));
      ASSERT_TRUE(CreateHardLinkW((inst + L"\\docs\\readme.txt").c_str(),
                                  (root + L"\\" + row.plant).c_str(), nullptr));
    }
    std::wstring exe;
    if (row.otherCurrent) {
      exe = dist + L"\\setup.exe";
      ASSERT_TRUE(CopyFileW(setupExePath().c_str(), exe.c_str(), FALSE));
    }
    // Everything below the row's folder but the installation folder.
    auto outside = [&] {
      Snapshot s = snapshotTree(root);
      std::erase_if(s, [](const auto& entry) {
        return entry.first == L"inst" || entry.first.starts_with(L"inst\\");
      });
      return s;
    };
    const Snapshot before = outside();

    for (int run = 1; run <= (row.longForm ? 2 : 1); ++run) {
      SCOPED_TRACE("run " + std::to_string(run));
      ASSERT_TRUE(setup().start(row.otherCurrent ? root : dist, exe)) << setup().error();
      HWND main = setup().waitMainWindow();
      ASSERT_NE(main, nullptr) << setup().error();
      ASSERT_TRUE(setText(control(main, kDirEdit), row.longForm ? L"\\\\?\\" + inst : inst));
      clickButton(main, kStartButton);
      std::optional<BoxInfo> box = setup().waitMessageBox(120000);
      ASSERT_TRUE(box.has_value()) << setup().error();
      if (row.fatal.empty()) {
        EXPECT_EQ(utf8(box->caption), "Dictionary Setup") << utf8(box->text);
        EXPECT_EQ(utf8(box->text), readFile(dist + L"\\closing.txt"));
      } else {
        EXPECT_EQ(utf8(box->caption), "Error");
        EXPECT_EQ(utf8(box->text), row.fatal);
      }
      setup().pressOk(*box);
      ASSERT_NO_FATAL_FAILURE(expectExit(row.fatal.empty() ? 0 : 1));

      EXPECT_EQ(describeChanges(before, outside()), "") << "changed outside the installation";
      if (row.fatal.empty()) {
        EXPECT_EQ(withoutRecord(digestList(snapshotTree(inst))),
                  withoutRecord(recordedSampleDigests()))
            << "not the files of a clean installation";
      }
    }
  }
}

}  // namespace
}  // namespace e2e

// A normal installation of the sample with a link planted in the
// installation folder: `lists`, `docs` or a folder two levels down points to
// a folder outside. Nothing outside changes and nothing new appears there;
// the run ends as for a name setup cannot write (a list step's message), or
// normally when only copies were skipped.
//
// The links are Unix symbolic links, which Wine shows to setup as reparse
// points. Wine 8's CreateSymbolicLinkW answers TRUE but makes no link, so the
// test runs /bin/ln itself: Wine starts a Unix program from its Z: path.
#include "e2e/e2e_fixture.h"
#include "support/unix_links.h"

namespace e2e {
namespace {

// A folder link planted at `at`, removed as a link (never through it) when
// the object goes away.
class PlantedLink {
 public:
  PlantedLink(const std::wstring& at, const std::wstring& target) : at_(at) {
    planted_ = testing_support::plantFolderLink(at, target);
  }
  ~PlantedLink() {
    if (planted_) testing_support::removeFolderLink(at_);
  }
  PlantedLink(const PlantedLink&) = delete;
  PlantedLink& operator=(const PlantedLink&) = delete;
  bool planted() const { return planted_; }

 private:
  std::wstring at_;
  bool planted_ = false;
};

struct LinkRow {
  std::wstring link;   // below the installation folder
  std::wstring fatal;  // the message the run ends with; empty: a normal end
};

using LinkE2E = SampleSetupE2E;

TEST_F(LinkE2E, FolderLinkPlantedInTheInstallationFolder) {
  // A folder two levels down: the sample's script with one more folder and
  // a copy into it.
  std::string script = readFile(setupDir() + L"\\install.inf");
  ASSERT_TRUE(writeFile(setupDir() + L"\\install.inf",
                        script + "mkdir docs\\extra\ncopy readme.txt docs\\extra\\readme.txt\n"));
  const std::vector<LinkRow> rows = {
      {L"lists", L"Input file \"lists\\deu.wl\" missing"},
      {L"docs", L""},
      {L"docs\\extra", L""},
  };
  for (const LinkRow& row : rows) {
    SCOPED_TRACE(utf8(row.link));
    removeTree(installDir_);
    ASSERT_TRUE(CreateDirectoryW(installDir_.c_str(), nullptr));
    if (row.link == L"docs\\extra") {
      ASSERT_TRUE(CreateDirectoryW((installDir_ + L"\\docs").c_str(), nullptr));
    }
    // The folder outside holds files named like those setup writes.
    std::wstring outside = work() / (L"outside-" + std::to_wstring(&row - rows.data()));
    ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
    for (const char* name : {"readme.txt", "deu.wl", "eng-deu.wl", "kept.txt"}) {
      ASSERT_TRUE(writeFile(outside + L"\\" + wide(name), std::string("the user's ") + name));
    }
    PlantedLink link(installDir_ + L"\\" + row.link, outside);
    ASSERT_TRUE(link.planted()) << "no link made with /bin/ln";
    const Snapshot before = snapshotTree(outside);

    HWND main = startToMainWindow();
    ASSERT_NE(main, nullptr);
    clickButton(main, kStartButton);
    std::optional<BoxInfo> box = setup().waitMessageBox(120000);
    ASSERT_TRUE(box.has_value()) << setup().error();
    if (row.fatal.empty()) {
      EXPECT_EQ(utf8(box->caption), "Dictionary Setup") << utf8(box->text);
    } else {
      EXPECT_EQ(utf8(box->caption), "Error");
      EXPECT_EQ(utf8(box->text), utf8(row.fatal));
    }
    setup().pressOk(*box);
    ASSERT_NO_FATAL_FAILURE(expectExit(row.fatal.empty() ? 0 : 1));

    EXPECT_EQ(describeChanges(before, snapshotTree(outside)), "") << "outside changed";
    EXPECT_TRUE(testing_support::isFolderLink(installDir_ + L"\\" + row.link)) << "the link is gone";
  }
}

}  // namespace
}  // namespace e2e

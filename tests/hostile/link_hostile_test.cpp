// Links planted in the installation folder before a run: a link at each
// name that setup creates, writes, replaces or deletes there, or at a folder
// on the way to one. Nothing is written, moved or deleted under the name,
// the file or folder the link points to stays whole, and the run ends as for
// a name it cannot write: a skipped copy, or the step's message.
//
// Natively each name is a real symbolic link, once to a file and once to a
// folder outside; under Wine the platform layer reports a link at the name
// (a Unix link to a file is invisible to Win32 calls there).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/state.h"
#include "hostile_support.h"
#include "install/sequence.h"
#include "platform/file.h"
#include "platform/links.h"
#include "platform/screen.h"
#include "script/script.h"
#include "support/planted_link.h"
#include "support/strings_fixture.h"
#include "support/test_support.h"
#include "text/strings_step.h"

using namespace hostile;
using testing_support::contentOf;
using testing_support::ScratchDir;

namespace {

const char kScript[] =
    "mkdir lists\nmkdir docs\nmkdir docs\\extra\n"
    "copy readme.txt docs\\readme.txt\ncopy readme.txt docs\\extra\\readme.txt\n"
    "copy taal.cf taal.cf\nsndcopy lists lists\nmkwlist\n";

#if defined(_WIN32)
constexpr bool kRealLinks = false;
#else
constexpr bool kRealLinks = true;
#endif

struct LinkRow {
  std::u16string name;  // below the installation folder
  Allowed end;
};

// The sample-like distribution in "setup", an earlier installation's
// dict.ini in "inst" (created there unless the row plants it), and what the
// links point to in "outside".
void writeFolders(const ScratchDir& dir, const LinkRow& row) {
  dir.mkdir(u"setup");
  dir.mkdir(u"setup\\lists");
  dir.mkdir(u"inst");
  if (row.name == u"docs\\extra") dir.mkdir(u"inst\\docs");
  dir.mkdir(u"outside");
  dir.mkdir(u"outside\\folder");
  dir.write(u"setup\\install.inf", kScript);
  dir.write(u"setup\\readme.txt", "read me\r\n");
  dir.write(u"setup\\taal.cf", "a,a,0,Dutch\r\ndutch.src\r\ndutch.out\r\n");
  dir.write(u"setup\\lists\\dutch.src", testing_support::record("huis", "house, home"));
  if (row.name != u"dict.ini" || !kRealLinks) {
    dir.write(u"inst\\dict.ini", testing_support::crlf("[Language]\nz,z,0,Zulu\n\n"));
  }
  dir.write(u"outside\\file.txt", "the user's own file\r\n");
  dir.write(u"outside\\folder\\kept.txt", "kept\r\n");
}

}  // namespace

TEST(HostileLinks, LinksPlantedInTheInstallationFolder) {
  const std::u16string listOutput = u"Can't create output file \"lists\\dutch.out\" ";
  const std::vector<LinkRow> rows = {
      {u"lists", fatal(u"Input file \"lists\\dutch.src\" missing")},
      {u"docs", normal()},
      {u"docs\\extra", normal()},
      {u"tmp.ini", fatal(u"Can't open TMP.INI")},
      {u"dict.ini", fatal(u"Can't replace DICT.INI")},
      {u"taal.cf", fatal(u"Can't open LANGUAGE.CF")},
      {u"taal.tmp", fatal(u"Can't create tempfile")},
      {u"lists\\dutch.out", fatal(listOutput)},
      {u"lists\\dutch.out.$$$", fatal(listOutput)},
  };
  const std::vector<std::u16string> targets =
      kRealLinks ? std::vector<std::u16string>{u"outside\\file.txt", u"outside\\folder"}
                 : std::vector<std::u16string>{u""};  // the fake link points nowhere
  for (const LinkRow& row : rows) {
    for (const std::u16string& target : targets) {
      std::string name = u8(row.name) + (target.empty() ? "" : " -> " + u8(target));
      SCOPED_TRACE(name);
      resetInstallState();
      ScratchDir dir;
      writeFolders(dir, row);
      testing_support::writeStringsFiles(
          testing_support::withValues({{"PathLanguage", "lists\\"}}));
      loadStrings(u"C:\\unused");
      ASSERT_TRUE(platform::setCurrentDirectory(dir.path() + u"\\inst"));
      if (row.name.starts_with(u"lists\\")) dir.mkdir(u"inst\\lists");
      ASSERT_TRUE(testing_support::plantLink(row.name, target.empty() ? target
                                                                      : dir.path() + u"\\" + target));
      const std::string outside = contentOf(dir.path() + u"\\outside");
      const std::string under = contentOf(row.name);
      state.setupDir.assign(dir.path() + u"\\setup");
      state.installDir.assign(dir.path() + u"\\inst");
      state.uiCodePage = state.homeCodePage = 1252;

      Outcome got = runRow(name, [&] {
        runInstallPass();
        runInstallSteps(dir.path().size() + 5, [] {});
      });
      testing_support::stopReportingLinks();
      expectOutcome(name, got, {row.end});
      platform::setCurrentDirectory(dir.path() + u"\\inst");
      EXPECT_EQ(contentOf(dir.path() + u"\\outside"), outside) << "outside changed";
      EXPECT_EQ(contentOf(row.name), under) << "written under the link's name";
      if (kRealLinks) {
        EXPECT_EQ(platform::pathKind(row.name), platform::PathKind::Link) << "the link itself is gone";
      }
      platform::setCurrentDirectory(dir.path());
    }
  }
}

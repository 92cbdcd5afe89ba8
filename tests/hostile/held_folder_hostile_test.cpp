// Names that lead out of the held installation folder: "..", a hard link
// whose other name lies outside, and (natively) a folder on the way swapped
// for a symbolic link while the language step writes. Each row runs the
// install pass and the steps after it; nothing beside "inst" may be written,
// moved or removed.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "hostile_support.h"
#include "install/sequence.h"
#include "platform/syscalls.h"
#include "script/script.h"
#include "support/planted_link.h"
#include "support/strings_fixture.h"
#include "text/strings_step.h"
#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>

#include "platform/posix/host_path.h"
#endif

using namespace hostile;
using testing_support::contentOf;
using testing_support::ScratchDir;

namespace {

const char kScript[] =
    "mkdir lists\ncopy readme.txt readme.txt\ncopy taal.cf taal.cf\nsndcopy lists lists\nmkwlist\n";
const char kDistributed[] = "file:read me\r\n";

struct HeldRow {
  const char* name;
  std::string script;  // before kScript
  std::vector<std::pair<std::string, std::string>> strings;
  Allowed end;
  const char* swapAt = nullptr;  // natively: "lists" becomes a link at the first write here
  bool hardLink = false;         // inst\readme.txt a second name of outside\file.txt
  std::u16string checked = u"readme.txt";  // a name below "inst", and what lies there after
  std::string expected = kDistributed;
};

// Every file and folder beside "inst", by its name below the scratch folder.
using Listing = std::map<std::string, std::string>;
void listBeside(const std::u16string& root, const std::u16string& under, Listing& out) {
  platform::FileSearch search;
  if (!search.first(root + u"\\" + under + u"*.*")) return;
  do {
    std::u16string name = under + std::u16string(search.name());
    if (search.name() == u"." || search.name() == u".." || name == u"inst") continue;
    out[u8(name)] = search.isDirectory() ? "folder" : contentOf(root + u"\\" + name);
    if (search.isDirectory()) listBeside(root, name + u"\\", out);
  } while (search.next());
}
std::string changedBeside(const Listing& before, const std::u16string& root) {
  Listing after;
  listBeside(root, u"", after);
  std::string changed;
  for (const auto& [name, bytes] : after)
    if (!before.contains(name) || before.at(name) != bytes) changed += name + " written; ";
  for (const auto& [name, bytes] : before) changed += after.contains(name) ? "" : name + " removed; ";
  return changed;
}

bool makeHardLink(const std::u16string& existing, const std::u16string& name) {
#if defined(_WIN32)
  return CreateHardLinkW(reinterpret_cast<const wchar_t*>(name.c_str()),
                         reinterpret_cast<const wchar_t*>(existing.c_str()), nullptr) != 0;
#else
  auto from = platform::posix::hostPath(existing), at = platform::posix::hostPath(name);
  return from && at && link(from->c_str(), at->c_str()) == 0;
#endif
}

int swaps = 0;
#if !defined(_WIN32)
// The swap: at the first write into a file whose host path ends in swapEnd,
// inst/lists is renamed away and a link to outside/folder takes its name.
std::string swapEnd, swapLists, swapTarget;
std::size_t swappingWrite(const void* data, std::size_t size, std::size_t count,
                          std::FILE* stream) noexcept {
  char at[4096];
  ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fileno(stream))).c_str(), at, sizeof at);
  if (swaps == 0 && n > 0 && std::string_view(at, n).ends_with(swapEnd) &&
      std::rename(swapLists.c_str(), (swapLists + ".away").c_str()) == 0)
    swaps += symlink(swapTarget.c_str(), swapLists.c_str()) == 0;
  return std::fwrite(data, size, count, stream);
}
#endif

}  // namespace

TEST(HostileHeldFolder, NamesLeadingOutOfTheInstallation) {
  const std::vector<std::pair<std::string, std::string>> lists = {{"PathLanguage", "lists\\"}};
  std::vector<HeldRow> rows = {
      {"script names with ..", "copy readme.txt ..\\x.txt\nmkdir ..\\d\ncopy ..\\secret.txt stolen.txt\n",
       lists, normal(), nullptr, false, u"stolen.txt", ""},
      {"Install_TaalTemp=..\\victim.txt", "", {lists[0], {"Install_TaalTemp", "..\\victim.txt"}},
       fatal(u"Can't create tempfile")},
      {"FilenameIni=..\\escape.ini", "", {lists[0], {"FilenameIni", "..\\escape.ini"}},
       fatal(u"Can't create DICT.INI")},
      {"PathLanguage=..\\x\\", "", {{"PathLanguage", "..\\x\\"}},
       fatal(u"Input file \"..\\x\\dutch.src\" missing")},
      {"hard link at a copy's destination", "", lists, normal(), nullptr, true},
#if !defined(_WIN32)
      {"lists swapped for a link before the output is made", "", lists,
       fatal(u"Can't create output file \"lists\\dutch.out\" "), "/inst/taal.tmp"},
      {"lists swapped for a link before the output is renamed", "", lists,
       fatal(u"Can't replace output file \"lists\\dutch.out\""), "/inst/lists/dutch.out.$$$"},
#endif
  };
  for (const HeldRow& row : rows) {
    SCOPED_TRACE(row.name);
    resetInstallState();
    ScratchDir dir;
    const std::u16string root = dir.path();
    for (const char16_t* folder : {u"setup", u"setup\\lists", u"inst", u"outside", u"outside\\folder", u"x"})
      dir.mkdir(folder);
    // Beside "inst": what "..\" would reach (x is PathLanguage=..\x\), and
    // what the links lead to.
    for (const auto& [name, bytes] : std::vector<std::pair<const char16_t*, std::string>>{
             {u"setup\\install.inf", row.script + kScript}, {u"setup\\readme.txt", "read me\r\n"},
             {u"setup\\taal.cf", "a,a,0,Dutch\r\ndutch.src\r\ndutch.out\r\n"},
             {u"setup\\lists\\dutch.src", testing_support::record("huis", "house, home")},
             {u"x\\dutch.src", testing_support::record("boom", "tree")}, {u"secret.txt", "secret\r\n"},
             {u"victim.txt", "the victim's bytes\r\n"},
             {u"escape.ini", testing_support::crlf("[Language]\nz,z,0,Zulu\n\n")},
             {u"outside\\file.txt", "the user's own file\r\n"}, {u"outside\\folder\\kept.txt", "kept\r\n"}})
      dir.write(name, bytes);
    if (row.hardLink) {
      ASSERT_TRUE(makeHardLink(root + u"\\outside\\file.txt", root + u"\\inst\\readme.txt"));
    }
    testing_support::writeStringsFiles(testing_support::withValues(row.strings));
    loadStrings(u"C:\\unused");
    Listing before;
    listBeside(root, u"", before);
    swaps = 0;
#if !defined(_WIN32)
    if (row.swapAt) {
      swapEnd = row.swapAt;
      swapLists = *platform::posix::hostPath(root + u"\\inst\\lists");
      swapTarget = *platform::posix::hostPath(root + u"\\outside\\folder");
      platform::sys::streams.fwrite = swappingWrite;
    }
#endif
    state.setupDir.assign(root + u"\\setup");
    state.installDir.assign(root + u"\\inst");
    state.uiCodePage = state.homeCodePage = 1252;
    Outcome got = runRow(row.name, [&] {
      runInstallPass();
      runInstallSteps(root.size() + 5, [] {});
    });
    platform::sys::streams.fwrite = &std::fwrite;
    expectOutcome(row.name, got, {row.end});
    EXPECT_EQ(changedBeside(before, root), "") << "row \"" << row.name << "\": outside inst";
    EXPECT_EQ(contentOf(root + u"\\inst\\" + row.checked), row.expected)
        << "row \"" << row.name << "\": inst\\" << u8(row.checked);
    EXPECT_EQ(swaps, row.swapAt ? 1 : 0) << "row \"" << row.name << "\": swaps of lists";
  }
}

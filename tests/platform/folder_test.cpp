#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/faults.h"
#include "platform/folder.h"
#include "support/planted_link.h"
#include "support/test_support.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <initializer_list>
#endif

using platform::Folder;
using platform::OpenMode;
using testing_support::contentOf;
using testing_support::ScratchDir;

TEST(FolderLinkTag, NameSurrogatesOnly) {
  const struct {
    const char* name;
    uint32_t tag;
    bool link;
  } rows[] = {
      {"no tag (Wine's Unix link)", 0, true}, {"mount point", 0xA0000003, true},
      {"symbolic link", 0xA000000C, true},    {"cloud placeholder", 0x9000001A, false},
      {"deduplicated", 0x80000013, false},    {"compressed (WOF)", 0x80000017, false},
  };
  for (const auto& row : rows) EXPECT_EQ(platform::isLinkTag(row.tag), row.link) << row.name;
}

#if !defined(_WIN32)
namespace {
std::string str(bool b) { return b ? "1" : "0"; }
const char* const kChanges[] = {"Done", "Failed", "Link"};
const char* const kKinds[] = {"Missing", "File", "Directory", "Link"};
std::string str(platform::NameChange c) { return kChanges[static_cast<int>(c)]; }
std::string str(platform::PathKind k) { return kKinds[static_cast<int>(k)]; }
std::string str(platform::NameInfo i) {
  return str(i.kind) + (i.readOnly ? ",ro," : ",") + std::to_string(i.links);
}

// `at` (relative to the scratch folder) becomes a symbolic link to the
// scratch folder's `target`; `name` a second name of `existing`.
void symlinkTo(const ScratchDir& dir, const char* target, const char* at) {
  EXPECT_EQ(symlink((testing_support::u8(dir.path()) + "/" + target).c_str(), at), 0) << at;
}
void hardLink(const char* existing, const char* name) { EXPECT_EQ(link(existing, name), 0); }

// The outcomes in the order given (a braced list is evaluated in order).
std::string join(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& part : parts) out += (out.empty() ? "" : " ") + part;
  return out;
}
}  // namespace

// Each row works in a scratch folder with "in" (held), "out" (beside it,
// where links lead: out/t.txt holds "T") and the distribution's "src.bin".
TEST(HeldFolder, NamesLinksAndCopies) {
  using platform::faults::Op;
  using std::filesystem::path;
  const struct {
    const char* name;
    std::string (*run)(const Folder&, const ScratchDir&);
    const char* expected;
  } rows[] = {
      {"file link at the name",
       [](const Folder& f, const ScratchDir& d) {
         d.write(u"in/a", "A");
         symlinkTo(d, "out/t.txt", "in/f");
         return join({str(f.open(u"f", OpenMode::WriteBinary).isOpen()),
                      str(f.open(u"f", OpenMode::CreateBinary).isOpen()),
                      str(f.open(u"f", OpenMode::ReadBinary).isOpen()), str(f.look(u"f")),
                      str(f.copyIn(u"src.bin", u"f")), str(f.remove(u"f")),
                      str(f.replace(u"a", u"f")), str(f.replace(u"f", u"a")),
                      str(platform::pathKind(u"in/f")), contentOf(u"out"), d.read(u"in/a")});
       },
       "0 0 0 Link,0 Link Link Link Link Link folder:t.txt=[file:T] A"},
      {"folder link on the way",
       [](const Folder& f, const ScratchDir& d) {
         d.write(u"in/a", "A");
         symlinkTo(d, "out", "in/d");
         return join({str(f.open(u"d\\t.txt", OpenMode::ReadBinary).isOpen()),
                      str(f.open(u"d/t.txt", OpenMode::WriteBinary).isOpen()),
                      str(f.makeDirectory(u"d\\new")), str(f.look(u"d\\t.txt")),
                      str(f.copyIn(u"src.bin", u"d\\t.txt")), str(f.remove(u"d\\t.txt")),
                      str(f.replace(u"a", u"d\\t.txt")), contentOf(u"out")});
       },
       "0 0 0 Link,0 Link Link Link folder:t.txt=[file:T]"},
      {"a folder swapped for a link after a look",
       [](const Folder& f, const ScratchDir& d) {
         d.mkdir(u"in/sub/x");
         std::string before = str(f.look(u"sub\\x"));
         EXPECT_EQ(std::rename("in/sub", "in/old"), 0);
         symlinkTo(d, "out", "in/sub");
         return join({before, str(f.copyIn(u"src.bin", u"sub\\x")),
                      str(f.open(u"sub\\x", OpenMode::WriteBinary).isOpen()),
                      str(f.open(u"sub\\x", OpenMode::CreateText).isOpen()),
                      str(f.makeDirectory(u"sub\\y")), contentOf(u"out")});
       },
       "Directory,1 Link 0 0 0 folder:t.txt=[file:T]"},
      {"a file with two names is replaced as a name",
       [](const Folder& f, const ScratchDir& d) {
         d.write(u"in/h", "OLD");
         hardLink("in/h", "out/o");
         std::string copied =
             join({str(f.look(u"h")), str(f.open(u"h", OpenMode::WriteBinary).isOpen()),
                   str(f.open(u"h", OpenMode::CreateBinary).isOpen()),
                   str(f.copyIn(u"src.bin", u"h")), str(f.look(u"h"))});
         hardLink("in/h", "out/p");
         d.write(u"in/from", "FROM");
         return join({copied, str(f.replace(u"from", u"h")), contentOf(u"in"), d.read(u"out/o"),
                      d.read(u"out/p")});
       },
       "File,2 0 0 Done File,1 Done folder:h=[file:FROM] OLD NEW"},
      {"read-only with one name and with two",
       [](const Folder& f, const ScratchDir& d) {
         d.write(u"in/one", "OLD");
         d.write(u"in/two", "OLD");
         hardLink("in/two", "out/o");
         chmod("in/one", 0444);
         chmod("in/two", 0444);
         return join({str(f.look(u"one")), str(f.copyIn(u"src.bin", u"one")), str(f.look(u"one")),
                      str(f.look(u"two")), str(f.copyIn(u"src.bin", u"two")), contentOf(u"in"),
                      d.read(u"out/o")});
       },
       "File,ro,1 Done File,1 File,ro,2 Failed folder:one=[file:NEW]two=[file:OLD] OLD"},
      {"names outside the rule",
       [](const Folder& f, const ScratchDir& d) {
         d.mkdir(u"in/a");
         std::string taken;
         for (const char16_t* name : {u"..", u"..\\out\\t.txt", u"../out/n", u"/abs", u"\\abs", u"",
                                      u"a\\\\b", u"a/", u"a\\.\\b", u"C:\\x", u"a:s"}) {
           std::string got = join({str(f.makeDirectory(name)), str(f.look(name)),
                                   str(f.open(name, OpenMode::CreateBinary).isOpen()),
                                   str(f.copyIn(u"src.bin", name)), str(f.remove(name))});
           if (got != "0 Missing,0 0 Failed Failed") taken += testing_support::u8(name) + got + ";";
         }
         return join({"[" + taken + "]", contentOf(u"out"), contentOf(u"in")});
       },
       "[] folder:t.txt=[file:T] folder:a=[folder:]"},
      {"plain names",
       [](const Folder& f, const ScratchDir& d) {
         d.write(u"in/left", "OLD");
         std::string made = join({str(f.makeDirectory(u"d")), str(f.makeDirectory(u"d")),
                                  str(f.copyIn(u"src.bin", u"d\\c"))});
         platform::File text = f.open(u"d/t", OpenMode::WriteText);
         platform::File create = f.open(u"left", OpenMode::CreateBinary);
         bool written =
             text.writeAll("a\nb") && text.close() && create.writeAll("Z") && create.close();
         char bytes[8] = {};
         f.open(u"d\\t", OpenMode::ReadBinary).read(bytes, 7);
         return join({made, str(written), bytes, str(f.replace(u"d\\t", u"d\\u")),
                      str(f.remove(u"d\\u")), str(f.remove(u"d")), str(f.remove(u"missing")),
                      str(last_write_time(path("in/d/c")) == last_write_time(path("src.bin"))),
                      contentOf(u"in")});
       },
       "1 0 Done 1 a\r\nb Done Done Failed Failed 1 folder:d=[folder:c=[file:NEW]]left=[file:Z]"},
      {"failed copies leave the name as it was",
       [](const Folder& f, const ScratchDir& d) {
         d.write(u"in/n", "OLD");
         d.mkdir(u"in/d");
         std::string out;
         for (Op op : {Op::Write, Op::Flush, Op::Rename}) {
           platform::faults::failNth(op, 1);
           out += str(f.copyIn(u"src.bin", u"n")) + " ";
         }
         platform::faults::failNth(Op::MakeDir, 1);
         out += str(f.makeDirectory(u"m"));
         platform::faults::reset();
         platform::faults::reportLinkAt(u"d");
         out = join({out, str(f.copyIn(u"src.bin", u"d\\x")), str(f.look(u"d")), contentOf(u"in")});
         platform::faults::reportLinkAt(u"");
         return out;
       },
       "Failed Failed Failed 0 Link Link,0 folder:d=[folder:]n=[file:OLD]"},
      {"a folder that holds nothing follows the user's links",
       [](const Folder&, const ScratchDir& d) {
         symlinkTo(d, "out", "mine");
         Folder none, chosen = Folder::hold(d.path() + u"/mine");
         return join({str(none.copyIn(u"src.bin", u"mine/c")),
                      str(none.open(u"mine\\t.txt", OpenMode::ReadBinary).isOpen()),
                      str(chosen.held()), str(chosen.look(u"t.txt")), contentOf(u"out")});
       },
       "Done 1 1 File,1 folder:c=[file:NEW]t.txt=[file:T]"},
  };
  for (const auto& row : rows) {
    ScratchDir dir;
    dir.mkdir(u"in");
    dir.mkdir(u"out");
    dir.write(u"out/t.txt", "T");
    dir.write(u"src.bin", "NEW");
    const struct timespec old[2] = {{0, UTIME_OMIT}, {1000000000, 5}};
    EXPECT_EQ(utimensat(AT_FDCWD, "src.bin", old, 0), 0);
    Folder folder = Folder::hold(dir.path() + u"/in");
    ASSERT_TRUE(folder.held()) << row.name;
    EXPECT_EQ(row.run(folder, dir), row.expected) << row.name;
  }
}
#endif

#if defined(_WIN32)
#include <windows.h>
#include <winternl.h>

#include <functional>

#include "platform/win32/syscalls.h"
#include "support/unix_links.h"

namespace {
// The swap the next open of the name "sub" runs first: the folder moves
// away and a link to "out" takes its name, between the walk's look at the
// folder above and its open of "sub".
std::function<void()> swapBeforeOpeningSub;
NTSTATUS NTAPI swappingNtCreateFile(PHANDLE h, ACCESS_MASK access, POBJECT_ATTRIBUTES name,
                                    PIO_STATUS_BLOCK io, PLARGE_INTEGER size, ULONG attributes,
                                    ULONG share, ULONG disposition, ULONG options, PVOID ea,
                                    ULONG eaLength) {
  const UNICODE_STRING* n = name->ObjectName;
  if (swapBeforeOpeningSub && n && std::wstring_view(n->Buffer, n->Length / 2) == L"sub") {
    auto swap = std::move(swapBeforeOpeningSub);
    swapBeforeOpeningSub = nullptr;
    swap();
  }
  return ::NtCreateFile(h, access, name, io, size, attributes, share, disposition, options, ea,
                        eaLength);
}
}  // namespace

// A folder on the way that becomes a link between two calls is not entered:
// nothing is written into the folder the link points to.
TEST(HeldFolder, AFolderSwappedForALinkOnTheWayIsNotEntered) {
  const struct {
    const char* name;
    std::function<bool(const Folder&)> write;  // true when it wrote
  } rows[] = {
      {"copyIn",
       [](const Folder& f) { return f.copyIn(u"src.bin", u"sub\\x") == platform::NameChange::Done; }},
      {"open to create",
       [](const Folder& f) { return f.open(u"sub\\x", OpenMode::CreateBinary).isOpen(); }},
      {"makeDirectory", [](const Folder& f) { return f.makeDirectory(u"sub\\y"); }},
      {"replace",
       [](const Folder& f) { return f.replace(u"a", u"sub\\t.txt") == platform::NameChange::Done; }},
  };
  for (const auto& row : rows) {
    ScratchDir dir;
    dir.mkdir(u"in");
    dir.mkdir(u"in\\sub");
    dir.mkdir(u"out");
    dir.write(u"out\\t.txt", "T");
    dir.write(u"in\\a", "A");
    dir.write(u"src.bin", "NEW");
    Folder folder = Folder::hold(dir.path() + u"\\in");
    ASSERT_TRUE(folder.held()) << row.name;
    std::wstring in(dir.path().begin(), dir.path().end()), out = in + L"\\out";
    in += L"\\in";
    bool swapped = false;
    swapBeforeOpeningSub = [&] {
      swapped = MoveFileW((in + L"\\sub").c_str(), (in + L"\\old").c_str()) &&
                testing_support::plantFolderLink(in + L"\\sub", out);
    };
    platform::sys::os.NtCreateFile = swappingNtCreateFile;
    bool wrote = row.write(folder);
    platform::sys::os.NtCreateFile = &::NtCreateFile;
    swapBeforeOpeningSub = nullptr;
    EXPECT_TRUE(swapped) << row.name << ": the folder was not swapped for a link";
    EXPECT_FALSE(wrote) << row.name << ": went through the link";
    EXPECT_EQ(contentOf(dir.path() + u"\\out"), "folder:t.txt=[file:T]") << row.name;
    if (swapped) testing_support::removeFolderLink(in + L"\\sub");
  }
}
#endif

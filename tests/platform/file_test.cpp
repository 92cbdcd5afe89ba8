#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/faults.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "platform/links.h"
#include "support/test_support.h"

#if defined(_WIN32)
#include <winerror.h>
#endif

using namespace std::string_literals;
using platform::File;
using platform::OpenMode;
using testing_support::ScratchDir;
using testing_support::u8;

namespace {

// Every line that readLine gives with a buffer of `capacity` bytes.
std::vector<std::string> readLines(std::u16string_view name, OpenMode mode, int capacity) {
  File file = File::open(name, mode);
  EXPECT_TRUE(file.isOpen());
  std::vector<std::string> lines;
  std::vector<char> buffer(static_cast<std::size_t>(capacity) + 4, '\x55');
  while (file.readLine(buffer.data(), capacity)) {
    lines.emplace_back(buffer.data());
    EXPECT_EQ(buffer[static_cast<std::size_t>(capacity)], '\x55') << "written past the buffer";
  }
  EXPECT_FALSE(file.failed());
  return lines;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += "[" + line + "]";
  return out;
}

}  // namespace

TEST(FileReadLine, TextAndBinaryModes) {
  struct Row {
    const char* name;
    std::string bytes;
    OpenMode mode;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {"CR LF becomes LF", "one\r\ntwo\r\n", OpenMode::ReadText, {"one\n", "two\n"}},
      {"last line without newline", "one\ntwo", OpenMode::ReadText, {"one\n", "two"}},
      {"lone CR kept", "a\rb\r\n\r", OpenMode::ReadText, {"a\rb\n", "\r"}},
      {"CR CR LF", "a\r\r\nb", OpenMode::ReadText, {"a\r\n", "b"}},
      {"empty lines", "\r\n\n", OpenMode::ReadText, {"\n", "\n"}},
      {"binary keeps CR LF", "one\r\ntwo", OpenMode::ReadBinary, {"one\r\n", "two"}},
      {"empty file", "", OpenMode::ReadText, {}},
  };
  for (const Row& row : rows) {
    ScratchDir dir;
    dir.write(u"in.txt", row.bytes);
    EXPECT_EQ(joined(readLines(u"in.txt", row.mode, 100)), joined(row.lines)) << row.name;
  }
}

TEST(FileReadLine, LongLineIsReadInPieces) {
  ScratchDir dir;
  std::string longLine(150, 'x');
  longLine[98] = 'A';  // last byte of the first piece
  longLine[99] = 'B';  // first byte of the second
  dir.write(u"in.txt", longLine + "\r\nshort\r\n" + std::string(99, 'y') + "\r\n");
  std::vector<std::string> lines = readLines(u"in.txt", OpenMode::ReadText, 100);
  ASSERT_EQ(lines.size(), 5u) << joined(lines);
  EXPECT_EQ(lines[0], longLine.substr(0, 99));
  EXPECT_EQ(lines[1], longLine.substr(99) + "\n");
  EXPECT_EQ(lines[2], "short\n");
  // 99 bytes fill the buffer; the newline comes as a piece of its own.
  EXPECT_EQ(lines[3], std::string(99, 'y'));
  EXPECT_EQ(lines[4], "\n");
}

TEST(FileReadLine, CrLfAcrossAPieceBoundary) {
  ScratchDir dir;
  // The CR is the 99th byte: the pair still reads as one newline.
  dir.write(u"in.txt", std::string(98, 'z') + "\r\nnext");
  std::vector<std::string> lines = readLines(u"in.txt", OpenMode::ReadText, 100);
  ASSERT_EQ(lines.size(), 2u) << joined(lines);
  EXPECT_EQ(lines[0], std::string(98, 'z') + "\n");
  EXPECT_EQ(lines[1], "next");
}

TEST(FileWrite, TextModeWritesCrLfBinaryModeIsUntouched) {
  ScratchDir dir;
  {
    File text = File::open(u"text.txt", OpenMode::WriteText);
    ASSERT_TRUE(text.isOpen());
    EXPECT_EQ(text.write("a\nb\r\n", 5), 5u);
    EXPECT_TRUE(text.close());
    File binary = File::open(u"binary.bin", OpenMode::WriteBinary);
    EXPECT_TRUE(binary.writeAll("a\nb\r\n\0\x1A"s));
    EXPECT_TRUE(binary.close());
  }
  EXPECT_EQ(dir.read(u"text.txt"), "a\r\nb\r\r\n");
  EXPECT_EQ(dir.read(u"binary.bin"), "a\nb\r\n\0\x1A"s);
}

TEST(FileSize, ReportsBytesAndKeepsThePosition) {
  ScratchDir dir;
  dir.write(u"data.bin", std::string(1234, 'd'));
  File file = File::open(u"data.bin", OpenMode::ReadBinary);
  char buffer[10];
  ASSERT_EQ(file.read(buffer, 10), 10u);
  EXPECT_EQ(file.size(), 1234);
  EXPECT_EQ(file.tell(), 10);
  dir.write(u"empty.bin", "");
  EXPECT_EQ(File::open(u"empty.bin", OpenMode::ReadBinary).size(), 0);
  EXPECT_EQ(File().size(), -1) << "a file that is not open";
  EXPECT_FALSE(File::open(u"missing.bin", OpenMode::ReadBinary).isOpen());
}

TEST(Faults, FailTheNthOperationOnly) {
  ScratchDir dir;
  // Write: the second write fails, the first and third succeed.
  {
    platform::faults::failNth(platform::faults::Op::Write, 2);
    File file = File::open(u"w.txt", OpenMode::WriteBinary);
    EXPECT_EQ(file.write("one", 3), 3u);
    EXPECT_EQ(file.write("two", 3), 0u);
    EXPECT_TRUE(file.failed());
    EXPECT_EQ(file.write("six", 3), 3u);
    EXPECT_FALSE(file.close()) << "close reports the earlier failure";
  }
  EXPECT_EQ(dir.read(u"w.txt"), "onesix");

  // Flush.
  {
    platform::faults::failNth(platform::faults::Op::Flush, 1);
    File file = File::open(u"f.txt", OpenMode::WriteBinary);
    EXPECT_TRUE(file.writeAll("data"));
    EXPECT_FALSE(file.flush());
    EXPECT_TRUE(file.failed());
    EXPECT_TRUE(File::open(u"g.txt", OpenMode::WriteBinary).flush()) << "only the first fails";
  }

  // Rename: both kinds of rename count.
  dir.write(u"a.txt", "a");
  platform::faults::failNth(platform::faults::Op::Rename, 1);
  EXPECT_FALSE(platform::renameFile(u"a.txt", u"b.txt"));
  EXPECT_TRUE(dir.exists(u"a.txt"));
  EXPECT_FALSE(dir.exists(u"b.txt"));
  platform::faults::failNth(platform::faults::Op::Rename, 1);
  EXPECT_FALSE(platform::replaceFile(u"a.txt", u"b.txt"));
  EXPECT_TRUE(platform::renameFile(u"a.txt", u"b.txt"));

  // Directory creation.
  platform::faults::failNth(platform::faults::Op::MakeDir, 1);
  EXPECT_FALSE(platform::createDirectory(u"sub"));
  EXPECT_FALSE(dir.exists(u"sub"));
  EXPECT_TRUE(platform::createDirectory(u"sub"));
  EXPECT_FALSE(platform::createDirectory(u"sub")) << "it exists now";

  // A run of failures: the second and third renames fail, the fourth works.
  platform::faults::failNth(platform::faults::Op::Rename, 2, 2);
  EXPECT_TRUE(platform::renameFile(u"b.txt", u"c.txt"));
  EXPECT_FALSE(platform::renameFile(u"c.txt", u"d.txt"));
  EXPECT_FALSE(platform::renameFile(u"c.txt", u"d.txt"));
  EXPECT_TRUE(platform::renameFile(u"c.txt", u"d.txt"));

  // reset disarms.
  platform::faults::failNth(platform::faults::Op::MakeDir, 1);
  platform::faults::reset();
  EXPECT_TRUE(platform::createDirectory(u"sub2"));
}

TEST(ReplaceFile, ReplacesOrKeepsTheTarget) {
  ScratchDir dir;
  dir.write(u"new.tmp", "new");
  dir.write(u"target.txt", "old");
  EXPECT_TRUE(platform::replaceFile(u"new.tmp", u"target.txt"));
  EXPECT_EQ(dir.read(u"target.txt"), "new");
  EXPECT_FALSE(dir.exists(u"new.tmp"));

  // Failing: a missing source, then an injected failure.
  EXPECT_FALSE(platform::replaceFile(u"missing.tmp", u"target.txt"));
  EXPECT_EQ(dir.read(u"target.txt"), "new");
  dir.write(u"newer.tmp", "newer");
  platform::faults::failNth(platform::faults::Op::Rename, 1);
  EXPECT_FALSE(platform::replaceFile(u"newer.tmp", u"target.txt"));
  EXPECT_EQ(dir.read(u"target.txt"), "new");
  EXPECT_EQ(dir.read(u"newer.tmp"), "newer");

  // Plain rename refuses an existing target.
  EXPECT_FALSE(platform::renameFile(u"newer.tmp", u"target.txt"));
  EXPECT_EQ(dir.read(u"target.txt"), "new");
}

#if defined(_WIN32)
// A target that another program holds (a virus scanner just after it was
// written) is tried again every 100 ms until it is let go or the time budget
// is spent; any other error ends the replacement at once. The clock is the
// tests' own: the budget passes without waiting.
TEST(ReplaceFile, ATargetHeldForAMomentIsTriedAgain) {
  using platform::faults::Op;
  // One try at once, then one after each pause of 100 ms until the budget.
  const int wholeBudget = static_cast<int>(platform::kReplaceRetryMilliseconds / 100) + 1;
  struct Row {
    const char* name;
    int error;
    int failing;  // tries that fail in a row
    bool replaced;
    int failedTries;
  };
  const Row rows[] = {
      {"sharing violation, let go", ERROR_SHARING_VIOLATION, 3, true, 3},
      {"access denied, let go", ERROR_ACCESS_DENIED, 3, true, 3},
      {"lock violation, let go", ERROR_LOCK_VIOLATION, 3, true, 3},
      {"let go at the last try", ERROR_SHARING_VIOLATION, wholeBudget - 1, true, wholeBudget - 1},
      {"held for good", ERROR_SHARING_VIOLATION, 1000, false, wholeBudget},
      {"disk error, no retry", ERROR_WRITE_FAULT, 3, false, 1},
      {"missing folder, no retry", ERROR_PATH_NOT_FOUND, 3, false, 1},
  };
  const struct {
    const char* name;
    bool (*replace)(std::u16string_view, std::u16string_view);
  } functions[] = {{"replaceFile", platform::replaceFile},
                   {"Folder::replace", [](std::u16string_view from, std::u16string_view to) {
                      return platform::Folder::hold(u".").replace(from, to) ==
                             platform::NameChange::Done;
                    }}};
  for (const auto& function : functions) {
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(function.name) + ", " + row.name);
      ScratchDir dir;
      dir.write(u"new.tmp", "new");
      dir.write(u"target.txt", "old");
      platform::faults::useFakeClock();
      platform::faults::failNth(Op::Rename, 1, row.failing, row.error);
      EXPECT_EQ(function.replace(u"new.tmp", u"target.txt"), row.replaced);
      EXPECT_EQ(platform::faults::injectedFailures(Op::Rename), row.failedTries);
      platform::faults::reset();
      EXPECT_EQ(dir.read(u"target.txt"), row.replaced ? "new" : "old");
      EXPECT_EQ(dir.exists(u"new.tmp"), !row.replaced);
    }
  }
}
#endif

TEST(CurrentDirectory, TooSmallBufferGivesZeroAndEmptyText) {
  ScratchDir dir;
  char16_t full[600];
  std::size_t n = platform::currentDirectory(full, 600);
  ASSERT_GT(n, 3u);
  EXPECT_EQ(std::u16string(full), dir.path()) << u8(full);
  EXPECT_EQ(std::u16string(full).size(), n);

  struct Row {
    const char* name;
    std::size_t capacity;
    std::size_t result;
  };
  const Row rows[] = {
      {"exact fit", n + 1, n}, {"no room for the zero", n, 0}, {"far too small", 4, 0}};
  for (const Row& row : rows) {
    std::vector<char16_t> buffer(row.capacity + 2, u'#');
    EXPECT_EQ(platform::currentDirectory(buffer.data(), row.capacity), row.result) << row.name;
    EXPECT_EQ(std::u16string(buffer.data()).size(), row.result) << row.name;
    EXPECT_EQ(buffer[row.capacity], u'#') << row.name << ": written past the buffer";
  }
}

TEST(RemoveTree, RemovesAFolderWholeAndALinkOnlyAsALink) {
  ScratchDir dir;
  dir.mkdir(u"tree\\sub\\deeper");
  dir.mkdir(u"empty");
  dir.mkdir(u"target");
  dir.write(u"tree\\a.txt", "a");
  dir.write(u"tree\\sub\\deeper\\b.txt", "b");
  dir.write(u"target\\keep.txt", "keep");
  std::vector<std::u16string> names;
  EXPECT_TRUE(platform::listDirectory(u"empty", names));
  EXPECT_TRUE(names.empty()) << "an empty folder lists as empty";
  EXPECT_FALSE(platform::listDirectory(u"missing", names)) << "a missing one cannot be listed";
  EXPECT_FALSE(platform::listDirectory(u"tree\\a.txt", names)) << "nor can a file";
  EXPECT_EQ(platform::pathKind(u"tree\\a.txt"), platform::PathKind::File);
  EXPECT_EQ(platform::pathKind(u"tree"), platform::PathKind::Directory);
  EXPECT_EQ(platform::pathKind(u"missing"), platform::PathKind::Missing);

  // A link to a folder inside the tree (where this system lets a program
  // make one: Wine 8's CreateSymbolicLinkW makes nothing).
  std::error_code error;
  std::filesystem::path root(dir.path());
  std::filesystem::create_directory_symlink(root / "target", root / "tree" / "sub" / "link", error);
  bool linked = platform::pathKind(u"tree\\sub\\link") == platform::PathKind::Link;
  EXPECT_TRUE(platform::removeTree(u"tree"));
  EXPECT_EQ(platform::pathKind(u"tree"), platform::PathKind::Missing);
  EXPECT_EQ(dir.read(u"target\\keep.txt"), "keep") << "the link's target keeps its files";
  if (!linked) GTEST_SKIP() << "no link could be made here; the tree without one was removed";
}

TEST(CreateNewFile, NeverOpensAFileThatIsThere) {
  ScratchDir dir;
  EXPECT_TRUE(platform::createNewFile(u"new.txt"));
  EXPECT_TRUE(dir.exists(u"new.txt"));
  dir.write(u"mine.txt", "mine");
  EXPECT_FALSE(platform::createNewFile(u"mine.txt"));
  EXPECT_FALSE(platform::createNewFile(u"new.txt"));
  EXPECT_EQ(dir.read(u"mine.txt"), "mine");
}

// Names that Windows takes as one file, beyond ASCII: NTFS's rule (each
// UTF-16 unit's simple upper-case form), the same on both sides of the
// platform seam.
TEST(UpperCaseName, FoldsAsTheFileSystemCompares) {
  struct Row {
    const char* a;
    const char* b;
    bool same;
  } rows[] = {
      {"\u00c4rger.txt", "\u00e4rger.txt", true},
      {"\u0141\u00f3d\u017a", "\u0142\u00d3D\u0179", true},
      {"\u00ff", "\u0178", true},
      {"\u03ac\u03ad\u03ae\u03af\u03cc\u03cd\u03ce\u03b1\u03c9",
       "\u0386\u0388\u0389\u038a\u038c\u038e\u038f\u0391\u03a9", true},
      {"\u0451\u043b\u043a\u0430 \u045f\u0463", "\u0401\u041b\u041a\u0410 \u040f\u0462", true},
      {"lists\\Deu.WL", "LISTS\\deu.wl", true},
      {"\u1ea1.txt", "\u1ea0.txt", true},   // Vietnamese a with dot below
      {"\uff41.txt", "\uff21.txt", true},   // fullwidth a
      {"\u01c5", "\u01c6", true},           // title case Dz with caron
      {"\u03c9\u03c2", "\u03a9\u03a3", true},  // omega, final sigma
      {"\u10d0", "\u1c90", true},           // Georgian an
      {"\u0561", "\u0531", true},           // Armenian ayb
      {"\u0131", "I", true},                // dotless i
      {"stra\u00dfe", "STRASSE", false},
      {"\u00e4", "a", false},
      {"\u00e9", "e\u0301", false},         // one name only when spelled alike
      {"\U00010428", "\U00010400", false},  // surrogates stay as they are
  };
  for (const Row& row : rows) {
    std::u16string a = platform::upperCaseName(testing_support::u16(row.a));
    std::u16string b = platform::upperCaseName(testing_support::u16(row.b));
    EXPECT_EQ(a == b, row.same) << row.a << " / " << row.b << ": " << u8(a) << " / " << u8(b);
    EXPECT_EQ(a.size(), testing_support::u16(row.a).size()) << row.a;
  }
}

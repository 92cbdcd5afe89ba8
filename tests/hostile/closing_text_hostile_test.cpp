// Damaged closing-text files: the reader gives the file's text (at most 4999
// characters of it) or nothing, so that the box shows Install_Finished,
// whatever the file holds and however large it is. (That the box shows the
// one or the other is the app tests' business.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/state.h"
#include "hostile_support.h"
#include "install/sequence.h"
#include "platform/file.h"
#include "support/test_support.h"

using namespace hostile;
using testing_support::ScratchDir;

using testing_support::bytes;

namespace {

struct ClosingRow {
  enum class Expect {
    Text,      // exactly `text`
    Fallback,  // nothing: the box shows Install_Finished
    AnyText,   // some text or nothing, never more than the box takes
  };
  std::string name;
  std::string file;  // bytes of "closing.txt"; unused when arrange writes it
  uint32_t codePage = 1252;
  Expect expect = Expect::Text;
  std::u16string text;
  std::function<void(const ScratchDir&)> arrange = nullptr;
};

void runClosingRows(const std::vector<ClosingRow>& rows) {
  for (const ClosingRow& row : rows) {
    SCOPED_TRACE(row.name);
    resetInstallState();
    ScratchDir dir;
    state.closingTextFile.assign(u"closing.txt");
    if (row.arrange) {
      row.arrange(dir);
    } else {
      dir.write(u"closing.txt", row.file);
    }
    StateGuard guard;
    std::u16string shown;
    Outcome got = runRow(row.name, [&] {
      shown = readClosingText(state.closingTextFile.view(), row.codePage);
    });
    expectOutcome(row.name, got, {normal()});
    EXPECT_EQ(guard.check(), "") << "row \"" << row.name << "\"";
    switch (row.expect) {
      case ClosingRow::Expect::Text:
        EXPECT_EQ(u8(shown).substr(0, 200), u8(row.text).substr(0, 200))
            << "row \"" << row.name << "\"";
        EXPECT_EQ(shown.size(), row.text.size()) << "row \"" << row.name << "\"";
        break;
      case ClosingRow::Expect::Fallback:
        EXPECT_EQ(u8(shown), "") << "row \"" << row.name << "\"";
        break;
      case ClosingRow::Expect::AnyText:
        EXPECT_LE(shown.size(), kClosingTextLimit) << "row \"" << row.name << "\"";
        EXPECT_EQ(shown.find(u'\0'), std::u16string::npos) << "row \"" << row.name << "\"";
        break;
    }
    printTime("closing text", row.name, got);
  }
}

// A file of `size` bytes that holds only `head` at its start (the rest is
// a hole, read as zero bytes), made without writing `size` bytes.
void writeSparse(const ScratchDir& dir, std::u16string_view name, std::string_view head,
                 int64_t size) {
  platform::File f = platform::File::open(dir.path() + u"\\" + std::u16string(name),
                                          platform::OpenMode::WriteBinary);
  ASSERT_TRUE(f.isOpen());
  f.writeAll(head);
  ASSERT_TRUE(f.seek(size - 1));
  f.writeAll(std::string(1, 'z'));
  ASSERT_TRUE(f.close());
}

using Expect = ClosingRow::Expect;

}  // namespace

TEST(HostileClosingText, DamagedClosingTexts) {
  std::u16string a4999(4999, u'a');
  // Random bytes and lone lead bytes: their exact form is the code page's
  // business.
  runClosingRows({
      {"empty file", "", 1252, Expect::Fallback, u""},
      {"random bytes, seed 81 (4 KB)", randomBytes(81, 4096), 1252, Expect::AnyText, u""},
      {"no newline, 1 MB of text", std::string(1 << 20, 'a'), 1252, Expect::Text, a4999},
      {"zero byte first", bytes("\0text"), 1252, Expect::Fallback, u""},
      {"zero byte inside", bytes("before\0after"), 1252, Expect::Text, u"before"},
      {"lone lead byte as the last byte (932)", "ok\x82", 932, Expect::AnyText, u""},
      {"lone lead byte before the zero (932)", bytes("ok\x82\0more"), 932, Expect::AnyText, u""},
      {"4999 characters and a lead byte (932)", std::string(4999, 'b') + "\x82", 932,
       Expect::Text, std::u16string(4999, u'b')},
      {"closing text is a directory", "", 1252, Expect::Fallback, u"",
       [](const ScratchDir& d) { d.mkdir(u"closing.txt"); }},
      {"64 MB file", "", 1252, Expect::Text, a4999,
       [](const ScratchDir& d) { d.write(u"closing.txt", std::string(64u << 20, 'a')); }},
      {"sparse file of 5 GB", "", 1252, Expect::Text, u"head",
       [](const ScratchDir& d) { writeSparse(d, u"closing.txt", "head", int64_t{5} << 30); }},
  });
}

// Closing-text names whose full path has 259 to 261 characters: the text,
// or nothing where the system refuses the path.
TEST(HostileClosingText, PathsAroundTheLimit) {
  for (std::size_t total : {259u, 260u, 261u}) {
    std::string name = "closing-text path of " + std::to_string(total) + " characters";
    SCOPED_TRACE(name);
    resetInstallState();
    ScratchDir dir;
    // closingTextFile holds at most 99 characters: a folder takes the rest.
    std::u16string folder = dir.path() + u"\\";
    std::size_t nameLength = 90;
    folder += std::u16string(total - folder.size() - nameLength - 1, u'f');
    platform::createDirectory(folder);
    platform::setCurrentDirectory(folder);
    state.closingTextFile.assign(std::u16string(nameLength, u'c'));
    {
      platform::File f = platform::File::open(state.closingTextFile.view(),
                                              platform::OpenMode::WriteBinary);
      if (f) f.writeAll("long path");
    }
    StateGuard guard;
    std::u16string shown;
    Outcome got =
        runRow(name, [&] { shown = readClosingText(state.closingTextFile.view(), 1252); });
    expectOutcome(name, got, {normal()});
    EXPECT_TRUE(shown == u"long path" || shown.empty()) << name << ": " << u8(shown);
    EXPECT_EQ(guard.check(), "") << name;
    printTime("closing text", name, got);
  }
}

// Damaged closing-text files: the closing box shows the file's text (at
// most 4999 characters of it) or the Install_Finished text, whatever the
// file holds and however large it is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/sequence.h"
#include "base/state.h"
#include "hostile_support.h"
#include "platform/file.h"
#include "support/test_support.h"
#include "text/strings.h"

using namespace hostile;
using testing_support::ScratchDir;
using testing_support::shownBoxes;

namespace {

struct ClosingRow {
  std::string name;
  std::string file;  // bytes of "closing.txt"; unused when arrange writes it
  uint32_t codePage = 1252;
  // The shown text: exactly, or its length when exact is empty.
  std::u16string exact;
  std::size_t length = 0;
  std::function<void(const ScratchDir&)> arrange = nullptr;
};

template <std::size_t N>
std::string bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

const std::u16string kFinished = u"Finished!";

void runClosingRows(const std::vector<ClosingRow>& rows) {
  for (const ClosingRow& row : rows) {
    SCOPED_TRACE(row.name);
    resetInstallState();
    shownBoxes().clear();
    strings.values[static_cast<int>(StringKey::Install_Finished)] = kFinished.c_str();
    strings.values[static_cast<int>(StringKey::Install_Install)] = u"Install";
    ScratchDir dir;
    state.uiCodePage = row.codePage;
    state.closingTextFile.assign(u"closing.txt");
    if (row.arrange) {
      row.arrange(dir);
    } else {
      dir.write(u"closing.txt", row.file);
    }
    StateGuard guard;
    Outcome got = runRow(row.name, [] { showClosingText(); });
    expectOutcome(row.name, got, {normal()});
    EXPECT_EQ(guard.check(), "") << "row \"" << row.name << "\"";
    if (got.end == Outcome::End::Normal) {
      if (shownBoxes().size() != 1) {
        ADD_FAILURE() << "row \"" << row.name << "\": " << shownBoxes().size() << " boxes shown";
      } else {
        const std::u16string& shown = shownBoxes()[0].text;
        EXPECT_EQ(u8(shownBoxes()[0].caption), "Install") << "row \"" << row.name << "\"";
        if (!row.exact.empty()) {
          EXPECT_EQ(u8(shown).substr(0, 200), u8(row.exact).substr(0, 200))
              << "row \"" << row.name << "\"";
          EXPECT_EQ(shown.size(), row.exact.size()) << "row \"" << row.name << "\"";
        } else {
          EXPECT_EQ(shown.size(), row.length) << "row \"" << row.name << "\"";
        }
      }
    }
    printTime("closing text", row.name, got);
    for (auto& v : strings.values) v = nullptr;
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

}  // namespace

TEST(HostileClosingText, DamagedClosingTexts) {
  std::u16string a4999(4999, u'a');
  std::vector<ClosingRow> rows = {
      {"empty file", "", 1252, kFinished},
      {"random bytes, seed 81 (4 KB)", randomBytes(81, 4096), 1252, u"", 0,
       nullptr},  // length checked below
      {"no newline, 1 MB of text", std::string(1 << 20, 'a'), 1252, a4999},
      {"zero byte first", bytes("\0text"), 1252, kFinished},
      {"zero byte inside", bytes("before\0after"), 1252, u"before"},
      {"lone lead byte as the last byte (932)", "ok\x82", 932, u"", 0, nullptr},
      {"lone lead byte before the zero (932)", bytes("ok\x82\0more"), 932, u"", 0, nullptr},
      {"4999 characters and a lead byte (932)", std::string(4999, 'b') + "\x82", 932,
       std::u16string(4999, u'b')},
      {"closing text is a directory", "", 1252, kFinished,
       0, [](const ScratchDir& d) { d.mkdir(u"closing.txt"); }},
      {"64 MB file", "", 1252, a4999, 0,
       [](const ScratchDir& d) { d.write(u"closing.txt", std::string(64u << 20, 'a')); }},
      {"sparse file of 5 GB", "", 1252, u"head", 0,
       [](const ScratchDir& d) { writeSparse(d, u"closing.txt", "head", int64_t{5} << 30); }},
  };
  // Random bytes and lone lead bytes: some text or the fallback, never more
  // than 4999 characters; their exact form is the code page's business.
  for (ClosingRow& row : rows) {
    if (row.exact.empty() && !row.arrange) row.length = static_cast<std::size_t>(-1);
  }
  for (ClosingRow& row : rows) {
    if (row.length != static_cast<std::size_t>(-1)) continue;
    SCOPED_TRACE(row.name);
    resetInstallState();
    shownBoxes().clear();
    strings.values[static_cast<int>(StringKey::Install_Finished)] = kFinished.c_str();
    strings.values[static_cast<int>(StringKey::Install_Install)] = u"Install";
    ScratchDir dir;
    state.uiCodePage = row.codePage;
    state.closingTextFile.assign(u"closing.txt");
    dir.write(u"closing.txt", row.file);
    StateGuard guard;
    Outcome got = runRow(row.name, [] { showClosingText(); });
    expectOutcome(row.name, got, {normal()});
    EXPECT_EQ(guard.check(), "") << row.name;
    ASSERT_EQ(shownBoxes().size(), 1u) << row.name;
    EXPECT_FALSE(shownBoxes()[0].text.empty()) << row.name;
    EXPECT_LE(shownBoxes()[0].text.size(), 4999u) << row.name;
    printTime("closing text", row.name, got);
    for (auto& v : strings.values) v = nullptr;
  }
  std::vector<ClosingRow> exactRows;
  for (ClosingRow& row : rows) {
    if (row.length != static_cast<std::size_t>(-1)) exactRows.push_back(row);
  }
  runClosingRows(exactRows);
}

// Closing-text names whose full path has 259 to 261 characters.
TEST(HostileClosingText, PathsAroundTheLimit) {
  std::vector<ClosingRow> rows;
  for (std::size_t total : {259u, 260u, 261u}) {
    rows.push_back({"closing-text path of " + std::to_string(total) + " characters", "", 1252,
                    u"", 0, [total](const ScratchDir& d) {
                      // closingTextFile holds at most 99 characters: a
                      // folder takes the rest.
                      std::u16string folder = d.path() + u"\\";
                      std::size_t nameLength = 90;
                      folder += std::u16string(total - folder.size() - nameLength - 1, u'f');
                      platform::createDirectory(folder);
                      platform::setCurrentDirectory(folder);
                      std::u16string name(nameLength, u'c');
                      state.closingTextFile.assign(name);
                      platform::File f = platform::File::open(name, platform::OpenMode::WriteBinary);
                      if (f) f.writeAll("long path");
                    }});
  }
  for (ClosingRow& row : rows) {
    SCOPED_TRACE(row.name);
    resetInstallState();
    shownBoxes().clear();
    strings.values[static_cast<int>(StringKey::Install_Finished)] = kFinished.c_str();
    strings.values[static_cast<int>(StringKey::Install_Install)] = u"Install";
    ScratchDir dir;
    state.uiCodePage = 1252;
    row.arrange(dir);
    StateGuard guard;
    Outcome got = runRow(row.name, [] { showClosingText(); });
    expectOutcome(row.name, got, {normal()});
    ASSERT_EQ(shownBoxes().size(), 1u) << row.name;
    std::string shown = u8(shownBoxes()[0].text);
    EXPECT_TRUE(shown == "long path" || shown == u8(kFinished)) << row.name << ": " << shown;
    EXPECT_EQ(guard.check(), "") << row.name;
    printTime("closing text", row.name, got);
    for (auto& v : strings.values) v = nullptr;
  }
}

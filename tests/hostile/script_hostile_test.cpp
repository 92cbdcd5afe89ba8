// Damaged install.inf through both passes: each run ends normally (the
// passes pass over what they cannot use) or with "Can't open INSTALL.INF".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/state.h"
#include "hostile_support.h"
#include "platform/file.h"
#include "script/script.h"
#include "support/test_support.h"

using namespace hostile;
using testing_support::ScratchDir;

using testing_support::bytes;

namespace {

const std::u16string kCantOpen = u"Can't open INSTALL.INF";

struct ScriptRow {
  std::string name;
  std::string script;
  uint32_t codePage = 1252;
  std::vector<Allowed> allowed = {normal()};
  // Checks after a normal end; empty text when all is well.
  std::function<std::string()> check = nullptr;
};

// Both passes over `script` in setupDir "setup", installing into "inst".
Outcome runBothPasses(const ScratchDir& dir, const ScriptRow& row, StateGuard& guard) {
  dir.mkdir(u"setup");
  dir.mkdir(u"inst");
  dir.write(u"setup\\install.inf", row.script);
  state.setupDir.assign(dir.path() + u"\\setup");
  state.installDir.assign(dir.path() + u"\\inst");
  state.defaultDir.assign(dir.path() + u"\\proposed");
  state.uiCodePage = state.homeCodePage = row.codePage;
  guard.take();
  guard.allow(state.titleText).allow(state.defaultDir).allow(state.shortcutArgs);
  guard.allow(state.debugMode).allow(state.uninstallPath).allow(state.installDir);
  guard.allow(state.shortcutName).allow(state.shortcutTarget).allow(state.groupName);
  guard.allow(state.closingTextFile).allow(state.makeShortcut).allow(state.makeWordLists);
  return runRow(row.name, [] {
    runStartupPass();
    runInstallPass();
  });
}

void runScriptRows(const std::string& table, const std::vector<ScriptRow>& rows) {
  for (const ScriptRow& row : rows) {
    SCOPED_TRACE(row.name);
    resetInstallState();
    ScratchDir dir;
    StateGuard guard;
    Outcome got = runBothPasses(dir, row, guard);
    expectOutcome(row.name, got, row.allowed);
    EXPECT_EQ(guard.check(), "") << "row \"" << row.name << "\"";
    if (got.end == Outcome::End::Normal && row.check) {
      EXPECT_EQ(row.check(), "") << "row \"" << row.name << "\"";
    }
    printTime(table, row.name, got);
  }
}

std::string expectWide(const char* field, std::u16string_view got, std::u16string_view expected) {
  if (got == expected) return "";
  return std::string(field) + " is \"" + u8(got) + "\", expected \"" + u8(expected) + "\"";
}

}  // namespace

TEST(HostileScript, DamagedScripts) {
  std::string manyLines;
  for (int i = 0; i < 100000; ++i) manyLines += "title line " + std::to_string(i) + "\r\n";
  std::string longTitle = "title " + std::string(1 << 20, 'T');
  std::vector<ScriptRow> rows = {
      {"empty file", "", 1252, {normal()},
       [] { return expectWide("titleText", state.titleText.view(), u""); }},
      {"random bytes, seed 31 (4 KB)", randomBytes(31, 4096)},
      {"random bytes, seed 32 (64 KB)", randomBytes(32, 65536)},
      {"random bytes, seed 33 (1 MB)", randomBytes(33, 1 << 20)},
      {"random text, seed 34 (64 KB)", randomText(34, 65536)},
      {"no newline at all", "title No newline", 1252, {normal()},
       [] { return expectWide("titleText", state.titleText.view(), u"No newline"); }},
      {"one line of 1 MB", longTitle, 1252, {normal()},
       [] {
         // The first 99-byte piece is the title line; the other pieces are
         // lines of their own that match nothing.
         return expectWide("titleText", state.titleText.view(), std::u16string(93, u'T'));
       }},
      {"zero bytes inside lines", bytes("title A\0B\r\n\0title hidden\r\nwbarg x\0y\r\n"), 1252,
       {normal()},
       [] {
         return expectWide("titleText", state.titleText.view(), u"A") +
                expectWide("shortcutArgs", state.shortcutArgs.view(), u"x");
       }},
      {"carriage returns only", "title a\rtitle b\rtitle c\r", 1252, {normal()}, nullptr},
      {"lone lead byte at the end of a line (932)", "title abc\x82\r\ndisplay d\x82\r\n", 932},
      {"lone lead byte as the last byte (932)", "title abc\x82", 932},
      {"lone lead byte before a zero byte (932)", bytes("iconname x\x82\0z\r\n"), 932},
      {"keywords without arguments", "title\r\ndir\r\nsubdir\r\nwbarg\r\nmkdir\r\niconname\r\n"
                                     "avidelay\r\nsetini\r\nicongroup\r\niconexe\r\ndisplay\r\n"
                                     "copy\r\nxcopy\r\nsndcopy\r\nsetini =\r\nsetini a\r\n"},
      {"copy commands with missing tokens", "copy a\r\nxcopy\r\nsndcopy nowhere\r\n"
                                            "sndcopy missing x\r\ncopy a b c d e f\r\n"},
      {"100,000 lines", manyLines, 1252, {normal()},
       [] { return expectWide("titleText", state.titleText.view(), u"line 99999"); }},
  };
  runScriptRows("install.inf", rows);
}

TEST(HostileScript, ScriptThatCannotBeOpened) {
  resetInstallState();
  ScratchDir dir;
  dir.mkdir(u"setup");
  dir.mkdir(u"setup\\install.inf");  // a directory of that name
  state.setupDir.assign(dir.path() + u"\\setup");
  Outcome got = runRow("install.inf is a directory", [] { runStartupPass(); });
  expectOutcome("install.inf is a directory (start-up pass)", got, {fatal(kCantOpen)});
  got = runRow("install.inf is a directory", [] { runInstallPass(); });
  expectOutcome("install.inf is a directory (install pass)", got, {fatal(kCantOpen)});
}

namespace {

// dir and subdir lines that make the proposed directory `length`
// characters long: "dir <base>" and subdir lines of at most 80 characters.
std::string directoryLines(const std::u16string& base, std::size_t length) {
  std::string lines = "dir " + u8(base) + "\r\n";
  std::size_t have = base.size();
  char letter = 'a';
  while (have < length) {
    std::size_t name = length - have - 1;
    if (name > 80) name = 80;
    if (name == 0) {  // one character left: lengthen the previous name instead
      return directoryLines(base + u"x", length);
    }
    lines += "subdir " + std::string(name, letter++) + "\r\n";
    have += name + 1;
  }
  return lines;
}

}  // namespace

// Proposed directories around the 260-character path buffer: a directory
// that does not fit is refused whole, never cut; the uninstall record is
// dropped when its path does not fit.
TEST(HostileScript, ProposedDirectoriesAroundTheLimit) {
  for (std::size_t total : {245u, 246u, 259u, 260u, 261u}) {
    std::string row = "dir/subdir lines giving " + std::to_string(total) + " characters";
    SCOPED_TRACE(row);
    resetInstallState();
    ScratchDir dir;
    std::u16string base = dir.path() + u"\\p";
    ScriptRow scriptRow{row, directoryLines(base, total)};
    StateGuard guard;
    Outcome got = runBothPasses(dir, scriptRow, guard);
    expectOutcome(row, got, {normal()});
    EXPECT_EQ(guard.check(), "") << row;
    std::size_t length = state.defaultDir.length();
    if (total <= 259) {
      EXPECT_EQ(length, total) << row;
    } else {
      EXPECT_LT(length, total - 1) << row << ": the last subdir line is refused whole";
    }
    bool recordFits = length + 14 <= 259;
    EXPECT_EQ(state.uninstallPath.empty(), !recordFits) << row << ": " << u8(state.uninstallPath);
    if (recordFits) {
      EXPECT_EQ(u8(state.uninstallPath), u8(state.defaultDir) + "\\uninstall.ini") << row;
    }
    printTime("install.inf paths", row, got);
  }
}

// Distribution folders whose install.inf path has 259 to 261 characters,
// and an installation directory of 259 characters: copies whose paths do
// not fit are skipped, nothing is written anywhere else.
TEST(HostileScript, LongSetupAndInstallFolders) {
  for (std::size_t total : {259u, 260u, 261u}) {
    std::string row = "install.inf path of " + std::to_string(total) + " characters";
    SCOPED_TRACE(row);
    resetInstallState();
    ScratchDir dir;
    std::u16string setup = dir.path() + u"\\";
    setup += std::u16string(total - setup.size() - 12, u's');  // "\install.inf"
    platform::createDirectory(setup);
    {
      platform::File f = platform::File::open(setup + u"\\install.inf",
                                              platform::OpenMode::WriteBinary);
      if (f) f.writeAll("title Long\r\ncopy a b\r\nmkdir m\r\nxcopy *.* sub\r\n");
    }
    dir.mkdir(u"inst");
    state.setupDir.assign(setup);
    state.installDir.assign(dir.path() + u"\\inst");
    StateGuard guard;
    guard.allow(state.titleText).allow(state.installDir).allow(state.uninstallPath);
    guard.allow(state.defaultDir);
    Outcome got = runRow(row, [] {
      runStartupPass();
      runInstallPass();
    });
    std::vector<Allowed> allowed = {normal()};
    if (total > 259) allowed.push_back(fatal(kCantOpen));
    expectOutcome(row, got, allowed);
    EXPECT_EQ(guard.check(), "") << row;
    printTime("install.inf paths", row, got);
  }

  std::string row = "installation directory of 259 characters";
  resetInstallState();
  ScratchDir dir;
  dir.mkdir(u"setup");
  dir.write(u"setup\\install.inf",
            "mkdir m\r\ncopy install.inf x\r\nxcopy *.* \r\nsndcopy . s\r\ndisplay d\r\n");
  state.setupDir.assign(dir.path() + u"\\setup");
  std::u16string inst = dir.path() + u"\\";
  inst += std::u16string(259 - inst.size(), u'i');
  state.installDir.assign(inst);
  StateGuard guard;
  guard.allow(state.installDir).allow(state.closingTextFile);
  Outcome got = runRow(row, [] { runInstallPass(); });
  expectOutcome(row, got, {normal()});
  EXPECT_EQ(guard.check(), "") << row;
  EXPECT_EQ(state.installDir.length(), 259u) << row;
  EXPECT_FALSE(dir.exists(u"setup\\m")) << row;
  printTime("install.inf paths", row, got);
}

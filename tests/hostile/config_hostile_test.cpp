// Damaged language configuration files through the real language step:
// every language is built and registered, or the run ends with one of the
// step's messages; dict.ini is never left half-written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/state.h"
#include "hostile_support.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "support/strings_fixture.h"
#include "support/test_support.h"
#include "text/strings_step.h"
#include "text/collate.h"
#include "install/language_step.h"

using namespace hostile;
using testing_support::ScratchDir;

using testing_support::lf;
using testing_support::record;
using testing_support::bytes;

namespace {

struct ConfigRow {
  std::string name;
  std::string config;  // taal.cf
  std::vector<Allowed> allowed = {normal()};
  std::function<std::string(const ScratchDir&)> check = nullptr;
  std::vector<std::pair<std::string, std::string>> strings = {};  // overrides
};

// The registry's entry lines (the lines between the header and the first
// blank line).
std::string entries(const ScratchDir& dir) {
  std::string text = lf(dir.read(u"dict.ini"));
  std::size_t at = text.find("[Language]\n");
  if (at == std::string::npos) return "(no section)";
  at += 11;
  std::size_t end = text.find("\n\n", at);
  return text.substr(at, end == std::string::npos ? std::string::npos : end - at + 1);
}

std::string expectEntries(const ScratchDir& dir, const std::string& expected) {
  std::string got = entries(dir);
  return got == expected ? "" : "dict.ini entries \"" + got + "\", expected \"" + expected + "\"";
}

// Possible ends of a run over text that is no configuration file at all.
std::vector<Allowed> anyMessageOfTheStep() {
  return {normal(),
          fatal(u"Incomplete language line in LANGUAGE.CF: *"),
          fatal(u"List file names missing in LANGUAGE.CF after: *"),
          fatal(u"Input file \"*"),
          fatal(u"Path too long \"*"),
          fatal(u"Can't create output file \"*")};
}

void runConfigRows(const std::string& table, const std::vector<ConfigRow>& rows) {
  for (const ConfigRow& row : rows) {
    SCOPED_TRACE(row.name);
    resetInstallState();
    strings = StringsTable{};
    resetSortTable();
    ScratchDir dir;
    testing_support::writeStringsFiles(testing_support::withValues(row.strings));
    loadStrings(u"C:\\unused");
    dir.write(u"dutch.src", record("huis", "house, home"));
    dir.write(u"taal.cf", row.config);
    state.homeCodePage = state.uiCodePage;
    StateGuard guard;
    guard.allowRange(state.recordCount, state.outputListName);
    guard.allow(state.registryPath).allow(state.languageEntryCount);
    guard.allow(state.listCodePage).allow(state.homeCodePage);
    guard.allowRange(state.headingY, state.debugLineY);
    guard.allow(state.counterRect).allow(state.counterText);
    Outcome got = runRow(row.name, [] { processLanguages(); });
    expectOutcome(row.name, got, row.allowed);
    EXPECT_EQ(guard.check(), "") << "row \"" << row.name << "\"";
    EXPECT_FALSE(dir.exists(u"tmp.ini")) << "row \"" << row.name << "\"";
    if (got.end == Outcome::End::Normal) {
      EXPECT_FALSE(dir.exists(u"taal.cf")) << "row \"" << row.name << "\": deleted at the end";
      if (row.check) {
        EXPECT_EQ(row.check(dir), "") << "row \"" << row.name << "\"";
      }
    } else {
      EXPECT_TRUE(dir.exists(u"taal.cf")) << "row \"" << row.name << "\": kept after a failure";
    }
    printTime(table, row.name, got);
    strings = StringsTable{};
    setCollationLocale(u"C");
  }
}

}  // namespace

TEST(HostileConfig, DamagedConfigurationFiles) {
  const uint32_t acp = platform::ansiCodePage();
  auto codePageIs = [](uint32_t expected) {
    return [expected](const ScratchDir&) {
      return state.listCodePage == expected
                 ? std::string()
                 : "listCodePage " + std::to_string(state.listCodePage) + ", expected " +
                       std::to_string(expected);
    };
  };
  std::string comments;
  for (int i = 0; i < 99997; ++i) comments += "# comment " + std::to_string(i) + "\r\n";
  std::string languageLines;
  for (int i = 0; i < 100000; ++i) languageLines += "a,b,0,Name" + std::to_string(i) + "\r\n";
  const std::string names = "dutch.src\r\ndutch.out\r\n";
  std::vector<ConfigRow> rows = {
      {"empty file", "", {normal()},
       [](const ScratchDir& d) { return d.exists(u"dict.ini") ? "dict.ini was made" : ""; }},
      {"random bytes, seed 41 (4 KB)", randomBytes(41, 4096), anyMessageOfTheStep()},
      {"random bytes, seed 42 (64 KB)", randomBytes(42, 65536), anyMessageOfTheStep()},
      {"random text, seed 43 (64 KB)", randomText(43, 65536), anyMessageOfTheStep()},
      {"no newline at all", "a,b,0,Dutch", {fatal(u"List file names missing in LANGUAGE.CF "
                                                  u"after: a,b,0,Dutch")}},
      {"last name line without newline", "a,b,0,Dutch\r\ndutch.src\r\ndutch.out", {normal()},
       [](const ScratchDir& d) { return expectEntries(d, "a,b,0,Dutch\n"); }},
      {"one line of 1 MB", "a,b,0," + std::string(1 << 20, 'N') + "\r\n" + names,
       {fatal(u"Path too long \"" + std::u16string(99, u'N') + u"\"")}},
      {"zero byte inside the language line", bytes("a,b,0,Du\0tch\r\n") + names, {normal()},
       [](const ScratchDir& d) { return expectEntries(d, "a,b,0,Du\n"); }},
      {"zero byte at the start of a name line", bytes("a,b,0,Dutch\r\n\0dutch.src\r\n") + names,
       {normal()}, [](const ScratchDir& d) { return expectEntries(d, "a,b,0,Dutch\n"); }},
      {"lone lead byte ending the name (charset 128)", "a,b,128,Du\x82\r\n" + names, {normal()},
       [](const ScratchDir& d) { return expectEntries(d, "a,b,128,Du\x82\n"); }},
      {"lone lead byte ending the list name (charset 128)",
       "a,b,128,Dutch\r\ndutch.sr\x82\r\ndutch.out\r\n", {fatal(u"Input file \"*")}},
      // Ctrl-Z ends the file as in the C runtime's text mode; what follows
      // it, a broken group here, is never read.
      {"Ctrl-Z after the last group", "a,b,0,Dutch\r\n" + names + "\x1a", {normal()},
       [](const ScratchDir& d) { return expectEntries(d, "a,b,0,Dutch\n"); }},
      {"Ctrl-Z inside the last name line", "a,b,0,Dutch\r\ndutch.src\r\ndutch.out\x1a.x\r\n"
                                           "g,h,0\r\n",
       {normal()}, [](const ScratchDir& d) {
         return expectEntries(d, "a,b,0,Dutch\n") +
                (d.exists(u"dutch.out") ? "" : "dutch.out not written");
       }},
      {"charset -1", "a,b,-1,Dutch\r\n" + names, {normal()}, codePageIs(acp)},
      {"charset 99999999999", "a,b,99999999999,Dutch\r\n" + names, {normal()}, codePageIs(acp)},
      {"charset 12abc", "a,b,12abc,Dutch\r\n" + names, {normal()}, codePageIs(acp)},
      {"charset 204", "a,b,204,Dutch\r\n" + names, {normal()}, codePageIs(1251)},
      {"three fields", "a,b,0\r\n" + names,
       {fatal(u"Incomplete language line in LANGUAGE.CF: a,b,0")}},
      {"commas only", ",,,,,,\r\n" + names,
       {fatal(u"Incomplete language line in LANGUAGE.CF: ,,,,,,")}},
      {"one name line missing", "a,b,0,Dutch\r\ndutch.src\r\n",
       {fatal(u"List file names missing in LANGUAGE.CF after: a,b,0,Dutch")}},
      {"99,997 comment lines, then a language", comments + "a,b,0,Dutch\r\n" + names, {normal()},
       [](const ScratchDir& d) { return expectEntries(d, "a,b,0,Dutch\n"); }},
      {"100,000 language lines without list names", languageLines,
       {fatal(u"Input file \"a,b,0,Name1\" missing")}},
      {"display name of 93 characters", "a,b,0," + std::string(93, 'D') + "\r\n" + names,
       {normal()},
       [](const ScratchDir& d) { return expectEntries(d, "a,b,0," + std::string(93, 'D') + "\n"); }},
      {"list names of 99 characters", "a,b,0,Dutch\r\n" + std::string(99, 's') + "\r\n" +
                                          std::string(99, 'o') + "\r\n",
       {fatal(u"Path too long \"" + std::u16string(99, u's') + u"\"")}},
  };
  runConfigRows("language configuration", rows);
}

// Names from the strings file around the path limit: PathLanguage and the
// configuration file's own name.
TEST(HostileConfig, PathsAroundTheLimit) {
  std::vector<ConfigRow> rows;
  for (std::size_t length : {259u, 260u, 261u}) {
    std::string n = std::to_string(length);
    rows.push_back({"PathLanguage of " + n + " characters",
                    "a,b,0,Dutch\r\ndutch.src\r\ndutch.out\r\n",
                    {fatal(u"Path too long \"*")},
                    nullptr,
                    {{"PathLanguage", std::string(length, 'P')}}});
    rows.push_back({"Install_TaalCf of " + n + " characters", "", {fatal(u"Can't open LANGUAGE.CF")},
                    nullptr, {{"Install_TaalCf", std::string(length, 'C')}}});
  }
  // runConfigRows expects taal.cf to survive a failure; here the file the
  // step looks for is another one, so only the outcome and state count.
  for (const ConfigRow& row : rows) {
    SCOPED_TRACE(row.name);
    resetInstallState();
    strings = StringsTable{};
    ScratchDir dir;
    testing_support::writeStringsFiles(testing_support::withValues(row.strings));
    loadStrings(u"C:\\unused");
    dir.write(u"dutch.src", record("huis", "house"));
    dir.write(u"taal.cf", row.config);
    StateGuard guard;
    guard.allowRange(state.recordCount, state.outputListName);
    guard.allow(state.registryPath).allow(state.listCodePage).allow(state.homeCodePage);
    guard.allowRange(state.headingY, state.debugLineY);
    guard.allow(state.counterRect).allow(state.counterText);
    Outcome got = runRow(row.name, [] { processLanguages(); });
    expectOutcome(row.name, got, row.allowed);
    EXPECT_EQ(guard.check(), "") << "row \"" << row.name << "\"";
    printTime("configuration paths", row.name, got);
    strings = StringsTable{};
    setCollationLocale(u"C");
  }
}

// Many languages: the step's time grows with the number of languages times
// the size of dict.ini, so a step that rewrote more than it must (or lost an
// entry among many) shows here well before a plausible distribution's size.
TEST(HostileConfig, ThreeHundredLanguages) {
  std::string config;
  std::string expected;
  for (int i = 0; i < 300; ++i) {
    config += "a,b,0,Lang" + std::to_string(i) + "\r\ndutch.src\r\nout" + std::to_string(i % 10) +
              ".lst\r\n";
    expected += "a,b,0,Lang" + std::to_string(i) + "\n";
  }
  ConfigRow row{"300 languages (900 lines)", config, {normal()},
                [expected](const ScratchDir& d) { return expectEntries(d, expected); }};
  runConfigRows("language configuration", {row});
}

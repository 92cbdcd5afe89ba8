// Damaged word lists, temporary-file names and sort tables through the real
// list builder: each build writes a well-formed reversed list (whole
// 84-byte records, every field ended by a zero byte) or ends with one of
// the builder's messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/state.h"
#include "hostile_support.h"
#include "install/list_step_fixture.h"
#include "platform/collate.h"
#include "platform/file.h"
#include "support/test_support.h"
#include "text/strings_step.h"
#include "text/collate.h"
#include "wordlist/list_helpers.h"
#include "wordlist/records.h"
#include "wordlist/reverser.h"

using namespace hostile;
using list_test::record;
using list_step::setString;
using testing_support::ScratchDir;

namespace {

struct ListRow {
  std::string name;
  std::string source;  // in.lst
  uint32_t listCodePage = 1252;
  std::vector<Allowed> allowed = {normal()};
  // Prepares the scratch directory or the strings before the build.
  std::function<void(const ScratchDir&)> arrange = nullptr;
  // Checks the reversed list after a normal end; empty text when all is well.
  std::function<std::string(const std::string& output)> check = nullptr;
};

// Every record of a reversed list is whole and ends both fields with a zero
// byte inside their widths, and the records are in sorted order of their
// headwords (checked by the caller where the order is known).
std::string wellFormed(const std::string& output) {
  if (output.size() % kWordRecordSize != 0) {
    return "reversed list of " + std::to_string(output.size()) + " bytes: not whole records";
  }
  for (std::size_t at = 0; at < output.size(); at += kWordRecordSize) {
    const char* r = output.data() + at;
    bool wordEnds = std::memchr(r, 0, kWordFieldSize) != nullptr;
    bool translationsEnd = std::memchr(r + kTranslationsOffset, 0, kTranslationsFieldSize) != nullptr;
    if (!wordEnds || !translationsEnd || r[82] != 0 || r[83] != 0) {
      return "record " + std::to_string(at / kWordRecordSize) + " is not zero-ended";
    }
  }
  return "";
}

void runListRows(const std::string& table, const std::vector<ListRow>& rows) {
  for (const ListRow& row : rows) {
    SCOPED_TRACE(row.name);
    resetInstallState();
    resetSortTable();
    platform::setRuntimeCollation(u"C");
    for (auto& v : strings.values) v = nullptr;
    list_step::useListStrings();
    ScratchDir dir;
    state.uiCodePage = state.homeCodePage = 1252;
    state.listCodePage = row.listCodePage;
    std::strcpy(state.inputListName, "in.lst");
    std::strcpy(state.outputListName, "out.lst");
    dir.write(u"in.lst", row.source);
    if (row.arrange) row.arrange(dir);
    StateGuard guard;
    guard.allow(state.recordCount).allow(state.comparisonCount);
    guard.allowRange(state.headingY, state.debugLineY);
    guard.allow(state.counterRect).allow(state.counterText);
    Outcome got = runRow(row.name, [] { buildReversedList(); });
    expectOutcome(row.name, got, row.allowed);
    EXPECT_EQ(guard.check(), "") << "row \"" << row.name << "\"";
    EXPECT_EQ(state.listCodePage, row.listCodePage) << "row \"" << row.name << "\"";
    EXPECT_EQ(state.homeCodePage, 1252u) << "row \"" << row.name << "\"";
    if (got.end == Outcome::End::Normal) {
      std::string output =
          dir.read(std::u16string(text(StringKey::PathLanguage)) + u16(state.outputListName));
      EXPECT_EQ(wellFormed(output), "") << "row \"" << row.name << "\"";
      if (row.check) {
        EXPECT_EQ(row.check(output), "") << "row \"" << row.name << "\"";
      }
      std::u16string outputPath = std::u16string(text(StringKey::PathLanguage)) + u16(state.outputListName);
      EXPECT_TRUE(dir.exists(outputPath)) << "row \"" << row.name << "\": no reversed list";
      EXPECT_FALSE(dir.exists(u"taal.tmp")) << "row \"" << row.name << "\": temp file left";
    }
    printTime(table, row.name, got);
    for (auto& v : strings.values) v = nullptr;
  }
  resetSortTable();
  platform::setRuntimeCollation(u"C");
}

std::string expectPairs(const std::string& output, const std::vector<list_test::Pair>& expected) {
  std::vector<list_test::Pair> got = list_test::parse(output);
  if (got == expected) return "";
  std::string text = "got";
  for (const auto& p : got) text += " {" + p.word + " -> " + p.translations + "}";
  return text;
}

// A list of `count` records with distinct words and a few shared
// translations.
std::string bigList(int count) {
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(count) * kWordRecordSize);
  for (int i = 0; i < count; ++i) {
    bytes += record("w" + std::to_string(i), "t" + std::to_string(i % 5000) + ", common");
  }
  return bytes;
}

}  // namespace

TEST(HostileLists, DamagedSourceLists) {
  std::string noZero(kWordRecordSize, 'A');
  std::string wordFull = std::string(30, 'a') + '\x82' + "house" + std::string(46, '\0') + "xx" +
                         std::string(2, '\0');
  wordFull.resize(kWordRecordSize);
  std::string leadBeforeZero = record("huis\x82", "house");
  std::string translationsLead = record("huis", "house, ho\x82");
  std::vector<ListRow> rows = {
      {"empty list", "", 1252, {normal()}, nullptr,
       [](const std::string& out) { return out.empty() ? "" : "output not empty"; }},
      {"random bytes, seed 51 (84 KB)", randomBytes(51, 84 * 1000)},
      {"random bytes, seed 52 (1 MB), list code page 932", randomBytes(52, 1 << 20), 932},
      {"random bytes, seed 53 (1 MB), list code page 1251", randomBytes(53, 1 << 20), 1251},
      {"random bytes, seed 54 (85 bytes: a partial record)", randomBytes(54, 85)},
      {"record without any zero byte", noZero, 1252, {normal()}, nullptr,
       [](const std::string& out) { return out.empty() ? "" : "a 50-byte token was written"; }},
      {"word field full, lone lead byte at its end (932)", wordFull, 932},
      {"lone lead byte before the word's zero (932)", leadBeforeZero, 932},
      {"lone lead byte ending the translations (932)", translationsLead, 932},
      {"zero bytes inside the translations", record("huis", std::string("house\0home", 10)),
       1252, {normal()}, nullptr,
       [](const std::string& out) { return expectPairs(out, {{"house", "huis"}}); }},
      {"translations of commas only", record("huis", std::string(51, ',')), 1252, {normal()}, nullptr,
       [](const std::string& out) { return out.empty() ? "" : "output not empty"; }},
      {"translations of spaces only", record("huis", std::string(50, ' ')), 1252, {normal()}, nullptr,
       [](const std::string& out) { return expectPairs(out, {{"", "huis"}}); }},
      {"100,000 records", bigList(100000), 1252, {normal()}, nullptr,
       [](const std::string& out) {
         return out.size() == 5001u * kWordRecordSize ? ""
                                                      : "reversed list of " +
                                                            std::to_string(out.size()) + " bytes";
       }},
  };
  runListRows("word lists", rows);
}

TEST(HostileLists, TemporaryFileNames) {
  auto temp = [](std::u16string name) {
    return [name](const ScratchDir&) {
      static std::u16string kept;
      kept = name;
      setString(StringKey::Install_TaalTemp, kept.c_str());
    };
  };
  std::vector<ListRow> rows = {
      {"temporary name empty", record("huis", "house"), 1252, {fatal(u"Can't create tempfile")},
       temp(u"")},
      {"temporary name is a directory", record("huis", "house"), 1252,
       {fatal(u"Can't create tempfile")},
       [](const ScratchDir& d) {
         d.mkdir(u"tmpdir");
         setString(StringKey::Install_TaalTemp, u"tmpdir");
       }},
      {"temporary name in a missing folder", record("huis", "house"), 1252,
       {fatal(u"Can't create tempfile")}, temp(u"missing\\taal.tmp")},
      {"temporary name with a wildcard", record("huis", "house"), 1252,
       {fatal(u"Can't create tempfile")}, temp(u"taal*.tmp")},
      {"temporary name equal to the output list", record("huis", "house"), 1252,
       {fatal(u"Can't create tempfile")}, temp(u"out.lst")},
      {"temporary name equal to the source list", record("huis", "house"), 1252,
       {fatal(u"Can't create tempfile")}, temp(u"IN.LST")},
  };
  for (std::size_t total : {259u, 260u, 261u}) {
    rows.push_back({"temporary path of " + std::to_string(total) + " characters",
                    record("huis", "house"), 1252,
                    total <= 259 ? std::vector<Allowed>{normal()}
                                 : std::vector<Allowed>{normal(), fatal(u"Can't create tempfile")},
                    [total](const ScratchDir& d) {
                      // A name below the folder, the folder's path counted in.
                      static std::u16string kept;
                      kept = std::u16string(total - d.path().size() - 1, u't');
                      setString(StringKey::Install_TaalTemp, kept.c_str());
                    }});
  }
  runListRows("temporary file", rows);
}

TEST(HostileLists, DamagedSortTables) {
  const std::string source = record("b", "zz, m, a-b, ab, Ab");
  auto table = [](std::string bytes) {
    return [bytes](const ScratchDir& d) {
      d.mkdir(u"tables");
      d.write(u"tables\\english.stb", bytes);
    };
  };
  std::string ascending(256, '\0');
  for (int i = 0; i < 256; ++i) ascending[i] = static_cast<char>(i < 2 ? 2 : i);
  std::vector<ListRow> rows = {
      {"empty sort table", source, 1252, {normal()}, table("")},
      {"sort table of 1 byte", source, 1252, {normal()}, table("\x05")},
      {"sort table of random bytes, seed 61", source, 1252, {normal()},
       table(randomBytes(61, 256))},
      {"sort table of 1 MB random bytes", source, 1252, {normal()},
       table(randomBytes(62, 1 << 20))},
      {"sort table of zero weights", source, 1252, {normal()}, table(std::string(256, '\0'))},
      {"sort table of weight 1 only", source, 1252, {normal()}, table(std::string(256, '\1'))},
      {"sort table is a directory", source, 1252, {normal()},
       [](const ScratchDir& d) { d.mkdir(u"tables\\english.stb"); }},
      {"ascending table, 100,000 records", bigList(100000), 1252, {normal()},
       table(ascending)},
  };
  for (std::size_t total : {259u, 260u, 261u}) {
    rows.push_back({"Locale giving a table path of " + std::to_string(total) + " characters",
                    source, 1252, {normal()},
                    [total](const ScratchDir& d) {
                      static std::u16string kept;
                      // current directory, "\tables\", Locale, ".stb"
                      std::size_t length = total - d.path().size() - 8 - 4;
                      kept = std::u16string(length, u'l');
                      setString(StringKey::Locale, kept.c_str());
                      d.mkdir(u"tables");
                      if (total <= 259) d.write(u"tables\\" + kept + u".stb", std::string(256, '\0'));
                    }});
  }
  runListRows("sort tables", rows);
}

// Source and output list paths: PathLanguage plus the name must fit 79
// characters, else the builder names the path it refuses.
TEST(HostileLists, ListPathsAroundTheLimit) {
  std::vector<ListRow> rows;
  for (std::size_t length : {79u, 80u, 259u, 260u, 261u}) {
    rows.push_back({"source path of " + std::to_string(length) + " characters",
                    record("huis", "house"), 1252,
                    length <= 79 ? std::vector<Allowed>{normal()}
                                 : std::vector<Allowed>{fatal(u"Path too long \"*")},
                    [length](const ScratchDir& d) {
                      std::string name(length - 6, 'n');  // + "in.lst"
                      d.write(u16(name) + u"in.lst", record("huis", "house"));
                      static std::u16string kept;
                      kept = u16(name);
                      setString(StringKey::PathLanguage, kept.c_str());
                      std::strcpy(state.outputListName, "o.lst");
                    }});
  }
  runListRows("list paths", rows);
}

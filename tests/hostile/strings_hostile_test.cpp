// Damaged strings files and settings files (language.in_) through the real
// loader: each ends with every key resolved or with the loader's own box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/state.h"
#include "hostile_support.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "support/strings_fixture.h"
#include "support/test_support.h"
#include "text/charset.h"
#include "text/strings_step.h"

using namespace hostile;
using testing_support::ScratchDir;
using testing_support::StringsFiles;

using testing_support::bytes;

namespace {

const std::u16string kNoCharset = u"String: CharactersetCode not found.   ";
const std::u16string kNotFound2 = u"No strings file found (2).   ";

// Plain (descrambled) strings-file bytes: the test source's Key=Value
// lines, each ended by its zero byte, with the empty entry at the end.
std::string plainStrings(const StringsFiles& files = {}) {
  std::string source = testing_support::stringsSource(files);
  std::string out;
  std::size_t at = 0;
  while (at < source.size()) {
    std::size_t end = source.find('\n', at);
    std::string line = source.substr(at, end - at);
    at = end == std::string::npos ? source.size() : end + 1;
    if (line.empty() || line[0] == '#') continue;
    out += line;
    out += '\0';
  }
  return out + '\0';
}

std::string plainWith(std::vector<std::pair<std::string, std::string>> values) {
  return plainStrings(testing_support::withValues(std::move(values)));
}

std::string settings(std::string_view language, std::string_view character = "0") {
  return "[Dictionary]\r\nLanguage=" + std::string(language) + "\r\nCharacter=" +
         std::string(character) + "\r\n";
}

struct StringsRow {
  std::string name;
  std::string settingsBytes;  // language.in_
  std::string plain;          // english.str before scrambling
  std::vector<Allowed> allowed;
  // Checks after a normal end; empty text when all is well.
  std::function<std::string()> check = nullptr;
};

std::string expectText(StringKey key, std::u16string_view expected) {
  std::u16string_view got = text(key);
  if (got == expected) return "";
  return std::string(stringKeyName(key)) + " is \"" + u8(got).substr(0, 60) + "\", expected \"" +
         u8(expected).substr(0, 60) + "\"";
}

std::string expectCodePage(uint32_t expected) {
  if (state.uiCodePage == expected) return "";
  return "uiCodePage " + std::to_string(state.uiCodePage) + ", expected " +
         std::to_string(expected);
}

void runStringsRows(const std::string& table, const std::vector<StringsRow>& rows) {
  for (const StringsRow& row : rows) {
    SCOPED_TRACE(row.name);
    resetInstallState();
    strings = StringsTable{};
    ScratchDir dir;
    testing_support::writeFileBytes(u"language.in_", row.settingsBytes);
    testing_support::writeFileBytes(u"english.str", testing_support::scrambled(row.plain));
    StateGuard guard;
    guard.allow(state.uiCodePage);
    Outcome got = runRow(row.name, [] { loadStrings(u"C:\\unused"); });
    expectOutcome(row.name, got, row.allowed);
    EXPECT_EQ(guard.check(), "") << "row \"" << row.name << "\"";
    if (got.end == Outcome::End::Normal && row.check) {
      EXPECT_EQ(row.check(), "") << "row \"" << row.name << "\"";
    }
    printTime(table, row.name, got);
    strings = StringsTable{};
  }
}

// All keys, then `tail` glued on as further bytes (no terminating zero
// unless the tail has one).
std::string withTail(std::string plain, std::string_view tail) {
  plain.pop_back();  // the empty entry that ends the table
  return plain + std::string(tail);
}
std::string keysThen(std::string_view tail) { return withTail(plainStrings(), tail); }

std::string expectFontCount(int32_t expected) {
  int32_t got = strings.foreignFontCount < 0 ? 0 : strings.foreignFontCount;
  if (got == expected) return "";
  return "foreignFontCount " + std::to_string(strings.foreignFontCount) + ", expected " +
         std::to_string(expected);
}

// Bytes of a literal, zero bytes inside included.
std::string fontKeys(int count) {
  std::string keys;
  for (int i = 0; i < count; ++i) keys += "Font" + std::to_string(600 + i) + "=F" + std::to_string(i) + '\0';
  return keys;
}

}  // namespace

TEST(HostileStrings, DamagedStringsFiles) {
  const uint32_t acp = platform::ansiCodePage();
  std::string firstHalf = plainStrings();
  firstHalf.resize(firstHalf.find("CharactersetCode="));  // every key before it
  std::vector<StringsRow> rows = {
      {"empty file", settings("english"), "", {loaderFatal(kNoCharset)}, nullptr},
      {"only the empty entry", settings("english"), std::string(1, '\0'),
       {loaderFatal(kNoCharset)}, nullptr},
      {"random bytes, seed 1 (4 KB)", settings("english"), randomBytes(1, 4096),
       {loaderFatal(kNoCharset)}, nullptr},
      {"random bytes, seed 2 (64 KB)", settings("english"), randomBytes(2, 65536),
       {loaderFatal(kNoCharset)}, nullptr},
      {"random bytes, seed 3 (1 MB)", settings("english"), randomBytes(3, 1 << 20),
       {loaderFatal(kNoCharset)}, nullptr},
      {"no zero byte at all (1 MB of text)", settings("english"), std::string(1 << 20, 'k'),
       {loaderFatal(kNoCharset)}, nullptr},
      {"the keys, then random bytes", settings("english"), keysThen(randomBytes(4, 65536)),
       {normal()}, [] { return expectText(StringKey::Install_Start, u"Install_Start"); }},
      {"last entry without its zero byte", settings("english"),
       keysThen("Extra=no zero at the end"), {normal()}, nullptr},
      {"last value without its zero byte",
       settings("english"),
       [] {
         std::string p = plainWith({{"ForeignFonts", "0"}});
         p.resize(p.size() - 2);  // "...ForeignFonts=0" with neither zero
         return p;
       }(),
       {normal()}, [] { return expectText(StringKey::ForeignFonts, u"0"); }},
      {"zero byte inside a value", settings("english"),
       plainWith({{"Install_Start", bytes("Go\0on")}}), {normal()},
       [] { return expectText(StringKey::Install_Start, u"Go"); }},
      {"empty entry (two zero bytes) half-way", settings("english"),
       firstHalf + std::string(1, '\0') + plainStrings().substr(firstHalf.size()),
       {loaderFatal(kNoCharset)}, nullptr},
      {"empty entry right after CharactersetCode", settings("english"),
       "CharactersetCode=0" + std::string(2, '\0') + plainStrings(),
       {loaderFatal(u"String: MainMenuFile0 not found.   ")}, nullptr},
      {"lone lead byte at the end of a value (932)", settings("english"),
       plainWith({{"CharactersetCode", "128"}, {"Install_Start", "Go\x82"}}), {normal()},
       [] {
         std::u16string_view v = text(StringKey::Install_Start);
         return v.substr(0, 2) == u"Go" && v.size() <= 3 ? std::string()
                                                         : "Install_Start is " + u8(v);
       }},
      {"lone lead byte as the file's last byte (932)", settings("english"),
       keysThen("") + "Tail=\x82", {normal()},
       [] { return expectText(StringKey::Install_Start, u"Install_Start"); }},
      {"CharactersetCode -1", settings("english"), plainWith({{"CharactersetCode", "-1"}}),
       {normal()}, [=] { return expectCodePage(acp); }},
      {"CharactersetCode 99999999999", settings("english"),
       plainWith({{"CharactersetCode", "99999999999"}}), {normal()},
       [=] { return expectCodePage(acp); }},
      {"CharactersetCode 12abc", settings("english"), plainWith({{"CharactersetCode", "12abc"}}),
       {normal()}, [=] { return expectCodePage(acp); }},
      {"CharactersetCode 204 but the text is random", settings("english"),
       plainWith({{"CharactersetCode", "204"}, {"Install_Stop", randomText(5, 40)}}),
       {normal()}, [] { return expectCodePage(1251); }},
      {"ForeignFonts 1000 without font keys", settings("english"),
       plainWith({{"ForeignFonts", "1000"}}), {loaderFatal(u"String: Font600 not found.   ")},
       nullptr},
      {"ForeignFonts 1000 with Font600..Font699", settings("english"),
       withTail(plainWith({{"ForeignFonts", "1000"}}), fontKeys(100) + '\0'), {normal()},
       [] { return expectFontCount(100); }},
      {"ForeignFonts 99999999999 with Font600..Font699", settings("english"),
       withTail(plainWith({{"ForeignFonts", "99999999999"}}), fontKeys(100) + '\0'), {normal()},
       [] { return expectFontCount(100); }},
      {"ForeignFonts -1", settings("english"), plainWith({{"ForeignFonts", "-1"}}), {normal()},
       [] { return expectFontCount(0); }},
  };
  runStringsRows("strings file", rows);
}

// 16 MB strings files: read whole, converted once, scanned by every lookup
// (a conversion or a copy per lookup would take minutes at this size).
TEST(HostileStrings, SixteenMegabyteFiles) {
  const std::size_t big = 16u << 20;
  std::vector<StringsRow> rows = {
      {"16 MB: the keys, then one huge entry", settings("english"),
       keysThen("Padding=" + std::string(big, 'p')) + '\0', {normal()},
       [] { return expectText(StringKey::ForeignFonts, u"0"); }},
      {"16 MB: one huge entry, then the keys", settings("english"),
       "Padding=" + std::string(big, 'p') + '\0' + plainStrings(), {normal()},
       [] { return expectText(StringKey::Install_Start, u"Install_Start"); }},
      {"16 MB of random bytes", settings("english"), randomBytes(6, big),
       {loaderFatal(kNoCharset)}, nullptr},
  };
  runStringsRows("strings 16 MB", rows);
}

TEST(HostileStrings, DamagedSettingsFiles) {
  std::string manyLines;
  for (int i = 0; i < 100000; ++i) manyLines += "junk line " + std::to_string(i) + "\r\n";
  std::string lang148(148, 'x');
  std::vector<StringsRow> rows = {
      {"empty language.in_", "", plainStrings(), {loaderFatal(kNotFound2)}, nullptr},
      {"random bytes, seed 11", randomBytes(11, 4096), plainStrings(), {loaderFatal(kNotFound2)},
       nullptr},
      {"random text, seed 12", randomText(12, 65536), plainStrings(), {loaderFatal(kNotFound2)},
       nullptr},
      {"no newline at all", "[Dictionary] Language=english Character=0", plainStrings(),
       {loaderFatal(kNotFound2)}, nullptr},
      {"Language of 1 MB", settings(std::string(1 << 20, 'x')), plainStrings(),
       {loaderFatal(kNotFound2)}, nullptr},
      {"zero byte inside the Language line",
       bytes("[Dictionary]\r\nLanguage=eng\0lish\r\nCharacter=0\r\n"), plainStrings(),
       {normal(), loaderFatal(kNotFound2)}, nullptr},
      {"lone lead byte at the end of Language", settings("english\x82"), plainStrings(),
       {loaderFatal(kNotFound2)}, nullptr},
      {"Character -1", settings("english", "-1"), plainStrings(), {normal()}, nullptr},
      {"Character 99999999999", settings("english", "99999999999"), plainStrings(), {normal()},
       nullptr},
      {"Character 12abc", settings("english", "12abc"), plainStrings(), {normal()}, nullptr},
      {"100,000 lines before the section", manyLines + settings("english"), plainStrings(),
       {normal()}, nullptr},
      {"Language of 148 characters (file missing)", settings(lang148), plainStrings(),
       {loaderFatal(kNotFound2)}, nullptr},
  };
  runStringsRows("language.in_", rows);
}

// The charset setting: any text gives some number and every number a code
// page; nothing else happens.
TEST(HostileStrings, CharsetSettingOfAnyText) {
  struct Row {
    const char* name;
    std::string bytes;
  };
  std::vector<Row> rows = {
      {"empty", ""},
      {"random bytes", randomBytes(21, 4096)},
      {"1 MB value", settings("english", std::string(1 << 20, '7'))},
      {"-1", settings("english", "-1")},
      {"99999999999", settings("english", "99999999999")},
      {"12abc", settings("english", "12abc")},
      {"zero byte in the value", bytes("[Dictionary]\r\nCharacter=1\0 28\r\n")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir dir;
    testing_support::writeFileBytes(u"language.in_", row.bytes);
    int32_t charset = 0;
    StateGuard guard;
    Outcome got = runRow(row.name, [&] { charset = readCharsetSetting(true); });
    expectOutcome(row.name, got, {normal()});
    EXPECT_NE(charsetToCodePage(charset), 0u) << row.name;
    EXPECT_EQ(guard.check(), "") << row.name;
    printTime("Character", row.name, got);
  }
}

namespace {

// Makes `dir`'s path plus one directory the current directory, so that the
// current directory has exactly `length` characters. False when the system
// refuses a directory that long.
bool enterDirectoryOfLength(const ScratchDir& dir, std::size_t length) {
  std::u16string path = dir.path();
  if (path.size() + 2 > length) return false;
  std::u16string name(length - path.size() - 1, u'd');
  // Components of at most 200 characters.
  std::u16string sub;
  while (name.size() > 200) {
    sub += u"\\" + name.substr(0, 199);
    name.erase(0, 200);
    platform::createDirectory(path + sub);
  }
  std::u16string full = path + sub + u"\\" + name;
  if (full.size() != length) return false;
  platform::createDirectory(full);
  return platform::setCurrentDirectory(full);
}

}  // namespace

// Settings and strings paths of 259, 260 and 261 characters: a path that
// does not fit its buffer is never cut into the name of another file.
TEST(HostileStrings, PathsAroundTheLimit) {
  for (std::size_t total : {259u, 260u, 261u}) {
    std::string row = "language.in_ path of " + std::to_string(total) + " characters";
    SCOPED_TRACE(row);
    resetInstallState();
    ScratchDir dir;
    std::size_t cwdLength = total - 13;  // "\language.in_"
    if (!enterDirectoryOfLength(dir, cwdLength)) {
      std::printf("  [paths] %s: the system refuses a directory of %zu characters\n",
                  row.c_str(), cwdLength);
      continue;
    }
    testing_support::writeFileBytes(u"language.in_", settings("english", "204"));
    // Decoys with the names that a cut path would give.
    testing_support::writeFileBytes(u"language.in", settings("decoy", "77"));
    testing_support::writeFileBytes(u"language.i", settings("decoy", "77"));
    int32_t charset = -5;
    Outcome got = runRow(row, [&] { charset = readCharsetSetting(true); });
    expectOutcome(row, got, {normal()});
    EXPECT_NE(charset, 77) << row << ": read a file whose name is the cut path";
    if (total == 259) {
      EXPECT_EQ(charset, 204) << row;
    }
    printTime("paths", row, got);

    // The loader reads Language from the same path: a cut one would find
    // the decoy's "english" and load english.str.
    std::string loadRow = "loadStrings, settings path of " + std::to_string(total);
    testing_support::writeFileBytes(u"language.in", settings("english"));
    testing_support::writeFileBytes(u"language.i", settings("english"));
    testing_support::writeFileBytes(u"english.str", testing_support::scrambled(plainStrings()));
    strings = StringsTable{};
    got = runRow(loadRow, [] { loadStrings(u"C:\\unused"); });
    expectOutcome(loadRow, got, {total == 259 ? normal() : loaderFatal(kNotFound2)});
    printTime("paths", loadRow, got);
    strings = StringsTable{};
    char16_t cwd[kPathCapacity];
    platform::currentDirectory(cwd, kPathCapacity);
    std::printf("  [paths]   current directory: %zu characters\n",
                std::u16string_view(cwd).size());
  }

  // Strings file: current directory, "\", Language, ".str" of 259..261
  // characters; the fallback folder holds a strings file of the same name.
  for (std::size_t total : {259u, 260u, 261u}) {
    std::string row = "strings path of " + std::to_string(total) + " characters";
    SCOPED_TRACE(row);
    resetInstallState();
    strings = StringsTable{};
    ScratchDir dir;
    std::u16string fallback = dir.path();
    const std::size_t languageLength = 140;
    if (!enterDirectoryOfLength(dir, total - 1 - languageLength - 4)) continue;
    std::string language(languageLength, 'L');
    testing_support::writeFileBytes(u"language.in_", settings(language));
    bool firstPathFits = total <= 259;
    if (firstPathFits) {
      testing_support::writeFileBytes(u16(language) + u".str",
                                      testing_support::scrambled(plainWith({{"Done", "here"}})));
    }
    platform::createDirectory(fallback + u"\\strings");
    testing_support::writeFileBytes(fallback + u"\\strings\\" + u16(language) + u".str",
                                    testing_support::scrambled(plainWith({{"Done", "fallback"}})));
    Outcome got = runRow(row, [&] { loadStrings(fallback.c_str()); });
    expectOutcome(row, got, {normal()});
    if (got.end == Outcome::End::Normal) {
      EXPECT_EQ(u8(text(StringKey::Done)), firstPathFits ? "here" : "fallback") << row;
    }
    printTime("paths", row, got);
    strings = StringsTable{};
  }
}

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

#include "base/state.h"
#include "platform/file.h"
#include "support/strings_fixture.h"
#include "support/test_support.h"
#include "text/strings_step.h"
#include "text/strings_pack.h"

using testing_support::packedStrings;
using testing_support::ScratchDir;
using testing_support::scrambled;
using testing_support::StringsFiles;
using testing_support::stringsSource;
using testing_support::u16;
using testing_support::withValues;
using testing_support::without;
using testing_support::u8;
using testing_support::writeFileBytes;
using testing_support::writeStringsFiles;

namespace {

// The loader keeps its table for the life of the process; each test starts
// from an empty one.
class StringsTest : public ::testing::Test {
 protected:
  void SetUp() override { strings = StringsTable{}; }
  void TearDown() override { strings = StringsTable{}; }

  // Loads from the scratch directory with itself as the fallback folder.
  void load() { loadStrings(dir.path().c_str()); }

  ScratchDir dir;
};

std::string value(StringKey key) { return u8(text(key)); }

}  // namespace

TEST_F(StringsTest, FullDefaultFileResolvesEveryKey) {
  writeStringsFiles();
  load();
  for (int k = 0; k < kStringKeyCount; ++k) {
    StringKey key = static_cast<StringKey>(k);
    ASSERT_NE(strings.values[k], nullptr) << stringKeyName(key);
  }
  EXPECT_EQ(value(StringKey::Install_Start), "Install_Start");
  EXPECT_EQ(value(StringKey::FilenameIni), "dict.ini");
  EXPECT_EQ(value(StringKey::PathLanguage), "");
  EXPECT_EQ(state.uiCodePage, 1252u);
  EXPECT_EQ(strings.foreignFontCount, 0);
}

namespace {

// The plain (descrambled) bytes of a full strings file, for tests that need
// entries the packer would refuse.
std::string plainStrings(const StringsFiles& files = {}) {
  std::string bytes = packedStrings(stringsSource(files));
  descrambleStrings(bytes.data(), bytes.size());
  return bytes;
}

// Replaces the first occurrence of `from` in `text`; fails the test when absent.
std::string replaced(std::string text, std::string_view from, std::string_view to) {
  std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << "no \"" << from << "\" in the test data";
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

void writeSettings(std::u16string_view name, std::string_view language) {
  writeFileBytes(name, "[Dictionary]\r\nLanguage=" + std::string(language) + "\r\n");
}

}  // namespace

TEST_F(StringsTest, EntryValuesAsLookedUp) {
  struct Row {
    const char* name;
    std::string source;  // appended entries ("" = none)
    StringKey key;
    const char* expected;
  };
  // Entries placed in front of the full source come first in the file.
  const Row rows[] = {
      {"key in lower case", "install_start=Go On\n", StringKey::Install_Start, "Go On"},
      {"first of two entries", "Install_Stop=first\nInstall_Stop=second\n", StringKey::Install_Stop,
       "first"},
      {"empty Done", "Done=\n", StringKey::Done, ""},
      {"value with '='", "IniAddnew=a=b==c\n", StringKey::IniAddnew, "a=b==c"},
      {"longer key first", "IniSelectedLen=12\nIniSelected=[Sel]\n", StringKey::IniSelected,
       "[Sel]"},
      {"shorter key first", "IniSelected=[Sel]\nIniSelectedLen=12\n", StringKey::IniSelectedLen,
       "12"},
  };
  for (const Row& row : rows) {
    SetUp();
    writeFileBytes(u"language.in_", "[Dictionary]\r\nLanguage=english\r\n");
    writeFileBytes(u"english.str", packedStrings(row.source + stringsSource()));
    load();
    EXPECT_EQ(value(row.key), row.expected) << row.name;
  }
}

TEST_F(StringsTest, EntryWithoutEqualsSignDoesNotSatisfyTheKey) {
  writeFileBytes(u"language.in_", "[Dictionary]\r\nLanguage=english\r\n");
  std::string plain = replaced(plainStrings(), "Install_Start=Install_Start\0"s,
                               "Install_Start\0"s);
  writeFileBytes(u"english.str", scrambled(plain));
  EXPECT_FATAL(load(), FatalKind::StringsLoader, u"String: Install_Start not found.   ");
}

TEST_F(StringsTest, LongerKeyDoesNotSatisfyItsPrefix) {
  writeStringsFiles(without({"IniSelected"}));
  EXPECT_FATAL(load(), FatalKind::StringsLoader, u"String: IniSelected not found.   ");
}

TEST_F(StringsTest, MissingKeyNamesTheFirstMissingInResolutionOrder) {
  // Help, Quit and Install_Start are missing; Quit comes first in the list.
  writeStringsFiles(without({"Install_Start", "Help", "Quit"}));
  EXPECT_FATAL(load(), FatalKind::StringsLoader, u"String: Quit not found.   ");
}

TEST_F(StringsTest, FilesWithoutEntries) {
  struct Row {
    const char* name;
    std::string plain;
  };
  const Row rows[] = {
      {"empty file", ""},
      {"first byte zero", "\0CharactersetCode=0\0"s},
  };
  for (const Row& row : rows) {
    SetUp();
    writeFileBytes(u"language.in_", "[Dictionary]\r\nLanguage=english\r\n");
    writeFileBytes(u"english.str", scrambled(row.plain));
    SCOPED_TRACE(row.name);
    EXPECT_FATAL(load(), FatalKind::StringsLoader, u"String: CharactersetCode not found.   ");
  }
}

TEST_F(StringsTest, TableEndsAtTheEndOfTheData) {
  // Without the final empty entry, and without even the last entry's zero.
  const StringsFiles files = withValues({{"Font600", "Last Font"}});
  std::string plain = plainStrings(files);
  ASSERT_EQ(plain.substr(plain.size() - 2), std::string(2, '\0'));
  for (std::size_t cut : {1u, 2u}) {
    SetUp();
    writeFileBytes(u"language.in_", "[Dictionary]\r\nLanguage=english\r\n");
    writeFileBytes(u"english.str", scrambled(plain.substr(0, plain.size() - cut)));
    load();
    EXPECT_EQ(value(StringKey::ForeignFonts), "0") << "cut " << cut;
    std::u16string last = lookupWide("Font600");
    EXPECT_EQ(u8(last), "Last Font") << "cut " << cut;
  }
}

TEST_F(StringsTest, CharactersetCodeSetsTheInterfaceCodePage) {
  struct Row {
    const char* value;
    uint32_t codePage;
  };
  const Row rows[] = {{"204", 1251}, {"abc", 1252}, {"", 1252}, {" 128", 932}, {"500", 1254}};
  for (const Row& row : rows) {
    SetUp();
    state.uiCodePage = 950;  // as if the "Character" setting had said 136
    writeStringsFiles(withValues({{"CharactersetCode", row.value}}));
    load();
    EXPECT_EQ(state.uiCodePage, row.codePage) << "CharactersetCode=" << row.value;
  }
}

TEST_F(StringsTest, ForeignFontsResolvesThatManyFontKeys) {
  struct Row {
    const char* count;
    int32_t parsed;
    int resolved;
  };
  const Row rows[] = {{"0", 0, 0}, {"-4", -4, 0}, {"many", 0, 0}, {"3", 3, 3}, {" 2 fonts", 2, 2}};
  for (const Row& row : rows) {
    SetUp();
    // Only Font600..Font602 exist, so a count that asks for more fails.
    writeStringsFiles(withValues({{"ForeignFonts", row.count},
                                     {"Font600", "Arial"},
                                     {"Font601", "MS Mincho"},
                                     {"Font602", "Tahoma"}}));
    load();
    EXPECT_EQ(strings.foreignFontCount, row.parsed) << "ForeignFonts=" << row.count;
    const char* names[] = {"Arial", "MS Mincho", "Tahoma"};
    for (int i = 0; i < 3; ++i) {
      if (i < row.resolved) {
        ASSERT_NE(strings.foreignFontNames[i], nullptr) << "ForeignFonts=" << row.count;
        EXPECT_EQ(u8(strings.foreignFontNames[i]), names[i]) << "ForeignFonts=" << row.count;
      } else {
        EXPECT_EQ(strings.foreignFontNames[i], nullptr) << "ForeignFonts=" << row.count;
      }
    }
  }
}

TEST_F(StringsTest, MissingFontKeyIsReported) {
  writeStringsFiles(withValues({{"ForeignFonts", "3"}, {"Font600", "A"}, {"Font602", "C"}}));
  EXPECT_FATAL(load(), FatalKind::StringsLoader, u"String: Font601 not found.   ");
}

TEST_F(StringsTest, ForeignFontsAboveTheTableStopsAtItsHundredSlots) {
  StringsFiles files = withValues({{"ForeignFonts", "150"}});
  for (int i = 0; i < 100; ++i) {
    files.overrides.push_back({"Font" + std::to_string(600 + i), "Face " + std::to_string(i)});
  }
  // No Font700 and beyond: they are never looked up.
  writeStringsFiles(files);
  load();
  EXPECT_EQ(strings.foreignFontCount, kForeignFontSlots);
  ASSERT_NE(strings.foreignFontNames[0], nullptr);
  ASSERT_NE(strings.foreignFontNames[99], nullptr);
  EXPECT_EQ(u8(strings.foreignFontNames[0]), "Face 0");
  EXPECT_EQ(u8(strings.foreignFontNames[99]), "Face 99");
}

TEST_F(StringsTest, SearchPaths) {
  enum class Where { Cwd, CwdStrings, FallbackStrings };
  struct Row {
    const char* name;
    bool fallback;
    std::vector<Where> files;  // each holds Install_Start = its place's name
    const char* expected;      // value of Install_Start, or the failure message
    bool fails;
  };
  const Row rows[] = {
      {"fallback: current directory", true, {Where::Cwd}, "cwd", false},
      {"fallback: folder\\strings", true, {Where::FallbackStrings}, "fallback", false},
      {"fallback: current directory first", true, {Where::FallbackStrings, Where::Cwd}, "cwd",
       false},
      {"fallback: not .\\strings", true, {Where::CwdStrings}, "No strings file found (2).   ",
       true},
      {"fallback: none", true, {}, "No strings file found (2).   ", true},
      {"no fallback: .\\strings", false, {Where::CwdStrings, Where::Cwd}, "cwd-strings", false},
      {"no fallback: not the current directory", false, {Where::Cwd},
       "No strings file found.   ", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir scratch;
    scratch.mkdir(u"setup\\strings");
    scratch.mkdir(u"strings");
    strings = StringsTable{};
    // Each settings file names its own language, so only the right one finds
    // the files.
    writeSettings(u"language.in_", "setuplang");
    writeSettings(u"language.ini", "toollang");
    const char* lang = row.fallback ? "setuplang" : "toollang";
    for (Where where : row.files) {
      const char* place = where == Where::Cwd ? "cwd"
                          : where == Where::CwdStrings ? "cwd-strings"
                                                       : "fallback";
      const char16_t* folder = where == Where::Cwd ? u"" : where == Where::CwdStrings ? u"strings\\"
                                                                                      : u"setup\\strings\\";
      writeFileBytes(folder + u16(lang) + u".str",
                     packedStrings(stringsSource(withValues({{"Install_Start", place}}))));
    }
    std::u16string fallback = scratch.path() + u"\\setup";
    if (row.fails) {
      EXPECT_FATAL(loadStrings(row.fallback ? fallback.c_str() : nullptr), FatalKind::StringsLoader,
                   u16(row.expected));
    } else {
      loadStrings(row.fallback ? fallback.c_str() : nullptr);
      EXPECT_EQ(value(StringKey::Install_Start), row.expected);
    }
  }
}

TEST_F(StringsTest, LanguageValueIsCutTo148Characters) {
  std::string name148(148, 'l');
  writeSettings(u"language.in_", name148 + "TAIL");
  writeFileBytes(u16(name148) + u".str",
                 packedStrings(stringsSource(withValues({{"Install_Start", "found"}}))));
  load();
  EXPECT_EQ(value(StringKey::Install_Start), "found");
}

TEST_F(StringsTest, EmptyLanguageLooksForDotStr) {
  writeFileBytes(u"language.in_", "[Dictionary]\r\nCharacter=0\r\n");
  EXPECT_FATAL(load(), FatalKind::StringsLoader, u"No strings file found (2).   ");
  writeFileBytes(u".str", packedStrings(stringsSource()));
  load();
  EXPECT_EQ(value(StringKey::Install_Stop), "Install_Stop");
}

TEST_F(StringsTest, ReadCharsetSetting) {
  EXPECT_EQ(readCharsetSetting(true), 0) << "no settings file";
  EXPECT_EQ(readCharsetSetting(false), 0) << "no settings file";
  writeFileBytes(u"language.in_", "[Dictionary]\r\nLanguage=russian\r\nCharacter=204\r\n");
  writeFileBytes(u"language.ini", "[Dictionary]\r\nCharacter=128\r\n");
  EXPECT_EQ(readCharsetSetting(true), 204);
  EXPECT_EQ(readCharsetSetting(false), 128);
  writeFileBytes(u"language.ini", "[Other]\r\nCharacter=128\r\n");
  EXPECT_EQ(readCharsetSetting(false), 0) << "key in another section";
}

TEST_F(StringsTest, LookupsAreCaseInsensitiveAfterLoading) {
  writeStringsFiles(withValues({{"Install_Dir", "Folder"}}));
  load();
  EXPECT_EQ(u8(lookupWide("INSTALL_DIR")), "Folder");
  EXPECT_EQ(std::string(lookupNarrow("install_dir")), "Folder");
  EXPECT_FATAL(lookupWide("NoSuchKey"), FatalKind::StringsLoader, u"String: NoSuchKey not found.   ");
  EXPECT_FATAL(lookupNarrow("NoSuchKey"), FatalKind::StringsLoader,
               u"String: NoSuchKey not found.   ");
}

// Packed by the packer, read by the loader and unpacked again: every value
// arrives as it was written, in each code page.
TEST_F(StringsTest, RoundTripThroughPackerAndLoader) {
  struct Row {
    const char* name;
    const char* charset;
    uint32_t codePage;
    std::vector<std::pair<std::string, std::string>> values;
  };
  const Row rows[] = {
      {"English", "0", 1252,
       {{"Install_Start", "Start"}, {"Install_Finished", "Ready – enjoy your café"},
        {"Locale", "english"}}},
      {"Russian", "204", 1251,
       {{"Install_Start", "Начать"}, {"Install_Finished", "Установка завершена"},
        {"Locale", "russian"}}},
      {"Japanese", "128", 932,
       {{"Install_Start", "開始"}, {"Install_Finished", "インストールが完了しました"},
        {"Done", "済"}, {"Locale", "japanese"}}},
  };
  for (const Row& row : rows) {
    SetUp();
    StringsFiles files = withValues(row.values);
    files.overrides.push_back({"CharactersetCode", row.charset});
    writeStringsFiles(files);
    load();
    EXPECT_EQ(state.uiCodePage, row.codePage) << row.name;
    for (const auto& [key, text] : row.values) {
      EXPECT_EQ(u8(lookupWide(key.c_str())), text) << row.name << " " << key;
    }
    EXPECT_EQ(value(StringKey::Install_Stop), "Install_Stop") << row.name;
    EXPECT_EQ(value(StringKey::ForeignFonts), "0") << row.name;
  }
}

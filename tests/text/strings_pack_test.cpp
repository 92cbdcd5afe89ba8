#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;
#include <vector>

#include "platform/utf8.h"
#include "support/test_support.h"
#include "text/strings.h"
#include "text/strings_pack.h"

using testing_support::u16;

namespace {

std::string plain(std::string packed) {
  descrambleStrings(packed.data(), packed.size());
  return packed;
}

}  // namespace

// The key is part of the file format: every strings file already made
// depends on these 29 bytes.
TEST(StringsPack, ScramblesWithTheDocumentedKey) {
  const unsigned char documented[29] = {0x5A, 0xC3, 0x17, 0x8E, 0x3B, 0xF1, 0x62, 0x09, 0xA4, 0x7D,
                                        0xD2, 0x35, 0x99, 0x4E, 0xE7, 0x13, 0xB8, 0x6C, 0x2F, 0xC9,
                                        0x81, 0x56, 0xEA, 0x24, 0x9F, 0x70, 0x0B, 0xD6, 0x43};
  std::string packed;
  StringsSourceProblem problem;
  ASSERT_TRUE(packStrings("CharactersetCode=0\nInstall_Start=Start the installation\n", packed,
                          problem))
      << problem.text();
  const std::string expected = "CharactersetCode=0\0Install_Start=Start the installation\0\0"s;
  ASSERT_EQ(packed.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    unsigned char want = static_cast<unsigned char>(expected[i] + documented[i % 29]);
    EXPECT_EQ(static_cast<unsigned char>(packed[i]), want) << "byte " << i;
  }
}

TEST(StringsPack, SourceSyntax) {
  struct Row {
    const char* name;
    std::string source;
    std::string plain;  // descrambled result
  };
  const Row rows[] = {
      {"comments, empty lines, CR LF and BOM",
       "\xEF\xBB\xBF# comment\r\n\r\nCharactersetCode=0\r\n#Done=x\r\nDone=\r\n",
       "CharactersetCode=0\0Done=\0\0"s},
      {"last line without newline", "CharactersetCode=0\nA=b", "CharactersetCode=0\0A=b\0\0"s},
      {"value with '=' and blanks", "CharactersetCode=0\nA= x = y \n",
       "CharactersetCode=0\0A= x = y \0\0"s},
      {"lone CR kept inside a value", "CharactersetCode=0\nA=x\ry\n",
       "CharactersetCode=0\0A=x\ry\0\0"s},
      {"Cyrillic in 1251", "CharactersetCode=204\nA=Жук\n",
       "CharactersetCode=204\0A=\xC6\xF3\xEA\0\0"s},
      {"kanji in 932", "CharactersetCode=128\nA=日本\n",
       "CharactersetCode=128\0A=\x93\xFA\x96\x7B\0\0"s},
      {"not a number: 1252", "CharactersetCode=abc\nA=é\n",
       "CharactersetCode=abc\0A=\xE9\0\0"s},
  };
  for (const Row& row : rows) {
    std::string packed;
    StringsSourceProblem problem;
    ASSERT_TRUE(packStrings(row.source, packed, problem)) << row.name << ": " << problem.text();
    EXPECT_EQ(plain(packed), row.plain) << row.name;
  }
}

TEST(StringsPack, RefusesBadSources) {
  struct Row {
    const char* name;
    std::string source;
    std::string error;
  };
  const Row rows[] = {
      {"no CharactersetCode", "Install_Start=Go\n", "no CharactersetCode entry"},
      {"line without '='", "CharactersetCode=0\n\nInstall_Start\n", "line 3: no '='"},
      {"empty key", "CharactersetCode=0\n=value\n", "line 2: the key before '=' is empty"},
      {"non-ASCII key", "CharactersetCode=0\nStärt=x\n", "line 2: the key 'Stärt' is not ASCII"},
      {"blank in key", "CharactersetCode=0\nInstall_Start =x\n",
       "line 2: the key 'Install_Start ' holds a blank"},
      {"invalid UTF-8", "CharactersetCode=0\nA=\xC3\x28\n", "line 2: the value of A is not valid UTF-8"},
      {"Cyrillic in 1252", "CharactersetCode=0\n# x\nA=ok Жук\n",
       "line 3: the value of A cannot be stored in code page 1252: it has no U+0416 'Ж'"},
      {"kanji in 1251", "CharactersetCode=204\nA=Жук 日\n",
       "line 2: the value of A cannot be stored in code page 1251: it has no U+65E5 '日'"},
      {"best-fit letter", "CharactersetCode=238\nA=Å\n",
       "line 2: the value of A cannot be stored in code page 1250: it has no U+00C5 'Å'"},
      {"emoji in 932", "CharactersetCode=128\nA=😀\n",
       "line 2: the value of A cannot be stored in code page 932: it has no U+1F600"},
      {"zero character", "CharactersetCode=0\nA=x\0y\n"s,
       "line 2: the value of A holds a zero character"},
  };
  for (const Row& row : rows) {
    std::string packed = "stale";
    StringsSourceProblem problem;
    EXPECT_FALSE(packStrings(row.source, packed, problem)) << row.name;
    std::string error = problem.text();
    EXPECT_NE(error.find(row.error), std::string::npos)
        << row.name << "\n  got:      " << error << "\n  expected: " << row.error;
    EXPECT_TRUE(packed.empty()) << row.name;
  }
}

TEST(StringsPack, WarnsAboutLikelyMistakes) {
  std::vector<std::string> warnings;
  std::string packed;
  StringsSourceProblem problem;
  ASSERT_TRUE(packStrings("CharactersetCode=1\nDone=a\ndone=b\n", packed, problem, &warnings));
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0], "line 3: done repeats line 2; the installer uses the first");
  EXPECT_NE(warnings[1].find("line 1: charset 1 has no code page of its own"), std::string::npos)
      << warnings[1];

  warnings.clear();
  ASSERT_TRUE(packStrings("CharactersetCode=204\nDone=a\n", packed, problem, &warnings));
  EXPECT_TRUE(warnings.empty());
}

TEST(StringsPack, UnpackGivesTheSourceBack) {
  struct Row {
    const char* name;
    std::string source;
  };
  const Row rows[] = {
      {"English", "CharactersetCode=0\nInstall_Start=Start\nDone=\nInstall_Finished=Café = ok\n"},
      {"Russian", "CharactersetCode=204\nInstall_Start=Начать\nLocale=russian\n"},
      {"Japanese", "Install_Start=開始\nCharactersetCode=128\nDone=済み\nLocale=japanese\n"},
  };
  for (const Row& row : rows) {
    std::string packed, source, error;
    StringsSourceProblem problem;
    ASSERT_TRUE(packStrings(row.source, packed, problem)) << row.name << ": " << problem.text();
    ASSERT_TRUE(unpackStrings(packed, source, error)) << row.name << ": " << error;
    EXPECT_EQ(source, row.source) << row.name;
  }
}

TEST(StringsPack, UnpackReadsLikeTheLoader) {
  struct Row {
    const char* name;
    std::string plain;
    std::string source;
  };
  const Row rows[] = {
      {"no final empty entry", "CharactersetCode=204\0A=\xC6\0"s,
       "CharactersetCode=204\nA=Ж\n"},
      {"last entry unterminated", "charactersetcode=204\0A=\xC6"s,
       "charactersetcode=204\nA=Ж\n"},
      {"entries after the empty one ignored", "CharactersetCode=0\0\0B=c\0"s,
       "CharactersetCode=0\n"},
  };
  for (const Row& row : rows) {
    std::string packed = row.plain;
    scrambleStrings(packed.data(), packed.size());
    std::string source, error;
    ASSERT_TRUE(unpackStrings(packed, source, error)) << row.name << ": " << error;
    EXPECT_EQ(source, row.source) << row.name;
  }
}

TEST(StringsPack, UnpackRefusesFilesWithoutCharactersetCode) {
  struct Row {
    const char* name;
    std::string packed;
  };
  const Row rows[] = {
      {"empty", ""},
      {"not scrambled", "CharactersetCode=0\0A=b\0\0"s},
      {"first byte zero", "\x5A" "CharactersetCode=0"},
  };
  for (const Row& row : rows) {
    std::string source = "stale", error;
    EXPECT_FALSE(unpackStrings(row.packed, source, error)) << row.name;
    EXPECT_NE(error.find("no CharactersetCode entry"), std::string::npos) << row.name << ": " << error;
    EXPECT_TRUE(source.empty()) << row.name;
  }
}

TEST(Utf8, DecodesAndRefusesMalformedText) {
  struct Row {
    const char* name;
    std::string utf8;
    bool valid;
    std::u16string wide;
  };
  const Row rows[] = {
      {"ASCII", "abc", true, u"abc"},
      {"two, three and four bytes", "é€😀", true, u"é€\U0001F600"},
      {"empty", "", true, u""},
      {"overlong slash", "\xC0\xAF", false, u""},
      {"overlong three bytes", "\xE0\x80\xAF", false, u""},
      {"surrogate", "\xED\xA0\x80", false, u""},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false, u""},
      {"cut sequence", "a\xE2\x82", false, u""},
      {"lone continuation byte", "\x80", false, u""},
      {"bad continuation", "\xC3\x28", false, u""},
  };
  for (const Row& row : rows) {
    std::u16string out = u"stale";
    EXPECT_EQ(utf8ToWide(row.utf8, out), row.valid) << row.name;
    if (row.valid) {
      EXPECT_EQ(out, row.wide) << row.name;
      EXPECT_EQ(platform::utf16ToUtf8(out), row.utf8) << row.name;
    }
  }
  EXPECT_EQ(platform::utf16ToUtf8(u"a\xD800z"), "a\xEF\xBF\xBDz") << "lone surrogate";
}

// The language step over the language configuration file.
#include "install/language_step.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/state.h"
#include "platform/file.h"
#include "platform/screen.h"
#include "support/strings_fixture.h"
#include "support/test_support.h"
#include "text/strings_step.h"
#include "text/collate.h"

using testing_support::ScratchDir;

using testing_support::kEofMarker;
using testing_support::lf;
using testing_support::record;

namespace {

// The registry's lines from the language section header on.
std::string languageSection(const std::string& registry) {
  std::size_t at = registry.find("[Language]\n");
  return at == std::string::npos ? "(no section)" : registry.substr(at);
}

class Driver : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::writeStringsFiles();  // configuration file taal.cf, lists in "."
    loadStrings(u"C:\\unused");
    dir.write(u"dutch.src", record("huis", "house, home"));
    dir.write(u"german.src", record("Haus", "house"));
  }
  void writeConfig(std::string_view text) { dir.write(u"taal.cf", text); }
  std::string registry() const { return lf(dir.read(u"dict.ini")); }

  ScratchDir dir;
};

TEST_F(Driver, MissingConfigurationFile) {
  EXPECT_FATAL(processLanguages(), FatalKind::Error, u"Can't open LANGUAGE.CF");
  EXPECT_FALSE(dir.exists(u"dict.ini"));
}

TEST_F(Driver, CommentsOnlyProcessesNothingAndDeletesTheFile) {
  struct Row {
    const char* name;
    bool registryBefore;
  } rows[] = {{"no registry", false}, {"existing registry", true}};
  const std::string existing = "[Language]\nd,d,0,Dutch\n\n";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    platform::removeFile(u"dict.ini");
    if (row.registryBefore) dir.write(u"dict.ini", existing);
    writeConfig("# nothing here\r\n\r\n#x,y,0,Dutch\r\n");
    processLanguages();
    EXPECT_FALSE(dir.exists(u"taal.cf"));
    EXPECT_EQ(dir.exists(u"dict.ini"), row.registryBefore);
    if (row.registryBefore) {
      EXPECT_EQ(dir.read(u"dict.ini"), existing);
    }
  }
}

TEST_F(Driver, CharsetFieldSelectsTheListCodePage) {
  struct Row {
    const char* field;
    uint32_t codePage;
  } rows[] = {{"204", 1251}, {"161", 1253}, {"0", 1252}, {"abc", 1252}, {" 204", 1251}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.field);
    state.listCodePage = 0;
    writeConfig(std::string("d,x,") + row.field + ",Dutch\ndutch.src\ndutch.out\n");
    processLanguages();
    EXPECT_EQ(state.listCodePage, row.codePage);
  }
}

TEST_F(Driver, LanguageLineFields) {
  struct Row {
    const char* line;
    const char* name;
    const char* entry;
  } rows[] = {
      {"d,x,0,Dutch", "Dutch", "d,x,0,Dutch"},
      {"A,,B,204,,Name", "Name", "A,B,204,Name"},
      {",,A,B,,,204,Name", "Name", "A,B,204,Name"},
      {"A,B,0,Dutch,ignored,more", "Dutch", "A,B,0,Dutch"},
      {"A,B,0,Low German ", "Low German ", "A,B,0,Low German "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    platform::removeFile(u"dict.ini");
    writeConfig(std::string(row.line) + "\ndutch.src\ndutch.out\n");
    processLanguages();
    EXPECT_STREQ(state.languageName, row.name);
    EXPECT_EQ(languageSection(registry()),
              "[Language]\n" + std::string(row.entry) + "\n\n\n" + kEofMarker);
  }
}

TEST_F(Driver, NameLinesFollowAfterCommentsAndEmptyLines) {
  writeConfig("# languages\r\n\r\nd,x,0,Dutch\r\n# source\r\n\r\ndutch.src\r\n#\r\ndutch.out\r\n");
  testing_support::RecordingScreen screen;
  platform::setScreen(&screen);
  processLanguages();
  platform::setScreen(nullptr);
  EXPECT_STREQ(state.inputListName, "dutch.src");
  EXPECT_STREQ(state.outputListName, "dutch.out");
  // The skeleton names the first source list; the reversed list was built.
  EXPECT_NE(registry().find("[Selected]\ndutch.src\n"), std::string::npos) << registry();
  EXPECT_EQ(dir.read(u"dutch.out").size(), 2u * 84);
  EXPECT_FALSE(dir.exists(u"taal.cf"));
  ASSERT_FALSE(screen.calls.empty());
  EXPECT_EQ(screen.calls[0], "heading 30,100,480,300 Dutch");
}

TEST_F(Driver, TwoLanguagesThenTheSameNameAgain) {
  writeConfig("d,x,0,Dutch\ndutch.src\ndutch.out\ng,x,0,German\ngerman.src\ngerman.out\n");
  processLanguages();
  EXPECT_EQ(languageSection(registry()), "[Language]\nd,x,0,Dutch\ng,x,0,German\n\n\n" + kEofMarker);

  // A later run, and a file naming Dutch twice: one entry, the later one.
  writeConfig("d1,x,0,Dutch\ndutch.src\ndutch.out\nd2,y,0,DUTCH\ndutch.src\ndutch.out\n");
  processLanguages();
  EXPECT_EQ(languageSection(registry()), "[Language]\ng,x,0,German\nd2,y,0,DUTCH\n\n\n" + kEofMarker);
}

TEST_F(Driver, HeadingsAndTheRegistryOnlyForTheFirstLine) {
  state.debugMode = 1;
  state.debugLineY = 170;
  dir.write(u"dict.ini", "[Language]\n\n");
  writeConfig("d,x,0,Dutch\ndutch.src\ndutch.out\ng,x,0,German\ngerman.src\ngerman.out\n");
  testing_support::RecordingScreen screen;
  platform::setScreen(&screen);
  processLanguages();
  platform::setScreen(nullptr);
  std::vector<std::string> headings;
  for (const std::string& call : screen.calls) {
    if (call.rfind("heading", 0) == 0) headings.push_back(call);
  }
  EXPECT_EQ(headings, (std::vector<std::string>{"heading 30,100,480,300 Dutch",
                                                "heading 30,150,480,350 German"}));
  EXPECT_EQ(registry(), "[Language]\nd,x,0,Dutch\ng,x,0,German\n\n");
}

// ensureRegistry moves the debug line down 25 pixels once per run, not once
// per language: two languages move it twice as far as one, less those 25.
TEST_F(Driver, DebugLineMovesForTheRegistryOnce) {
  auto run = [this](std::string config) {
    state.debugMode = 1;
    state.debugLineY = 170;
    writeConfig(config);
    processLanguages();
    return state.debugLineY - 170;
  };
  int one = run("d,x,0,Dutch\ndutch.src\ndutch.out\n");
  int two = run("d,x,0,Dutch\ndutch.src\ndutch.out\ng,x,0,German\ngerman.src\ngerman.out\n");
  EXPECT_GE(one, 25);
  EXPECT_EQ(two, 2 * one - 25);
}

bool refuseEveryLocale(std::u16string_view) { return false; }
bool acceptEveryLocale(std::u16string_view) { return true; }

TEST_F(Driver, RefusedLocaleWarnsForEveryLanguageLine) {
  struct Row {
    const char* name;
    CollationSetter setter;
    std::size_t boxes;
  } rows[] = {{"refused", refuseEveryLocale, 2}, {"accepted", acceptEveryLocale, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    testing_support::shownBoxes().clear();
    setCollationSetter(row.setter);
    writeConfig("d,x,0,Dutch\ndutch.src\ndutch.out\ng,x,0,German\ngerman.src\ngerman.out\n");
    processLanguages();
    setCollationSetter(nullptr);
    ASSERT_EQ(testing_support::shownBoxes().size(), row.boxes);
    for (const auto& box : testing_support::shownBoxes()) {
      EXPECT_EQ(box.text, u"ErrorLocale");
      EXPECT_EQ(box.caption, u"Install_Install");
      EXPECT_EQ(box.icon, platform::BoxIcon::Warning);
    }
    EXPECT_EQ(languageSection(registry()), "[Language]\nd,x,0,Dutch\ng,x,0,German\n\n\n" + kEofMarker);
  }
}

// A bad second group must end the run before anything is written for it:
// the registry stays as the first language left it, the configuration file
// stays for another try.
TEST_F(Driver, BadGroupsEndTheRunBeforeWritingForThem) {
  struct Row {
    const char* name;
    std::string secondGroup;
    std::u16string message;
  } rows[] = {
      {"three fields", "g,x,0\ngerman.src\ngerman.out\n",
       u"Incomplete language line in LANGUAGE.CF: g,x,0"},
      {"commas do not make fields", "g,,x,,,0,,\ngerman.src\ngerman.out\n",
       u"Incomplete language line in LANGUAGE.CF: g,,x,,,0,,"},
      {"no name lines", "g,x,0,German\n# nothing follows\n",
       u"List file names missing in LANGUAGE.CF after: g,x,0,German"},
      {"one name line", "g,x,0,German\ngerman.src\n",
       u"List file names missing in LANGUAGE.CF after: g,x,0,German"},
      {"source list missing", "g,x,0,German\nmissing.src\ngerman.out\n",
       u"Input file \"missing.src\" missing"},
  };
  const std::string first = "d,x,0,Dutch\ndutch.src\ndutch.out\n";
  for (const Row& row : rows) {
    for (bool alone : {true, false}) {
      SCOPED_TRACE(std::string(row.name) + (alone ? ", as the first group" : ", after Dutch"));
      platform::removeFile(u"dict.ini");
      std::string afterFirst;
      if (!alone) {
        writeConfig(first);
        processLanguages();
        afterFirst = dir.read(u"dict.ini");
      }
      writeConfig((alone ? "" : first) + row.secondGroup);
      bool fatal = false;
      try {
        processLanguages();
      } catch (const testing_support::FatalExit& e) {
        fatal = true;
        EXPECT_EQ(testing_support::u8(e.message), testing_support::u8(row.message));
      }
      EXPECT_TRUE(fatal);
      EXPECT_TRUE(dir.exists(u"taal.cf"));
      EXPECT_FALSE(dir.exists(u"tmp.ini"));
      if (alone && row.secondGroup.find("missing.src") == std::string::npos) {
        EXPECT_FALSE(dir.exists(u"dict.ini"));
      } else if (!alone) {
        EXPECT_EQ(dir.read(u"dict.ini"), afterFirst);
      }
    }
  }
}

}  // namespace

// The language configuration file's lines (wordlist/language_config.h).
#include "wordlist/language_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file.h"
#include "support/test_support.h"

using testing_support::ScratchDir;

TEST(ReadConfigLine, SkipsCommentsAndEmptyLinesAndSplitsLongLines) {
  ScratchDir dir;
  std::string longLine(150, 'x');
  dir.write(u"cf", "\r\n# comment\r\n\r\nfirst\r\n#\r\nsecond\n" + longLine + "\r\n# last");
  platform::File file = platform::File::open(u"cf", platform::OpenMode::ReadText);
  ASSERT_TRUE(file.isOpen());
  const char* expected[] = {"first", "second", nullptr, nullptr};
  std::string pieces[] = {"", "", std::string(99, 'x'), std::string(51, 'x')};
  char buffer[100];
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE("line " + std::to_string(i));
    ASSERT_EQ(readConfigLine(file, buffer), 0);
    EXPECT_EQ(std::string(buffer), expected[i] ? expected[i] : pieces[i]);
  }
  EXPECT_EQ(readConfigLine(file, buffer), -1);
  EXPECT_EQ(readConfigLine(file, buffer), -1);
}

// Ctrl-Z (0x1A) ends the file wherever it stands; the piece before it is
// still a line.
TEST(ReadConfigLine, CtrlZEndsTheFile) {
  struct Row {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
  } rows[] = {
      {"after the last line", "first\r\nsecond\r\n\x1a", {"first", "second"}},
      {"inside a line", "first\r\nsec\x1aond\r\nthird\r\n", {"first", "sec"}},
      {"first byte", "\x1a" "first\r\n", {}},
      {"behind a zero byte", std::string("a\0b\x1a\r\nmore\r\n", 12), {"a"}},
      {"behind 99 bytes", std::string(99, 'x') + "\x1a" "tail\r\n", {std::string(99, 'x')}},
      {"in a comment", "# note\x1a\r\nfirst\r\n", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir dir;
    dir.write(u"cf", row.bytes);
    platform::File file = platform::File::open(u"cf", platform::OpenMode::ReadText);
    ASSERT_TRUE(file.isOpen());
    char buffer[100];
    std::vector<std::string> lines;
    while (readConfigLine(file, buffer) == 0) lines.push_back(buffer);
    EXPECT_EQ(lines, row.lines);
    EXPECT_EQ(readConfigLine(file, buffer), -1);
    EXPECT_FALSE(file.failed());
  }
}

#include <gtest/gtest.h>

#include <string>

#include "app/window.h"
#include "support/test_support.h"

using testing_support::u8;

namespace {

std::u16string fitted(std::u16string_view directory) {
  WideText<kDirTextCapacity> out;
  fitDirectoryText(directory, out);
  return std::u16string(out.view());
}

std::u16string repeat(std::u16string_view part, int times) {
  std::u16string s;
  for (int i = 0; i < times; ++i) s += part;
  return s;
}

TEST(DirectoryText, ShortDirectoriesAreShownAsTheyAre) {
  for (std::u16string dir : {std::u16string(u"c:\\"), std::u16string(u"C:\\Program Files"),
                             u"c:\\" + std::u16string(196, u'a')}) {
    EXPECT_EQ(u8(fitted(dir)), u8(dir)) << "length " << dir.size();
  }
}

TEST(DirectoryText, LongDirectoriesShowTheirEndBehindAMarker) {
  struct Row {
    const char* name;
    std::u16string directory;
    std::u16string expected;
  };
  const std::u16string folders = u"c:\\" + repeat(u"folder\\", 40) + u"last";  // 287 chars
  const std::u16string oneName = u"c:\\" + std::u16string(250, u'n');
  const Row rows[] = {
      // 200 characters: one too many for the edit box's limit.
      {"200 characters", u"c:\\" + std::u16string(197, u'x'),
       u"\u2026\\" + std::u16string(197, u'x')},
      {"cut at a folder boundary", folders,
       u"\u2026" + folders.substr(folders.find(u'\\', folders.size() - 197))},
      {"one long name", oneName, u"\u2026\\" + std::u16string(197, u'n')},
  };
  for (const Row& row : rows) {
    std::u16string got = fitted(row.directory);
    EXPECT_EQ(u8(got), u8(row.expected)) << row.name;
    EXPECT_LE(got.size(), 199u) << row.name;
    EXPECT_EQ(got.substr(0, 2), u"\u2026\\") << row.name << ": the text must not be a usable path";
    EXPECT_EQ(row.directory.substr(row.directory.size() - (got.size() - 2)), got.substr(2))
        << row.name << ": the shown end must be the directory's end";
  }
}

}  // namespace

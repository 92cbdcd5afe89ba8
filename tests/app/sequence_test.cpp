#include <gtest/gtest.h>

#include <string>

#include "app/sequence.h"
#include "base/state.h"
#include "install/sequence.h"
#include "support/test_support.h"
#include "text/strings_step.h"

using testing_support::ScratchDir;
using testing_support::shownBoxes;
using testing_support::u16;
using testing_support::u8;

namespace {

// Gives the two keys of the closing box texts for the test's duration.
class ClosingTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_[0] = strings.values[finished()];
    saved_[1] = strings.values[install()];
    strings.values[finished()] = u"Installation finished.";
    strings.values[install()] = u"Dictionary Setup";
    state.uiCodePage = 1252;
  }
  void TearDown() override {
    strings.values[finished()] = saved_[0];
    strings.values[install()] = saved_[1];
  }
  static int finished() { return static_cast<int>(StringKey::Install_Finished); }
  static int install() { return static_cast<int>(StringKey::Install_Install); }

  // The one box shown: its text; fails when there was not exactly one box
  // with the installer's caption and no icon.
  std::u16string onlyBoxText() {
    EXPECT_EQ(shownBoxes().size(), 1u);
    if (shownBoxes().empty()) return u"<no box>";
    const auto& box = shownBoxes().back();
    EXPECT_EQ(u8(box.caption), "Dictionary Setup");
    EXPECT_EQ(box.icon, platform::BoxIcon::None);
    return box.text;
  }

 private:
  const char16_t* saved_[2] = {};
};

TEST_F(ClosingTextTest, FileTextOrFallback) {
  struct Row {
    const char* name;
    const char* fileName;    // closingTextFile ("" = none named)
    std::string contents;    // written when `write`
    bool write;
    std::string expected;    // UTF-8
  };
  const Row rows[] = {
      {"plain text", "closing.txt", "Thank you.\r\nEnjoy!", true, "Thank you.\r\nEnjoy!"},
      {"code page text", "closing.txt", "Gr\xFC\xDF" "e", true, "Grüße"},
      {"stops at the first zero", "closing.txt", std::string("Shown\0hidden", 12), true, "Shown"},
      {"no file named", "", "", false, "Installation finished."},
      {"missing file", "absent.txt", "", false, "Installation finished."},
      {"empty file", "closing.txt", "", true, "Installation finished."},
      {"zero at the start", "closing.txt", std::string("\0text", 5), true,
       "Installation finished."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir dir;
    shownBoxes().clear();
    if (row.write) dir.write(u"closing.txt", row.contents);
    state.closingTextFile.assign(u16(row.fileName));
    showClosingText();
    EXPECT_EQ(u8(onlyBoxText()), row.expected);
  }
}

TEST_F(ClosingTextTest, LongTextIsCutAt4999Characters) {
  ScratchDir dir;
  std::string text;
  for (int i = 0; i < 6000; ++i) text += static_cast<char>('a' + i % 26);
  dir.write(u"long.txt", text);
  state.closingTextFile.assign(u"long.txt");
  showClosingText();
  std::u16string shown = onlyBoxText();
  ASSERT_EQ(shown.size(), 4999u);
  EXPECT_EQ(u8(shown), text.substr(0, 4999));
}

TEST_F(ClosingTextTest, LongDoubleByteTextIsCutAt4999Characters) {
  // 6000 Japanese characters of two bytes each: 12000 bytes.
  state.uiCodePage = 932;
  ScratchDir dir;
  std::string text;
  for (int i = 0; i < 6000; ++i) text += "\x82\xA0";  // HIRAGANA LETTER A
  dir.write(u"long.txt", text);
  state.closingTextFile.assign(u"long.txt");
  showClosingText();
  std::u16string shown = onlyBoxText();
  ASSERT_EQ(shown.size(), 4999u);
  EXPECT_EQ(shown, std::u16string(4999, u'\u3042'));
}

TEST_F(ClosingTextTest, ExactlyFullTextIsShownWhole) {
  ScratchDir dir;
  std::string text(4999, 'x');
  dir.write(u"full.txt", text + "\r\n");
  state.closingTextFile.assign(u"full.txt");
  showClosingText();
  EXPECT_EQ(onlyBoxText().size(), 4999u);
}

TEST_F(ClosingTextTest, RelativeNameIsFoundInTheCurrentDirectory) {
  ScratchDir dir;
  dir.mkdir(u"sub");
  dir.write(u"sub\\note.txt", "in sub");
  dir.write(u"note.txt", "in setup folder");
  state.closingTextFile.assign(u"note.txt");
  showClosingText();
  EXPECT_EQ(u8(onlyBoxText()), "in setup folder");
}

TEST(CheckInstallDir, ExistingCreatedOrRefused) {
  struct Row {
    const char* name;
    const char* typed;
    bool accepted;
    bool existsAfter;
  };
  const Row rows[] = {
      {"existing directory", "present", true, true},
      {"existing with backslash", "present\\", true, true},
      {"one level created", "present\\fresh", true, true},
      {"missing parent", "absent\\deeper", false, false},
      {"empty text", "", false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScratchDir dir;
    dir.mkdir(u"present");
    shownBoxes().clear();
    state.installDir.assign(u16(row.typed));
    int result = acceptInstallDir();
    EXPECT_EQ(result, row.accepted ? 0 : -1);
    if (row.accepted) {
      EXPECT_TRUE(shownBoxes().empty());
    } else {
      ASSERT_EQ(shownBoxes().size(), 1u);
      EXPECT_EQ(u8(shownBoxes()[0].text), "Invalid Directory");
      EXPECT_EQ(u8(shownBoxes()[0].caption), "Error");
      EXPECT_EQ(shownBoxes()[0].icon, platform::BoxIcon::Error);
    }
    if (*row.typed) {
      EXPECT_EQ(dir.exists(u16(row.typed)), row.existsAfter);
    }
    EXPECT_FALSE(dir.exists(u"absent"));
    // The text is kept as typed.
    EXPECT_EQ(u8(state.installDir.view()), row.typed);
  }
}

}  // namespace

// Shared helpers of the unit tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/fatal.h"
#include "platform/screen.h"
#include "platform/ui.h"

namespace testing_support {

// Thrown by the fatal hook that every test program from base/ up installs
// (support/test_main.cpp): a fatal exit becomes an exception the test can
// catch and inspect.
struct FatalExit {
  FatalKind kind;
  std::u16string message;
};

// Runs every test of the program (its main calls it). Message boxes are
// recorded in shownBoxes; each test starts with no injected faults, no
// screen and no boxes, and with `freshProgramState` called when given (the
// InstallState of the programs from base/ up).
int runTests(int argc, char** argv, void (*freshProgramState)());

// Message boxes shown (not fatal ones) since the last clear.
struct ShownBox {
  std::u16string text, caption;
  platform::BoxIcon icon;
};
std::vector<ShownBox>& shownBoxes();

// The marker line that ends dict.ini's language section, with its newline.
inline const std::string kEofMarker = "# --- EOF " + std::string(56, '-') + "\n";

// The bytes on disk of a text written with LF line ends in text mode (CR LF),
// and back.
inline std::string crlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}
inline std::string lf(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    if (c != '\r') out += c;
  }
  return out;
}

// One 84-byte word-list record, zero-filled, with the raw bytes of the word
// at 0 and of the translations at 31 (cut to the field widths of 31 and 51
// bytes without adding a zero).
inline std::string record(std::string_view word, std::string_view translations) {
  std::string r(84, '\0');
  r.replace(0, word.size() < 31 ? word.size() : 31, word.substr(0, 31));
  r.replace(31, translations.size() < 51 ? translations.size() : 51, translations.substr(0, 51));
  return r;
}

// A string literal with its zero bytes, without the terminating one.
template <std::size_t N>
std::string bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

// UTF-8 <-> UTF-16 for readable test data and failure messages.
std::u16string u16(std::string_view utf8);
std::string u8(std::u16string_view utf16);

// A fresh empty directory under the system's temporary folder, made the
// current directory for the life of the object; the previous current
// directory comes back afterwards. The directory is removed with its files.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::u16string& path() const { return path_; }
  // Writes bytes to a file relative to the directory.
  void write(std::u16string_view name, std::string_view bytes) const;
  // Reads a whole file; empty when it does not exist or is a directory.
  std::string read(std::u16string_view name) const;
  bool exists(std::u16string_view name) const;
  void mkdir(std::u16string_view name) const;

 private:
  std::u16string path_;
  std::u16string previous_;
};

// Records every painting call as one line of text, e.g.
// "progress 30,155,380,175 fill=64 text=10%".
class RecordingScreen : public platform::Screen {
 public:
  std::vector<std::string> calls;
  void heading(const char* name, platform::Rect r) override;
  void beginList() override;
  void progress(platform::Rect bar, int fillEdge, const char* percentText) override;
  void label(std::u16string_view text, platform::Rect r) override;
  void counter(std::u16string_view text, platform::Rect r) override;
  void endList() override;
  void showWaitCursor() override;
  void restoreCursor() override;
};

// Converts a Linux path of the test environment (TEST_DATA_DIR) into the
// Windows form that Wine understands (Z:\...); unchanged in the native build.
std::u16string hostPath(std::string_view linuxPath);
// TEST_DATA_DIR as a Windows path.
std::u16string testDataDir();

}  // namespace testing_support

// Runs `statement` and expects it to end through raiseFatal (or the strings
// loader's box) with exactly `expected` (a u"" literal).
#define EXPECT_FATAL(statement, expected_kind, expected)                        \
  do {                                                                          \
    bool fatal_seen_ = false;                                                   \
    try {                                                                       \
      statement;                                                                \
    } catch (const testing_support::FatalExit& e) {                             \
      fatal_seen_ = true;                                                       \
      EXPECT_EQ(testing_support::u8(e.message), testing_support::u8(expected)); \
      EXPECT_EQ(e.kind, expected_kind);                                         \
    }                                                                           \
    EXPECT_TRUE(fatal_seen_) << "expected a fatal exit: "                       \
                             << testing_support::u8(expected);                  \
  } while (0)

#include "install/sequence.h"

#include <cstring>
#include <vector>

#include "base/state.h"
#include "install/language_step.h"
#include "platform/file.h"
#include "platform/ui.h"
#include "install/registry_step.h"
#include "script/script.h"
#include "text/charset.h"

namespace {

// Enough bytes for kClosingTextLimit characters in any code page the
// installer uses (at most 4 bytes per UTF-16 unit).
constexpr std::size_t kClosingBytesLimit = 4 * (kClosingTextLimit + 1);

// Converts the 8-bit text up to its first zero byte, cut to the first
// kClosingTextLimit characters (never in the middle of a surrogate pair).
std::u16string convertClosingText(const std::vector<char>& bytes, uint32_t codePage) {
  std::size_t length = strnlen(bytes.data(), bytes.size());
  if (length > kClosingBytesLimit) length = kClosingBytesLimit;
  std::vector<char16_t> wide(length + 1);
  toWideCount(bytes.data(), wide.data(), static_cast<int>(length), codePage);
  std::u16string_view converted(wide.data(), static_cast<std::size_t>(wideLength(wide.data())));
  if (converted.size() > kClosingTextLimit) {
    std::size_t keep = kClosingTextLimit;
    char16_t last = converted[keep - 1];
    if (last >= 0xD800 && last < 0xDC00) --keep;
    converted = converted.substr(0, keep);
  }
  return std::u16string(converted);
}

}  // namespace

int acceptInstallDir() {
  if (platform::pathExists(state.installDir.view()) ||
      platform::createDirectory(state.installDir.view())) {
    // Held from here to the end of the run: nobody can rename it, or put a
    // link in its place, while setup writes below it.
    state.installFolder = platform::Folder::hold(state.installDir.view());
    if (state.installFolder.held()) return 0;
  }
  platform::messageBox(state.mainWindow, u"Invalid Directory", u"Error", platform::BoxIcon::Error);
  return -1;
}

void runInstallSteps(std::size_t typedLength, void (*entered)()) {
  WideText<kPathCapacity> typed;
  typed.assign(state.installDir.view().substr(0, typedLength));
  platform::setCurrentDirectory(typed.view());
  entered();

  if (state.makeWordLists == 1) processLanguages();
  if (countLanguageEntries() > 1) sortLanguageSection();
  createShortcutStep();

  platform::setCurrentDirectory(state.setupDir.view());
  state.installFolder = platform::Folder();
}

std::u16string readClosingText(std::u16string_view fileName, uint32_t codePage) {
  if (fileName.empty()) return {};
  platform::File file = platform::File::open(fileName, platform::OpenMode::ReadBinary);
  if (!file) return {};
  int64_t size = file.size();
  if (size < 0) return {};
  // No more than kClosingBytesLimit bytes can reach the box, so no more are
  // read: a file of gigabytes needs no buffer of its size.
  std::size_t wanted = size < static_cast<int64_t>(kClosingBytesLimit)
                           ? static_cast<std::size_t>(size)
                           : kClosingBytesLimit;
  std::vector<char> bytes(wanted + 1, 0);
  file.read(bytes.data(), wanted);
  return convertClosingText(bytes, codePage);
}

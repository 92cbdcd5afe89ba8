#include "app/sequence.h"

#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/gdi.h"
#include "app/wchar.h"
#include "base/state.h"
#include "platform/file.h"
#include "platform/ui.h"
#include "registry/registry.h"
#include "script/script.h"
#include "text/charset.h"
#include "text/strings.h"
#include "install/language_step.h"

namespace {

void hide(HWND control) { ShowWindow(control, SW_HIDE); }

void showClosingBox(std::u16string_view message) {
  platform::messageBox(state.mainWindow, message, text(StringKey::Install_Install),
                       platform::BoxIcon::None);
}

void showFallbackBox() { showClosingBox(text(StringKey::Install_Finished)); }

// Enough bytes for kClosingTextLimit characters in any code page the
// installer uses (at most 4 bytes per UTF-16 unit).
constexpr std::size_t kClosingBytesLimit = 4 * (kClosingTextLimit + 1);

// Converts the 8-bit text up to its first zero byte, cut to the first
// kClosingTextLimit characters (never in the middle of a surrogate pair).
void convertClosingText(const std::vector<char>& bytes, WideText<kClosingTextLimit + 1>& out) {
  std::size_t length = strnlen(bytes.data(), bytes.size());
  if (length > kClosingBytesLimit) length = kClosingBytesLimit;
  std::vector<char16_t> wide(length + 1);
  toWideCount(bytes.data(), wide.data(), static_cast<int>(length), state.uiCodePage);
  std::u16string_view converted(wide.data(), static_cast<std::size_t>(wideLength(wide.data())));
  if (converted.size() > kClosingTextLimit) {
    std::size_t keep = kClosingTextLimit;
    char16_t last = converted[keep - 1];
    if (last >= 0xD800 && last < 0xDC00) --keep;
    converted = converted.substr(0, keep);
  }
  out.assign(converted);
}

}  // namespace

int acceptInstallDir() {
  if (platform::pathExists(state.installDir.view())) return 0;
  if (platform::createDirectory(state.installDir.view())) return 0;
  platform::messageBox(state.mainWindow, u"Invalid Directory", u"Error", platform::BoxIcon::Error);
  return -1;
}

int checkInstallDir(HWND dirEdit) {
  state.installDir.clear();
  GetWindowTextW(dirEdit, wchars(state.installDir.buffer()),
                 static_cast<int>(state.installDir.capacity()));
  return acceptInstallDir();
}

void runInstallation() {
  HWND window = state.mainWindow;
  MoveWindow(state.frameBox, 110, 138, 440, 110, TRUE);
  for (HWND control : {state.driveList, state.dirList, state.startButton, state.chdirButton,
                       state.driveLabel, state.dirLabel}) {
    hide(control);
  }
  gdi::setWindowFont(state.instDirLabel, state.smallFont);
  SetWindowTextW(state.instDirLabel, wchars(text(StringKey::Install_CopyFiles)));
  UpdateWindow(window);

  // The install pass ends installDir with a backslash; the directory is
  // entered as the user typed it.
  const std::size_t typedLength = state.installDir.length();
  runInstallPass();
  for (HWND control : {state.stopButton, state.instDirLabel, state.frameBox, state.dirEdit}) {
    hide(control);
  }
  WideText<kPathCapacity> typed;
  typed.assign(state.installDir.view().substr(0, typedLength));
  platform::setCurrentDirectory(typed.view());
  UpdateWindow(window);

  if (state.makeWordLists == 1) processLanguages();
  if (countLanguageEntries() > 1) sortLanguageSection();
  createShortcutStep();

  platform::setCurrentDirectory(state.setupDir.view());
  showClosingText();
  DestroyWindow(window);
}

void showClosingText() {
  if (state.closingTextFile.empty()) return showFallbackBox();
  // A relative name is found in setupDir, the current directory by now.
  platform::File file = platform::File::open(state.closingTextFile.view(),
                                             platform::OpenMode::ReadBinary);
  if (!file) return showFallbackBox();
  int64_t size = file.size();
  if (size < 0) return showFallbackBox();
  // No more than kClosingBytesLimit bytes can reach the box, so no more are
  // read: a file of gigabytes needs no buffer of its size.
  std::size_t wanted = size < static_cast<int64_t>(kClosingBytesLimit)
                           ? static_cast<std::size_t>(size)
                           : kClosingBytesLimit;
  std::vector<char> bytes(wanted + 1, 0);
  file.read(bytes.data(), wanted);

  auto message = std::make_unique<WideText<kClosingTextLimit + 1>>();
  convertClosingText(bytes, *message);
  if (message->empty()) return showFallbackBox();
  showClosingBox(message->view());
}

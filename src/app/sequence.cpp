#include "app/sequence.h"

#include <windows.h>

#include <string>

#include "app/gdi.h"
#include "app/wchar.h"
#include "base/state.h"
#include "install/sequence.h"
#include "platform/ui.h"
#include "script/script.h"
#include "text/strings_step.h"

namespace {

void hide(HWND control) { ShowWindow(control, SW_HIDE); }

void showClosingBox(std::u16string_view message) {
  platform::messageBox(state.mainWindow, message, text(StringKey::Install_Install),
                       platform::BoxIcon::None);
}

}  // namespace

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
  runInstallSteps(typedLength, [] { UpdateWindow(state.mainWindow); });

  showClosingText();
  DestroyWindow(window);
}

void showClosingText() {
  // A relative name is found in setupDir, the current directory by now.
  std::u16string message = readClosingText(state.closingTextFile.view(), state.uiCodePage);
  if (message.empty()) return showClosingBox(text(StringKey::Install_Finished));
  showClosingBox(message);
}

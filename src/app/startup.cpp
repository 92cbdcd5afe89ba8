#include "app/startup.h"

#include <windows.h>

#include "app/draw.h"
#include "base/state.h"
#include "app/window.h"
#include "app/window_screen.h"
#include "platform/file.h"
#include "platform/shell.h"
#include "script/script.h"
#include "text/charset.h"
#include "text/strings.h"

namespace {

HWND hwnd(void* handle) { return static_cast<HWND>(handle); }

void setText(void* control, StringKey key) {
  SetWindowTextW(hwnd(control), reinterpret_cast<const wchar_t*>(text(key)));
}

void labelControls() {
  setText(state.startButton, StringKey::Install_Start);
  setText(state.stopButton, StringKey::Install_Stop);
  setText(state.chdirButton, StringKey::Install_ChDir);
  setText(state.instDirLabel, StringKey::Install_InstDir);
  setText(state.driveLabel, StringKey::Install_Drive);
  setText(state.dirLabel, StringKey::Install_Dir);
}

int runMessageLoop() {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int runSetup(void* instance, int showMode) {
  state.instance = instance;
  state.showMode = showMode;
  state.defaultDir.assign(u"c:\\");
  platform::currentDirectory(state.setupDir.buffer(), state.setupDir.capacity());

  state.headingY = 100;
  state.progressY = 155;
  state.makeShortcut = 0;
  state.makeWordLists = 0;

  registerWindowClass(static_cast<HINSTANCE>(instance));
  state.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  state.screenHeight = GetSystemMetrics(SM_CYSCREEN);

  int32_t charset = readCharsetSetting(true);
  state.uiCodePage = charsetToCodePage(charset);
  state.homeCodePage = state.uiCodePage;
  state.headingFont = makeFont(30, 700, L"Times New Roman", charset);
  state.smallFont = makeFont(9, 400, L"Arial", charset);

  platform::setScreen(&windowScreen());
  // Without a window there is nothing to install with; end as a failed run.
  if (!createMainWindow()) return 1;

  WideText<kPathCapacity> programFiles;
  if (platform::programFilesFolder(programFiles.buffer(), programFiles.capacity())) {
    state.defaultDir = programFiles;
  }

  runStartupPass();
  SetWindowTextW(hwnd(state.dirEdit), reinterpret_cast<const wchar_t*>(state.defaultDir.c_str()));
  loadStrings(state.defaultDir.c_str());
  labelControls();

  ShowWindow(hwnd(state.mainWindow), showMode);
  UpdateWindow(hwnd(state.mainWindow));
  return runMessageLoop();
}

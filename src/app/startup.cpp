#include "app/startup.h"

#include <windows.h>

#include "app/single_instance.h"
#include "app/wchar.h"
#include "app/window.h"
#include "base/state.h"
#include "app/window_screen.h"
#include "platform/file.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "script/script.h"
#include "script/script_file.h"
#include "text/charset.h"
#include "text/strings_step.h"

namespace {

void setText(HWND control, StringKey key) { SetWindowTextW(control, wchars(text(key))); }

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
    rethrowWindowException();
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int runSetup(HINSTANCE instance, int showMode) {
  // Before anything could load a library (the themed controls load
  // uxtheme.dll, the shortcut step COM servers): only from the system folder,
  // never from the folder setup was started from.
  platform::restrictLibrarySearch();
  // A drive with no disk in it fails the call quietly, without Windows' own
  // "No Disk" box.
  platform::failCriticalErrorsSilently();
  // The installation runs inside the Start handler while the message loop
  // stands still; Windows would put a "Not Responding" ghost over the window
  // after 5 s, and a click on it would offer to end setup halfway.
  DisableProcessWindowsGhosting();

  // First of all: a setup already running in this session keeps the field.
  // This process only brings that one forward and ends as a normal run. The
  // lock is held until the process ends (a fatal exit included).
  InstanceLock instanceLock(kSetupMutexName);
  if (instanceLock.heldElsewhere()) {
    bringRunningSetupToFront();
    return 0;
  }

  state.instance = instance;
  state.showMode = showMode;
  state.defaultDir.assign(u"c:\\");
  // setupDir: the folder of setup.exe when it holds the script, so that a
  // setup started from elsewhere (the Run box, a console in another folder)
  // installs the distribution beside it; otherwise the current directory,
  // for a distribution that starts setup from another folder.
  if (platform::programFolder(state.setupDir.buffer(), state.setupDir.capacity()) == 0 ||
      !platform::pathExists(scriptPathIn(state.setupDir.view()))) {
    platform::currentDirectory(state.setupDir.buffer(), state.setupDir.capacity());
  }
  platform::setCurrentDirectory(state.setupDir.view());

  state.headingY = 100;
  state.progressY = 155;
  state.makeShortcut = 0;
  state.makeWordLists = 0;

  registerWindowClass(instance);
  state.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  state.screenHeight = GetSystemMetrics(SM_CYSCREEN);

  int32_t charset = readCharsetSetting(true);
  state.uiCodePage = charsetToCodePage(charset);
  state.homeCodePage = state.uiCodePage;
  makeScreenFonts(charset);

  platform::setScreen(&windowScreen());
  // Without a window there is nothing to install with; end as a failed run.
  if (!createMainWindow()) return 1;

  WideText<kPathCapacity> programFiles;
  if (platform::programFilesFolder(programFiles.buffer(), programFiles.capacity())) {
    state.defaultDir = programFiles;
  }

  runStartupPass();
  SetWindowTextW(state.dirEdit, wchars(state.defaultDir.c_str()));
  loadStrings(state.defaultDir.c_str());
  labelControls();

  ShowWindow(state.mainWindow, showMode);
  UpdateWindow(state.mainWindow);
  return runMessageLoop();
}

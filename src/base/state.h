// The installer's process-wide state.
//
// One InstallState lives from process start to exit; every part of the
// installer reads and writes its fields directly. Window-system handles have
// their <windows.h> types (base/window_handles.h), so that the portable code
// can include this header without <windows.h>.
#pragma once

#include <cstdint>

#include "platform/folder.h"
#include "platform/screen.h"
#include "base/fixed_text.h"
#include "base/window_handles.h"

struct InstallState {
  // Paths and texts (capacity in characters, terminator included).
  WideText<kPathCapacity> setupDir;     // current directory at start
  WideText<kPathCapacity> defaultDir;   // proposed installation directory
  WideText<kPathCapacity> installDir;   // directory accepted by checkInstallDir
  WideText<kPathCapacity> uninstallPath;
  // installDir, held from the moment it is accepted to the end of the run:
  // every name below it is reached through this handle (platform/folder.h).
  platform::Folder installFolder;
  WideText<180> titleText;
  WideText<180> shortcutArgs;
  WideText<180> shortcutName;
  WideText<180> shortcutTarget;
  WideText<180> groupName;
  WideText<100> closingTextFile;

  // Flags (1 = on) and code pages.
  int32_t debugMode = 1;
  int32_t makeShortcut = 0;
  int32_t makeWordLists = 0;
  uint32_t uiCodePage = 0;
  uint32_t homeCodePage = 0;
  uint32_t listCodePage = 0;

  // Screen layout positions.
  int headingY = 100;
  int progressY = 155;
  int debugLineY = 170;

  // Window-system objects.
  HINSTANCE instance = nullptr;
  int showMode = 0;
  int screenWidth = 0;
  int screenHeight = 0;
  HWND mainWindow = nullptr;
  HFONT headingFont = nullptr;
  HFONT smallFont = nullptr;
  HCURSOR waitCursor = nullptr;
  HCURSOR savedCursor = nullptr;
  HBRUSH eraseBrush = nullptr;
  HDC counterDC = nullptr;
  platform::Rect counterRect;
  WideText<50> counterText;
  HWND frameBox = nullptr;
  HWND dirEdit = nullptr;
  HWND driveList = nullptr;
  HWND dirList = nullptr;
  HWND startButton = nullptr;
  HWND stopButton = nullptr;
  HWND chdirButton = nullptr;
  HWND instDirLabel = nullptr;
  HWND driveLabel = nullptr;
  HWND dirLabel = nullptr;
  WindowProc editDefaultProc = nullptr;

  // Word lists.
  int32_t recordCount = 0;
  int32_t comparisonCount = 0;

  // Language driver: the current language line and its list names (8-bit).
  char configLine[100] = {};
  char languageName[100] = {};
  char inputListName[100] = {};
  char outputListName[100] = {};

  // Dictionary registry.
  WideText<kPathCapacity> registryPath;
  int32_t languageEntryCount = 0;
};

// The one state record of the process.
extern InstallState state;

// Puts every field back to its value at process start (for tests).
void resetInstallState();

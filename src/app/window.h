// The installer's main window: a borderless full-screen popup with the
// directory edit box, the Start, Stop and change-directory buttons and, on
// request, the drive and directory lists.
#pragma once

#include <windows.h>

#include <string_view>

#include "base/fixed_text.h"

// Control identifiers (also the command identifiers).
enum ControlId : int {
  kStartId = 200,
  kStopId = 201,
  kChdirId = 202,
  kFrameId = 249,
  kInstDirLabelId = 250,
  kDriveLabelId = 251,
  kDirLabelId = 252,
  kDriveListId = 300,
  kDirListId = 301,
  kDirEditId = 350,
};

// The class of the main window; other instances find it by this name.
inline constexpr wchar_t kMainWindowClass[] = L"Installation";

// Registers the window class "Installation". Returns false on failure.
bool registerWindowClass(HINSTANCE instance);
// Creates the full-screen main window (and, through its creation, the
// controls) into state.mainWindow. Returns false on failure.
bool createMainWindow();

// C++ exceptions must not unwind through the system's own frames between a
// window procedure and SendMessageW or DispatchMessageW (32-bit mingw's DWARF
// unwinder cannot cross them; the program would end in std::terminate). Our
// window procedures keep an escaping exception and return; the code that
// sent or dispatched the message calls this afterwards to rethrow it there.
void rethrowWindowException();

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The directory edit box's window procedure: Enter starts the installation.
LRESULT CALLBACK enterKeyProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

// Fills dirList with the subdirectories of the current directory (hidden ones
// left out); "." only when `listDot`.
void fillDirList(bool listDot);

// The current directory as dirEdit shows it: at most 199 characters. A longer
// directory is shown as its end behind "…\", which names no usable directory,
// so pressing Start on it refuses it instead of installing elsewhere.
constexpr std::size_t kDirTextCapacity = 200;
void fitDirectoryText(std::u16string_view directory, WideText<kDirTextCapacity>& out);
// Reads the current directory and puts it into dirEdit (small font, redrawn).
void showCurrentDirectory();

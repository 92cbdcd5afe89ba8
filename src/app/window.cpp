#include "app/window.h"

#include <cwchar>
#include <exception>
#include <optional>
#include <utility>
#include <type_traits>
#include <vector>

#include "app/com.h"
#include "app/draw.h"
#include "app/gdi.h"
#include "app/sequence.h"
#include "app/wchar.h"
#include "app/window_screen.h"
#include "base/state.h"
#include "platform/file.h"

namespace {

static_assert(std::is_same_v<WindowProc, WNDPROC>, "base/window_handles.h: WindowProc");


// An exception that left one of our window procedures, until the sender of
// the message rethrows it (rethrowWindowException).
std::exception_ptr pendingException;

template <class Body>
LRESULT keepingExceptions(Body&& body) {
  try {
    return body();
  } catch (...) {
    if (!pendingException) pendingException = std::current_exception();
    return 0;
  }
}

// COM for the shortcut step, from the main window's creation to its end.
std::optional<com::Apartment> comApartment;

struct ControlSpec {
  HWND InstallState::*handle;
  const wchar_t* className;
  int id;
  DWORD exStyle;
  DWORD style;
  int x, y, width, height;
};

constexpr DWORD kListStyle = WS_CHILD | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_SORT;

// The ten controls, in the order in which they are created.
const ControlSpec kControls[] = {
    {&InstallState::frameBox, L"static", kFrameId, 0, WS_CHILD | WS_VISIBLE | WS_BORDER,
     110, 138, 440, 110},
    {&InstallState::dirEdit, L"edit", kDirEditId, WS_EX_CLIENTEDGE,
     WS_CHILD | WS_VISIBLE | WS_BORDER, 120, 170, 420, 25},
    {&InstallState::driveList, L"listbox", kDriveListId, WS_EX_CLIENTEDGE, kListStyle,
     120, 280, 150, 100},
    {&InstallState::dirList, L"listbox", kDirListId, WS_EX_CLIENTEDGE, kListStyle,
     280, 280, 260, 180},
    {&InstallState::startButton, L"button", kStartId, 0, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
     120, 205, 100, 30},
    {&InstallState::stopButton, L"button", kStopId, 0, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
     440, 205, 100, 30},
    {&InstallState::chdirButton, L"button", kChdirId, 0, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
     230, 205, 200, 30},
    {&InstallState::instDirLabel, L"static", kInstDirLabelId, 0, WS_CHILD | WS_VISIBLE | SS_LEFT,
     120, 148, 420, 22},
    {&InstallState::driveLabel, L"static", kDriveLabelId, 0, WS_CHILD | SS_LEFT,
     120, 260, 150, 20},
    {&InstallState::dirLabel, L"static", kDirLabelId, 0, WS_CHILD | SS_LEFT,
     280, 260, 260, 20},
};

// The controls that show text in the small font, in the order they get it.
HWND InstallState::* const kSmallFontControls[] = {
    &InstallState::dirEdit,      &InstallState::startButton, &InstallState::stopButton,
    &InstallState::chdirButton,  &InstallState::instDirLabel, &InstallState::driveLabel,
    &InstallState::dirLabel,
};

void giveSmallFont(HWND control) { gdi::setWindowFont(control, state.smallFont); }

bool createControls(HWND window) {
  for (const ControlSpec& c : kControls) {
    // Only the edit box has a text at creation: the proposed directory.
    const wchar_t* text = c.id == kDirEditId ? wchars(state.defaultDir.c_str()) : L"";
    HWND control = CreateWindowExW(c.exStyle, c.className, text, c.style, c.x, c.y, c.width,
                                   c.height, window, reinterpret_cast<HMENU>(INT_PTR{c.id}),
                                   state.instance, nullptr);
    if (!control) return false;
    state.*c.handle = control;
  }
  return true;
}

LRESULT onCreate(HWND window) {
  state.mainWindow = window;
  state.waitCursor = LoadCursorW(nullptr, IDC_WAIT);
  if (!createControls(window)) return -1;
  for (auto control : kSmallFontControls) giveSmallFont(state.*control);
  // The window procedure is a pointer-sized number to Get/SetWindowLongPtr.
  state.editDefaultProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      state.dirEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&enterKeyProc)));
  // The shortcut step needs COM on this thread.
  comApartment.emplace();
  return 0;
}

void onPaint(HWND window) {
  gdi::PaintDC dc(window);
  RECT client;
  GetClientRect(window, &client);
  drawBackground(dc, client, colourDepth(dc));
  SetBkMode(dc, TRANSPARENT);
  gdi::Select font(dc, state.headingFont);
  drawShadowText(dc, state.titleText.view(), RECT{30, 20, 800, 90}, DT_SINGLELINE | DT_LEFT);
}

void onDestroy() {
  releaseScreenObjects();
  comApartment.reset();
  PostQuitMessage(0);
}

void onStart() {
  if (checkInstallDir(state.dirEdit) == 0) runInstallation();
}

void onStop() { DestroyWindow(state.mainWindow); }

void addDriveRoots() {
  // A run of zero-terminated root paths ended by an empty one. The size
  // passed leaves room for the final zero in the 200-character buffer.
  wchar_t drives[200] = {};
  DWORD n = GetLogicalDriveStringsW(199, drives);
  if (n == 0 || n >= 199) return;
  for (const wchar_t* p = drives; *p; p += wcslen(p) + 1) {
    SendMessageW(state.driveList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p));
  }
}

void onChangeDirectory() {
  EnableWindow(state.chdirButton, FALSE);
  MoveWindow(state.frameBox, 110, 138, 440, 320, TRUE);
  ShowWindow(state.driveList, SW_SHOW);
  ShowWindow(state.dirList, SW_SHOW);
  ShowWindow(state.driveLabel, SW_SHOW);
  ShowWindow(state.dirLabel, SW_SHOW);
  addDriveRoots();
  SetCurrentDirectoryW(L"c:\\");
  fillDirList(true);
  showCurrentDirectory();
}

// The text of the selected entry of a list box; false when none is selected
// or it does not fit a path.
bool selectedEntry(HWND list, WideText<kPathCapacity>& entry) {
  LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return false;
  LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR || length >= static_cast<LRESULT>(entry.capacity())) return false;
  SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(entry.buffer()));
  return true;
}

// Drive or directory choice: enter the chosen entry (a failure keeps the
// current directory) and list what is there.
void onListChoice(HWND list, bool listDot) {
  WideText<kPathCapacity> entry;
  if (!selectedEntry(list, entry)) return;
  platform::setCurrentDirectory(entry.view());
  SendMessageW(state.dirList, LB_RESETCONTENT, 0, 0);
  fillDirList(listDot);
  showCurrentDirectory();
}

void onCommand(int id, int code) {
  if (id == kStartId && code == BN_CLICKED) return onStart();
  if (id == kStopId && code == BN_CLICKED) return onStop();
  if (id == kChdirId && code == BN_CLICKED) return onChangeDirectory();
  if (id == kDriveListId && code == LBN_SELCHANGE) return onListChoice(state.driveList, true);
  if (id == kDirListId && code == LBN_SELCHANGE) return onListChoice(state.dirList, false);
}

}  // namespace

bool registerWindowClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &mainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, L"installicon", IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  wc.lpszClassName = kMainWindowClass;
  return RegisterClassExW(&wc) != 0;
}

bool createMainWindow() {
  HWND window = CreateWindowExW(0, kMainWindowClass, nullptr, WS_POPUP | WS_CLIPSIBLINGS | WS_MAXIMIZE,
                                0, 0, state.screenWidth, state.screenHeight, nullptr, nullptr,
                                state.instance, nullptr);
  state.mainWindow = window;
  return window != nullptr;
}

void rethrowWindowException() {
  if (pendingException) std::rethrow_exception(std::exchange(pendingException, nullptr));
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return keepingExceptions([&]() -> LRESULT {
    switch (message) {
      case WM_CREATE:
        return onCreate(window);
      case WM_PAINT:
        onPaint(window);
        return 0;
      case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
      case WM_DESTROY:
        onDestroy();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  });
}

LRESULT CALLBACK enterKeyProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  return keepingExceptions([&]() -> LRESULT {
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
      // Runs the whole installation when the directory is accepted; the edit
      // box may be gone afterwards, or the installation may have ended in an
      // exception that the main window procedure keeps for our caller.
      SendMessageW(GetParent(edit), WM_COMMAND, MAKEWPARAM(kStartId, BN_CLICKED), 0);
      if (pendingException || !IsWindow(edit)) return 0;
    }
    return CallWindowProcW(state.editDefaultProc, edit, message, wParam, lParam);
  });
}

void fillDirList(bool listDot) {
  platform::FileSearch search;
  for (bool found = search.first(u"*.*"); found; found = search.next()) {
    if (!search.isDirectory() || search.isHidden()) continue;
    if (!listDot && search.name() == u".") continue;
    SendMessageW(state.dirList, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(search.name().data()));
  }
}

void fitDirectoryText(std::u16string_view directory, WideText<kDirTextCapacity>& out) {
  constexpr std::size_t kLimit = kDirTextCapacity - 1;
  if (directory.size() <= kLimit) {
    out.assign(directory);
    return;
  }
  // Keep the end, from a backslash where possible: "…\last\folders".
  constexpr std::size_t kTail = kLimit - 2;
  std::size_t start = directory.size() - kTail;
  std::size_t slash = directory.find(u'\\', start);
  out.assign(u"\u2026");
  if (slash == std::u16string_view::npos) {
    out.append(u'\\');
    out.append(directory.substr(start));
  } else {
    out.append(directory.substr(slash));
  }
}

void showCurrentDirectory() {
  DWORD needed = GetCurrentDirectoryW(0, nullptr);
  std::vector<wchar_t> buffer(needed + 1, L'\0');
  DWORD length = needed ? GetCurrentDirectoryW(needed + 1, buffer.data()) : 0;
  if (length > needed) length = 0;  // changed in between: show nothing rather than garbage
  WideText<kDirTextCapacity> text;
  fitDirectoryText(std::u16string_view(u16(buffer.data()), length), text);
  giveSmallFont(state.dirEdit);
  SetWindowTextW(state.dirEdit, wchars(text.c_str()));
}

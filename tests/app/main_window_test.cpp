// Tests of the main window and its commands. They need a display: ctest runs
// them on a private one (app_window_tests); without a display they skip.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/draw.h"
#include "base/state.h"
#include "app/window.h"
#include "app/window_screen.h"
#include "canvas.h"
#include "support/test_support.h"

using testing_support::Rgb;
using testing_support::ScratchDir;
using testing_support::shownBoxes;
using testing_support::str;
using testing_support::u8;

namespace {

std::string windowText(HWND window) {
  wchar_t buffer[300] = {};
  GetWindowTextW(window, buffer, 300);
  return u8(reinterpret_cast<const char16_t*>(buffer));
}

std::string className(HWND window) {
  wchar_t buffer[64] = {};
  GetClassNameW(window, buffer, 64);
  std::string name = u8(reinterpret_cast<const char16_t*>(buffer));
  for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return name;
}

std::vector<std::string> listEntries(HWND list) {
  std::vector<std::string> entries;
  LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t buffer[300] = {};
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
    entries.push_back(u8(reinterpret_cast<const char16_t*>(buffer)));
  }
  return entries;
}

std::string currentDir() {
  wchar_t buffer[300] = {};
  GetCurrentDirectoryW(300, buffer);
  return u8(reinterpret_cast<const char16_t*>(buffer));
}

void command(int id, int code) {
  SendMessageW(state.mainWindow, WM_COMMAND, MAKEWPARAM(id, code), 0);
  rethrowWindowException();
}

// Removes everything queued for this thread; returns the quit message's
// parameter, or -1 when none was queued.
int drainMessages() {
  int quit = -1;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) quit = static_cast<int>(message.wParam);
  }
  return quit;
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    state.instance = instance;
    state.defaultDir.assign(u"c:\\");
    state.screenWidth = 1024;
    state.screenHeight = 768;
    makeScreenFonts(0);
    registerWindowClass(instance);  // fails harmlessly when already registered
    if (!createMainWindow()) {
      releaseScreenObjects();
      if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display to create windows on";
      FAIL() << "the main window could not be created";
    }
  }

  void TearDown() override {
    if (state.mainWindow && IsWindow(state.mainWindow)) DestroyWindow(state.mainWindow);
    drainMessages();
    releaseScreenObjects();  // when a test destroyed no window
    platform::setScreen(nullptr);
  }
};

TEST_F(MainWindow, ClassAndWindowStyle) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"Installation", &wc));
  EXPECT_EQ(wc.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(wc.hbrBackground, GetStockObject(LTGRAY_BRUSH));
  EXPECT_NE(wc.hIconSm, nullptr) << "the installicon resource was not found";
  EXPECT_EQ(wc.lpszMenuName, nullptr);

  HWND main = state.mainWindow;
  LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_TRUE(style & WS_CLIPSIBLINGS);
  EXPECT_FALSE(style & WS_CLIPCHILDREN);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_EQ(GetWindowLongW(main, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
  EXPECT_EQ(windowText(main), "");
  EXPECT_NE(state.waitCursor, nullptr);
}

TEST_F(MainWindow, ControlsAsCreated) {
  struct Row {
    HWND InstallState::*control;
    int id;
    const char* className;
    DWORD exStyle;
    DWORD style;
    RECT place;  // x, y, right, bottom in the client area
    bool visible;
    bool smallFont;
  };
  // A list box drops WS_VSCROLL itself while it needs no scroll bar.
  const DWORD list = WS_CHILD | WS_BORDER | LBS_NOTIFY | LBS_SORT;
  const Row rows[] = {
      {&InstallState::frameBox, 249, "static", 0, WS_CHILD | WS_BORDER,
       {110, 138, 550, 248}, true, false},
      {&InstallState::dirEdit, 350, "edit", WS_EX_CLIENTEDGE, WS_CHILD | WS_BORDER,
       {120, 170, 540, 195}, true, true},
      {&InstallState::driveList, 300, "listbox", WS_EX_CLIENTEDGE, list,
       {120, 280, 270, 380}, false, false},
      {&InstallState::dirList, 301, "listbox", WS_EX_CLIENTEDGE, list,
       {280, 280, 540, 460}, false, false},
      {&InstallState::startButton, 200, "button", 0, WS_CHILD, {120, 205, 220, 235}, true, true},
      {&InstallState::stopButton, 201, "button", 0, WS_CHILD, {440, 205, 540, 235}, true, true},
      {&InstallState::chdirButton, 202, "button", 0, WS_CHILD, {230, 205, 430, 235}, true, true},
      {&InstallState::instDirLabel, 250, "static", 0, WS_CHILD, {120, 148, 540, 170}, true, true},
      {&InstallState::driveLabel, 251, "static", 0, WS_CHILD, {120, 260, 270, 280}, false, true},
      {&InstallState::dirLabel, 252, "static", 0, WS_CHILD, {280, 260, 540, 280}, false, true},
  };
  HWND main = state.mainWindow;
  for (const Row& row : rows) {
    SCOPED_TRACE("control " + std::to_string(row.id));
    HWND control = state.*row.control;
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetDlgItem(main, row.id), control);
    EXPECT_EQ(className(control), row.className);
    LONG style = GetWindowLongW(control, GWL_STYLE);
    EXPECT_EQ(style & row.style, static_cast<LONG>(row.style));
    EXPECT_EQ((style & WS_VISIBLE) != 0, row.visible);
    EXPECT_EQ(GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE,
              static_cast<LONG>(row.exStyle));
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, row.place.left);
    EXPECT_EQ(r.top, row.place.top);
    EXPECT_EQ(r.right, row.place.right);
    if (row.id != 300 && row.id != 301) {  // list boxes round to whole lines
      EXPECT_EQ(r.bottom, row.place.bottom);
    }
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    EXPECT_EQ(font == state.smallFont, row.smallFont);
  }
  EXPECT_FALSE(GetWindowLongW(state.dirEdit, GWL_STYLE) & ES_AUTOHSCROLL);
  EXPECT_EQ(windowText(state.dirEdit), "c:\\");
  EXPECT_EQ(windowText(state.startButton), "");
}

TEST_F(MainWindow, ChangeDirectoryShowsTheChooser) {
  ScratchDir keep;  // the command moves to c:\; the scratch dir moves back
  command(kChdirId, BN_CLICKED);

  EXPECT_FALSE(IsWindowEnabled(state.chdirButton));
  for (HWND control : {state.driveList, state.dirList, state.driveLabel, state.dirLabel}) {
    EXPECT_TRUE(GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE);
  }
  RECT frame;
  GetWindowRect(state.frameBox, &frame);
  EXPECT_EQ(frame.right - frame.left, 440);
  EXPECT_EQ(frame.bottom - frame.top, 320);
  EXPECT_EQ(currentDir(), "c:\\");
  EXPECT_EQ(windowText(state.dirEdit), "c:\\");
  std::vector<std::string> drives = listEntries(state.driveList);
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives[0], "C:\\");
  std::vector<std::string> dirs = listEntries(state.dirList);
  EXPECT_FALSE(dirs.empty()) << "c:\\ has folders";
  for (const std::string& d : dirs) EXPECT_NE(d, "..") << "a drive root has no parent entry";
}

class MainWindowInScratch : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    dir_.mkdir(u"alpha\\inner");
    dir_.mkdir(u"beta");
    // Hidden by its attribute, the way Windows hides a folder (a leading dot
    // hides nothing there).
    dir_.mkdir(u"secret");
    ASSERT_TRUE(SetFileAttributesW(reinterpret_cast<const wchar_t*>((dir_.path() + u"\\secret").c_str()),
                                   FILE_ATTRIBUTE_HIDDEN));
    dir_.write(u"file.txt", "not a folder");
  }
  ScratchDir dir_;
};

TEST_F(MainWindowInScratch, FillDirListShowsVisibleFoldersOnly) {
  fillDirList(true);
  EXPECT_EQ(listEntries(state.dirList), (std::vector<std::string>{".", "..", "alpha", "beta"}));
  SendMessageW(state.dirList, LB_RESETCONTENT, 0, 0);
  fillDirList(false);
  EXPECT_EQ(listEntries(state.dirList), (std::vector<std::string>{"..", "alpha", "beta"}));
}

TEST_F(MainWindowInScratch, DirectoryChoiceEntersAndLeaves) {
  std::string base = currentDir();
  fillDirList(true);
  HWND list = state.dirList;

  SendMessageW(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"alpha"));
  command(kDirListId, LBN_SELCHANGE);
  EXPECT_EQ(currentDir(), base + "\\alpha");
  EXPECT_EQ(windowText(state.dirEdit), base + "\\alpha");
  EXPECT_EQ(listEntries(state.dirList), (std::vector<std::string>{"..", "inner"}));

  SendMessageW(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L".."));
  command(kDirListId, LBN_SELCHANGE);
  EXPECT_EQ(currentDir(), base);
  EXPECT_EQ(listEntries(state.dirList), (std::vector<std::string>{"..", "alpha", "beta"}));

  // Another notification code of the same list is ignored.
  SendMessageW(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"beta"));
  command(kDirListId, LBN_DBLCLK);
  EXPECT_EQ(currentDir(), base);
}

TEST_F(MainWindowInScratch, DriveChoiceToAMissingDriveKeepsTheDirectory) {
  std::string base = currentDir();
  SendMessageW(state.driveList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Q:\\"));
  SendMessageW(state.driveList, LB_SETCURSEL, 0, 0);
  command(kDriveListId, LBN_SELCHANGE);
  EXPECT_EQ(currentDir(), base);
  EXPECT_EQ(windowText(state.dirEdit), base);
  EXPECT_EQ(listEntries(state.dirList), (std::vector<std::string>{".", "..", "alpha", "beta"}));
}

TEST_F(MainWindowInScratch, EnterInTheEditBoxStartsLikeTheButton) {
  SetWindowTextW(state.dirEdit, L"missing\\deeper");
  SendMessageW(state.dirEdit, WM_KEYDOWN, VK_RETURN, 0);
  ASSERT_EQ(shownBoxes().size(), 1u);
  EXPECT_EQ(u8(shownBoxes()[0].text), "Invalid Directory");
  EXPECT_EQ(u8(state.installDir.view()), "missing\\deeper");
  EXPECT_TRUE(IsWindow(state.mainWindow));

  // Other keys and other notification codes of the Start identifier do not start.
  shownBoxes().clear();
  SendMessageW(state.dirEdit, WM_KEYDOWN, VK_TAB, 0);
  command(kStartId, BN_DBLCLK);
  EXPECT_TRUE(shownBoxes().empty());
  command(kStartId, BN_CLICKED);
  EXPECT_EQ(shownBoxes().size(), 1u);
}

// A fatal exit inside the installation, two window procedures deep (the
// edit box's Enter sends Start to the main window), reaches the code that
// sent the key, not std::terminate.
TEST_F(MainWindowInScratch, FatalExitInsideStartReachesTheSender) {
  state.setupDir.assign(dir_.path());  // no install.inf there
  SetWindowTextW(state.dirEdit, reinterpret_cast<const wchar_t*>(dir_.path().c_str()));
  EXPECT_FATAL(
      {
        SendMessageW(state.dirEdit, WM_KEYDOWN, VK_RETURN, 0);
        rethrowWindowException();
      },
      FatalKind::Error, u"Can't open INSTALL.INF");
  EXPECT_NO_THROW(rethrowWindowException());
}

TEST_F(MainWindow, StopDestroysTheWindowAndQuitsWithZero) {
  HWND main = state.mainWindow;
  drainMessages();
  command(kStopId, BN_CLICKED);
  EXPECT_FALSE(IsWindow(main));
  // The window's GDI objects end with it.
  EXPECT_EQ(state.headingFont, nullptr);
  EXPECT_EQ(state.smallFont, nullptr);
  EXPECT_EQ(drainMessages(), 0);
}

TEST_F(MainWindow, PaintedScreenAndProgressDrawnOntoIt) {
  state.titleText.assign(u"Setup Title");
  HWND main = state.mainWindow;
  ShowWindow(main, SW_SHOW);
  UpdateWindow(main);
  platform::setScreen(&windowScreen());

  gdi::WindowDC dc(main);
  auto pixel = [&](int x, int y) { return testing_support::rgbOf(GetPixel(dc, x, y)); };
  EXPECT_EQ(pixel(5, 5), (Rgb{0, 0, 200})) << str(pixel(5, 5));
  EXPECT_EQ(pixel(1000, 767), (Rgb{0, 0, 14})) << str(pixel(1000, 767));

  platform::screen().progress({30, 300, 380, 320}, 205, "50%");
  EXPECT_EQ(pixel(30, 302), (Rgb{255, 255, 255}));
  EXPECT_EQ(pixel(100, 302), (Rgb{0, 128, 0}));
  EXPECT_EQ(pixel(300, 302), (Rgb{0, 0, 128}));

  platform::screen().beginList();
  EXPECT_NE(state.counterDC, nullptr);
  HGDIOBJ firstBrush = state.eraseBrush;
  platform::screen().counter(u"", {210, 500, 290, 516});
  EXPECT_EQ(pixel(250, 508), (Rgb{0, 0, 104}));
  platform::screen().endList();
  EXPECT_EQ(state.counterDC, nullptr);
  platform::screen().beginList();
  EXPECT_NE(state.eraseBrush, nullptr);
  EXPECT_NE(state.eraseBrush, firstBrush) << "each list makes its own brush";
  platform::screen().endList();
}

}  // namespace

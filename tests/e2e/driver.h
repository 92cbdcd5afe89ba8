// Drives the real setup.exe from another process, as a user would: prepares
// a setup folder, starts the program in it, finds its windows and message
// boxes, reads their texts, posts clicks and keys, reads the screen, and
// waits for the exit code. Every wait has a timeout; a program that is still
// running when its SetupProcess goes away is killed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// How long one step may take before the test gives up on it.
constexpr DWORD kStepTimeoutMs = 15000;

// ---- Paths and files ------------------------------------------------------

// A Linux path as Windows programs under Wine see it ("Z:\...").
std::wstring windowsPath(const std::string& linuxPath);
// setup.exe of this build tree.
std::wstring setupExePath();
// distkit.exe of this build tree.
std::wstring distkitExePath();
// The folder that screenshots go to (created on first use).
std::wstring artifactsDir();
// GetTempPathW without the trailing backslash.
std::wstring tempDir();

std::string readFile(const std::wstring& path);
bool writeFile(const std::wstring& path, const std::string& bytes);
bool fileExists(const std::wstring& path);
bool directoryExists(const std::wstring& path);
// Removes a file or a whole directory tree (hidden and read-only entries
// included). Missing paths are fine.
void removeTree(const std::wstring& path);

// Copies a folder tree; false when any part fails.
bool copyTree(const std::wstring& from, const std::wstring& to);

// Every entry below a folder: relative path -> content ("<dir>" for a
// directory). Compared before and after a run to see what the run changed.
using Snapshot = std::map<std::wstring, std::string>;
Snapshot snapshotTree(const std::wstring& root);
// One line per added, removed or changed entry; empty when equal.
std::string describeChanges(const Snapshot& before, const Snapshot& after);
// "<sha-256 in hex>  <name>" for every file of a snapshot (directories left
// out), one line each in name order.
std::string digestList(const Snapshot& snapshot);

// A fresh empty folder under the temporary folder, removed with everything
// in it when the object goes away.
class TempFolder {
 public:
  explicit TempFolder(const wchar_t* tag = L"e2e");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }
  bool write(const std::wstring& name, const std::string& bytes) const;
  bool mkdir(const std::wstring& name) const;

 private:
  std::wstring path_;
};

// ---- Setup folder contents ---------------------------------------------------

// The English texts that the tests give the installer's own keys.
std::map<std::string, std::string> defaultStringValues();

// Writes a strings file with every key the loader resolves, packed by the
// strings packer.
// `values` overrides or adds entries; a key named in `omit` is left out.
bool writeStringsFile(const std::wstring& path, const std::map<std::string, std::string>& values,
                      const std::string& omit = "");

// language.in_ naming the language "english" with interface charset 0.
std::string languageSettings(const std::string& language = "english", int charset = 0);

// UTF-16 text to UTF-8 for failure messages, and back.
std::string utf8(const std::wstring& text);
std::wstring wide(const std::string& utf8Text);

// ---- The sample distribution ----------------------------------------------------

// The bundled sample distribution (E2E_SAMPLE_DIST names another).
std::wstring sampleDistPath();
// The folder its script proposes: "Dictionary" under the program files.
std::wstring sampleInstallDir();
// The digests of a clean installation of it (tests/e2e/sample_install.sha256),
// in the form of digestList.
std::string recordedSampleDigests();
// The lines of dict.ini's language section: behind its header "[Languages]",
// up to the first empty line.
std::vector<std::string> languageSection(const std::string& registry);

// ---- The program under test --------------------------------------------------

struct BoxInfo {
  HWND window = nullptr;
  std::wstring text;     // the static text (control 0xFFFF)
  std::wstring caption;  // the window title
};

class SetupProcess {
 public:
  SetupProcess() = default;
  ~SetupProcess();
  SetupProcess(const SetupProcess&) = delete;
  SetupProcess& operator=(const SetupProcess&) = delete;

  // Starts setup.exe (or the program file `exe`, a copy of it) with
  // `folder` as its current directory. On failure the reason is in error().
  bool start(const std::wstring& folder, const std::wstring& exe = {});
  const std::string& error() const { return error_; }
  DWORD pid() const { return info_.dwProcessId; }
  bool running() const;

  // The visible top-level window of class "Installation"; null after the
  // timeout (error() then says what was on screen instead).
  HWND waitMainWindow(DWORD timeoutMs = kStepTimeoutMs);
  // A visible message box (#32770) of the process; nothing after the
  // timeout.
  std::optional<BoxInfo> waitMessageBox(DWORD timeoutMs = kStepTimeoutMs);
  // The message boxes that are showing now.
  std::vector<BoxInfo> messageBoxes() const;
  // Presses OK (IDOK) of a message box.
  void pressOk(const BoxInfo& box) const;

  // The full exit code; nothing when the process has not ended within the
  // timeout, in which case it is killed.
  std::optional<DWORD> waitExit(DWORD timeoutMs = kStepTimeoutMs);
  void kill();

 private:
  std::vector<HWND> topWindows(const wchar_t* className) const;
  PROCESS_INFORMATION info_{};
  std::string error_;
};

// Runs a console program (quoted `exe` and `arguments`) in `folder` and
// waits for it; its exit code, or nothing when it could not start or did
// not end within the timeout (then it is killed). Its stderr goes to the
// test's.
std::optional<DWORD> runProgram(const std::wstring& exe, const std::vector<std::wstring>& arguments,
                                const std::wstring& folder, DWORD timeoutMs = 60000);

// ---- Windows and controls ------------------------------------------------------

HWND control(HWND mainWindow, int id);
// WM_GETTEXT with a timeout; when the owner does not answer (busy), the text
// the window system keeps for the window.
std::wstring readText(HWND window);
bool setText(HWND window, const std::wstring& text);
// Posts WM_COMMAND (id, code) from the control `id` to the main window.
void postCommand(HWND mainWindow, int id, int code);
// Posts a button click (BN_CLICKED) of the control `id`.
void clickButton(HWND mainWindow, int id);
// Posts the Enter key to a control (key down and up).
void pressEnter(HWND window);
bool isVisible(HWND window);
bool isEnabled(HWND window);
// The window's rectangle in the client coordinates of `parent`.
RECT rectIn(HWND window, HWND parent);
std::vector<std::wstring> listItems(HWND list);
// Selects the entry `item` (compared ignoring case) of the list box `id` and
// posts the selection-change notification to the main window.
bool chooseListItem(HWND mainWindow, int id, const std::wstring& item);

// Polls `condition` every 20 ms until it holds or the timeout passes.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kStepTimeoutMs);
bool equalsIgnoringCase(const std::wstring& a, const std::wstring& b);

// ---- Screen ---------------------------------------------------------------------

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
std::string describe(Rgb c);

struct Image {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;  // rows top to bottom
  Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// The whole primary screen as it is now.
Image captureScreen();
// Bits per pixel times colour planes of the screen.
int screenDepth();
// Writes an 8-bit RGB PNG (stored, uncompressed deflate blocks).
bool savePng(const Image& image, const std::wstring& path);
// The PNG file's bytes.
std::string encodePng(const Image& image);

// Every top-level window of a process, in EnumWindows order.
std::vector<HWND> windowsOfProcess(DWORD pid);

}  // namespace e2e

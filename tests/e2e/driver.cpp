#include "e2e/driver.h"

#include <bcrypt.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>

#include "support/strings_fixture.h"
#include "text/strings_pack.h"

#ifndef SETUP_EXE_LINUX_PATH
#define SETUP_EXE_LINUX_PATH ""
#endif
#ifndef DISTKIT_EXE_LINUX_PATH
#define DISTKIT_EXE_LINUX_PATH ""
#endif
#ifndef E2E_ARTIFACTS_LINUX_PATH
#define E2E_ARTIFACTS_LINUX_PATH ""
#endif

namespace e2e {

// ---- Text -------------------------------------------------------------------

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring wide(const std::string& utf8Text) {
  if (utf8Text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(), static_cast<int>(utf8Text.size()),
                              nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8Text.data(), static_cast<int>(utf8Text.size()), out.data(),
                      n);
  return out;
}

bool equalsIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// ---- Paths and files ------------------------------------------------------------

std::wstring windowsPath(const std::string& linuxPath) {
  std::wstring out = L"Z:" + wide(linuxPath);
  std::replace(out.begin(), out.end(), L'/', L'\\');
  return out;
}

namespace {
std::string environment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}
}  // namespace

std::wstring setupExePath() {
  return windowsPath(environment("SETUP_EXE", SETUP_EXE_LINUX_PATH));
}

std::wstring distkitExePath() {
  return windowsPath(environment("DISTKIT_EXE", DISTKIT_EXE_LINUX_PATH));
}

std::wstring artifactsDir() {
  std::wstring dir = windowsPath(environment("E2E_ARTIFACTS", E2E_ARTIFACTS_LINUX_PATH));
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

std::wstring tempDir() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  std::wstring dir(buffer, n);
  while (!dir.empty() && dir.back() == L'\\') dir.pop_back();
  return dir;
}

std::string readFile(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  CloseHandle(h);
  return out;
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = bytes.empty() ||
            (WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
             written == bytes.size());
  CloseHandle(h);
  return ok;
}

bool fileExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool directoryExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {
bool isDotName(const wchar_t* name) {
  return (name[0] == L'.' && name[1] == 0) || (name[0] == L'.' && name[1] == L'.' && name[2] == 0);
}

// Calls `visit(name, data)` for each entry of a folder except "." and "..".
template <typename Visit>
void forEachEntry(const std::wstring& folder, Visit visit) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (!isDotName(data.cFileName)) visit(std::wstring(data.cFileName), data);
  } while (FindNextFileW(h, &data));
  FindClose(h);
}

void snapshotInto(const std::wstring& root, const std::wstring& relative, Snapshot& out) {
  std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
  forEachEntry(folder, [&](const std::wstring& name, const WIN32_FIND_DATAW& data) {
    std::wstring rel = relative.empty() ? name : relative + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out[rel] = "<dir>";
      snapshotInto(root, rel, out);
    } else {
      out[rel] = readFile(root + L"\\" + rel);
    }
  });
}
}  // namespace

void removeTree(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileW(path.c_str());
    return;
  }
  forEachEntry(path, [&](const std::wstring& name, const WIN32_FIND_DATAW&) {
    removeTree(path + L"\\" + name);
  });
  RemoveDirectoryW(path.c_str());
}

bool copyTree(const std::wstring& from, const std::wstring& to) {
  if (!CreateDirectoryW(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return false;
  }
  bool ok = true;
  forEachEntry(from, [&](const std::wstring& name, const WIN32_FIND_DATAW& data) {
    std::wstring source = from + L"\\" + name, destination = to + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ok = copyTree(source, destination) && ok;
    } else {
      ok = CopyFileW(source.c_str(), destination.c_str(), FALSE) && ok;
    }
  });
  return ok;
}

Snapshot snapshotTree(const std::wstring& root) {
  Snapshot out;
  snapshotInto(root, L"", out);
  return out;
}

std::string describeChanges(const Snapshot& before, const Snapshot& after) {
  std::string out;
  for (const auto& [name, content] : before) {
    auto it = after.find(name);
    if (it == after.end()) {
      out += "removed: " + utf8(name) + "\n";
    } else if (it->second != content) {
      out += "changed: " + utf8(name) + "\n";
    }
  }
  for (const auto& [name, content] : after) {
    if (!before.count(name)) out += "added: " + utf8(name) + "\n";
  }
  return out;
}

namespace {
std::string sha256Hex(const std::string& bytes) {
  std::string hex;
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) {
    return "<no sha-256 provider>";
  }
  unsigned char digest[32] = {};
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool ok = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0;
  ok = ok && BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                            static_cast<ULONG>(bytes.size()), 0) == 0;
  ok = ok && BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
  if (hash) BCryptDestroyHash(hash);
  if (ok) {
    char two[3];
    for (unsigned char byte : digest) {
      snprintf(two, sizeof two, "%02x", byte);
      hex += two;
    }
  } else {
    hex = "<hash failed>";
  }
  BCryptCloseAlgorithmProvider(algorithm, 0);
  return hex;
}
}  // namespace

std::string digestList(const Snapshot& snapshot) {
  std::string out;
  for (const auto& [name, content] : snapshot) {
    if (content == "<dir>") continue;
    out += sha256Hex(content) + "  " + utf8(name) + "\n";
  }
  return out;
}

// ---- The sample distribution ----------------------------------------------------

#ifndef SAMPLE_DIST_LINUX_PATH
#define SAMPLE_DIST_LINUX_PATH ""
#endif
#ifndef SAMPLE_DIGESTS_LINUX_PATH
#define SAMPLE_DIGESTS_LINUX_PATH ""
#endif

std::wstring sampleDistPath() {
  return windowsPath(environment("E2E_SAMPLE_DIST", SAMPLE_DIST_LINUX_PATH));
}

std::wstring sampleInstallDir() {
  wchar_t programFiles[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE)) return {};
  return std::wstring(programFiles) + L"\\Dictionary";
}

std::string recordedSampleDigests() { return readFile(windowsPath(SAMPLE_DIGESTS_LINUX_PATH)); }

std::vector<std::string> languageSection(const std::string& registry) {
  std::vector<std::string> section;
  bool inside = false;
  std::size_t at = 0;
  while (at < registry.size()) {
    std::size_t end = registry.find('\n', at);
    if (end == std::string::npos) end = registry.size();
    std::string line = registry.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (inside && line.empty()) break;
    if (inside) section.push_back(line);
    if (line == "[Languages]") inside = true;
  }
  return section;
}

TempFolder::TempFolder(const wchar_t* tag) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    wchar_t name[64];
    swprintf(name, 64, L"%ls-%lu-%lu-%u", tag, GetCurrentProcessId(), GetTickCount(), ++counter);
    std::wstring candidate = tempDir() + L"\\" + name;
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
  }
}

TempFolder::~TempFolder() {
  if (!path_.empty()) removeTree(path_);
}

bool TempFolder::write(const std::wstring& name, const std::string& bytes) const {
  return writeFile(*this / name, bytes);
}

bool TempFolder::mkdir(const std::wstring& name) const {
  return CreateDirectoryW((*this / name).c_str(), nullptr) != 0;
}

// ---- Setup folder contents ----------------------------------------------------

std::map<std::string, std::string> defaultStringValues() {
  return {
      {"CharactersetCode", "0"},
      {"ForeignFonts", "0"},
      {"Install_Start", "Start"},
      {"Install_Stop", "Stop"},
      {"Install_ChDir", "Change directory"},
      {"Install_InstDir", "Installation directory:"},
      {"Install_Drive", "Drive:"},
      {"Install_Dir", "Directory:"},
      {"Install_CopyFiles", "Copying files..."},
      {"Install_Finished", "Installation finished."},
      {"Install_Install", "Installation"},
      {"Install_TaalCf", "taal.cf"},
      {"Install_TaalTemp", "taal.tmp"},
      {"FilenameIni", "dict.ini"},
      {"Done", "Done"},
  };
}

bool writeStringsFile(const std::wstring& path, const std::map<std::string, std::string>& values,
                      const std::string& omit) {
  testing_support::StringsFiles files;
  // An override of a key that is not in the source would be added at the
  // end, so the left-out key must not be among them.
  for (const auto& [key, value] : values) {
    if (key != omit) files.overrides.emplace_back(key, value);
  }
  if (!omit.empty()) files.omit.push_back(omit);
  std::string source = testing_support::stringsSource(files);
  std::string packed;
  StringsSourceProblem problem;
  if (packStrings(source, packed, problem)) return writeFile(path, packed);
  // The packer refuses a source without CharactersetCode; the installer's
  // answer to such a file is tested all the same, so pack it by hand.
  std::string plain;
  size_t pos = 0;
  while (pos < source.size()) {
    size_t end = source.find('\n', pos);
    if (end == std::string::npos) end = source.size();
    std::string line = source.substr(pos, end - pos);
    pos = end + 1;
    if (line.empty() || line[0] == '#') continue;
    plain += line;
    plain += '\0';
  }
  plain += '\0';
  return writeFile(path, testing_support::scrambled(plain));
}

std::string languageSettings(const std::string& language, int charset) {
  return "[Dictionary]\r\nLanguage=" + language + "\r\nCharacter=" + std::to_string(charset) +
         "\r\n";
}

// ---- The program under test ----------------------------------------------------

namespace {
std::wstring className(HWND window) {
  wchar_t name[256];
  int n = GetClassNameW(window, name, 256);
  return std::wstring(name, n > 0 ? n : 0);
}

// Every top-level window of a process: class, text, visibility.
std::string describeWindows(DWORD pid) {
  std::string text;
  for (HWND window : windowsOfProcess(pid)) {
    wchar_t title[200];
    int n = GetWindowTextW(window, title, 200);
    text += " [" + utf8(className(window)) + " \"" + utf8(std::wstring(title, n > 0 ? n : 0)) +
            "\"" + (IsWindowVisible(window) ? " visible" : " hidden") + "]";
  }
  return text.empty() ? " none" : text;
}

std::string describeBox(const BoxInfo& box) {
  return "message box \"" + utf8(box.caption) + "\": \"" + utf8(box.text) + "\"";
}
}  // namespace

namespace {
// A named callback: a lambda cannot carry the __stdcall convention that
// WNDENUMPROC has on 32-bit x86.
BOOL CALLBACK collectWindowOfProcess(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->first) search->second.push_back(window);
  return TRUE;
}
}  // namespace

std::vector<HWND> windowsOfProcess(DWORD pid) {
  std::pair<DWORD, std::vector<HWND>> search{pid, {}};
  EnumWindows(collectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

namespace {
// A job that ends every process in it when the last handle to it closes,
// which happens at the latest when this process ends.
HANDLE killOnCloseJob() {
  static HANDLE job = [] {
    HANDLE h = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (h) SetInformationJobObject(h, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return h;
  }();
  return job;
}
}  // namespace

SetupProcess::~SetupProcess() {
  kill();
  if (info_.hProcess) CloseHandle(info_.hProcess);
  if (info_.hThread) CloseHandle(info_.hThread);
}

bool SetupProcess::start(const std::wstring& folder, const std::wstring& program) {
  std::wstring exe = program.empty() ? setupExePath() : program;
  if (!fileExists(exe)) {
    error_ = "setup.exe not found at " + utf8(exe);
    return false;
  }
  // A process of an earlier start is over by now; its handles go.
  if (info_.hProcess) CloseHandle(info_.hProcess);
  if (info_.hThread) CloseHandle(info_.hThread);
  info_ = {};
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                      nullptr, folder.c_str(), &startup, &info_)) {
    error_ = "CreateProcessW failed with error " + std::to_string(GetLastError());
    info_ = {};
    return false;
  }
  // Should the test program itself be killed (a ctest timeout), the job
  // takes setup.exe with it.
  AssignProcessToJobObject(killOnCloseJob(), info_.hProcess);
  ResumeThread(info_.hThread);
  return true;
}

std::optional<DWORD> runProgram(const std::wstring& exe, const std::vector<std::wstring>& arguments,
                                const std::wstring& folder, DWORD timeoutMs) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  for (const std::wstring& argument : arguments) commandLine += L" \"" + argument + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &info)) {
    return std::nullopt;
  }
  AssignProcessToJobObject(killOnCloseJob(), info.hProcess);
  std::optional<DWORD> code;
  DWORD exitCode = 0;
  if (WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0 &&
      GetExitCodeProcess(info.hProcess, &exitCode)) {
    code = exitCode;
  } else {
    TerminateProcess(info.hProcess, 1);
  }
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return code;
}

bool SetupProcess::running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

std::vector<HWND> SetupProcess::topWindows(const wchar_t* wanted) const {
  std::vector<HWND> found;
  for (HWND window : windowsOfProcess(info_.dwProcessId)) {
    if (IsWindowVisible(window) && className(window) == wanted) found.push_back(window);
  }
  return found;
}

std::vector<BoxInfo> SetupProcess::messageBoxes() const {
  std::vector<BoxInfo> boxes;
  if (!info_.hProcess) return boxes;
  for (HWND window : topWindows(L"#32770")) {
    BoxInfo box;
    box.window = window;
    box.caption = readText(window);
    if (HWND text = GetDlgItem(window, 0xFFFF)) box.text = readText(text);
    boxes.push_back(box);
  }
  return boxes;
}

HWND SetupProcess::waitMainWindow(DWORD timeoutMs) {
  HWND found = nullptr;
  std::vector<BoxInfo> boxes;
  bool ended = false;
  waitUntil(
      [&] {
        std::vector<HWND> windows = topWindows(L"Installation");
        if (!windows.empty()) {
          found = windows.front();
          return true;
        }
        boxes = messageBoxes();
        ended = !running();
        return !boxes.empty() || ended;
      },
      timeoutMs);
  if (found) return found;
  if (!boxes.empty()) {
    error_ = "a " + describeBox(boxes.front()) + " came up instead of the main window";
  } else if (ended) {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    error_ = "setup.exe ended with exit code " + std::to_string(code) +
             " before its main window came up";
  } else {
    error_ = "no visible window of class \"Installation\" within " + std::to_string(timeoutMs) +
             " ms; the windows of setup.exe:" + describeWindows(info_.dwProcessId);
  }
  return nullptr;
}

std::optional<BoxInfo> SetupProcess::waitMessageBox(DWORD timeoutMs) {
  std::optional<BoxInfo> box;
  bool ended = false;
  waitUntil(
      [&] {
        std::vector<BoxInfo> boxes = messageBoxes();
        if (!boxes.empty()) {
          box = boxes.front();
          return true;
        }
        ended = !running();
        return ended;
      },
      timeoutMs);
  if (!box) {
    if (ended) {
      DWORD code = 0;
      GetExitCodeProcess(info_.hProcess, &code);
      error_ = "setup.exe ended with exit code " + std::to_string(code) + " without a message box";
    } else {
      error_ = "no message box within " + std::to_string(timeoutMs) +
               " ms; the windows of setup.exe:" + describeWindows(info_.dwProcessId);
    }
  }
  return box;
}

void SetupProcess::pressOk(const BoxInfo& box) const {
  PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box.window, IDOK)));
}

std::optional<DWORD> SetupProcess::waitExit(DWORD timeoutMs) {
  if (!info_.hProcess) {
    error_ = "setup.exe was not started";
    return std::nullopt;
  }
  if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    std::vector<BoxInfo> boxes = messageBoxes();
    error_ = "setup.exe still running after " + std::to_string(timeoutMs) + " ms (killed)";
    for (const BoxInfo& box : boxes) error_ += "; showing " + describeBox(box);
    kill();
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void SetupProcess::kill() {
  if (!running()) return;
  TerminateProcess(info_.hProcess, 0xDEAD);
  WaitForSingleObject(info_.hProcess, 5000);
}

// ---- Windows and controls --------------------------------------------------------

HWND control(HWND mainWindow, int id) { return GetDlgItem(mainWindow, id); }

std::wstring readText(HWND window) {
  constexpr UINT kAnswerMs = 1000;
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &length)) {
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                            SMTO_ABORTIFHUNG, kAnswerMs, &got)) {
      text.resize(std::min<size_t>(got, length));
      return text;
    }
  }
  wchar_t buffer[1024];
  int n = GetWindowTextW(window, buffer, 1024);
  return std::wstring(buffer, n > 0 ? n : 0);
}

bool setText(HWND window, const std::wstring& text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, 2000, &result) &&
         result;
}

void postCommand(HWND mainWindow, int id, int code) {
  PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(id, code),
               reinterpret_cast<LPARAM>(GetDlgItem(mainWindow, id)));
}

void clickButton(HWND mainWindow, int id) { postCommand(mainWindow, id, BN_CLICKED); }

void pressEnter(HWND window) {
  PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageW(window, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

bool isVisible(HWND window) { return window && IsWindowVisible(window); }
bool isEnabled(HWND window) { return window && IsWindowEnabled(window); }

RECT rectIn(HWND window, HWND parent) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::vector<std::wstring> listItems(HWND list) {
  std::vector<std::wstring> items;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count)) return items;
  for (DWORD_PTR i = 0; i < count && i < 10000; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 2000, &length);
    if (length == static_cast<DWORD_PTR>(LB_ERR)) length = 0;
    std::wstring text(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &got);
    if (got == static_cast<DWORD_PTR>(LB_ERR)) got = 0;
    text.resize(std::min<size_t>(got, length));
    items.push_back(text);
  }
  return items;
}

bool chooseListItem(HWND mainWindow, int id, const std::wstring& item) {
  HWND list = GetDlgItem(mainWindow, id);
  std::vector<std::wstring> items = listItems(list);
  for (size_t i = 0; i < items.size(); ++i) {
    if (!equalsIgnoringCase(items[i], item)) continue;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(list, LB_SETCURSEL, i, 0, SMTO_ABORTIFHUNG, 2000, &result)) {
      return false;
    }
    postCommand(mainWindow, id, LBN_SELCHANGE);
    return true;
  }
  return false;
}

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
}

// ---- Screen -------------------------------------------------------------------------

std::string describe(Rgb c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

Image captureScreen() {
  Image image;
  HDC screen = GetDC(nullptr);
  if (!screen) return image;
  int width = GetDeviceCaps(screen, HORZRES);
  int height = GetDeviceCaps(screen, VERTRES);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(screen);
  if (bitmap && memory) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT)) {
      GdiFlush();
      image.width = width;
      image.height = height;
      image.pixels.resize(static_cast<size_t>(width) * height);
      const auto* p = static_cast<const uint8_t*>(bits);
      for (size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] = Rgb{p[4 * i + 2], p[4 * i + 1], p[4 * i]};
      }
    }
    SelectObject(memory, old);
  }
  if (memory) DeleteDC(memory);
  if (bitmap) DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
  return image;
}

int screenDepth() {
  HDC screen = GetDC(nullptr);
  int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  return depth;
}

namespace {
uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    ready = true;
  }
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t adler32(const std::string& data) {
  uint32_t a = 1, b = 0;
  for (unsigned char c : data) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

void putBig32(std::string& out, uint32_t v) {
  out += static_cast<char>(v >> 24);
  out += static_cast<char>(v >> 16);
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v);
}

void putChunk(std::string& out, const char* type, const std::string& body) {
  putBig32(out, static_cast<uint32_t>(body.size()));
  std::string typed = std::string(type, 4) + body;
  out += typed;
  putBig32(out, crc32(reinterpret_cast<const uint8_t*>(typed.data()), typed.size()));
}
}  // namespace

std::string encodePng(const Image& image) {
  // Scan lines, each behind filter type 0.
  std::string raw;
  raw.reserve(static_cast<size_t>(image.height) * (1 + 3 * image.width));
  for (int y = 0; y < image.height; ++y) {
    raw += '\0';
    for (int x = 0; x < image.width; ++x) {
      Rgb c = image.at(x, y);
      raw += static_cast<char>(c.r);
      raw += static_cast<char>(c.g);
      raw += static_cast<char>(c.b);
    }
  }
  // zlib stream of stored deflate blocks (at most 65535 bytes each).
  std::string zlib = "\x78\x01";
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(65535, raw.size() - pos);
    bool last = pos + n == raw.size();
    zlib += static_cast<char>(last ? 1 : 0);
    zlib += static_cast<char>(n & 0xFF);
    zlib += static_cast<char>(n >> 8);
    zlib += static_cast<char>(~n & 0xFF);
    zlib += static_cast<char>((~n >> 8) & 0xFF);
    zlib.append(raw, pos, n);
    pos += n;
  } while (pos < raw.size());
  putBig32(zlib, adler32(raw));

  std::string header;
  putBig32(header, static_cast<uint32_t>(image.width));
  putBig32(header, static_cast<uint32_t>(image.height));
  // 8 bits per sample, RGB, deflate, no filter method, no interlace.
  header += std::string("\x08\x02\x00\x00\x00", 5);

  std::string png = "\x89PNG\r\n\x1a\n";
  putChunk(png, "IHDR", header);
  putChunk(png, "IDAT", zlib);
  putChunk(png, "IEND", "");
  return png;
}

bool savePng(const Image& image, const std::wstring& path) {
  if (image.width <= 0 || image.height <= 0) return false;
  return writeFile(path, encodePng(image));
}

}  // namespace e2e

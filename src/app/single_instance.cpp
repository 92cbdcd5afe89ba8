#include "app/single_instance.h"

#include "app/window.h"

#include <string>

InstanceLock::InstanceLock(const wchar_t* name) {
  handle_ = CreateMutexW(nullptr, FALSE, name);
  DWORD error = GetLastError();
  heldElsewhere_ = handle_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

InstanceLock::~InstanceLock() {
  if (handle_) CloseHandle(handle_);
}

namespace {
// The full path of the program file a process runs; empty when it cannot
// be read (a process of another account, or one that has ended).
std::wstring programFileOf(HANDLE process) {
  wchar_t path[32768];
  DWORD size = static_cast<DWORD>(sizeof path / sizeof path[0]);
  if (!QueryFullProcessImageNameW(process, 0, path, &size)) return {};
  return std::wstring(path, size);
}

bool runsOurProgramFile(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = pid ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid) : nullptr;
  if (!process) return false;
  std::wstring theirs = programFileOf(process);
  CloseHandle(process);
  std::wstring ours = programFileOf(GetCurrentProcess());
  return !theirs.empty() && !ours.empty() &&
         CompareStringOrdinal(theirs.c_str(), static_cast<int>(theirs.size()), ours.c_str(),
                              static_cast<int>(ours.size()), TRUE) == CSTR_EQUAL;
}
}  // namespace

void bringRunningSetupToFront() {
  // "Installation" is a plain class name that other programs may use too:
  // only a window whose process runs this same program file is ours.
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, kMainWindowClass, nullptr)) != nullptr) {
    if (runsOurProgramFile(window)) break;
  }
  // A window that is not shown yet stays as it is: its own start-up shows it.
  if (!window || !IsWindowVisible(window)) return;
  // ShowWindow on another thread's window waits until that thread answers,
  // which a setup in the middle of installing does not do before it ends.
  if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
  // Windows lets the process that the user just started take the
  // foreground; where it refuses, the window's taskbar button flashes.
  SetForegroundWindow(window);
}

#include "app/single_instance.h"

#include "app/window.h"

InstanceLock::InstanceLock(const wchar_t* name) {
  handle_ = CreateMutexW(nullptr, FALSE, name);
  DWORD error = GetLastError();
  heldElsewhere_ = handle_ ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
}

InstanceLock::~InstanceLock() {
  if (handle_) CloseHandle(handle_);
}

void bringRunningSetupToFront() {
  HWND window = FindWindowW(kMainWindowClass, nullptr);
  // A window that is not shown yet stays as it is: its own start-up shows it.
  if (!window || !IsWindowVisible(window)) return;
  // ShowWindow on another thread's window waits until that thread answers,
  // which a setup in the middle of installing does not do before it ends.
  if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
  // Windows lets the process that the user just started take the
  // foreground; where it refuses, the window's taskbar button flashes.
  SetForegroundWindow(window);
}

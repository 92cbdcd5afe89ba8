// Retrying a change of a file that another program holds for a moment.
#pragma once

#include <windows.h>

#include "platform/file.h"
#include "platform/win32/syscalls.h"

namespace platform::win32 {

// Runs `attempt` (a call that returns nonzero on success and sets the last
// error) until it succeeds. While it fails because another program holds
// the file (a virus scanner, an indexer or a backup program just after the
// file was written), it is tried again every 100 ms for up to
// kReplaceRetryMilliseconds; a file that a program keeps open stays refused.
// The clock and the pause are the table's (syscalls.h): a test can let the
// whole budget pass at once.
template <typename Attempt>
bool retryWhileHeld(Attempt attempt) {
  const ULONGLONG deadline = sys::os.GetTickCount64() + kReplaceRetryMilliseconds;
  for (;;) {
    if (attempt()) return true;
    DWORD error = GetLastError();
    bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                error == ERROR_LOCK_VIOLATION;
    if (!held || sys::os.GetTickCount64() >= deadline) return false;
    sys::os.Sleep(100);
  }
}

}  // namespace platform::win32

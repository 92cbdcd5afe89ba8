// The Win32 table of calls, and the replacements that faults.h puts into
// it: each asks the fault countdown first and then calls the real function.
#include "platform/win32/syscalls.h"

namespace platform::sys {

Win32Calls os;

namespace {

using faults::Op;

// True when this call is to fail; the last error is then the test's error,
// or ERROR_WRITE_FAULT.
bool failsWithLastError(Op op) {
  int error = 0;
  if (!faultStrikes(op, error)) return false;
  SetLastError(error ? static_cast<DWORD>(error) : ERROR_WRITE_FAULT);
  return true;
}

BOOL WINAPI failingMoveFileEx(LPCWSTR from, LPCWSTR to, DWORD flags) noexcept {
  if (failsWithLastError(Op::Rename)) return FALSE;
  return ::MoveFileExW(from, to, flags);
}

BOOL WINAPI failingMoveFile(LPCWSTR from, LPCWSTR to) noexcept {
  if (failsWithLastError(Op::Rename)) return FALSE;
  return ::MoveFileW(from, to);
}

BOOL WINAPI failingCopyFile(LPCWSTR from, LPCWSTR to, BOOL failIfExists) noexcept {
  if (failsWithLastError(Op::Write)) return FALSE;
  return ::CopyFileW(from, to, failIfExists);
}

BOOL WINAPI failingCreateDirectory(LPCWSTR path, LPSECURITY_ATTRIBUTES security) noexcept {
  if (failsWithLastError(Op::MakeDir)) return FALSE;
  return ::CreateDirectoryW(path, security);
}

// Only a rename counts; the deletion of removeFileNotLink goes through.
BOOL WINAPI failingSetFileInformation(HANDLE h, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info,
                                      DWORD size) noexcept {
  if (kind == FileRenameInfo && failsWithLastError(Op::Rename)) return FALSE;
  return ::SetFileInformationByHandle(h, kind, info, size);
}

int __cdecl failingCommit(int fd) noexcept {
  if (faultStrikesErrno(Op::Flush)) return -1;
  return ::_commit(fd);
}

ULONGLONG fakeNow = 0;
ULONGLONG WINAPI fakeTickCount() noexcept { return fakeNow; }
VOID WINAPI fakeSleep(DWORD milliseconds) noexcept { fakeNow += milliseconds; }

}  // namespace

void armSystemFaults() {
  os.MoveFileExW = failingMoveFileEx;
  os.MoveFileW = failingMoveFile;
  os.CopyFileW = failingCopyFile;
  os.CreateDirectoryW = failingCreateDirectory;
  os.SetFileInformationByHandle = failingSetFileInformation;
  os._commit = failingCommit;
}

void restoreSystemCalls() { os = Win32Calls{}; }

}  // namespace platform::sys

namespace platform::faults {

void useFakeClock() {
  sys::fakeNow = 0;
  sys::os.GetTickCount64 = sys::fakeTickCount;
  sys::os.Sleep = sys::fakeSleep;
}

}  // namespace platform::faults

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

// A new folder counts as MakeDir; every other open goes through.
NTSTATUS NTAPI failingNtCreateFile(PHANDLE h, ACCESS_MASK access, POBJECT_ATTRIBUTES name,
                                   PIO_STATUS_BLOCK io, PLARGE_INTEGER size, ULONG attributes,
                                   ULONG share, ULONG disposition, ULONG options, PVOID ea,
                                   ULONG eaLength) noexcept {
  int error = 0;
  if (disposition == FILE_CREATE && (options & FILE_DIRECTORY_FILE) &&
      faultStrikes(Op::MakeDir, error)) {
    return static_cast<NTSTATUS>(0xC0000185);  // STATUS_IO_DEVICE_ERROR
  }
  return ::NtCreateFile(h, access, name, io, size, attributes, share, disposition, options, ea,
                        eaLength);
}

// Only a rename counts. A held file's error is given back as the system
// gives it (STATUS_SHARING_VIOLATION, STATUS_ACCESS_DENIED), so that the
// retry of a held file sees it.
NTSTATUS NTAPI failingNtSetInformationFile(HANDLE h, PIO_STATUS_BLOCK io, PVOID info, ULONG size,
                                           FILE_INFORMATION_CLASS kind) noexcept {
  int error = 0;
  if (kind == static_cast<FILE_INFORMATION_CLASS>(10) && faultStrikes(Op::Rename, error)) {
    switch (error) {
      case ERROR_SHARING_VIOLATION: return static_cast<NTSTATUS>(0xC0000043);
      case ERROR_ACCESS_DENIED: return static_cast<NTSTATUS>(0xC0000022);
      case ERROR_LOCK_VIOLATION: return static_cast<NTSTATUS>(0xC0000054);
      default: return static_cast<NTSTATUS>(0xC0000185);
    }
  }
  return ::NtSetInformationFile(h, io, info, size, kind);
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
  os.NtCreateFile = failingNtCreateFile;
  os.NtSetInformationFile = failingNtSetInformationFile;
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

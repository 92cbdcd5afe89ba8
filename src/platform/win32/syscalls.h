// The Win32 part of the platform layer's table of calls (see
// platform/syscalls.h): each entry is named as the call, starts as the
// real function and keeps its type, calling convention included.
#pragma once

#include <windows.h>
#include <winternl.h>
#include <io.h>

#include "platform/syscalls.h"

extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE folder, HANDLE event, PVOID apc,
                                               PVOID apcContext, PIO_STATUS_BLOCK io,
                                               PVOID buffer, ULONG length,
                                               FILE_INFORMATION_CLASS kind,
                                               BOOLEAN singleEntry, PUNICODE_STRING pattern,
                                               BOOLEAN restart);

namespace platform::sys {

struct Win32Calls {
  // Renames `from` to `to`. With MOVEFILE_REPLACE_EXISTING an existing `to`
  // is replaced in one step; MOVEFILE_WRITE_THROUGH returns only once the
  // change is on disk. Nonzero on success; else GetLastError() says why:
  // ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED or ERROR_LOCK_VIOLATION
  // while another program has `to` open.
  decltype(&::MoveFileExW) MoveFileExW = &::MoveFileExW;
  // Renames `from` to `to`; fails (ERROR_ALREADY_EXISTS) when `to` exists.
  decltype(&::MoveFileW) MoveFileW = &::MoveFileW;
  // Copies `from` to `to`, attributes and alternate streams along; with
  // bFailIfExists FALSE an existing `to` is overwritten (but not one marked
  // read-only: ERROR_ACCESS_DENIED). Nonzero on success, else the last error.
  decltype(&::CopyFileW) CopyFileW = &::CopyFileW;
  // Creates one folder; fails with ERROR_ALREADY_EXISTS when the name is
  // taken and ERROR_PATH_NOT_FOUND when the folder above is missing.
  decltype(&::CreateDirectoryW) CreateDirectoryW = &::CreateDirectoryW;
  // Changes what the handle has open: FileRenameInfo renames it (replacing
  // an existing name when ReplaceIfExists is set, with the same errors as
  // MoveFileExW), FileDispositionInfo marks it to be deleted when the last
  // handle closes. Nonzero on success, else the last error.
  decltype(&::SetFileInformationByHandle) SetFileInformationByHandle =
      &::SetFileInformationByHandle;
  // Writes the buffers of the C runtime file descriptor to disk
  // (FlushFileBuffers). 0, or -1 with errno set.
  decltype(&::_commit) _commit = &::_commit;
  // Opens or creates a name; with OBJECT_ATTRIBUTES.RootDirectory set, the
  // name is taken relative to that folder's handle, and with
  // FILE_OPEN_REPARSE_POINT a reparse point is opened as itself. Returns an
  // NTSTATUS (negative on failure: STATUS_OBJECT_NAME_NOT_FOUND,
  // STATUS_OBJECT_NAME_COLLISION for FILE_CREATE over an existing name,
  // STATUS_SHARING_VIOLATION, ...).
  decltype(&::NtCreateFile) NtCreateFile = &::NtCreateFile;
  // Changes what the handle has open: FileRenameInformation renames it (to
  // a bare name relative to RootDirectory when that is set; Wine takes a
  // RootDirectory only here, not through SetFileInformationByHandle),
  // FileDispositionInformation deletes it, FileBasicInformation sets its
  // times and attributes, FileEndOfFileInformation its length. NTSTATUS.
  decltype(&::NtSetInformationFile) NtSetInformationFile = &::NtSetInformationFile;
  // Lists a folder's entries that match a pattern (the first pattern a
  // handle is listed with stays its pattern on Windows). For a reparse
  // point the entry's EaSize holds its tag. NTSTATUS; STATUS_NO_SUCH_FILE
  // or STATUS_NO_MORE_FILES when nothing matches.
  decltype(&::NtQueryDirectoryFile) NtQueryDirectoryFile = &::NtQueryDirectoryFile;
  // Milliseconds since the system started: the retry of a held file
  // measures its time budget with it.
  decltype(&::GetTickCount64) GetTickCount64 = &::GetTickCount64;
  // Waits the given milliseconds: the retry's pause between two tries.
  decltype(&::Sleep) Sleep = &::Sleep;
};

// The Win32 calls as this layer makes them.
extern Win32Calls os;

}  // namespace platform::sys

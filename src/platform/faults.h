// Fault injection for tests.
//
// Tests arm a countdown for one kind of operation; the N-th system call of
// that kind after arming fails as if the disk had refused it. The call
// itself fails (syscalls.h), so everything the platform layer does around
// it runs as on a failing disk: a retry sees the error, an error path and
// its clean-up run. Production code never arms anything: the calls stay the
// system's own.
#pragma once

#include <string_view>

namespace platform::faults {

// The kinds, and the calls each one counts:
//   Write    File::write (one fwrite per call, text mode too); copyFile
//            (Win32: CopyFileW; POSIX: each write(2) of the copy, none for
//            an empty file); Folder::copyIn (POSIX: each write(2) of the
//            side file)
//   Flush    File::flush: the fflush and the commit to disk (Win32 _commit,
//            POSIX fsync), one count each; Folder::copyIn's commit of the
//            side file (POSIX fsync)
//   Rename   replaceFile, renameFile, Folder::replace and Folder::copyIn:
//            the rename call (Win32: MoveFileExW, MoveFileW,
//            NtSetInformationFile with FileRenameInformation; POSIX:
//            rename, renameat), each try of a retry
//   MakeDir  createDirectory, Folder::makeDirectory (Win32:
//            CreateDirectoryW, NtCreateFile of a new folder; POSIX: mkdir,
//            mkdirat)
//   Read     File::read (fread)
enum class Op { Write, Flush, Rename, MakeDir, Read, Count };

// The n-th call of kind `op` from now on (1 = the next one) fails, and with
// `count` above 1 so do the count - 1 calls of that kind after it. A failed
// call leaves `error` behind where the system leaves its reason: the last
// error (SetLastError) after a Win32 call, errno after a C runtime or POSIX
// call. 0 stands for an I/O error (ERROR_WRITE_FAULT, EIO), which no retry
// takes for a held file; Win32's ERROR_SHARING_VIOLATION is one it takes.
void failNth(Op op, int n, int count = 1, int error = 0);
// The calls of kind `op` that failed since failNth armed it.
int injectedFailures(Op op);
// Disarms every countdown and gives the platform layer the real system calls
// (and the real clock) back.
void reset();

#if defined(_WIN32)
// The clock and the pause of the retry of a held file (GetTickCount64,
// Sleep) become a clock of the test's own that only the pause moves on: the
// retry's whole time budget passes at once. reset() ends it.
void useFakeClock();
#endif

// Makes the platform layer take every name whose last part is `name`
// (ASCII case ignored; "" stops it) for a link (links.h): for a file link
// under Wine, which no Win32 call there can see, the tests show through this
// what setup does with one on Windows.
void reportLinkAt(std::u16string_view name);
// Called by the link checks of links.h: true when `path` is to be reported
// as a link.
bool reportsLink(std::u16string_view path);

}  // namespace platform::faults

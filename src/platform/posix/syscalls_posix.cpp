// The POSIX table of calls, and the replacements that faults.h puts into
// it: each asks the fault countdown first and then calls the real function.
#include "platform/posix/syscalls.h"

#include <fcntl.h>

#include <cerrno>

namespace platform::sys {

PosixCalls os;

namespace {

using faults::Op;

// True when this call is to fail; errno is then the test's error, or EIO.
bool failsWithErrno(Op op) {
  int error = 0;
  if (!faultStrikes(op, error)) return false;
  errno = error ? error : EIO;
  return true;
}

int failingRename(const char* from, const char* to) noexcept {
  if (failsWithErrno(Op::Rename)) return -1;
  return ::rename(from, to);
}

int failingRenameAt(int fromFolder, const char* from, int toFolder, const char* to) noexcept {
  if (failsWithErrno(Op::Rename)) return -1;
  return ::renameat(fromFolder, from, toFolder, to);
}

int failingMkdir(const char* path, mode_t mode) noexcept {
  if (failsWithErrno(Op::MakeDir)) return -1;
  return ::mkdir(path, mode);
}

ssize_t failingWrite(int fd, const void* buffer, std::size_t count) noexcept {
  if (failsWithErrno(Op::Write)) return -1;
  return ::write(fd, buffer, count);
}

int failingFsync(int fd) noexcept {
  if (failsWithErrno(Op::Flush)) return -1;
  return ::fsync(fd);
}

}  // namespace

void armSystemFaults() {
  os.rename = failingRename;
  os.renameat = failingRenameAt;
  os.mkdir = failingMkdir;
  os.write = failingWrite;
  os.fsync = failingFsync;
}

void restoreSystemCalls() { os = PosixCalls{}; }

}  // namespace platform::sys

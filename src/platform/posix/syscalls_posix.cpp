// The POSIX table of calls, and the replacements that faults.h puts into
// it: each asks the fault countdown first and then calls the real function.
#include "platform/posix/syscalls.h"

namespace platform::sys {

PosixCalls os;

namespace {

using faults::Op;

int failingRename(const char* from, const char* to) noexcept {
  if (faultStrikesErrno(Op::Rename)) return -1;
  return ::rename(from, to);
}

int failingRenameAt(int fromFolder, const char* from, int toFolder, const char* to) noexcept {
  if (faultStrikesErrno(Op::Rename)) return -1;
  return ::renameat(fromFolder, from, toFolder, to);
}

int failingMkdir(const char* path, mode_t mode) noexcept {
  if (faultStrikesErrno(Op::MakeDir)) return -1;
  return ::mkdir(path, mode);
}

int failingMkdirAt(int folder, const char* name, mode_t mode) noexcept {
  if (faultStrikesErrno(Op::MakeDir)) return -1;
  return ::mkdirat(folder, name, mode);
}

ssize_t failingWrite(int fd, const void* buffer, std::size_t count) noexcept {
  if (faultStrikesErrno(Op::Write)) return -1;
  return ::write(fd, buffer, count);
}

int failingFsync(int fd) noexcept {
  if (faultStrikesErrno(Op::Flush)) return -1;
  return ::fsync(fd);
}

}  // namespace

void armSystemFaults() {
  os.rename = failingRename;
  os.renameat = failingRenameAt;
  os.mkdir = failingMkdir;
  os.mkdirat = failingMkdirAt;
  os.write = failingWrite;
  os.fsync = failingFsync;
}

void restoreSystemCalls() { os = PosixCalls{}; }

}  // namespace platform::sys

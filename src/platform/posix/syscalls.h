// The POSIX part of the platform layer's table of calls (see
// platform/syscalls.h): each entry is named as the call and starts as the
// real function.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/syscalls.h"

namespace platform::sys {

struct PosixCalls {
  // Renames `from` to `to`, replacing an existing `to` in one step (a link
  // named `to` is replaced, not followed). 0, or -1 with errno.
  decltype(&::rename) rename = &::rename;
  // rename with each name relative to an open folder.
  decltype(&::renameat) renameat = &::renameat;
  // Creates one folder with the given permissions (less the umask); -1 with
  // errno EEXIST when the name is taken, ENOENT when the folder above is
  // missing.
  decltype(&::mkdir) mkdir = &::mkdir;
  // mkdir with the name relative to an open folder; a link of that name
  // counts as taken (EEXIST) and is not followed.
  decltype(&::mkdirat) mkdirat = &::mkdirat;
  // Writes up to `count` bytes to the descriptor; returns the number
  // written, which may be fewer, or -1 with errno.
  decltype(&::write) write = &::write;
  // Writes the descriptor's data to disk. 0, or -1 with errno.
  decltype(&::fsync) fsync = &::fsync;
};

// The POSIX calls as this layer makes them.
extern PosixCalls os;

}  // namespace platform::sys

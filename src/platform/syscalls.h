// The calls through which the platform layer reads, writes and changes files.
//
// The functions that carry out the operations a test can make fail
// (faults.h: reading, writing, flushing, renaming, making a folder) reach the
// C runtime and the operating system through tables of function pointers
// instead of calling them directly: one entry per call, named as the call,
// holding the real function until something points it elsewhere. The code
// of this layer calls the current entry.
//
// Production never changes an entry. faults.h points entries at replacements
// that make the call itself fail, with the error a test chose, so that the
// code around the call (the retry of a held file, the error paths, the
// clean-up) runs as it would on a failing disk; faults::reset() puts the real
// functions back.
//
// The table has two parts: the C stream calls, the same on every system
// (here), and each system's own (win32/syscalls.h, posix/syscalls.h).
//
// Contract of a replacement: it has the real call's type and does what the
// real call does, or fails as the real call can fail: with the real call's
// failure result, leaving the reason where the real call leaves it (errno
// for the C runtime and POSIX, the thread's last error for Win32).
#pragma once

#include <cstdio>

#include "platform/faults.h"

namespace platform::sys {

struct StreamCalls {
  // Reads up to `count` items of `size` bytes from the stream into the
  // buffer; returns the number of whole items read, fewer at the end of the
  // file or on a read error.
  decltype(&std::fread) fread = &std::fread;
  // Writes `count` items of `size` bytes into the stream's buffer (the
  // buffer goes to the system when full); returns the number of whole items
  // written, fewer on a write error.
  decltype(&std::fwrite) fwrite = &std::fwrite;
  // Hands the stream's buffered data to the system. 0, or EOF on a write
  // error.
  decltype(&std::fflush) fflush = &std::fflush;
};

// The stream calls as this layer makes them.
extern StreamCalls streams;

// Each system's part of the table (faults.cpp uses these):
// points the system's entries that carry out faults::Op operations at
// replacements that ask faultStrikes whether to fail,
void armSystemFaults();
// and every system entry back at the real call.
void restoreSystemCalls();

// Asked by each replacement before it calls the real function: true when
// this call of kind `op` is to fail, as faults::failNth arranged; `error`
// is then the error the test chose (0: none, the replacement's usual error).
bool faultStrikes(faults::Op op, int& error);
// The same for a call that reports its failure in errno: when it strikes,
// errno is set to the test's error, or EIO.
bool faultStrikesErrno(faults::Op op);

}  // namespace platform::sys

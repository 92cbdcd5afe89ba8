#include "platform/faults.h"

#include <cerrno>
#include <cstdio>

#include "platform/syscalls.h"

namespace platform::faults {
namespace {

struct Countdown {
  int calls = 0;     // calls until the first failure, that one included
  int failing = 0;   // failures left once the countdown ends
  int error = 0;     // what a failed call leaves behind (0: its usual error)
  int injected = 0;  // calls failed so far
};
Countdown countdowns[static_cast<int>(Op::Count)];

// The C stream calls, failing when their countdown says so.
std::size_t failingRead(void* buffer, std::size_t size, std::size_t count,
                        std::FILE* stream) noexcept {
  return sys::faultStrikesErrno(Op::Read) ? 0 : std::fread(buffer, size, count, stream);
}

std::size_t failingWrite(const void* buffer, std::size_t size, std::size_t count,
                         std::FILE* stream) noexcept {
  return sys::faultStrikesErrno(Op::Write) ? 0 : std::fwrite(buffer, size, count, stream);
}

int failingFlush(std::FILE* stream) noexcept {
  return sys::faultStrikesErrno(Op::Flush) ? EOF : std::fflush(stream);
}

}  // namespace

void failNth(Op op, int n, int count, int error) {
  countdowns[static_cast<int>(op)] = {n, count, error, 0};
  sys::streams.fread = failingRead;
  sys::streams.fwrite = failingWrite;
  sys::streams.fflush = failingFlush;
  sys::armSystemFaults();
}

int injectedFailures(Op op) { return countdowns[static_cast<int>(op)].injected; }

void reset() {
  for (Countdown& c : countdowns) c = {};
  sys::streams = {};
  sys::restoreSystemCalls();
}

}  // namespace platform::faults

namespace platform::sys {

bool faultStrikes(faults::Op op, int& error) {
  faults::Countdown& c = faults::countdowns[static_cast<int>(op)];
  if (c.calls <= 0) return false;
  if (c.calls > 1) {
    --c.calls;
    return false;
  }
  if (--c.failing <= 0) c.calls = 0;  // this one fails; the countdown ends with the last
  ++c.injected;
  error = c.error;
  return true;
}

bool faultStrikesErrno(faults::Op op) {
  int error = 0;
  if (!faultStrikes(op, error)) return false;
  errno = error ? error : EIO;
  return true;
}

}  // namespace platform::sys

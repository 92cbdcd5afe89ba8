// Fault injection for tests.
//
// Tests arm a countdown for one kind of operation; the N-th such operation
// after arming fails as if the disk had refused it. Production code never
// arms anything, so these counters stay idle.
#pragma once

namespace platform::faults {

enum class Op { Write, Flush, Rename, MakeDir, Read, Count };

// The n-th operation of kind `op` from now on (1 = the next one) fails, and
// with `count` above 1 so do the count - 1 operations of that kind after it.
void failNth(Op op, int n, int count = 1);
// Disarms every countdown.
void reset();
// Called by the platform layer before each operation of kind `op`; true when
// this one is to fail.
bool shouldFail(Op op);

}  // namespace platform::faults

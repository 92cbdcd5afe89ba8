// Fault injection for tests.
//
// Tests arm a countdown for one kind of operation; the N-th such operation
// after arming fails as if the disk had refused it. Production code never
// arms anything, so these counters stay idle.
#pragma once

#include <string_view>

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

// Makes the platform layer take every name whose last part is `name`
// (ASCII case ignored; "" stops it) for a link (links.h): for a file link
// under Wine, which no Win32 call there can see, the tests show through this
// what setup does with one on Windows.
void reportLinkAt(std::u16string_view name);
// Called by the link checks of links.h: true when `path` is to be reported
// as a link.
bool reportsLink(std::u16string_view path);

}  // namespace platform::faults

#include "platform/faults.h"

namespace platform::faults {
namespace {
int countdown[static_cast<int>(Op::Count)] = {};
}

void failNth(Op op, int n) { countdown[static_cast<int>(op)] = n; }

void reset() {
  for (int& c : countdown) c = 0;
}

bool shouldFail(Op op) {
  int& c = countdown[static_cast<int>(op)];
  if (c <= 0) return false;
  return --c == 0;
}

}  // namespace platform::faults

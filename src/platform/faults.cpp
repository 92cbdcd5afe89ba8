#include "platform/faults.h"

namespace platform::faults {
namespace {
int countdown[static_cast<int>(Op::Count)] = {};
int failing[static_cast<int>(Op::Count)] = {};  // failures left once the countdown ends
}  // namespace

void failNth(Op op, int n, int count) {
  countdown[static_cast<int>(op)] = n;
  failing[static_cast<int>(op)] = count;
}

void reset() {
  for (int& c : countdown) c = 0;
  for (int& f : failing) f = 0;
}

bool shouldFail(Op op) {
  int& c = countdown[static_cast<int>(op)];
  int& f = failing[static_cast<int>(op)];
  if (c <= 0) return false;
  if (c > 1) {
    --c;
    return false;
  }
  if (--f <= 0) c = 0;  // this one fails; the countdown ends with the last
  return true;
}

}  // namespace platform::faults

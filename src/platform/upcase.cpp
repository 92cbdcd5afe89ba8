// upperCaseName: one table for both systems, so that distkit on Linux, under
// Wine and on Windows takes the same names for one name as NTFS does.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>

#include "platform/file.h"

namespace platform {

namespace {

// Units first..last, every step-th one, have the upper-case form
// unit + delta (mod 0x10000).
struct UpperRun {
  char16_t first;
  char16_t last;
  uint8_t step;
  char16_t delta;
};

constexpr UpperRun kUpperRuns[] = {
#include "platform/upcase_table.inc"
};

char16_t upperUnit(char16_t c) {
  // The last run that starts at or before c; the runs never overlap.
  const UpperRun* run = std::upper_bound(std::begin(kUpperRuns), std::end(kUpperRuns), c,
                                         [](char16_t unit, const UpperRun& r) { return unit < r.first; });
  if (run == std::begin(kUpperRuns)) return c;
  --run;
  if (c > run->last || (c - run->first) % run->step != 0) return c;
  return static_cast<char16_t>(c + run->delta);
}

}  // namespace

std::u16string upperCaseName(std::u16string_view name) {
  std::u16string out(name);
  for (char16_t& c : out) c = upperUnit(c);
  return out;
}

}  // namespace platform

// Ends the test program when one table row runs far past its limit, so that
// a hang shows as a named failure instead of a run that never ends.
#pragma once

#include <memory>
#include <string>

namespace testing_support {

class Watchdog {
 public:
  // Starts watching: unless destroyed within `seconds`, the process prints
  // the row's name and ends with exit code 3.
  Watchdog(std::string row, double seconds);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace testing_support

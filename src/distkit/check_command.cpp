#include <cstdio>

#include "distkit/commands.h"

int runCheckCommand(const Args&) {
  std::fputs("distkit: 'check' is not built yet\n", stderr);
  return 2;
}

#include <cstdio>

#include "distkit/commands.h"

int runListCommand(const Args&) {
  std::fputs("distkit: 'list' is not built yet\n", stderr);
  return 2;
}

#include <cstdio>

#include "distkit/commands.h"

int runStringsCommand(const Args&) {
  std::fputs("distkit: 'strings' is not built yet\n", stderr);
  return 2;
}

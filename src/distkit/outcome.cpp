#include "distkit/outcome.h"

#include <cstdio>

namespace distkit {

int fail(const char* command, const std::string& message, ExitCode code) {
  std::fprintf(stderr, "distkit %s: %s\n", command, message.c_str());
  return code;
}

int usageError(const char* usage) {
  std::fprintf(stderr, "%s\n", usage);
  return kExitRefused;
}

}  // namespace distkit

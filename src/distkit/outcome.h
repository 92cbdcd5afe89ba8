// How a distkit command ends: one set of exit codes and one way to say what
// went wrong, for every command.
#pragma once

#include <string>

namespace distkit {

// The exit codes. Scripts rely on them.
enum ExitCode : int {
  kExitOk = 0,
  // check: the setup folder has problems (listed); list: a file could not be
  // read or written.
  kExitProblems = 1,
  // Refused: wrong arguments, input that cannot be used, or a failure that
  // left nothing behind (every command but check and list's file errors).
  kExitRefused = 2,
};

// Prints "distkit COMMAND: MESSAGE" on standard error and returns `code`.
int fail(const char* command, const std::string& message, ExitCode code = kExitRefused);

// Prints a usage line on standard error and returns kExitRefused.
int usageError(const char* usage);

}  // namespace distkit

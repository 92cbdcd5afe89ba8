// distkit: tools for the people who prepare a distribution folder.
#include <cstdio>
#include <cstring>

#include "distkit/commands.h"
#include "distkit/outcome.h"
#include "platform/process.h"
#include "platform/utf8.h"

namespace {
void usage() {
  std::fputs(
      "usage:\n"
      "  distkit strings pack IN.txt OUT.str\n"
      "  distkit strings unpack IN.str\n"
      "  distkit list pack IN.tsv OUT --word-cp N --trans-cp N\n"
      "  distkit list unpack IN --word-cp N --trans-cp N\n"
      "  distkit reverse SOURCE OUT --list-cp N --home-cp N (--locale NAME | --table FILE) [--tsv]\n"
      "  distkit check SETUPDIR\n"
      "  distkit build DESCRIPTION OUTDIR\n",
      stderr);
}
}  // namespace

int runDistkit(const Args& commandLine) {
  if (commandLine.empty()) {
    usage();
    return distkit::kExitRefused;
  }
  const std::u16string& command = commandLine[0];
  Args args(commandLine.begin() + 1, commandLine.end());
  if (command == u"strings") return runStringsCommand(args);
  if (command == u"list") return runListCommand(args);
  if (command == u"reverse") return runReverseCommand(args);
  if (command == u"check") return runCheckCommand(args);
  if (command == u"build") return runBuildCommand(args);
  usage();
  return distkit::kExitRefused;
}

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  // Before anything could load a library: none from beside the program.
  platform::restrictLibrarySearch();
  platform::failCriticalErrorsSilently();
  Args commandLine;
  for (int i = 1; i < argc; ++i) {
    commandLine.emplace_back(argv[i], argv[i] + std::wcslen(argv[i]));
  }
  return runDistkit(commandLine);
}
#else
// POSIX hosts pass the arguments as UTF-8.
int main(int argc, char** argv) {
  Args commandLine;
  for (int i = 1; i < argc; ++i) {
    std::u16string argument;
    if (!platform::utf8ToUtf16(argv[i], argument)) {
      std::fprintf(stderr, "distkit: argument %d is not valid UTF-8\n", i);
      return distkit::kExitRefused;
    }
    commandLine.push_back(std::move(argument));
  }
  return runDistkit(commandLine);
}
#endif

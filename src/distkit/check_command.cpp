// distkit check SETUPDIR: reports, file by file and line by line, what in a
// setup folder would make an installation fail or surprise its author.
#include <cstdio>
#include <string>

#include "distkit/check.h"
#include "distkit/commands.h"
#include "platform/utf8.h"
#include "text/strings_pack.h"

int runCheckCommand(const Args& args) {
  if (args.size() != 1) {
    std::fputs("usage: distkit check SETUPDIR\n", stderr);
    return 2;
  }
  std::vector<CheckProblem> problems = checkDistribution(args[0]);
  for (const CheckProblem& problem : problems) {
    std::string line = formatProblem(problem) + "\n";
    std::fputs(line.c_str(), stdout);
  }
  std::string folder = platform::utf16ToUtf8(args[0]);
  if (problems.empty()) {
    std::fprintf(stderr, "%s: no problems found\n", folder.c_str());
    return 0;
  }
  std::fprintf(stderr, "%s: %zu problem%s found\n", folder.c_str(), problems.size(),
               problems.size() == 1 ? "" : "s");
  return 1;
}

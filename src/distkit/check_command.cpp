// distkit check SETUPDIR: reports, file by file and line by line, what in a
// setup folder would make an installation fail or surprise its author.
#include <cstdio>
#include <string>

#include "distkit/outcome.h"
#include "distkit/check.h"
#include "distkit/commands.h"
#include "platform/utf8.h"
#include "text/strings_pack.h"

int runCheckCommand(const Args& args) {
  if (args.size() != 1) {
    return distkit::usageError("usage: distkit check SETUPDIR");
  }
  std::vector<CheckProblem> problems = checkDistribution(args[0]);
  for (const CheckProblem& problem : problems) {
    std::string line = formatProblem(problem) + "\n";
    std::fputs(line.c_str(), stdout);
  }
  std::string folder = platform::utf16ToUtf8(args[0]);
  if (problems.empty()) {
    std::fprintf(stderr, "%s: no problems found\n", folder.c_str());
    return distkit::kExitOk;
  }
  std::fprintf(stderr, "%s: %zu problem%s found\n", folder.c_str(), problems.size(),
               problems.size() == 1 ? "" : "s");
  return distkit::kExitProblems;
}

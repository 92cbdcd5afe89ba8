// distkit: tools for the people who prepare a distribution folder.
#include <cstdio>
#include <cstring>

#include "distkit/commands.h"

namespace {
void usage() {
  std::fputs(
      "usage:\n"
      "  distkit strings pack IN.txt OUT.str\n"
      "  distkit strings unpack IN.str\n"
      "  distkit list pack IN.tsv OUT --word-cp N --trans-cp N\n"
      "  distkit list unpack IN --word-cp N --trans-cp N\n"
      "  distkit check SETUPDIR\n"
      "  distkit build DESCRIPTION OUTDIR\n",
      stderr);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    usage();
    return 2;
  }
  Args args;
  for (int i = 2; i < argc; ++i) args.emplace_back(argv[i], argv[i] + std::wcslen(argv[i]));
  std::u16string command(argv[1], argv[1] + std::wcslen(argv[1]));
  if (command == u"strings") return runStringsCommand(args);
  if (command == u"list") return runListCommand(args);
  if (command == u"check") return runCheckCommand(args);
  if (command == u"build") return runBuildCommand(args);
  usage();
  return 2;
}

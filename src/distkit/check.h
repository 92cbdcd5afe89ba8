// distkit check: looks through a setup folder for what would make an
// installation fail or do something other than its author meant.
//
// What is checked:
//   - language.in_ and the strings file it names (<Language>.str in the setup
//     folder): present, readable, every key that the installer resolves;
//   - install.inf: present, every line a known keyword spelled as such, each
//     command with the parts it needs, copy/xcopy/sndcopy sources present,
//     destination folders made by an earlier mkdir, the display and iconexe
//     files there;
//   - when install.inf holds mkwlist: the language configuration file and the
//     word lists. At run time they are read from the install folder, where
//     install.inf's copy commands put them; so the checker follows those
//     commands back to the setup folder: a file that the installer will find
//     as INSTALLDIR\X is checked at the source that the last copy, xcopy or
//     sndcopy line writing X copies from. Groups must be complete (a language
//     line of four fields and two list-name lines), source lists present, a
//     whole number of 84-byte records, each field with its zero byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct CheckProblem {
  std::string file;  // relative to the setup folder where it lies there (UTF-8)
  int line = 0;      // 1-based; 0 when the problem concerns the whole file
  std::string message;
};

// Checks the setup folder `setupDir` and returns the problems in the order
// found; empty when the folder is fine.
std::vector<CheckProblem> checkDistribution(std::u16string_view setupDir);

// "file:line: message", or "file: message" for line 0.
std::string formatProblem(const CheckProblem& problem);

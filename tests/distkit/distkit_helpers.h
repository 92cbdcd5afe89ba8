// Helpers of the distkit tests: the strings of their setup folders and
// check's findings as the lines that distkit prints.
#pragma once

#include <string>
#include <vector>

#include "distkit/check.h"
#include "support/strings_fixture.h"

// The default strings with the word lists in "lists\" (PathLanguage), where
// the tests' install scripts put them.
inline testing_support::StringsFiles defaultStrings() {
  testing_support::StringsFiles strings;
  strings.overrides = {{"PathLanguage", "lists\\"}};
  return strings;
}

// Each problem as distkit prints it ("file:line: message").
inline std::vector<std::string> formatted(const std::vector<CheckProblem>& problems) {
  std::vector<std::string> out;
  for (const CheckProblem& p : problems) out.push_back(formatProblem(p));
  return out;
}

#include "distkit/build_marker.h"

#include "platform/ascii.h"

std::string markerProblem(std::u16string_view name) {
  if (!equalsIgnoringAsciiCase(name, kBuildMarkerName)) return {};
  return "is the name of distkit build's own marker file";
}

std::string distkitNameProblem(std::u16string_view name, NameUse use,
                               std::u16string_view pathLanguage) {
  std::string problem = nameProblem(name, use, pathLanguage);
  if (problem.empty() && use == NameUse::File) problem = markerProblem(name);
  return problem;
}

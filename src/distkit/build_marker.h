// distkit build's marker file, and the one name that distkit refuses on top
// of the rule for names (text/setup_names.h): a setup folder that distkit
// build makes holds the marker, and no other file may take its name.
#pragma once

#include <string>
#include <string_view>

#include "text/setup_names.h"

// The file that distkit build leaves in every folder it makes.
inline constexpr std::u16string_view kBuildMarkerName = u".distkit-build";

// Why distkit refuses `name` besides the rule: it is the marker's name.
// Empty when it is not.
std::string markerProblem(std::u16string_view name);
// The rule (nameProblem), then for a file markerProblem.
std::string distkitNameProblem(std::u16string_view name, NameUse use,
                               std::u16string_view pathLanguage = {});

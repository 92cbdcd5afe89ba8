// distkit build: a complete setup folder from a description (see
// build_description.h), checked by distkit check's rules before anything
// is put in place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "distkit/check.h"

// Reads the description, packs and stages the setup folder beside `outDir`,
// checks it and, when nothing is wrong, puts it in place as `outDir`. An
// existing `outDir` is replaced only when it is a setup folder (holds
// install.inf); anything else there is refused. Returns the problems found;
// when there are any, `outDir` is as it was.
std::vector<CheckProblem> buildDistribution(std::u16string_view description,
                                            std::u16string_view outDir);

// distkit build: a complete setup folder from a description (see
// build_description.h), checked by distkit check's rules before anything
// is put in place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "distkit/check.h"

// Reads the description, packs and stages the setup folder beside `outDir`
// (in a side folder of the run's own, ~distkit-<random>.tmp), checks it and,
// when nothing is wrong, puts it in place as `outDir`. An existing `outDir`
// is replaced only when it is empty, or made by an earlier build (its marker
// file .distkit-build) and holding only files whose bytes are still those
// the marker lists (size and SHA-256); one that holds the description or a
// source is never. Every name is checked by the rule of text/setup_names.h
// and distkit/build_marker.h before anything is written. Returns the
// problems found; when there are any, `outDir` is as it was. `notes` gets
// what did not stop the build (an old copy that could not be removed).
std::vector<CheckProblem> buildDistribution(std::u16string_view description,
                                            std::u16string_view outDir,
                                            std::vector<CheckProblem>* notes = nullptr);

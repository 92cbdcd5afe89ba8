// The one rule for the names that land in a setup folder or an
// installation, wherever they come from: distkit build's description (">"
// targets, SourceList, OutputList), its strings source (Install_TaalCf, the
// sort table's name from Locale), and for distkit check install.inf's copy
// targets and the configuration file's list names. A name that passes can be
// made on Windows as it is written and lands inside the folder it is meant
// for; two names are one file when normalizedPath (check_parts.h) makes
// them equal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class NameUse {
  File,  // a path relative to the setup folder or the install folder
  List,  // a word list's name in the configuration file, joined to PathLanguage
};

// A name, and each of its parts, of at most this many characters: a path
// buffer holds 260 with its zero, and the shortest folder is "C:\".
constexpr std::size_t kNameLimit = 255;
// The installer joins PathLanguage and a list's name in a buffer of 80
// characters, its zero included.
constexpr std::size_t kListPathLimit = 79;

// The file that distkit build leaves in every folder it makes.
inline constexpr std::u16string_view kBuildMarkerName = u".distkit-build";

// Why `name` cannot be used as `use`; empty when it can. `pathLanguage` is
// the strings key PathLanguage (for List). Refused: an empty name or part; a
// name that is not relative (a leading "\" or "/", a drive, a UNC path);
// ".." and "." parts; a device name in any case, with or without an
// extension (CON, nul.txt, COM1, ...); a part ending in a dot or a space;
// <>:"|?* and control characters; a name or part over the limits above;
// for a list, a name ending in ".$$$" (the installer's name for a list being
// written); as a file, distkit build's marker.
std::string nameProblem(std::u16string_view name, NameUse use,
                        std::u16string_view pathLanguage = {});

// `"name": problem`, for a report.
std::string refusedName(std::u16string_view name, const std::string& problem);

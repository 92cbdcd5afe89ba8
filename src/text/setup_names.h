// The one rule for the names that land in a setup folder or an
// installation, wherever they come from: install.inf's names (read once by
// script/install_script.h, for setup's install pass and for distkit check),
// distkit build's description (">" targets, SourceList, OutputList), its
// strings source (Install_TaalCf, the sort table's name from Locale), and
// the configuration file's list names. A name that passes can be made on
// Windows as it is written and lands inside the folder it is meant for.
// distkit refuses one name more on top of this rule (distkit/build_marker.h).
//
// A name passes when nameProblem gives the empty text: that is the rule's
// yes or no as well, and it costs no allocation when the name passes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class NameUse {
  File,     // a path relative to the setup folder or the install folder
  Pattern,  // a File whose last part may hold the wildcards * and ? (xcopy's pattern)
  List,     // a word list's name in the configuration file, joined to PathLanguage
};

// A name, and each of its parts, of at most this many characters: a path
// buffer holds 260 with its zero, and the shortest folder is "C:\".
constexpr std::size_t kNameLimit = 255;
// The installer joins PathLanguage and a list's name in a buffer of 80
// characters, its zero included.
constexpr std::size_t kListPathLimit = 79;

// Why `name` cannot be used as `use`; empty when it can. `pathLanguage` is
// the strings key PathLanguage (for List). Refused: an empty name or part; a
// name that is not relative (a leading "\" or "/", a drive, a UNC path);
// ".." and "." parts; a device name in any case, with or without an
// extension (CON, nul.txt, COM1, ...); a part ending in a dot or a space;
// <>:"|?* and control characters (a Pattern's last part may hold * and ?);
// a name or part over the limits above; for a list, a name ending in ".$$$"
// (the installer's name for a list being written).
std::string nameProblem(std::u16string_view name, NameUse use = NameUse::File,
                        std::u16string_view pathLanguage = {});

// `"name" problem`, for a report.
std::string refusedName(std::u16string_view name, const std::string& problem);

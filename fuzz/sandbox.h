// Shared ground of the fuzzing harnesses.
//
// Each harness process works in one private scratch folder. The POSIX
// platform layer is confined to it (a path that leads outside is refused),
// and its root folder (drive C:, the Windows folder with win.ini) lies
// inside it, so nothing an input says can reach other files.
//
// A fatal exit of the product (raiseFatal, the strings loader's box) throws
// FatalExit instead of ending the process; the harness catches it and
// carries on with the next input. Message boxes are dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

struct FatalExit {};

// The scratch folder (host path, made on first use).
const std::string& sandboxDir();
// The same as a path the product understands.
std::u16string sandboxPath(std::string_view sub = {});

// Empties the scratch folder and makes it the current directory; puts back
// the state of a fresh process: InstallState, the strings table (every key
// set to a usable default, see below), the sort table, the "C" collation.
//
// Default strings: each key's own name, except CharactersetCode 0,
// ForeignFonts 0, FilenameIni dict.ini, Install_TaalCf taal.cf,
// Install_TaalTemp taal.tmp, PathLanguage "" (lists in the current folder),
// Locale english, IniLanguage [Language], IniSelected [Selected], IniAddnew
// [Addnew].
void beginInput();

// Writes bytes to a file relative to the scratch folder (folders made).
void writeFile(std::string_view name, const void* data, std::size_t size);
inline void writeFile(std::string_view name, std::string_view text) {
  writeFile(name, text.data(), text.size());
}

// The code pages the harnesses choose from by an input byte.
uint32_t pickCodePage(unsigned selector);

}  // namespace fuzz

// The Windows shell: special folders and shell link (.lnk) files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

// The system's program-files folder (CSIDL_PROGRAM_FILES, not created).
// Writes it zero-terminated into `buffer` and returns true; returns false
// with an empty text when the system gives none or it does not fit into
// `capacity` units.
bool programFilesFolder(char16_t* buffer, std::size_t capacity);

// The Start-menu programs folder of all users of the machine
// (CSIDL_COMMON_PROGRAMS), on the same terms as programFilesFolder. Setup
// installs for the whole machine, elevated; the elevated account's own
// Start menu may belong to an administrator who is not the user.
bool commonProgramsFolder(char16_t* buffer, std::size_t capacity);

// Writes the shell link `linkPath` pointing at `target`, with `arguments`
// and `workingDir`; nothing else of the link is set. COM must have been
// initialised on the calling thread. Returns the result code of the COM call
// that decided the outcome: the creation of the link object when it failed,
// else the query for its file interface when that failed, else the save.
int32_t createShortcut(std::u16string_view target, std::u16string_view linkPath,
                       std::u16string_view workingDir, std::u16string_view arguments);

}  // namespace platform

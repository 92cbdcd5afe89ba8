// Windows paths on a POSIX host, for the native build of the portable core.
//
// The portable code builds Windows paths ("C:\Program Files\x",
// "tables\english.stb"). The POSIX layer turns them into host paths:
// backslashes become slashes, "Z:" (Wine's view of the host root) is
// dropped, and any other drive letter X lives in <root>/drive_x, where root
// is a private folder under the temporary folder. Names that the Windows
// profile calls place in the Windows folder ("win.ini") live in
// <root>/windows.
//
// A sandbox can confine every path to one host folder: a path that leads
// outside it (after resolving "." and ".." against the current directory)
// is refused, and the operation fails as if access were denied. The fuzzing
// harnesses use it so that a script cannot touch files outside their
// scratch folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::posix {

// The folder that holds the drive folders and the Windows folder. Taken from
// DSETUP_POSIX_ROOT when set, else <TMPDIR>/dsetup-posix-<uid>.
const std::string& hostRoot();
// Replaces the root (tests and harnesses). Not created here.
void setHostRoot(std::string_view hostDir);

// Confines every path to `hostDir` (an absolute host path); "" lifts it.
void confineTo(std::string_view hostDir);

// The host form of a Windows path; nullopt when the path leaves the sandbox
// or is not valid UTF-16.
std::optional<std::string> hostPath(std::u16string_view path);
// The same for a profile file name: a bare name goes to the Windows folder.
std::optional<std::string> hostProfilePath(std::u16string_view path);

// UTF-8 <-> UTF-16 (unpaired surrogates: nullopt / U+FFFD).
std::optional<std::string> utf8(std::u16string_view text);
std::u16string utf16(std::string_view text);

// Creates a host folder and its parents; true when it exists afterwards.
bool makeHostFolders(const std::string& hostDir);

}  // namespace platform::posix

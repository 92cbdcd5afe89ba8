// Names below the installation folder that may be links.
//
// Setup runs as administrator, often in a folder that a standard user can
// write to. A program of that user can plant a junction, a symbolic link or
// a mount point there (on POSIX: a symbolic link), and setup would then
// write, replace or delete wherever the link points, with the
// administrator's rights. The functions here never go through such a
// "link": they look at a name without following it and, where the system
// allows it, act through the very handle they looked at, so that a link
// swapped in between the look and the act is not followed either.
//
// Under Wine a Unix symbolic link to a folder shows as a reparse point, but
// one to a file looks like a plain file to every Win32 call: there these
// functions can spare folder links only. The POSIX layer sees both.
#pragma once

#include <cstdio>
#include <string_view>

namespace platform {

// How a guarded change of a name ended.
enum class NameChange {
  Done,
  Failed,  // as an unguarded call would have failed (missing, held, refused)
  Link,    // the name is a link: it and its target are left as they are
};

// Deletes the file `path` unless it is a link. The name is opened without
// following it (FILE_FLAG_OPEN_REPARSE_POINT), its attributes are read from
// the handle, and the file is deleted through that handle (POSIX: lstat
// through the folder opened with O_NOFOLLOW, then unlinkat in it). A folder
// of that name is not removed (Failed).
NameChange removeFileNotLink(std::u16string_view path);

}  // namespace platform

namespace platform::detail {
// The stream of OpenMode::CreateBinary/CreateText (file.h): a plain file
// left under `path` is removed with removeFileNotLink, then the file is
// created only where no name exists (CREATE_NEW; POSIX O_CREAT | O_EXCL |
// O_NOFOLLOW) and opened "wb". Null when the name is a link or a folder,
// when a leftover cannot be removed, or when the file cannot be made.
std::FILE* createNewStream(std::u16string_view path);
}  // namespace platform::detail

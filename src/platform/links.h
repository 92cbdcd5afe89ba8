// A side file made new by path, and the removal of a name that is not a
// link. The names below the installation folder are reached through the
// held folder instead (folder.h); these serve the side files of paths that
// are the user's own.
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

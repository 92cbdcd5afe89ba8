// A folder held open, and the names below it.
//
// Setup runs elevated, for every user, often in a folder that a standard
// user can write to. That user may plant a junction, a symbolic link, a
// mount point or a hard link there, rename the folder while setup runs, or
// swap a folder on the way for a link between two calls. A check on a path
// string cannot stop any of that: the next call looks the string up again.
//
// So setup holds the installation folder: one handle, opened once, shared
// for reading and writing but not for deleting, so that nobody can rename or
// remove it until the run ends. Every name below it is reached through that
// handle, one part at a time, each part opened relative to the part before
// it (Windows: NtCreateFile with OBJECT_ATTRIBUTES.RootDirectory and
// FILE_OPEN_REPARSE_POINT; POSIX: openat with O_NOFOLLOW), and a part that
// is a link ends the walk. Renames and deletions act on the handle of what
// was looked at, relative to the handle of its folder.
//
// A link is a name surrogate only: a junction, a symbolic link or a mount
// point (Windows: IsReparseTagNameSurrogate of the tag read from the
// handle; POSIX: a symbolic link). Cloud placeholders, deduplicated and
// compressed files carry reparse points too, and are files.
//
// A Folder that holds nothing stands for paths of the user's own (distkit's
// SOURCE and OUT): each name is then a path, resolved as the system
// resolves it, links followed.
//
// Names given to a held Folder must have passed the name rule
// (text/setup_names.h): relative, no "..", no drive, stream or device. A
// name that breaks it is refused here too, as a second line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"
#include "platform/links.h"

namespace platform {

// What one name below the folder is, looked at without following it.
struct NameInfo {
  PathKind kind = PathKind::Missing;  // Link for a name surrogate, at the end or on the way
  bool readOnly = false;              // FILE_ATTRIBUTE_READONLY (POSIX: no write bit for the owner)
  uint32_t links = 0;                 // the file's names (hard links); 1 for a plain file
};

// How a change of a name ended: NameChange of links.h. Done; Failed as the
// plain call would have failed (missing, held, refused); Link when a link is
// in the way, at the name or on the way to it: nothing changed.

class Folder {
 public:
  // Holds nothing: names are paths of the user's own.
  Folder() = default;
  ~Folder();
  Folder(Folder&& other) noexcept;
  Folder& operator=(Folder&& other) noexcept;
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  // A Folder that holds nothing, for callers whose paths are the user's own.
  static const Folder& userPaths();

  // Opens `path` (an existing folder; it may itself be a link, the user's
  // choice) and holds it: shared for reading and writing, not for deleting,
  // so that it cannot be renamed or removed while held. Check held().
  // Accepts the "\\server\share\..." and "\\?\C:\..." forms.
  static Folder hold(std::u16string_view path);
  bool held() const;

  // Opens a file below the folder. Held: every part on the way is opened
  // relative to the one before without following links; the last name is
  // opened without following it, and refused when it is a link or a folder.
  // OpenMode::Create* make the file new: a plain file left under the name
  // is removed first (a run cut short), a link or folder there is refused.
  // WriteBinary/WriteText on an existing file with more than one name are
  // refused: its other names would change too.
  File open(std::u16string_view name, OpenMode mode) const;

  // What `name` is. Missing also when it cannot be looked at.
  NameInfo look(std::u16string_view name) const;

  // Creates one folder level. False when the name exists, a folder on the
  // way is missing or is a link, or the system refuses.
  bool makeDirectory(std::u16string_view name) const;

  // Deletes the file `name`: never a link (Link), never a folder (Failed).
  NameChange remove(std::u16string_view name) const;

  // Renames the file `from` over `to`, replacing `to` in one step. Neither
  // may be a link or a folder, nor may a folder on the way to either. The
  // rename acts on `from`'s own handle and names `to` relative to the handle
  // of its folder: it replaces the name `to`, never what another name of the
  // same file holds. A `to` held by another program is tried again for up to
  // kReplaceRetryMilliseconds (file.h). Failed/Link leave `to` unchanged.
  NameChange replace(std::u16string_view from, std::u16string_view to) const;

  // Copies the file at `source` (a path outside the folder: the
  // distribution's, opened as the system opens it) to `name` below the
  // folder. Held: the bytes go into a new side file beside `name`, which
  // is then renamed over `name`, so a file with other names is replaced as
  // a name and never written in place. A read-only or hidden `name` with
  // one name is cleared first through its own handle; a read-only one with
  // more names is left as it is (Failed). The copy keeps the source's time
  // of last change, is writable and carries no alternate streams. On any
  // failure the side file is removed and `name` is unchanged.
  NameChange copyIn(std::u16string_view source, std::u16string_view name) const;

  // The held folder's path as given to hold() ("" when nothing is held).
  const std::u16string& path() const { return path_; }

 private:
  void release();
  std::u16string path_;
  intptr_t handle_ = -1;  // Windows: HANDLE; POSIX: a descriptor
};

// True for a reparse tag that stands for another name: a junction (mount
// point), a symbolic link, or any other tag with the name-surrogate bit
// (IsReparseTagNameSurrogate). A tag of 0, which Wine reports for a Unix
// link, counts as one too: no file Windows makes has a reparse point
// without a tag.
bool isLinkTag(uint32_t tag);

}  // namespace platform

// How Folder is built: folder.cpp (portable) holds the Folder itself, does
// everything of a Folder that holds nothing with the path functions of
// file.h, and refuses a name that breaks the name rule or that
// faults::reportsLink takes for a link (the name joined to the held path,
// and each folder on the way). Holding nothing, open is File::open, look
// is pathKind with isReadOnly (links: 1 for a file, else 0), makeDirectory
// is createDirectory, and remove, replace and copyIn are removeFile,
// replaceFile and copyFile, Done or Failed. What is left, the work on a
// held folder's handle, is each system's own: the functions below, in
// win32/folder_win32.cpp and posix/folder_posix.cpp. They get the handle
// that holdFolder gave and the name's parts as nameParts made them.
namespace platform::detail {

// The parts of a name below a held folder, split at backslashes and
// slashes. False when the name is refused: empty, absolute (a leading
// separator), with an empty part ("a//b", "a/"), a "." or ".." part, or a
// ':' (a drive or a stream) or a zero unit anywhere.
using NameParts = std::vector<std::u16string_view>;
bool nameParts(std::u16string_view name, NameParts& parts);

// Opens `path` as Folder::hold does; -1 when it cannot be held.
intptr_t holdFolder(std::u16string_view path);
// Lets go of a handle of holdFolder.
void releaseFolder(intptr_t folder);

// The held side of Folder's calls of the same names, with their contracts.
// `parts` is never empty.
File heldOpen(intptr_t folder, const NameParts& parts, OpenMode mode);
NameInfo heldLook(intptr_t folder, const NameParts& parts);
bool heldMakeDirectory(intptr_t folder, const NameParts& parts);
NameChange heldRemove(intptr_t folder, const NameParts& parts);
NameChange heldReplace(intptr_t folder, const NameParts& from, const NameParts& to);
NameChange heldCopyIn(intptr_t folder, std::u16string_view source, const NameParts& parts);

}  // namespace platform::detail

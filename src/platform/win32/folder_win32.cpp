// The held folder on Windows: each name below it is opened with the native
// calls, relative to the handle of the folder part before it, and looked at
// through the handle it was opened as (FILE_OPEN_REPARSE_POINT opens a
// junction or symbolic link as itself, never what it points to).
//
// Under Wine a Unix link to a folder, opened by handle, shows as a plain
// folder; it shows as a reparse point only where its name is listed in the
// folder above it. So every part is also looked up by name in its folder
// (NtQueryDirectoryFile with the part as the pattern, on a fresh handle of
// that folder: Windows keeps the first pattern a handle was listed with).
#include <windows.h>
#include <winternl.h>
#include <fcntl.h>
#include <io.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/faults.h"
#include "platform/folder.h"
#include "platform/win32/held.h"
#include "platform/win32/syscalls.h"
#include "platform/win32/wide.h"

using platform::sys::os;

namespace platform {
namespace {

// The native information records this file uses (their layout is fixed by
// the system; winternl.h declares few of them).
enum InfoClass : int {
  kFullDirectory = 2,
  kBasic = 4,
  kStandard = 5,
  kInternal = 6,
  kRename = 10,
  kDisposition = 13,
  kEndOfFile = 20,
  kAttributeTag = 35,
};
struct FullDirInfo {
  ULONG NextEntryOffset;
  ULONG FileIndex;
  LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime, EndOfFile,
      AllocationSize;
  ULONG FileAttributes;
  ULONG FileNameLength;
  ULONG EaSize;  // the reparse tag, for a reparse point
  WCHAR FileName[1];
};
struct BasicInfo {
  LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime;
  ULONG FileAttributes;
};
struct StandardInfo {
  LARGE_INTEGER AllocationSize, EndOfFile;
  ULONG NumberOfLinks;
  BOOLEAN DeletePending, Directory;
};
struct TagInfo {
  ULONG FileAttributes;
  ULONG ReparseTag;
};
struct RenameInfo {
  BOOLEAN ReplaceIfExists;
  HANDLE RootDirectory;
  ULONG FileNameLength;
  WCHAR FileName[1];
};

constexpr NTSTATUS kObjectNameCollision = static_cast<NTSTATUS>(0xC0000035);

FILE_INFORMATION_CLASS infoClass(InfoClass c) { return static_cast<FILE_INFORMATION_CLASS>(c); }

// A native handle, closed when it goes away; a borrowed one (the held
// folder's own) is not.
class NtHandle {
 public:
  NtHandle() = default;
  static NtHandle borrow(HANDLE h) {
    NtHandle b;
    b.h_ = h;
    b.owned_ = false;
    return b;
  }
  ~NtHandle() { reset(); }
  NtHandle(NtHandle&& o) noexcept : h_(o.h_), owned_(o.owned_) { o.h_ = nullptr; }
  NtHandle& operator=(NtHandle&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = o.h_;
      owned_ = o.owned_;
      o.h_ = nullptr;
    }
    return *this;
  }
  NtHandle(const NtHandle&) = delete;
  NtHandle& operator=(const NtHandle&) = delete;
  HANDLE get() const { return h_; }
  HANDLE* out() {
    reset();
    owned_ = true;
    return &h_;
  }
  HANDLE release() {
    HANDLE h = h_;
    h_ = nullptr;
    return h;
  }
  explicit operator bool() const { return h_ != nullptr; }
  void reset() {
    if (h_ && owned_) CloseHandle(h_);
    h_ = nullptr;
  }

 private:
  HANDLE h_ = nullptr;
  bool owned_ = true;
};

// Leaves the Win32 error that `status` stands for, as a Win32 call would.
bool succeeded(NTSTATUS status) {
  if (status >= 0) return true;
  SetLastError(RtlNtStatusToDosError(status));
  return false;
}

constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ACCESS_MASK kFolderAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// Opens `part` (one name, no separator; "" is the folder itself) relative
// to `folder`, as itself when it is a reparse point (unless `asItself` is
// false: then a reparse point's filter serves it).
NTSTATUS openRelative(HANDLE folder, std::wstring_view part, ACCESS_MASK access, ULONG share,
                      ULONG disposition, ULONG options, NtHandle& out, bool asItself = true) {
  UNICODE_STRING name;
  name.Buffer = const_cast<PWSTR>(part.data());
  name.Length = name.MaximumLength = static_cast<USHORT>(part.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io;
  return os.NtCreateFile(out.out(), access | SYNCHRONIZE, &attributes, &io, nullptr,
                         FILE_ATTRIBUTE_NORMAL, share, disposition,
                         options | FILE_SYNCHRONOUS_IO_NONALERT |
                             (asItself ? FILE_OPEN_REPARSE_POINT : 0),
                         nullptr, 0);
}

template <typename Info>
bool query(HANDLE h, Info& info, InfoClass c) {
  IO_STATUS_BLOCK io;
  return succeeded(NtQueryInformationFile(h, &io, &info, sizeof info, infoClass(c)));
}

template <typename Info>
bool set(HANDLE h, Info& info, ULONG size, InfoClass c) {
  IO_STATUS_BLOCK io;
  return succeeded(os.NtSetInformationFile(h, &io, &info, size, infoClass(c)));
}

bool isLinkAttributes(ULONG attributes, ULONG tag) {
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) && isLinkTag(tag);
}

// What the handle has open is a link.
bool handleIsLink(HANDLE h) {
  TagInfo tag{};
  return query(h, tag, kAttributeTag) && isLinkAttributes(tag.FileAttributes, tag.ReparseTag);
}

// How `part` is listed in `folder`: Missing, Link, or Present. The folder
// is opened anew for the listing (see the top of this file).
enum class Listed { Missing, Link, Present };
Listed listedAs(HANDLE folder, std::wstring_view part) {
  NtHandle listing;
  if (!succeeded(openRelative(folder, L"", FILE_LIST_DIRECTORY, kShareAll, FILE_OPEN,
                              FILE_DIRECTORY_FILE, listing))) {
    return Listed::Present;  // the handle's own look decides
  }
  alignas(8) unsigned char buffer[sizeof(FullDirInfo) + 2 * MAX_PATH * sizeof(wchar_t)];
  UNICODE_STRING pattern;
  pattern.Buffer = const_cast<PWSTR>(part.data());
  pattern.Length = pattern.MaximumLength = static_cast<USHORT>(part.size() * sizeof(wchar_t));
  IO_STATUS_BLOCK io;
  NTSTATUS status = os.NtQueryDirectoryFile(listing.get(), nullptr, nullptr, nullptr, &io, buffer,
                                            sizeof buffer, infoClass(kFullDirectory), TRUE,
                                            &pattern, TRUE);
  if (status < 0 || status == static_cast<NTSTATUS>(0x80000006)) return Listed::Missing;
  const auto* entry = reinterpret_cast<const FullDirInfo*>(buffer);
  return isLinkAttributes(entry->FileAttributes, entry->EaSize) ? Listed::Link : Listed::Present;
}

// The way to a name: its folder, opened part by part without following a
// link, and its last part.
struct Way {
  NameChange result = NameChange::Failed;  // Done when the folder is open
  NtHandle folder;
  std::wstring last;
};

Way walk(HANDLE root, const detail::NameParts& name) {
  Way way;
  way.folder = NtHandle::borrow(root);
  for (std::size_t i = 0; i + 1 < name.size(); ++i) {
    const std::wstring part = win32::wide(name[i]);
    NtHandle next;
    NTSTATUS status = openRelative(way.folder.get(), part, kFolderAccess,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN, 0, next);
    if (!succeeded(status)) return way;
    Listed listed = listedAs(way.folder.get(), part);
    if (handleIsLink(next.get()) || listed == Listed::Link) {
      way.result = NameChange::Link;
      return way;
    }
    BasicInfo basic{};
    if (!query(next.get(), basic, kBasic) || !(basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return way;
    }
    way.folder = std::move(next);
  }
  way.last = win32::wide(name.back());
  way.result = NameChange::Done;
  return way;
}

// The last name of a way, looked at.
struct Look {
  NameInfo info;
  ULONG attributes = 0;
};
Look lookAt(const Way& way) {
  Look look;
  NtHandle h;
  if (!succeeded(openRelative(way.folder.get(), way.last, FILE_READ_ATTRIBUTES, kShareAll,
                              FILE_OPEN, 0, h))) {
    return look;  // Missing, or not to be looked at
  }
  TagInfo tag{};
  StandardInfo standard{};
  if (!query(h.get(), tag, kAttributeTag) || !query(h.get(), standard, kStandard)) return look;
  look.attributes = tag.FileAttributes;
  // Only a folder can be a link that its handle does not show (Wine).
  if (isLinkAttributes(tag.FileAttributes, tag.ReparseTag) ||
      (standard.Directory && listedAs(way.folder.get(), way.last) == Listed::Link)) {
    look.info.kind = PathKind::Link;
  } else {
    look.info.kind = standard.Directory ? PathKind::Directory : PathKind::File;
  }
  look.info.readOnly = (tag.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  look.info.links = standard.NumberOfLinks;
  return look;
}

// Opens the file at the end of `way` for `access`, refusing a link or a
// folder. A reparse point that is not a link (a cloud placeholder, a
// deduplicated file) is opened once more the ordinary way, so that its
// filter serves the data, and kept only when it is still the same file.
NameChange openFileAt(const Way& way, ACCESS_MASK access, ULONG share, ULONG disposition,
                      NtHandle& out) {
  NTSTATUS status = openRelative(way.folder.get(), way.last, access | FILE_READ_ATTRIBUTES, share,
                                 disposition, FILE_NON_DIRECTORY_FILE, out);
  if (!succeeded(status)) return NameChange::Failed;
  TagInfo tag{};
  if (!query(out.get(), tag, kAttributeTag)) return NameChange::Failed;
  // Opened as a file (FILE_NON_DIRECTORY_FILE): a link to a folder, which
  // Wine shows only in a listing, cannot have been opened.
  if (isLinkAttributes(tag.FileAttributes, tag.ReparseTag)) {
    out.reset();
    return NameChange::Link;
  }
  if (!(tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return NameChange::Done;
  LARGE_INTEGER first{}, second{};
  if (!query(out.get(), first, kInternal)) return NameChange::Failed;
  NtHandle served;
  if (!succeeded(openRelative(way.folder.get(), way.last, access | FILE_READ_ATTRIBUTES, share,
                              FILE_OPEN, FILE_NON_DIRECTORY_FILE, served, false)) ||
      !query(served.get(), second, kInternal) || first.QuadPart != second.QuadPart) {
    return NameChange::Failed;
  }
  out = std::move(served);
  return NameChange::Done;
}

// The C stream of an open handle, for a File.
std::FILE* streamOf(NtHandle& h, bool write) {
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h.get()),
                           (write ? _O_WRONLY : _O_RDONLY) | _O_BINARY);
  if (fd < 0) return nullptr;
  h.release();
  std::FILE* stream = _fdopen(fd, write ? "wb" : "rb");
  if (!stream) _close(fd);
  return stream;
}

// Deletes what `h` has open (opened with DELETE).
bool deleteOpen(HANDLE h) {
  BOOLEAN yes = TRUE;
  return set(h, yes, sizeof yes, kDisposition);
}

// Removes the plain file at the end of `way`.
NameChange removeAt(const Way& way) {
  NtHandle h;
  NameChange opened = openFileAt(way, DELETE, kShareAll, FILE_OPEN, h);
  if (opened != NameChange::Done) return opened;
  return deleteOpen(h.get()) ? NameChange::Done : NameChange::Failed;
}

// Renames what `h` has open to the last name of `to`, replacing it.
bool renameOpen(HANDLE h, const Way& to) {
  std::vector<unsigned char> block(sizeof(RenameInfo) + to.last.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<RenameInfo*>(block.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = to.folder.get();
  rename->FileNameLength = static_cast<ULONG>(to.last.size() * sizeof(wchar_t));
  std::memcpy(rename->FileName, to.last.data(), to.last.size() * sizeof(wchar_t));
  return win32::retryWhileHeld(
      [&] { return set(h, *rename, static_cast<ULONG>(block.size()), kRename); });
}

// The target of a replacement may be missing, or a plain file or one with
// other names (its name is replaced, the other names keep the old bytes).
NameChange targetAllows(const Way& to) {
  Look look = lookAt(to);
  if (look.info.kind == PathKind::Link) return NameChange::Link;
  if (look.info.kind == PathKind::Directory) return NameChange::Failed;
  return NameChange::Done;
}

}  // namespace

namespace detail {

intptr_t holdFolder(std::u16string_view path) {
  HANDLE h = CreateFileW(win32::wide(path).c_str(), kFolderAccess,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    CloseHandle(h);
    return -1;
  }
  return reinterpret_cast<intptr_t>(h);
}

void releaseFolder(intptr_t handle) { CloseHandle(reinterpret_cast<HANDLE>(handle)); }

File heldOpen(intptr_t root, const NameParts& name, OpenMode mode) {
  Way way = walk(reinterpret_cast<HANDLE>(root), name);
  if (way.result != NameChange::Done) return {};
  bool write = mode != OpenMode::ReadBinary && mode != OpenMode::ReadText;
  NtHandle h;
  if (!write) {
    if (openFileAt(way, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN, h) !=
        NameChange::Done) {
      return {};
    }
    return adoptStream(streamOf(h, false), mode);
  }
  Look look = lookAt(way);
  if (look.info.kind == PathKind::Link || look.info.kind == PathKind::Directory) return {};
  bool create = mode == OpenMode::CreateBinary || mode == OpenMode::CreateText;
  if (create) {
    // A leftover of a run cut short goes; a name the program did not make
    // (a link, a folder) stays, and the open fails.
    if (look.info.kind == PathKind::File && removeAt(way) != NameChange::Done) return {};
    if (!succeeded(openRelative(way.folder.get(), way.last, GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE,
                                FILE_NON_DIRECTORY_FILE, h))) {
      return {};
    }
    return adoptStream(streamOf(h, true), mode);
  }
  if (look.info.links > 1) return {};
  if (openFileAt(way, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN_IF, h) !=
      NameChange::Done) {
    return {};
  }
  // Looked at through the handle now held: a file that got another name
  // meanwhile is not truncated.
  StandardInfo standard{};
  if (!query(h.get(), standard, kStandard) || standard.NumberOfLinks > 1) return {};
  LARGE_INTEGER zero{};
  if (!set(h.get(), zero, sizeof zero, kEndOfFile)) return {};
  return adoptStream(streamOf(h, true), mode);
}

NameInfo heldLook(intptr_t root, const NameParts& name) {
  Way way = walk(reinterpret_cast<HANDLE>(root), name);
  if (way.result == NameChange::Link) return {PathKind::Link, false, 0};
  if (way.result != NameChange::Done) return {};
  return lookAt(way).info;
}

bool heldMakeDirectory(intptr_t root, const NameParts& name) {
  Way way = walk(reinterpret_cast<HANDLE>(root), name);
  if (way.result != NameChange::Done) return false;
  NtHandle h;
  return succeeded(openRelative(way.folder.get(), way.last, FILE_LIST_DIRECTORY, kShareAll,
                                FILE_CREATE, FILE_DIRECTORY_FILE, h));
}

NameChange heldRemove(intptr_t root, const NameParts& name) {
  Way way = walk(reinterpret_cast<HANDLE>(root), name);
  if (way.result != NameChange::Done) return way.result;
  return removeAt(way);
}

NameChange heldReplace(intptr_t root, const NameParts& from, const NameParts& to) {
  Way source = walk(reinterpret_cast<HANDLE>(root), from);
  if (source.result != NameChange::Done) return source.result;
  Way target = walk(reinterpret_cast<HANDLE>(root), to);
  if (target.result != NameChange::Done) return target.result;
  NtHandle h;
  NameChange opened = openFileAt(source, DELETE | SYNCHRONIZE, kShareAll, FILE_OPEN, h);
  if (opened != NameChange::Done) return opened;
  NameChange allowed = targetAllows(target);
  if (allowed != NameChange::Done) return allowed;
  return renameOpen(h.get(), target) ? NameChange::Done : NameChange::Failed;
}

NameChange heldCopyIn(intptr_t root, std::u16string_view source, const NameParts& name) {
  Way way = walk(reinterpret_cast<HANDLE>(root), name);
  if (way.result != NameChange::Done) return way.result;
  Look look = lookAt(way);
  if (look.info.kind == PathKind::Link) return NameChange::Link;
  if (look.info.kind == PathKind::Directory) return NameChange::Failed;
  bool clear = look.info.kind == PathKind::File &&
               (look.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  // A read-only file with other names stays as its owner marked it.
  if (clear && look.info.links > 1 && look.info.readOnly) return NameChange::Failed;

  HANDLE in = CreateFileW(win32::wide(source).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in == INVALID_HANDLE_VALUE) return NameChange::Failed;
  NtHandle ownedInput;
  *ownedInput.out() = in;
  BasicInfo times{};
  if (!query(ownedInput.get(), times, kBasic)) return NameChange::Failed;

  // The side file: a free name beside the destination, made new.
  NtHandle side;
  for (int n = 1; n < 100 && !side; ++n) {
    NTSTATUS status = openRelative(way.folder.get(), way.last + L".~" + std::to_wstring(n),
                                   GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ, FILE_CREATE, FILE_NON_DIRECTORY_FILE, side);
    if (status != kObjectNameCollision && !succeeded(status)) return NameChange::Failed;
    if (status < 0) side.reset();
  }
  if (!side) return NameChange::Failed;

  std::FILE* inStream = streamOf(ownedInput, false);
  File from = adoptStream(inStream, OpenMode::ReadBinary);
  bool copied = from.isOpen();
  // The side file is written through a duplicate of its handle; the
  // original stays open for the rename.
  HANDLE writeHandle = nullptr;
  if (copied && !DuplicateHandle(GetCurrentProcess(), side.get(), GetCurrentProcess(),
                                 &writeHandle, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    copied = false;
  }
  if (copied) {
    NtHandle w;
    *w.out() = writeHandle;
    File to = adoptStream(streamOf(w, true), OpenMode::WriteBinary);
    std::vector<char> buffer(64 * 1024);
    copied = to.isOpen();
    while (copied) {
      std::size_t n = from.read(buffer.data(), buffer.size());
      if (n == 0) {
        copied = !from.failed();
        break;
      }
      copied = to.write(buffer.data(), n) == n;
    }
    copied = to.close() && copied;
  }
  if (copied) {
    BasicInfo stamp{};
    stamp.LastWriteTime = times.LastWriteTime;
    set(side.get(), stamp, sizeof stamp, kBasic);
  }
  if (copied && clear) {
    NtHandle old;
    copied = openFileAt(way, FILE_WRITE_ATTRIBUTES, kShareAll, FILE_OPEN, old) ==
             NameChange::Done;
    // No attribute left is written as FILE_ATTRIBUTE_NORMAL (0 would mean
    // "leave them as they are").
    BasicInfo cleared{};
    cleared.FileAttributes = look.attributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                 FILE_ATTRIBUTE_REPARSE_POINT);
    if (cleared.FileAttributes == 0) cleared.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    copied = copied && set(old.get(), cleared, sizeof cleared, kBasic);
  }
  if (copied && targetAllows(way) == NameChange::Done && renameOpen(side.get(), way)) {
    return NameChange::Done;
  }
  deleteOpen(side.get());
  return NameChange::Failed;
}

}  // namespace detail

}  // namespace platform

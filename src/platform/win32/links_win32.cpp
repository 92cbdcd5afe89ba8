// Link checks over the Windows file system: names are opened with
// FILE_FLAG_OPEN_REPARSE_POINT, so that a junction, symbolic link or mount
// point is opened as itself, and changed through the handle that was looked
// at.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/faults.h"
#include "platform/file.h"
#include "platform/links.h"
#include "platform/win32/held.h"
#include "platform/win32/syscalls.h"
#include "platform/win32/wide.h"

using platform::sys::os;
using platform::win32::wide;

namespace platform {

namespace {

// One handle, closed when it goes away.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (valid()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

// Opens the name itself, a link as the link, a folder too.
HANDLE openName(const std::wstring& path, DWORD access) {
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING,
                     FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The attributes of what the handle has open.
DWORD handleAttributes(HANDLE h) {
  FILE_ATTRIBUTE_TAG_INFO tag;
  if (GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag)) {
    return tag.FileAttributes;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(h, &info)) return info.dwFileAttributes;
  return INVALID_FILE_ATTRIBUTES;
}

// What the handle has open, as a name to change: Done for a plain file.
NameChange plainFile(HANDLE h) {
  DWORD attributes = handleAttributes(h);
  if (attributes == INVALID_FILE_ATTRIBUTES) return NameChange::Failed;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return NameChange::Link;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return NameChange::Failed;
  return NameChange::Done;
}

}  // namespace

namespace detail {


std::FILE* createNewStream(std::u16string_view path) {
  if (faults::reportsLink(path)) return nullptr;
  if (removeFileNotLink(path) == NameChange::Link) return nullptr;
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    return nullptr;
  }
  std::FILE* stream = _fdopen(fd, "wb");
  if (!stream) _close(fd);
  return stream;
}

}  // namespace detail

NameChange removeFileNotLink(std::u16string_view path) {
  if (faults::reportsLink(path)) return NameChange::Link;
  Handle h(openName(wide(path), DELETE | FILE_READ_ATTRIBUTES));
  if (!h.valid()) return NameChange::Failed;
  NameChange kind = plainFile(h.get());
  if (kind != NameChange::Done) return kind;
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return os.SetFileInformationByHandle(h.get(), FileDispositionInfo, &disposition,
                                    sizeof disposition)
             ? NameChange::Done
             : NameChange::Failed;
}

}  // namespace platform

#include <windows.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/win32/held.h"
#include "platform/win32/syscalls.h"
#include "platform/win32/wide.h"

using platform::sys::os;
using platform::win32::wide;

namespace platform {

namespace detail {
std::FILE* openStream(std::u16string_view path, const char* mode) {
  std::wstring m(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(wide(path).c_str(), m.c_str());
}

bool commitStream(std::FILE* stream) { return os._commit(_fileno(stream)) == 0; }
}  // namespace detail

bool removeFile(std::u16string_view path) { return DeleteFileW(wide(path).c_str()) != 0; }

bool replaceFile(std::u16string_view from, std::u16string_view to) {
  std::wstring source = wide(from), target = wide(to);
  return win32::retryWhileHeld([&] {
    return os.MoveFileExW(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  });
}

bool renameFile(std::u16string_view from, std::u16string_view to) {
  return os.MoveFileW(wide(from).c_str(), wide(to).c_str()) != 0;
}

namespace {
// Clears FILE_ATTRIBUTE_READONLY of an existing file; returns the attributes
// it had, or INVALID_FILE_ATTRIBUTES when there was nothing to clear.
DWORD clearReadOnly(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      !(attributes & FILE_ATTRIBUTE_READONLY)) {
    return INVALID_FILE_ATTRIBUTES;
  }
  return SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)
             ? attributes
             : INVALID_FILE_ATTRIBUTES;
}
}  // namespace

bool copyFile(std::u16string_view from, std::u16string_view to) {
  std::wstring target = wide(to);
  DWORD before = clearReadOnly(target);
  if (!os.CopyFileW(wide(from).c_str(), target.c_str(), FALSE)) {
    if (before != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target.c_str(), before);
    return false;
  }
  // CopyFileW copies the source's attributes and its streams along.
  clearReadOnly(target);
  DeleteFileW((target + L":Zone.Identifier").c_str());
  return true;
}

bool createDirectory(std::u16string_view path) {
  return os.CreateDirectoryW(wide(path).c_str(), nullptr) != 0;
}

bool removeDirectory(std::u16string_view path) {
  return RemoveDirectoryW(wide(path).c_str()) != 0;
}

std::u16string followedPath(std::u16string_view path) {
  std::wstring name = wide(path);
  DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return std::u16string(path);
  }
  HANDLE h = CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::u16string(path);
  std::vector<wchar_t> final(32768);
  DWORD n = GetFinalPathNameByHandleW(h, final.data(), static_cast<DWORD>(final.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(h);
  if (n == 0 || n >= final.size()) return std::u16string(path);
  std::u16string followed(final.begin(), final.begin() + n);
  // "\\?\C:\x" is "C:\x"; "\\?\UNC\server\share" is "\\server\share".
  if (followed.rfind(u"\\\\?\\UNC\\", 0) == 0) return u"\\" + followed.substr(7);
  if (followed.rfind(u"\\\\?\\", 0) == 0) return followed.substr(4);
  return followed;
}

bool pathExists(std::u16string_view path) {
  return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isReadOnly(std::u16string_view path) {
  DWORD attributes = GetFileAttributesW(wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::size_t currentDirectory(char16_t* buffer, std::size_t capacity) {
  if (capacity == 0) return 0;
  DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(capacity), reinterpret_cast<wchar_t*>(buffer));
  if (n == 0 || n >= capacity) {
    buffer[0] = 0;
    return 0;
  }
  return n;
}

bool setCurrentDirectory(std::u16string_view path) {
  return SetCurrentDirectoryW(wide(path).c_str()) != 0;
}

PathKind pathKind(std::u16string_view path) {
  DWORD attributes = GetFileAttributesW(wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::Link;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Directory : PathKind::File;
}

namespace {
struct FindHandle {
  HANDLE h;
  ~FindHandle() {
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
  }
};

struct Entry {
  std::wstring name;
  DWORD attributes;
};

// The entries of `dir` with their attributes as the directory lists them
// (a link's own attributes, never its target's).
bool entries(const std::wstring& dir, std::vector<Entry>& out) {
  WIN32_FIND_DATAW data;
  FindHandle find{FindFirstFileW((dir + L"\\*").c_str(), &data)};
  if (find.h == INVALID_HANDLE_VALUE) {
    // A drive root lists no "." and "..": there an empty folder gives "no
    // file found". Every other failure means it cannot be listed.
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    DWORD attributes = GetFileAttributesW(dir.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") out.push_back({name, data.dwFileAttributes});
  } while (FindNextFileW(find.h, &data));
  return GetLastError() == ERROR_NO_MORE_FILES;
}

bool removeEntry(const std::wstring& path, DWORD attributes) {
  bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)  // the link itself, never its target
    return folder ? RemoveDirectoryW(path.c_str()) != 0 : DeleteFileW(path.c_str()) != 0;
  if (!folder) return DeleteFileW(path.c_str()) != 0;
  std::vector<Entry> inside;
  bool ok = entries(path, inside);
  for (const Entry& e : inside) ok = removeEntry(path + L"\\" + e.name, e.attributes) && ok;
  return ok && RemoveDirectoryW(path.c_str()) != 0;
}
}  // namespace

bool listDirectory(std::u16string_view dir, std::vector<std::u16string>& names) {
  std::vector<Entry> found;
  if (!entries(wide(dir), found)) return false;
  for (const Entry& e : found) names.emplace_back(e.name.begin(), e.name.end());
  return true;
}

bool removeTree(std::u16string_view path) {
  std::wstring p = wide(path);
  DWORD attributes = GetFileAttributesW(p.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && removeEntry(p, attributes);
}

bool createNewFile(std::u16string_view path) {
  HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

FileSearch::~FileSearch() { close(); }

void FileSearch::close() {
  if (handle_) FindClose(handle_);
  handle_ = nullptr;
}

namespace {
void take(const WIN32_FIND_DATAW& data, char16_t (&name)[260], uint32_t& attributes) {
  int i = 0;
  for (; i < 259 && data.cFileName[i]; ++i) name[i] = static_cast<char16_t>(data.cFileName[i]);
  name[i] = 0;
  attributes = data.dwFileAttributes;
}
}  // namespace

bool FileSearch::first(std::u16string_view pattern) {
  close();
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(wide(pattern).c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  handle_ = h;
  take(data, name_, attributes_);
  return true;
}

bool FileSearch::next() {
  if (!handle_) return false;
  WIN32_FIND_DATAW data;
  if (!FindNextFileW(handle_, &data)) return false;
  take(data, name_, attributes_);
  return true;
}

}  // namespace platform

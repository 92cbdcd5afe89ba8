#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "platform/shell.h"
#include "platform/win32/wide.h"

using platform::win32::wide;

namespace platform {
namespace {

// Holds one COM interface pointer and releases it when it goes away.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  T* operator->() const { return p_; }
  T* get() const { return p_; }
  void** out() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

// An item identifier list from the shell, freed with CoTaskMemFree.
class ItemList {
 public:
  ItemList() = default;
  ~ItemList() { CoTaskMemFree(p_); }
  ItemList(const ItemList&) = delete;
  ItemList& operator=(const ItemList&) = delete;

  PIDLIST_ABSOLUTE get() const { return p_; }
  PIDLIST_ABSOLUTE* out() { return &p_; }

 private:
  PIDLIST_ABSOLUTE p_ = nullptr;
};

// Copies a zero-terminated MAX_PATH result into the caller's buffer.
bool copyOut(const wchar_t* path, char16_t* buffer, std::size_t capacity) {
  if (capacity == 0) return false;
  std::size_t n = 0;
  while (path[n] != 0) ++n;
  if (n == 0 || n >= capacity) {
    buffer[0] = 0;
    return false;
  }
  for (std::size_t i = 0; i <= n; ++i) buffer[i] = static_cast<char16_t>(path[i]);
  return true;
}

}  // namespace

bool programFilesFolder(char16_t* buffer, std::size_t capacity) {
  wchar_t path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAM_FILES, FALSE)) {
    if (capacity > 0) buffer[0] = 0;
    return false;
  }
  return copyOut(path, buffer, capacity);
}

bool commonProgramsFolder(char16_t* buffer, std::size_t capacity) {
  if (capacity > 0) buffer[0] = 0;
  ItemList items;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_COMMON_PROGRAMS, items.out()))) return false;
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(items.get(), path)) return false;
  return copyOut(path, buffer, capacity);
}

int32_t createShortcut(std::u16string_view target, std::u16string_view linkPath,
                       std::u16string_view workingDir, std::u16string_view arguments) {
  ComRef<IShellLinkW> link;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IShellLinkW, link.out());
  if (FAILED(result)) return static_cast<int32_t>(result);
  link->SetPath(wide(target).c_str());
  link->SetArguments(wide(arguments).c_str());
  link->SetWorkingDirectory(wide(workingDir).c_str());
  ComRef<IPersistFile> file;
  result = link->QueryInterface(IID_IPersistFile, file.out());
  if (FAILED(result)) return static_cast<int32_t>(result);
  return static_cast<int32_t>(file->Save(wide(linkPath).c_str(), TRUE));
}

}  // namespace platform

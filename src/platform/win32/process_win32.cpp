#include "platform/process.h"

#include <windows.h>

#include <vector>

namespace platform {

LibrarySearch restrictLibrarySearch() {
  // Looked up at run time: Windows 7 has it only with KB2533623.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                 GetProcAddress(kernel, "SetDefaultDllDirectories")))
                           : nullptr;
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return LibrarySearch::SystemFolderOnly;
  if (SetDllDirectoryW(L"")) return LibrarySearch::CurrentFolderOut;
  return LibrarySearch::Unchanged;
}

void failCriticalErrorsSilently() {
  SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS);
}

std::size_t programFolder(char16_t* buffer, std::size_t capacity) {
  if (capacity == 0) return 0;
  buffer[0] = 0;
  std::vector<wchar_t> path(32768);
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return 0;
  std::size_t cut = n;
  while (cut > 0 && path[cut - 1] != L'\\' && path[cut - 1] != L'/') --cut;
  if (cut == 0) return 0;
  // "D:\setup.exe" lies in "D:\"; "D:\dist\setup.exe" in "D:\dist".
  std::size_t length = cut >= 2 && path[cut - 2] == L':' ? cut : cut - 1;
  if (length + 1 > capacity) return 0;
  for (std::size_t i = 0; i < length; ++i) buffer[i] = static_cast<char16_t>(path[i]);
  buffer[length] = 0;
  return length;
}

}  // namespace platform

#include "platform/process.h"

#include <windows.h>

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

}  // namespace platform

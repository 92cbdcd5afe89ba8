// A DLL that someone placed beside setup.exe: it only leaves a mark
// ("planted-loaded.txt" in its own folder) when a process loads it.
#include <windows.h>

#include <cwchar>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
  wchar_t* slash = n && n < MAX_PATH ? std::wcsrchr(path, L'\\') : nullptr;
  static const wchar_t kMark[] = L"planted-loaded.txt";
  if (!slash || (slash - path) + 1 + sizeof kMark / sizeof kMark[0] > MAX_PATH) return TRUE;
  std::wcscpy(slash + 1, kMark);
  HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
  return TRUE;
}

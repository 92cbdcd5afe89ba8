// Folder links planted by tests that run under Wine. Wine shows a Unix
// symbolic link to a folder as a reparse point; Wine 8's
// CreateSymbolicLinkW answers TRUE but makes no link, so the tests run
// /bin/ln (and /bin/rm to take one away: Windows' calls cannot remove a
// Unix link under Wine). Wine starts a Unix program from its Z: path.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>

namespace testing_support {

// The Unix path of a Windows path (Wine's own kernel32 export); "" when
// there is none.
inline std::string unixPath(const std::wstring& path) {
  using Convert = char*(__cdecl*)(const wchar_t*);
  auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* text = convert ? convert(path.c_str()) : nullptr;
  std::string out = text ? text : "";
  if (text) HeapFree(GetProcessHeap(), 0, text);
  return out;
}

inline bool isFolderLink(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Runs a Unix program with arguments (each Windows path given as its Unix
// path; "-s" as it is) and waits up to 10 s until `done` holds: the handle
// Wine gives for a Unix process cannot be waited for.
inline bool runUnix(const wchar_t* program, std::initializer_list<std::wstring> arguments,
                    const std::function<bool()>& done) {
  std::wstring line = program;
  for (const std::wstring& argument : arguments) {
    std::string unix = argument == L"-s" ? "-s" : unixPath(argument);
    if (unix.empty()) return false;
    line += L" \"" + std::wstring(unix.begin(), unix.end()) + L"\"";
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessW(program, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int i = 0; i < 500; ++i, Sleep(20)) {
    if (done()) return true;
  }
  return false;
}

// `at` becomes a Unix link to the folder `target`.
inline bool plantFolderLink(const std::wstring& at, const std::wstring& target) {
  return runUnix(L"Z:\\bin\\ln", {L"-s", target, at}, [&] { return isFolderLink(at); });
}

// Takes the link `at` away, never what it points to.
inline bool removeFolderLink(const std::wstring& at) {
  return runUnix(L"Z:\\bin\\rm", {at},
                 [&] { return GetFileAttributesW(at.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

}  // namespace testing_support

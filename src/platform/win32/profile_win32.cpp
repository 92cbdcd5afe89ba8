#include <windows.h>

#include "platform/folder.h"
#include "platform/profile.h"
#include "platform/win32/wide.h"

using platform::win32::wide;

namespace platform {

int profileInt(std::u16string_view section, std::u16string_view key, int fallback,
               std::u16string_view file) {
  return static_cast<int>(GetPrivateProfileIntW(wide(section).c_str(), wide(key).c_str(), fallback,
                                                wide(file).c_str()));
}

std::size_t profileString(std::u16string_view section, std::u16string_view key,
                          std::u16string_view fallback, char16_t* buffer, std::size_t capacity,
                          std::u16string_view file) {
  if (capacity == 0) return 0;
  DWORD n = GetPrivateProfileStringW(wide(section).c_str(), wide(key).c_str(),
                                     wide(fallback).c_str(), reinterpret_cast<wchar_t*>(buffer),
                                     static_cast<DWORD>(capacity), wide(file).c_str());
  buffer[n < capacity ? n : capacity - 1] = 0;
  return n;
}

bool writeProfileString(std::u16string_view section, std::u16string_view key,
                        std::u16string_view value, std::u16string_view file) {
  return WritePrivateProfileStringW(wide(section).c_str(), wide(key).c_str(), wide(value).c_str(),
                                    wide(file).c_str()) != 0;
}

bool writeOwnProfileString(std::u16string_view section, std::u16string_view key,
                           std::u16string_view value, std::u16string_view file) {
  std::wstring path = wide(file);
  HANDLE h = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                         nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    BY_HANDLE_FILE_INFORMATION info{};
    bool sound = GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag) &&
                 GetFileInformationByHandle(h, &info) &&
                 !((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                   isLinkTag(tag.ReparseTag)) &&
                 info.nNumberOfLinks <= 1;
    CloseHandle(h);
    if (!sound) return false;
  }
  return writeProfileString(section, key, value, file);
}

bool writeProfileStringNarrow(const char* section, const char* key, const char* value,
                              const char* file) {
  return WritePrivateProfileStringA(section, key, value, file) != 0;
}

}  // namespace platform

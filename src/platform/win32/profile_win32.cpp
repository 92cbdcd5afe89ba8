#include <windows.h>

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

bool writeProfileStringNarrow(const char* section, const char* key, const char* value,
                              const char* file) {
  return WritePrivateProfileStringA(section, key, value, file) != 0;
}

}  // namespace platform

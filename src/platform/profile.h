// Windows profile (.ini) files through the system's private profile API.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// GetPrivateProfileIntW.
int profileInt(std::u16string_view section, std::u16string_view key, int fallback,
               std::u16string_view file);
// GetPrivateProfileStringW into `buffer` of `capacity` units (zero-terminated,
// cut to fit). Returns the number of units copied.
std::size_t profileString(std::u16string_view section, std::u16string_view key,
                          std::u16string_view fallback, char16_t* buffer, std::size_t capacity,
                          std::u16string_view file);
// WritePrivateProfileStringW. Returns false when the write failed.
bool writeProfileString(std::u16string_view section, std::u16string_view key,
                        std::u16string_view value, std::u16string_view file);
// writeProfileString into a file of the program's own in a folder that
// others may write to (uninstall.ini): nothing is written, and the result is
// false, when `file` is a link (a junction, symbolic link or mount point,
// folder.h's isLinkTag) or a file with more than one name, whose other names
// would change too. The look and the write are two calls: a link or a second
// name made between them is written through.
bool writeOwnProfileString(std::u16string_view section, std::u16string_view key,
                           std::u16string_view value, std::u16string_view file);
// WritePrivateProfileStringA: 8-bit section, key, value and file name.
bool writeProfileStringNarrow(const char* section, const char* key, const char* value,
                              const char* file);

}  // namespace platform

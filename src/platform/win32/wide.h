// Helpers for passing UTF-16 views to wide Windows calls.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// A zero-terminated wchar_t copy of a UTF-16 view.
inline std::wstring wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

}  // namespace platform::win32

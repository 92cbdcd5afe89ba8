// Helpers for passing UTF-16 views to wide Windows calls.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// A zero-terminated wchar_t copy of a UTF-16 view.
inline std::wstring wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

// The same units seen as UTF-16 (wchar_t is 16 bits on Windows).
inline const char16_t* u16(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }

}  // namespace platform::win32

// The installer keeps its texts as char16_t; the wide Windows calls take
// wchar_t, the same 16-bit units on Windows. The one place where app/ turns
// the one pointer type into the other (the other way: platform::win32::u16).
#pragma once

#include <string_view>

#include "platform/win32/wide.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide Windows text is UTF-16");

inline const wchar_t* wchars(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}
inline wchar_t* wchars(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
// The units of a view (not terminated: pass its size along).
inline const wchar_t* wchars(std::u16string_view text) { return wchars(text.data()); }

using platform::win32::u16;
using platform::win32::wide;  // a terminated copy of a view

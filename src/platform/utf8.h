// UTF-8 encoding of UTF-16 text, for tools, messages and host file names.
// Portable: no operating-system calls.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Appends the UTF-8 bytes of one code point (at most U+10FFFF).
inline void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// True when units[i] starts a surrogate pair that units[i + 1] completes.
inline bool isSurrogatePair(std::u16string_view units, std::size_t i) {
  return units[i] >= 0xD800 && units[i] < 0xDC00 && i + 1 < units.size() &&
         units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000;
}

inline char32_t combineSurrogates(char16_t high, char16_t low) {
  return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (low - 0xDC00);
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
inline std::string utf16ToUtf8(std::u16string_view units) {
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t cp = units[i];
    if (isSurrogatePair(units, i)) {
      cp = combineSurrogates(units[i], units[i + 1]);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    appendUtf8(out, cp);
  }
  return out;
}

}  // namespace platform

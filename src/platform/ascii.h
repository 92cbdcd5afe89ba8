// ASCII letter case: the only case folding the installer does itself (file
// keywords, strings keys, dict.ini names, and the POSIX layer's stand-ins
// for Windows' case-blind names). Other letters are left as they are.
#pragma once

#include <cstddef>
#include <string_view>

constexpr char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c; }
constexpr char16_t foldAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c;
}
// Upper case, the way Windows' file and profile names compare and sort.
constexpr char16_t upperAscii(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c;
}

// Equal texts, ASCII letters compared without their case.
template <typename Char>
constexpr bool equalsIgnoringAsciiCase(std::basic_string_view<Char> a,
                                       std::basic_string_view<Char> b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  }
  return true;
}
constexpr bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return equalsIgnoringAsciiCase<char>(a, b);
}
constexpr bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  return equalsIgnoringAsciiCase<char16_t>(a, b);
}

// The first `n` characters of both texts agree without regard to ASCII case;
// a text shorter than `n` must end where the other does (strnicmp's rule).
template <typename Char>
constexpr bool prefixEqualsIgnoringAsciiCase(std::basic_string_view<Char> a,
                                             std::basic_string_view<Char> b, std::size_t n) {
  if (a.size() > n) a = a.substr(0, n);
  if (b.size() > n) b = b.substr(0, n);
  return equalsIgnoringAsciiCase(a, b);
}

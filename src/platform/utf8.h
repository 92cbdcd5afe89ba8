// UTF-8 to and from UTF-16, for tools, source files, messages and host file
// names.
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

// Each byte as the unit of the same number (ISO 8859-1): for the ASCII
// texts of messages that have no code page.
inline std::u16string widenBytes(std::string_view bytes) {
  std::u16string out;
  for (char byte : bytes) out += static_cast<char16_t>(static_cast<unsigned char>(byte));
  return out;
}

// Decodes the code point that starts at s[i] and moves i behind it; false
// (i unchanged) for a byte that cannot start one, a cut or overlong
// sequence, a surrogate or a value above U+10FFFF.
inline bool decodeUtf8(std::string_view s, std::size_t& i, char32_t& cp) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  int extra;
  char32_t least;
  if (c < 0x80) {
    cp = c, extra = 0, least = 0;
  } else if (c >= 0xC2 && c <= 0xDF) {
    cp = c & 0x1F, extra = 1, least = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    cp = c & 0x0F, extra = 2, least = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    cp = c & 0x07, extra = 3, least = 0x10000;
  } else {
    return false;
  }
  if (s.size() - i - 1 < static_cast<std::size_t>(extra)) return false;
  for (int k = 1; k <= extra; ++k) {
    unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (d & 0x3F);
  }
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return false;
  i += extra + 1;
  return true;
}

// Appends one code point as one unit or a surrogate pair.
inline void appendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

// UTF-8 to UTF-16 appended to `out`; false at the first invalid sequence.
inline bool utf8ToUtf16(std::string_view s, std::u16string& out) {
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp;
    if (!decodeUtf8(s, i, cp)) return false;
    appendUtf16(out, cp);
  }
  return true;
}

// UTF-8 to UTF-16, each byte that starts no valid sequence giving U+FFFD.
inline std::u16string utf8ToUtf16Lossy(std::string_view s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    char32_t cp;
    if (decodeUtf8(s, i, cp)) {
      appendUtf16(out, cp);
    } else {
      out += u'\xFFFD';
      ++i;
    }
  }
  return out;
}

// The lines of a UTF-8 source text (strings and word-list sources): a
// leading byte-order mark skipped, lines ended by LF or CR LF, numbered
// from 1.
class SourceLines {
 public:
  explicit SourceLines(std::string_view text) : rest_(text) {
    if (rest_.substr(0, 3) == "\xEF\xBB\xBF") rest_.remove_prefix(3);
  }
  // The next line without its end; false after the last one.
  bool next(std::string_view& line) {
    if (rest_.empty()) return false;
    ++number_;
    std::size_t end = rest_.find('\n');
    line = rest_.substr(0, end);
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }
  // The number of the line that next() gave last.
  int number() const { return number_; }

 private:
  std::string_view rest_;
  int number_ = 0;
};

}  // namespace platform

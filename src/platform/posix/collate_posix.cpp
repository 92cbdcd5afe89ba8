// Collation on a POSIX host. The runtime's locale names ("german",
// "english_usa.1252", "serbian (cyrillic)_Serbia.1251") are recognised from a
// table that gives the Windows locale identifier; the case-insensitive order
// of a named locale is a fixed one of our own, the same on every machine
// whatever locales it has installed: symbols first, then digits, then
// letters; case ignored; a letter with an accent right after the plain
// letter (e.g. "a" < "ä" < "b"); ties broken by the accent. Comparison and
// sort keys come from the same key, so they always agree.
#include <cstring>
#include <string>

#include "platform/ascii.h"
#include "platform/collate.h"

namespace platform {
namespace {

struct LocaleName {
  const char* language;  // lower case
  const char* country;   // lower case; "" = the language's default
  uint32_t localeId;
};

constexpr LocaleName kLocales[] = {
    {"english", "", 0x0409},       {"english", "usa", 0x0409},
    {"english", "united states", 0x0409}, {"english", "us", 0x0409},
    {"english", "uk", 0x0809},     {"english", "united kingdom", 0x0809},
    {"german", "", 0x0407},        {"german", "germany", 0x0407},
    {"dutch", "", 0x0413},         {"dutch", "netherlands", 0x0413},
    {"french", "", 0x040C},        {"french", "france", 0x040C},
    {"spanish", "", 0x0C0A},       {"spanish", "spain", 0x0C0A},
    {"italian", "", 0x0410},       {"italian", "italy", 0x0410},
    {"portuguese", "", 0x0816},    {"portuguese", "portugal", 0x0816},
    {"russian", "", 0x0419},       {"russian", "russia", 0x0419},
    {"turkish", "", 0x041F},       {"turkish", "turkey", 0x041F},
    {"polish", "", 0x0415},        {"czech", "", 0x0405},
    {"hungarian", "", 0x040E},     {"greek", "", 0x0408},
    {"swedish", "", 0x041D},       {"danish", "", 0x0406},
    {"norwegian", "", 0x0414},     {"finnish", "", 0x040B},
    {"japanese", "", 0x0411},      {"japanese", "japan", 0x0411},
    {"chinese", "", 0x0804},       {"korean", "", 0x0412},
    {"ukrainian", "", 0x0422},     {"hebrew", "", 0x040D},
    {"arabic", "", 0x0401},        {"thai", "", 0x041E},
    {"vietnamese", "", 0x042A},    {"croatian", "", 0x041A},
    {"slovak", "", 0x041B},        {"slovenian", "", 0x0424},
    {"romanian", "", 0x0418},      {"bulgarian", "", 0x0402},
    {"lithuanian", "", 0x0427},    {"latvian", "", 0x0426},
    {"estonian", "", 0x0425},      {"indonesian", "", 0x0421},
    {"serbian (cyrillic)", "serbia", 0x281A},
    {"serbian (latin)", "serbia", 0x241A},
};

uint32_t currentLocaleId = 0;

std::string lowerAscii(std::u16string_view s, bool& ascii) {
  std::string out;
  ascii = true;
  for (char16_t c : s) {
    if (c >= 0x80 || c == 0) ascii = false;
    out += static_cast<char>(foldAscii(c));
  }
  return out;
}

// "language[_country][.codepage]" -> locale id; 0 when unknown.
uint32_t lookUp(std::u16string_view name) {
  bool ascii;
  std::string s = lowerAscii(name, ascii);
  if (!ascii) return 0;
  std::size_t dot = s.rfind('.');
  if (dot != std::string::npos) {
    std::string codePage = s.substr(dot + 1);
    if (codePage.empty() || codePage.find_first_not_of("0123456789") != std::string::npos) {
      return 0;
    }
    s.resize(dot);
  }
  std::size_t underscore = s.find('_');
  std::string language = s.substr(0, underscore);
  std::string country = underscore == std::string::npos ? "" : s.substr(underscore + 1);
  for (const LocaleName& l : kLocales) {
    if (language == l.language && country == l.country) return l.localeId;
  }
  return 0;
}

char16_t foldCase(char16_t c) {
  if (c < 0x80) return foldAscii(c);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c >= 0x391 && c <= 0x3A9) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && (c & 1) == 0) return c + 1;
  return c;
}

// The plain letter of a lower-case Latin-1 letter with an accent.
char16_t baseLetter(char16_t c) {
  static const char kLatin1[] = "aaaaaaaceeeeiiiidnooooo/ouuuuyty";  // U+00E0..U+00FF
  if (c >= 0xE0 && c <= 0xFF && c != 0xF7) return static_cast<char16_t>(kLatin1[c - 0xE0]);
  if (c == 0xDF) return u's';
  return c;
}

bool isLetterOrMark(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return true;
  if (c < 0xC0) return false;
  return c != 0xD7 && c != 0xF7;
}

// Sort key: one 3-byte primary weight per unit (class, base letter), a 0x01
// separator, one 2-byte secondary weight per unit (the folded unit), a zero.
std::string keyOf(std::u16string_view text) {
  std::string primary, secondary;
  for (char16_t c : text) {
    char16_t folded = foldCase(c);
    char16_t base = baseLetter(folded);
    unsigned char cls = c >= u'0' && c <= u'9' ? 3 : isLetterOrMark(c) ? 4 : 2;
    primary += static_cast<char>(cls);
    primary += static_cast<char>(base >> 8);
    primary += static_cast<char>(base & 0xFF);
    secondary += static_cast<char>(folded >> 8);
    secondary += static_cast<char>(folded & 0xFF);
  }
  return primary + '\x01' + secondary + '\0';
}

}  // namespace

bool setRuntimeCollation(std::u16string_view name) {
  if (name == u"C" || name == u"POSIX") {
    currentLocaleId = 0;
    return true;
  }
  uint32_t id = name.empty() ? 0x0409 : lookUp(name);
  if (id == 0) return false;
  currentLocaleId = id;
  return true;
}

uint32_t runtimeCollationLocaleId() { return currentLocaleId; }

int compareIgnoreCase(uint32_t localeId, std::u16string_view a, std::u16string_view b) {
  std::string x = keyOf(a), y = keyOf(b);
  int r = std::memcmp(x.data(), y.data(), x.size() < y.size() ? x.size() : y.size());
  if (r == 0) r = x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
  return r < 0 ? 1 : r == 0 ? 2 : 3;
}

int sortKeyIgnoreCase(uint32_t localeId, std::u16string_view text, unsigned char* out,
                      int capacity) {
  std::string key = keyOf(text);
  if (static_cast<int>(key.size()) > capacity) return 0;
  std::memcpy(out, key.data(), key.size());
  return static_cast<int>(key.size());
}

}  // namespace platform

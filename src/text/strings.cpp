#include "text/strings.h"

#include <cstdio>
#include <new>
#include <string>

#include "base/ascii.h"
#include "base/fatal.h"
#include "base/state.h"
#include "platform/file.h"
#include "platform/profile.h"
#include "text/charset.h"

StringsTable strings;

namespace {

const char* const keyNames[kStringKeyCount] = {
#define STRINGS_KEY(name) #name,
#include "text/string_keys.inc"
#undef STRINGS_KEY
};

const char16_t emptyText[1] = {0};

// Scans the entries of `data` (size units, the last one zero) for the first
// one that starts with `prefix`, ignoring ASCII case. Returns the position
// behind the prefix, or null.
template <typename Char>
const Char* findEntry(const Char* data, std::size_t size, const Char* prefix, std::size_t prefixLength) {
  std::size_t pos = 0;
  while (pos < size && data[pos] != 0) {
    std::size_t i = 0;
    while (i < prefixLength && pos + i < size && foldAscii(data[pos + i]) == foldAscii(prefix[i])) ++i;
    if (i == prefixLength) return data + pos + i;
    while (pos < size && data[pos] != 0) ++pos;  // to this entry's zero
    ++pos;                                        // the next entry
  }
  return nullptr;
}

// parseDecimal of a wide text: only ASCII characters can be part of the
// number, so the text is narrowed up to its first other character.
int32_t parseWideDecimal(const char16_t* text) {
  const char16_t* p = text;
  while (*p == u' ' || (*p >= u'\t' && *p <= u'\r')) ++p;
  char digits[16];
  int n = 0;
  for (; n < 15 && p[n] != 0 && p[n] < 0x80; ++n) digits[n] = static_cast<char>(p[n]);
  digits[n] = 0;
  return parseDecimal(digits);
}

// path := a + b + c + d; false when it does not fit a path buffer.
bool joinPath(WideText<kPathCapacity>& path, std::u16string_view a, std::u16string_view b,
              std::u16string_view c, std::u16string_view d) {
  return path.assign(a) && path.append(b) && path.append(c) && path.append(d);
}

}  // namespace

const char* stringKeyName(StringKey key) { return keyNames[static_cast<int>(key)]; }

const char16_t* text(StringKey key) {
  const char16_t* v = strings.values[static_cast<int>(key)];
  return v ? v : emptyText;
}

void buildStringsKey(unsigned char (&key)[kStringsKeyLength + 1]) {
  // Built byte by byte so that the key does not stand in the binary as one
  // string.
  int i = 0;
  key[i++] = 0x5A; key[i++] = 0xC3; key[i++] = 0x17; key[i++] = 0x8E; key[i++] = 0x3B;
  key[i++] = 0xF1; key[i++] = 0x62; key[i++] = 0x09; key[i++] = 0xA4; key[i++] = 0x7D;
  key[i++] = 0xD2; key[i++] = 0x35; key[i++] = 0x99; key[i++] = 0x4E; key[i++] = 0xE7;
  key[i++] = 0x13; key[i++] = 0xB8; key[i++] = 0x6C; key[i++] = 0x2F; key[i++] = 0xC9;
  key[i++] = 0x81; key[i++] = 0x56; key[i++] = 0xEA; key[i++] = 0x24; key[i++] = 0x9F;
  key[i++] = 0x70; key[i++] = 0x0B; key[i++] = 0xD6; key[i++] = 0x43;
  key[i] = 0;
}

namespace {
void applyKey(char* data, std::size_t size, int sign) {
  unsigned char key[kStringsKeyLength + 1];
  buildStringsKey(key);
  std::size_t keyLength = 0;
  while (key[keyLength] != 0) ++keyLength;
  for (std::size_t i = 0; i < size; ++i) {
    unsigned char b = static_cast<unsigned char>(data[i]);
    data[i] = static_cast<char>(static_cast<unsigned char>(b + sign * key[i % keyLength]));
  }
}
}  // namespace

void scrambleStrings(char* data, std::size_t size) { applyKey(data, size, +1); }
void descrambleStrings(char* data, std::size_t size) { applyKey(data, size, -1); }

int32_t readCharsetSetting(bool setupSettings) {
  char16_t cwd[kPathCapacity];
  platform::currentDirectory(cwd, kPathCapacity);
  // A path that does not fit its buffer would name another file when cut:
  // it counts as a settings file that is missing.
  WideText<kPathCapacity> path;
  if (!joinPath(path, cwd, setupSettings ? u"\\language.in_" : u"\\language.ini", u"", u"")) {
    return 0;
  }
  return platform::profileInt(u"Dictionary", u"Character", 0, path.view());
}

const char* lookupNarrow(const char* key) {
  std::string prefix = std::string(key) + "=";
  const char* value =
      strings.narrow ? findEntry(strings.narrow.get(), strings.size, prefix.data(), prefix.size())
                     : nullptr;
  if (!value) {
    char message[300];
    std::snprintf(message, sizeof message, "String: %s not found.   ", key);
    stringsLoaderFailureNarrow(message);
  }
  return value;
}

const char16_t* lookupWide(const char* key) {
  std::u16string prefix = toWideScratch(key, state.uiCodePage);
  prefix += u'=';
  const char16_t* value =
      strings.wide ? findEntry(strings.wide.get(), strings.size, prefix.data(), prefix.size())
                   : nullptr;
  if (!value) {
    std::u16string message = u"String: ";
    message += std::u16string_view(prefix).substr(0, prefix.size() - 1);
    message += u" not found.   ";
    stringsLoaderFailure(message);
  }
  return value;
}

void loadStrings(const char16_t* fallbackFolder) {
  // Settings file and the Language value (at most 148 characters).
  char16_t cwd[kPathCapacity];
  platform::currentDirectory(cwd, kPathCapacity);
  // A settings path too long for its buffer counts as a missing file (a cut
  // one would name another file): the Language value stays empty.
  WideText<kPathCapacity> settings;
  char16_t language[149] = {};
  if (joinPath(settings, cwd, fallbackFolder ? u"\\language.in_" : u"\\language.ini", u"", u"")) {
    platform::profileString(u"Dictionary", u"Language", u"", language, 149, settings.view());
  }

  // The strings file: a path that does not fit its buffer counts as one
  // that does not open.
  platform::File file;
  WideText<kPathCapacity> path;
  if (fallbackFolder) {
    if (joinPath(path, cwd, u"\\", language, u".str")) {
      file = platform::File::open(path.view(), platform::OpenMode::ReadBinary);
    }
    if (!file && joinPath(path, fallbackFolder, u"\\strings\\", language, u".str")) {
      file = platform::File::open(path.view(), platform::OpenMode::ReadBinary);
    }
    if (!file) stringsLoaderFailure(u"No strings file found (2).   ");
  } else {
    if (joinPath(path, cwd, u"\\strings", u"\\", language) && path.append(u".str")) {
      file = platform::File::open(path.view(), platform::OpenMode::ReadBinary);
    }
    if (!file) stringsLoaderFailure(u"No strings file found.   ");
  }

  // Read it whole. The conversion takes an int count, so a file of 2 GB or
  // more is refused rather than cut.
  int64_t size = file.size();
  if (size < 0 || size >= 0x7FFFFFFF) stringsLoaderFailure(u"The strings file cannot be read.   ");
  std::size_t n = static_cast<std::size_t>(size);
  strings.narrow.reset(new (std::nothrow) char[n + 1]());
  strings.wide.reset(new (std::nothrow) char16_t[n + 1]());
  if (!strings.narrow || !strings.wide) {
    strings = StringsTable{};
    stringsLoaderFailure(u"Not enough memory for the strings file.   ");
  }
  strings.size = n + 1;
  if (file.read(strings.narrow.get(), n) != n) {
    stringsLoaderFailure(u"The strings file cannot be read.   ");
  }
  file.close();

  descrambleStrings(strings.narrow.get(), n);

  state.uiCodePage = charsetToCodePage(parseDecimal(lookupNarrow("CharactersetCode")));
  if (n > 0) {
    toWideCount(strings.narrow.get(), strings.wide.get(), static_cast<int>(n), state.uiCodePage);
  }

  for (int k = 0; k < kStringKeyCount; ++k) strings.values[k] = lookupWide(keyNames[k]);

  // ForeignFonts: parsed like CharactersetCode. The table has 100 slots; a
  // larger count resolves Font600..Font699 and is kept as 100, so that
  // nobody reading foreignFontCount names runs past the table.
  strings.foreignFontCount = parseWideDecimal(text(StringKey::ForeignFonts));
  if (strings.foreignFontCount > kForeignFontSlots) strings.foreignFontCount = kForeignFontSlots;
  for (int i = 0; i < strings.foreignFontCount; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Font%03d", 600 + i);
    strings.foreignFontNames[i] = lookupWide(name);
  }
}

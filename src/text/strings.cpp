#include "text/strings.h"

#include <cstdio>
#include <new>
#include <string>

#include "platform/ascii.h"
#include "platform/file.h"
#include "platform/profile.h"
#include "text/charset.h"

namespace {

const char16_t emptyText[1] = {0};

const char* const keyNames[kStringKeyCount] = {
#define STRINGS_KEY(name) #name,
#include "text/string_keys.inc"
#undef STRINGS_KEY
};

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

}  // namespace

const char* stringKeyName(StringKey key) { return keyNames[static_cast<int>(key)]; }


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

// ---- The loader ----

std::u16string_view settingsFileName(bool setupSettings) {
  return setupSettings ? u"language.in_" : u"language.ini";
}

LanguageName readLanguageSetting(std::u16string_view settingsPath) {
  LanguageName language;
  platform::profileString(u"Dictionary", u"Language", u"", language.buffer(), kLanguageCapacity,
                          settingsPath);
  return language;
}

int32_t readCharacterSetting(std::u16string_view settingsPath) {
  return platform::profileInt(u"Dictionary", u"Character", 0, settingsPath);
}

StringsFailure readStringsFile(platform::File& file, StringsTable& table) {
  table = StringsTable{};
  // The conversion takes an int count, so a file of 2 GB or more is refused
  // rather than cut.
  int64_t size = file.size();
  if (size < 0 || size >= 0x7FFFFFFF) return StringsFailure::Unreadable;
  std::size_t n = static_cast<std::size_t>(size);
  table.narrow.reset(new (std::nothrow) char[n + 1]());
  table.wide.reset(new (std::nothrow) char16_t[n + 1]());
  if (!table.narrow || !table.wide) {
    table = StringsTable{};
    return StringsFailure::OutOfMemory;
  }
  table.size = n + 1;
  if (file.read(table.narrow.get(), n) != n) {
    table = StringsTable{};
    return StringsFailure::Unreadable;
  }
  return StringsFailure::None;
}

bool decodeStrings(StringsTable& table, uint32_t& codePage) {
  std::size_t n = table.size > 0 ? table.size - 1 : 0;
  descrambleStrings(table.narrow.get(), n);
  const char* charset = findNarrow(table, "CharactersetCode");
  if (!charset) return false;
  codePage = charsetToCodePage(parseDecimal(charset));
  if (n > 0) toWideCount(table.narrow.get(), table.wide.get(), static_cast<int>(n), codePage);
  return true;
}

const char* findNarrow(const StringsTable& table, const char* key) {
  std::string prefix = std::string(key) + "=";
  return table.narrow ? findEntry(table.narrow.get(), table.size, prefix.data(), prefix.size())
                      : nullptr;
}

const char16_t* findWide(const StringsTable& table, const char* key, uint32_t codePage) {
  std::u16string prefix = toWideScratch(key, codePage);
  prefix += u'=';
  return table.wide ? findEntry(table.wide.get(), table.size, prefix.data(), prefix.size())
                    : nullptr;
}

StringsResolution resolveStrings(StringsTable& table, uint32_t codePage) {
  StringsResolution resolution;
  for (int k = 0; k < kStringKeyCount; ++k) {
    table.values[k] = findWide(table, keyNames[k], codePage);
    if (!table.values[k]) resolution.missingKeys.emplace_back(keyNames[k]);
  }
  // ForeignFonts: parsed like CharactersetCode. The table has 100 slots; a
  // larger count resolves Font600..Font699 and is kept as 100, so that
  // nobody reading foreignFontCount names runs past the table.
  const char16_t* fonts = table.values[static_cast<int>(StringKey::ForeignFonts)];
  resolution.foreignFonts = parseWideDecimal(fonts ? fonts : emptyText);
  table.foreignFontCount = resolution.foreignFonts;
  if (table.foreignFontCount > kForeignFontSlots) table.foreignFontCount = kForeignFontSlots;
  for (int i = 0; i < table.foreignFontCount; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "Font%03d", 600 + i);
    table.foreignFontNames[i] = findWide(table, name, codePage);
    if (!table.foreignFontNames[i]) resolution.missingKeys.emplace_back(name);
  }
  return resolution;
}

namespace {

// The strings file named by `language`, in the places searched (see
// loadStringsFrom); a path that does not fit its buffer counts as one that
// does not open.
platform::File openStringsFile(std::u16string_view folder, const char16_t* fallbackFolder,
                               std::u16string_view language) {
  platform::File file;
  WideText<kPathCapacity> path;
  if (fallbackFolder) {
    if (joinPath(path, {folder, u"\\", language, u".str"})) {
      file = platform::File::open(path.view(), platform::OpenMode::ReadBinary);
    }
    if (!file && joinPath(path, {fallbackFolder, u"\\strings\\", language, u".str"})) {
      file = platform::File::open(path.view(), platform::OpenMode::ReadBinary);
    }
  } else if (joinPath(path, {folder, u"\\strings", u"\\", language, u".str"})) {
    file = platform::File::open(path.view(), platform::OpenMode::ReadBinary);
  }
  return file;
}

}  // namespace

StringsLoad loadStringsFrom(std::u16string_view folder, const char16_t* fallbackFolder) {
  StringsLoad load;
  // A settings path too long for its buffer counts as a missing file (a cut
  // one would name another file): the Language value stays empty.
  WideText<kPathCapacity> settings;
  LanguageName language;
  if (joinPath(settings, {folder, u"\\", settingsFileName(fallbackFolder != nullptr)})) {
    language = readLanguageSetting(settings.view());
  }
  platform::File file = openStringsFile(folder, fallbackFolder, language.view());
  if (!file) {
    load.failure = StringsFailure::NotFound;
    return load;
  }
  load.failure = readStringsFile(file, load.table);
  if (load.failure != StringsFailure::None) return load;
  file.close();
  if (!decodeStrings(load.table, load.codePage)) {
    load.failure = StringsFailure::NoCharsetEntry;
    return load;
  }
  StringsResolution resolution = resolveStrings(load.table, load.codePage);
  if (!resolution.missingKeys.empty()) {
    load.failure = StringsFailure::MissingKey;
    load.missingKey = resolution.missingKeys.front();
  }
  return load;
}

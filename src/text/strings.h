// The strings file: every user-visible text of the installer and several
// file names come from a scrambled file of Key=Value entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

enum class StringKey : int {
#define STRINGS_KEY(name) name,
#include "text/string_keys.inc"
#undef STRINGS_KEY
  Count
};

constexpr int kStringKeyCount = static_cast<int>(StringKey::Count);
constexpr int kForeignFontSlots = 100;
constexpr int kStringsKeyLength = 29;

// The key's name as it stands in the file ("Install_Start").
const char* stringKeyName(StringKey key);

struct StringsTable {
  std::unique_ptr<char[]> narrow;    // the descrambled file plus a zero byte
  std::unique_ptr<char16_t[]> wide;  // the narrow copy converted in one piece
  std::size_t size = 0;              // units in each copy, the added zero included
  const char16_t* values[kStringKeyCount] = {};
  // The ForeignFonts number (at most kForeignFontSlots) and the values of
  // Font600, Font601, ... for the first foreignFontCount slots.
  int32_t foreignFontCount = 0;
  const char16_t* foreignFontNames[kForeignFontSlots] = {};
};

// The loaded table (empty before loadStrings).
extern StringsTable strings;

// The value of a resolved key (never null after loadStrings; an empty text
// before).
const char16_t* text(StringKey key);

// Reads "Character" of section "Dictionary" from language.in_ (true) or
// language.ini (false) in the current directory; 0 when missing.
int32_t readCharsetSetting(bool setupSettings);

// Finds, reads, descrambles and resolves the strings file (see the README's
// section on distributions). `fallbackFolder` null: tools' mode, reads
// language.ini and looks only in .\strings. Sets uiCodePage to the code page
// of CharactersetCode. Ends the process on failure.
void loadStrings(const char16_t* fallbackFolder);

// Looks a key up in the 8-bit or the wide copy; ends the process when the
// key is missing.
const char* lookupNarrow(const char* key);
const char16_t* lookupWide(const char* key);

// The scrambling key shared by the loader and distkit.
void buildStringsKey(unsigned char (&key)[kStringsKeyLength + 1]);
// Adds (scramble) or subtracts (descramble) the key, position running on
// from the start of the data.
void scrambleStrings(char* data, std::size_t size);
void descrambleStrings(char* data, std::size_t size);

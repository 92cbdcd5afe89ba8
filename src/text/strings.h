// The strings file: every user-visible text of the installer and several
// file names come from a scrambled file of Key=Value entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/fixed_text.h"

namespace platform {
class File;
}

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

// ---- The loader ----
//
// Files and folders come in as parameters and every failure comes back
// named; nothing here touches the installer's state or ends the process.
// The installer's step (loadStrings below) and distkit both read strings
// files with it.

// The settings file that names the strings file: language.in_ in a setup
// folder (setupSettings true), language.ini in a tool's folder.
std::u16string_view settingsFileName(bool setupSettings);

// "Language" of section "Dictionary" of the settings file at `path`: the
// strings file's name without ".str", at most 148 characters (a longer
// value is cut); empty when missing.
constexpr int kLanguageCapacity = 149;
using LanguageName = WideText<kLanguageCapacity>;
LanguageName readLanguageSetting(std::u16string_view settingsPath);
// "Character" of section "Dictionary"; 0 when missing.
int32_t readCharacterSetting(std::u16string_view settingsPath);

enum class StringsFailure {
  None,
  NotFound,        // no strings file opens in the places searched
  Unreadable,      // its size is unknown or 2 GB or more, or a read fails
  OutOfMemory,     // no room for its two copies
  NoCharsetEntry,  // no CharactersetCode entry (looked up in the 8-bit copy)
  MissingKey,      // a key that the installer resolves is missing
};

// Reads the whole open file, still scrambled, into table.narrow (a zero byte
// added) and makes room for the wide copy. Unreadable or OutOfMemory leave
// `table` empty.
StringsFailure readStringsFile(platform::File& file, StringsTable& table);

// Descrambles a table just read, finds CharactersetCode in the 8-bit copy
// and converts the whole into the wide copy with its code page. False
// (nothing converted) without a CharactersetCode entry.
bool decodeStrings(StringsTable& table, uint32_t& codePage);

// The first entry whose key is `key` (ASCII case ignored): the text behind
// its "=", or null. The wide lookup converts the key with `codePage`.
const char* findNarrow(const StringsTable& table, const char* key);
const char16_t* findWide(const StringsTable& table, const char* key, uint32_t codePage);

// Resolves every StringKey, then ForeignFonts' count of Font600, Font601, ...
// (cut to kForeignFontSlots), into table.values and table.foreignFontNames.
// Returns the keys that are missing, in that order; their values stay null.
struct StringsResolution {
  std::vector<std::string> missingKeys;
  int32_t foreignFonts = 0;  // the ForeignFonts number before the cut
};
StringsResolution resolveStrings(StringsTable& table, uint32_t codePage);

// The whole load, from the folder holding the settings file (the current
// directory in the installer). `fallbackFolder` non-null: reads
// language.in_ and looks for <Language>.str in `folder`, then in
// fallbackFolder\strings. Null: tools' mode, reads language.ini and looks
// only in folder\strings. A path too long for a path buffer counts as a file
// that is missing.
struct StringsLoad {
  StringsFailure failure = StringsFailure::None;
  std::string missingKey;  // MissingKey: the first one in resolution order
  uint32_t codePage = 0;   // CharactersetCode's code page, known from MissingKey on
  StringsTable table;      // complete only without a failure
};
StringsLoad loadStringsFrom(std::u16string_view folder, const char16_t* fallbackFolder);

// The scrambling key shared by the loader and distkit.
void buildStringsKey(unsigned char (&key)[kStringsKeyLength + 1]);
// Adds (scramble) or subtracts (descramble) the key, position running on
// from the start of the data.
void scrambleStrings(char* data, std::size_t size);
void descrambleStrings(char* data, std::size_t size);

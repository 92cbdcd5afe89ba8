// Strings files for tests: a complete strings source with every key the
// loader resolves, packed the way distkit packs it.
//
// Typical use, in a ScratchDir:
//   testing_support::writeStringsFiles(withValues({{"Install_Start", "Go"}}));
//   loadStrings(u"C:\\somewhere");   // reads language.in_ and english.str
//
// Default values: each key's own name (text(StringKey::Install_Start) is
// u"Install_Start"), except
//   CharactersetCode = 0, ForeignFonts = 0, FilenameIni = dict.ini,
//   Install_TaalCf = taal.cf, Install_TaalTemp = taal.tmp, PathLanguage = ""
//   (lists in the current directory), Locale = english, Done = Done,
//   IniLanguage = [Language], IniSelected = [Selected], IniAddnew = [Addnew].
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace testing_support {

struct StringsFiles {
  // Base name of the strings file and the "Language" setting.
  std::string language = "english";
  // "Character" setting of language.in_.
  int character = 0;
  // UTF-8 key/value pairs: replace the value of a listed key, or are added
  // at the end when the key is not one of the 190 keys (e.g. Font600).
  std::vector<std::pair<std::string, std::string>> overrides;
  // Keys left out of the source.
  std::vector<std::string> omit;
  // Folder (relative to the current directory, "" = itself) that receives
  // the .str file; it is created when missing.
  std::string strFolder;
  // Name of the settings file ("language.in_"; "language.ini" for the
  // loader's mode without a fallback folder).
  std::string settingsName = "language.in_";
};

// Shorthands: the defaults with some values replaced, or some keys left out.
StringsFiles withValues(std::vector<std::pair<std::string, std::string>> overrides);
StringsFiles without(std::vector<std::string> omit);

// The UTF-8 source (Key=Value lines, LF line ends) that StringsFiles stands for.
std::string stringsSource(const StringsFiles& files = {});

// Packs a source; records a test failure (naming the packer's error) and
// returns "" when the packer refuses it.
std::string packedStrings(std::string_view source);

// Writes the settings file ([Dictionary] Language=, Character=) and the
// packed strings file <strFolder>\<language>.str into the current directory.
void writeStringsFiles(const StringsFiles& files = {});

// The strings as an installation in English starts with them: the default
// files written into the current directory and loaded, and the collation of
// their Locale (english). unloadStrings forgets them and goes back to "C".
void loadDefaultStrings();
void unloadStrings();

// Writes raw bytes (already scrambled or not) to a file relative to the
// current directory; creates nothing else.
void writeFileBytes(std::u16string_view name, std::string_view bytes);

// Replaces the first `from` in a file relative to the current directory with
// `to`; a test failure when the file does not hold `from`.
void replaceInFile(std::u16string_view name, const std::string& from, const std::string& to);

// Scrambles plain strings-file bytes (entries key=value\0 ...) with the
// shared key, for tests that need a file the packer would refuse.
std::string scrambled(std::string plain);

}  // namespace testing_support

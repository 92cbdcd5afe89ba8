// distkit check, part 1: language.in_ and the strings file it names
// (<Language>.str in the setup folder), read with the installer's loader:
// present, readable, every key that the installer resolves.
#include <string>

#include "distkit/check_parts.h"
#include "platform/file.h"
#include "platform/utf8.h"
#include "text/charset.h"
#include "text/strings.h"
#include "text/strings_pack.h"

std::u16string StringsCheck::value(StringKey key) const {
  const char16_t* v = table.values[static_cast<int>(key)];
  return v ? v : u"";
}

namespace {

// Reports each key that the installer would miss, and a font count beyond
// the fonts it reads. True when every key is there.
bool checkKeys(SetupFolder& setup, const std::string& file, StringsTable& table,
               uint32_t codePage) {
  StringsResolution resolution = resolveStrings(table, codePage);
  for (const std::string& key : resolution.missingKeys) {
    setup.report(file, 0, "key " + key + " missing: the installer stops at start-up");
  }
  if (resolution.foreignFonts > kForeignFontSlots) {
    setup.report(file, 0,
                 "ForeignFonts is " + std::to_string(resolution.foreignFonts) +
                     ": only the first 100 fonts are read");
  }
  return resolution.missingKeys.empty();
}

// The strings file itself: read, every entry readable in its code page,
// decoded as the installer decodes it.
void readStrings(SetupFolder& setup, const LanguageName& language, StringsCheck& out) {
  std::u16string strName = std::u16string(language.view()) + u".str";
  std::string file = platform::utf16ToUtf8(strName);
  platform::File stored = platform::File::open(setup.dir + strName, platform::OpenMode::ReadBinary);
  if (!stored) {
    setup.report(file, 0,
                 "missing: language.in_ names the language " +
                     platform::utf16ToUtf8(language.view()) +
                     ", and the installer looks for its strings file in the "
                     "setup folder first"
                     " (then in the strings folder of the proposed directory)");
    return;
  }
  if (readStringsFile(stored, out.table) != StringsFailure::None) {
    setup.report(file, 0, "cannot be read");
    return;
  }
  // unpackStrings names the entry that its code page cannot read.
  std::string source, error;
  if (!unpackStrings(std::string_view(out.table.narrow.get(), out.table.size - 1), source, error)) {
    setup.report(file, 0, error);
    return;
  }
  uint32_t codePage = setup.codePage;
  if (!decodeStrings(out.table,
                     codePage)) {  // unpackStrings found CharactersetCode
    setup.report(file, 0, "key CharactersetCode missing: the installer stops at start-up");
    return;
  }
  setup.codePage = codePage;
  out.loaded = checkKeys(setup, file, out.table, codePage);
  if (out.loaded) {
    for (StringKey key :
         {StringKey::Install_TaalCf, StringKey::FilenameIni, StringKey::IniLanguage}) {
      if (out.value(key).empty())
        setup.report(file, 0, std::string(stringKeyName(key)) + " is empty");
    }
  }
}

}  // namespace

StringsCheck checkStrings(SetupFolder& setup) {
  StringsCheck out;
  std::u16string settings = setup.dir + std::u16string(settingsFileName(true));
  if (!isFile(settings)) {
    setup.report("language.in_", 0, "missing: the installer cannot name its strings file");
    return out;
  }
  LanguageName language = readLanguageSetting(settings);
  setup.codePage = charsetToCodePage(readCharacterSetting(settings));
  if (language.empty()) {
    setup.report("language.in_", 0, "no Language setting in section [Dictionary]");
    return out;
  }
  readStrings(setup, language, out);
  return out;
}

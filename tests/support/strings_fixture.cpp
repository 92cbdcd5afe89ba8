#include "support/strings_fixture.h"

#include <gtest/gtest.h>

#include "platform/file.h"
#include "support/test_support.h"
#include "text/collate.h"
#include "text/strings.h"
#include "text/strings_pack.h"
#include "text/strings_step.h"

namespace testing_support {

namespace {
const char* defaultValue(std::string_view key) {
  static const std::pair<const char*, const char*> defaults[] = {
      {"CharactersetCode", "0"},   {"ForeignFonts", "0"},         {"FilenameIni", "dict.ini"},
      {"Install_TaalCf", "taal.cf"}, {"Install_TaalTemp", "taal.tmp"}, {"PathLanguage", ""},
      {"Locale", "english"},       {"Done", "Done"},              {"IniLanguage", "[Language]"},
      {"IniSelected", "[Selected]"}, {"IniAddnew", "[Addnew]"},
  };
  for (const auto& [name, value] : defaults) {
    if (key == name) return value;
  }
  return nullptr;
}

bool contains(const std::vector<std::string>& list, std::string_view item) {
  for (const std::string& s : list) {
    if (s == item) return true;
  }
  return false;
}

bool isAscii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}
}  // namespace

StringsFiles withValues(std::vector<std::pair<std::string, std::string>> overrides) {
  StringsFiles files;
  files.overrides = std::move(overrides);
  return files;
}

StringsFiles without(std::vector<std::string> omit) {
  StringsFiles files;
  files.omit = std::move(omit);
  return files;
}

std::string stringsSource(const StringsFiles& files) {
  std::string source = "# strings source written by the tests\n";
  std::vector<bool> used(files.overrides.size(), false);
  for (int k = 0; k < kStringKeyCount; ++k) {
    std::string key = stringKeyName(static_cast<StringKey>(k));
    if (contains(files.omit, key)) continue;
    const char* fallback = defaultValue(key);
    std::string value = fallback ? fallback : key;
    for (std::size_t i = 0; i < files.overrides.size(); ++i) {
      if (files.overrides[i].first == key && !used[i]) {
        value = files.overrides[i].second;
        used[i] = true;
        break;
      }
    }
    source += key + "=" + value + "\n";
  }
  for (std::size_t i = 0; i < files.overrides.size(); ++i) {
    if (!used[i]) source += files.overrides[i].first + "=" + files.overrides[i].second + "\n";
  }
  return source;
}

std::string packedStrings(std::string_view source) {
  std::string packed;
  StringsSourceProblem problem;
  if (!packStrings(source, packed, problem)) {
    ADD_FAILURE() << "the strings packer refused the test source: " << problem.text();
    return "";
  }
  return packed;
}

void writeFileBytes(std::u16string_view name, std::string_view bytes) {
  platform::File file = platform::File::open(name, platform::OpenMode::WriteBinary);
  ASSERT_TRUE(file.isOpen()) << "cannot create " << u8(name);
  ASSERT_TRUE(file.writeAll(bytes)) << "cannot write " << u8(name);
  ASSERT_TRUE(file.close()) << "cannot close " << u8(name);
}

void loadDefaultStrings() {
  writeStringsFiles();
  loadStrings(u"C:\\unused");
  setCollationLocale(u"english");
}

void unloadStrings() {
  strings = StringsTable{};
  setCollationLocale(u"C");
}

void replaceInFile(std::u16string_view name, const std::string& from, const std::string& to) {
  platform::File in = platform::File::open(name, platform::OpenMode::ReadBinary);
  std::string text(static_cast<std::size_t>(in.size()), '\0');
  in.read(text.data(), text.size());
  in.close();
  std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
  writeFileBytes(name, text);
}

std::string scrambled(std::string plain) {
  scrambleStrings(plain.data(), plain.size());
  return plain;
}

void writeStringsFiles(const StringsFiles& files) {
  std::string settings = "[Dictionary]\r\nLanguage=" + files.language +
                         "\r\nCharacter=" + std::to_string(files.character) + "\r\n";
  if (isAscii(settings)) {
    writeFileBytes(u16(files.settingsName), settings);
  } else {
    // A profile file with non-ASCII text is read right only as UTF-16.
    std::u16string wide = u"\xFEFF" + u16(settings);
    std::string bytes;
    for (char16_t c : wide) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    writeFileBytes(u16(files.settingsName), bytes);
  }

  std::u16string strPath;
  if (!files.strFolder.empty()) {
    strPath = u16(files.strFolder);
    if (!platform::pathExists(strPath)) platform::createDirectory(strPath);
    strPath += u"\\";
  }
  strPath += u16(files.language) + u".str";
  writeFileBytes(strPath, packedStrings(stringsSource(files)));
}

}  // namespace testing_support

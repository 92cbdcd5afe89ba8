#include "distkit/check.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/profile.h"
#include "platform/utf8.h"
#include "base/fields.h"
#include "script/script_file.h"
#include "text/charset.h"
#include "text/strings.h"
#include "text/strings_pack.h"

namespace {

constexpr int kRecordSize = 84;
constexpr int kWordWidth = 31;
constexpr int kTranslationsOffset = 31;
constexpr int kTranslationsWidth = 51;
constexpr int kConfigLineSize = 100;
// Field problems reported per list before the rest are only counted.
constexpr int kFieldProblemsShown = 5;

char16_t asciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c;
}
char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c; }

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

// A path relative to the install folder in a form that compares equal for
// every spelling the file system takes as the same: ASCII case folded, "/"
// as "\", empty and "." parts left out ("docs\\x" and ".\docs\x" are "docs\x").
std::u16string normalizedPath(std::u16string_view path) {
  std::u16string out;
  std::u16string part;
  auto flush = [&] {
    if (!part.empty() && part != u".") {
      if (!out.empty()) out += u'\\';
      out += part;
    }
    part.clear();
  };
  for (char16_t c : path) {
    if (c == u'\\' || c == u'/') {
      flush();
    } else {
      part += asciiLower(c);
    }
  }
  flush();
  return out;
}

std::u16string parentOf(std::u16string_view normalized) {
  std::size_t at = normalized.rfind(u'\\');
  return at == std::u16string_view::npos ? u"" : std::u16string(normalized.substr(0, at));
}

bool isDirectory(std::u16string_view path) {
  platform::FileSearch search;
  return search.first(path) && search.isDirectory();
}

bool isFile(std::u16string_view path) { return platform::pathExists(path) && !isDirectory(path); }

std::string utf8(std::u16string_view text) { return platform::utf16ToUtf8(text); }

// One file that the installer will have in the install folder, and where it
// comes from.
struct InstalledFile {
  std::u16string path;    // normalized, relative to the install folder
  std::u16string source;  // full path in the setup folder
  int line;               // the install.inf line that copies it
};

class Checker {
 public:
  explicit Checker(std::u16string_view setupDir) : setupDir_(setupDir) {
    if (!setupDir_.empty() && setupDir_.back() != u'\\' && setupDir_.back() != u'/') {
      setupDir_ += u'\\';
    }
  }

  std::vector<CheckProblem> run() {
    if (!isDirectory(trimmedSetupDir())) {
      report("", 0, "the setup folder " + utf8(setupDir_) + " does not exist");
      return problems_;
    }
    checkStrings();
    checkScript();
    return problems_;
  }

 private:
  std::u16string trimmedSetupDir() const {
    std::u16string dir = setupDir_;
    if (dir.size() > 1 && dir.back() == u'\\' && dir[dir.size() - 2] != u':') dir.pop_back();
    return dir;
  }

  void report(std::string file, int line, std::string message) {
    problems_.push_back({std::move(file), line, std::move(message)});
  }

  // The name of a file for a report: relative to the setup folder when it
  // lies there.
  std::string displayName(std::u16string_view fullPath) const {
    if (fullPath.size() > setupDir_.size() &&
        normalizedPath(fullPath.substr(0, setupDir_.size())) == normalizedPath(setupDir_)) {
      return utf8(fullPath.substr(setupDir_.size()));
    }
    return utf8(fullPath);
  }

  // 8-bit text of install.inf or the configuration file, for messages.
  std::string text8(const char* text) const {
    std::u16string wide(std::strlen(text) + 1, u'\0');
    toWide(text, wide.data(), textCodePage_);
    return utf8(wide.c_str());
  }

  // ---- language.in_ and the strings file ----

  void checkStrings() {
    std::u16string settings = setupDir_ + u"language.in_";
    if (!isFile(settings)) {
      report("language.in_", 0, "missing: the installer cannot name its strings file");
      return;
    }
    char16_t language[149];
    platform::profileString(u"Dictionary", u"Language", u"", language, 149, settings);
    int32_t character = platform::profileInt(u"Dictionary", u"Character", 0, settings);
    textCodePage_ = charsetToCodePage(character);
    if (language[0] == 0) {
      report("language.in_", 0, "no Language setting in section [Dictionary]");
      return;
    }
    std::u16string strName = std::u16string(language) + u".str";
    std::u16string strPath = setupDir_ + strName;
    platform::File file = platform::File::open(strPath, platform::OpenMode::ReadBinary);
    if (!file) {
      report(utf8(strName), 0,
             "missing: language.in_ names the language " + utf8(language) +
                 ", and the installer looks for its strings file in the setup folder first"
                 " (then in the strings folder of the proposed directory)");
      return;
    }
    int64_t size = file.size();
    std::string packed(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size < 0 || file.read(packed.data(), packed.size()) != packed.size()) {
      report(utf8(strName), 0, "cannot be read");
      return;
    }
    std::string source, error;
    if (!unpackStrings(packed, source, error)) {
      report(utf8(strName), 0, error);
      return;
    }
    parseEntries(source);
    textCodePage_ = charsetToCodePage(parseDecimal(value("CharactersetCode").c_str()));

    for (int k = 0; k < kStringKeyCount; ++k)
      requireKey(strName, stringKeyName(static_cast<StringKey>(k)));
    int fonts = parseDecimal(value("ForeignFonts").c_str());
    for (int i = 0; i < fonts && i < kForeignFontSlots; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "Font%03d", 600 + i);
      requireKey(strName, name);
    }
    if (fonts > kForeignFontSlots) {
      report(utf8(strName), 0,
             "ForeignFonts is " + std::to_string(fonts) + ": only the first 100 fonts are read");
    }
    stringsLoaded_ = missingKeys_ == 0;
    if (stringsLoaded_) {
      for (const char* key : {"Install_TaalCf", "FilenameIni", "IniLanguage"}) {
        if (value(key).empty()) report(utf8(strName), 0, std::string(key) + " is empty");
      }
    }
  }

  void parseEntries(const std::string& source) {
    std::size_t pos = 0;
    while (pos < source.size()) {
      std::size_t end = source.find('\n', pos);
      if (end == std::string::npos) end = source.size();
      std::string_view line(source.data() + pos, end - pos);
      std::size_t eq = line.find('=');
      if (eq != std::string_view::npos) {
        entries_.push_back({std::string(line.substr(0, eq)), std::string(line.substr(eq + 1))});
      }
      pos = end + 1;
    }
  }

  // The value of a key as the loader finds it: the first entry whose key is
  // equal ignoring ASCII case. Empty when missing.
  std::string value(std::string_view key) const {
    for (const auto& [k, v] : entries_) {
      if (sameIgnoringCase(k, key)) return v;
    }
    return "";
  }
  bool hasKey(std::string_view key) const {
    for (const auto& entry : entries_) {
      if (sameIgnoringCase(entry.first, key)) return true;
    }
    return false;
  }
  void requireKey(const std::u16string& strName, const char* key) {
    if (hasKey(key)) return;
    ++missingKeys_;
    report(utf8(strName), 0,
           std::string("key ") + key + " missing: the installer stops at start-up");
  }
  std::u16string wideValue(std::string_view key) const {
    std::u16string out;
    utf8ToWide(value(key), out);
    return out;
  }

  // ---- install.inf ----

  void checkScript() {
    platform::File file =
        platform::File::open(setupDir_ + u"install.inf", platform::OpenMode::ReadText);
    if (!file) {
      report("install.inf", 0, "missing: the installer stops with \"Can't open INSTALL.INF\"");
      return;
    }
    char piece[kScriptLineCapacity];
    int lineNumber = 0;
    bool atLineStart = true;
    while (file.readLine(piece, kScriptLineCapacity)) {
      if (atLineStart) ++lineNumber;
      bool wasLineStart = atLineStart;
      std::size_t n = std::strlen(piece);
      atLineStart = n > 0 && piece[n - 1] == '\n';
      if (wasLineStart && !atLineStart && !file.atEnd() && n == kScriptLineCapacity - 1) {
        report("install.inf", lineNumber,
               "line longer than 99 bytes: the installer reads the rest as a line of its own");
      }
      if (atLineStart) piece[--n] = 0;
      if (n == 0 || piece[0] == '#') continue;
      checkScriptLine(piece, lineNumber);
    }
    if (file.failed()) report("install.inf", 0, "read error");
    finishScript();
  }

  static const char* keywordName(Keyword k) {
    switch (k) {
      case Keyword::Title:
        return "title";
      case Keyword::Dir:
        return "dir";
      case Keyword::Subdir:
        return "subdir";
      case Keyword::Wbarg:
        return "wbarg";
      case Keyword::Debug:
        return "debug";
      case Keyword::Mkdir:
        return "mkdir";
      case Keyword::IconName:
        return "iconname";
      case Keyword::AviDelay:
        return "avidelay";
      case Keyword::SetIni:
        return "setini";
      case Keyword::IconGroup:
        return "icongroup";
      case Keyword::IconExe:
        return "iconexe";
      case Keyword::Display:
        return "display";
      case Keyword::MkWList:
        return "mkwlist";
      case Keyword::Copy:
        return "copy";
      case Keyword::XCopy:
        return "xcopy";
      case Keyword::SndCopy:
        return "sndcopy";
      case Keyword::None:
        break;
    }
    return "";
  }

  void checkScriptLine(const char* text, int line) {
    Keyword keyword = matchKeyword(text, ScriptPass::Startup);
    if (keyword == Keyword::None) keyword = matchKeyword(text, ScriptPass::Install);
    if (keyword == Keyword::None) {
      report("install.inf", line, "unknown line, ignored by the installer: " + text8(text));
      return;
    }
    const char* name = keywordName(keyword);
    std::string_view firstWord(text, std::strcspn(text, " "));
    if (!sameIgnoringCase(firstWord, name)) {
      report("install.inf", line,
             "\"" + text8(std::string(firstWord).c_str()) + "\" is read as the keyword " + name);
    }
    ScriptLine scriptLine;
    std::snprintf(scriptLine.text, sizeof scriptLine.text, "%s", text);
    const char* argument = scriptLine.argument();

    switch (keyword) {
      case Keyword::Debug:
        return;
      case Keyword::MkWList:
        mkwlistLine_ = line;
        return;
      case Keyword::Copy:
        checkCopy(text, line);
        return;
      case Keyword::XCopy:
        checkXCopy(text, line);
        return;
      case Keyword::SndCopy:
        checkSndCopy(text, line);
        return;
      default:
        break;
    }
    if (!argument) {
      report("install.inf", line, std::string(name) + " without its argument");
      return;
    }
    std::u16string wideArgument = utf16(argument);
    switch (keyword) {
      case Keyword::Mkdir: {
        std::u16string dir = normalizedPath(wideArgument);
        requireFolder(parentOf(dir), line, "mkdir");
        madeFolders_.push_back(dir);
        break;
      }
      case Keyword::SetIni: {
        const char* eq = std::strchr(argument, '=');
        if (!eq)
          report("install.inf", line, "setini without \"=\": nothing sensible is written");
        else if (eq == argument)
          report("install.inf", line, "setini with an empty key");
        break;
      }
      case Keyword::Display:
        if (!isFile(setupDir_ + wideArgument)) {
          report(
              "install.inf", line,
              "display: " + text8(argument) +
                  " not found in the setup folder; the closing box shows Install_Finished instead");
        }
        break;
      case Keyword::IconExe:
        iconExe_ = wideArgument;
        iconExeLine_ = line;
        break;
      case Keyword::IconName:
        iconNameLine_ = line;
        break;
      case Keyword::IconGroup:
        hasIconGroup_ = true;
        break;
      default:
        break;
    }
  }

  std::u16string utf16(const char* text) const {
    std::u16string wide(std::strlen(text) + 1, u'\0');
    toWide(text, wide.data(), textCodePage_);
    return std::u16string(wide.c_str());
  }

  // A destination folder under the install folder must exist when the copy
  // runs: it is the install folder itself or made by an earlier mkdir line.
  void requireFolder(const std::u16string& folder, int line, const char* command) {
    if (folder.empty()) return;
    for (const std::u16string& made : madeFolders_) {
      if (made == folder) return;
    }
    report("install.inf", line,
           std::string(command) + ": the folder " + utf8(folder) +
               " is not made by an earlier mkdir line, so the copy fails");
  }

  void install(const std::u16string& relative, const std::u16string& source, int line) {
    std::u16string path = normalizedPath(relative);
    for (InstalledFile& f : installed_) {
      if (f.path == path) {
        f = {path, source, line};
        return;
      }
    }
    installed_.push_back({path, source, line});
  }

  const InstalledFile* installedFile(std::u16string_view relative) const {
    std::u16string path = normalizedPath(relative);
    for (const InstalledFile& f : installed_) {
      if (f.path == path) return &f;
    }
    return nullptr;
  }

  void checkCopy(const char* text, int line) {
    ScriptTokens tokens = splitTokens(text);
    if (tokens.count < 3) {
      report("install.inf", line, "copy needs a source and a destination file name");
      return;
    }
    if (tokens.count > 3)
      report("install.inf", line, "copy: the text after the destination is ignored");
    std::u16string source = setupDir_ + utf16(tokens.token[1]);
    if (!isFile(source)) {
      report("install.inf", line,
             "copy: " + text8(tokens.token[1]) + " not found in the setup folder");
    }
    std::u16string destination = utf16(tokens.token[2]);
    requireFolder(parentOf(normalizedPath(destination)), line, "copy");
    install(destination, source, line);
  }

  // The non-directory entries that a search finds, as the installer copies
  // them.
  static std::vector<std::u16string> filesMatching(const std::u16string& pattern) {
    std::vector<std::u16string> names;
    platform::FileSearch search;
    if (!search.first(pattern)) return names;
    do {
      if (!search.isDirectory()) names.emplace_back(search.name());
    } while (search.next());
    return names;
  }

  void checkXCopy(const char* text, int line) {
    ScriptTokens tokens = splitTokens(text);
    if (tokens.count < 2) {
      report("install.inf", line, "xcopy without a file pattern");
      return;
    }
    if (tokens.count > 3)
      report("install.inf", line, "xcopy: the text after the folder is ignored");
    std::u16string pattern = utf16(tokens.token[1]);
    std::u16string subfolder = tokens.count >= 3 ? utf16(tokens.token[2]) : u"";
    if (pattern.find_first_of(u"\\/") != std::u16string::npos) {
      report("install.inf", line,
             "xcopy: a pattern with a folder finds the names in that folder but copies the "
             "files of that name from the setup folder itself");
    }
    std::vector<std::u16string> names = filesMatching(setupDir_ + pattern);
    if (names.empty()) {
      report("install.inf", line,
             "xcopy: " + text8(tokens.token[1]) + " matches no file in the setup folder");
      return;
    }
    requireFolder(normalizedPath(subfolder), line, "xcopy");
    for (const std::u16string& name : names) {
      std::u16string source = setupDir_ + name;
      if (!isFile(source)) {
        report("install.inf", line,
               "xcopy: " + utf8(name) + " not found in the setup folder itself");
        continue;
      }
      install(subfolder + u"\\" + name, source, line);
    }
  }

  void checkSndCopy(const char* text, int line) {
    ScriptTokens tokens = splitTokens(text);
    if (tokens.count < 3) {
      report("install.inf", line, "sndcopy needs a folder and a destination folder");
      return;
    }
    if (tokens.count > 3)
      report("install.inf", line, "sndcopy: the text after the destination is ignored");
    std::u16string folder = setupDir_ + utf16(tokens.token[1]);
    if (!isDirectory(folder)) {
      report("install.inf", line,
             "sndcopy: the folder " + text8(tokens.token[1]) + " is not in the setup folder");
      return;
    }
    std::vector<std::u16string> names = filesMatching(folder + u"\\*.*");
    if (names.empty()) {
      report("install.inf", line,
             "sndcopy: the folder " + text8(tokens.token[1]) + " holds no file");
      return;
    }
    std::u16string subfolder = utf16(tokens.token[2]);
    requireFolder(normalizedPath(subfolder), line, "sndcopy");
    for (const std::u16string& name : names)
      install(subfolder + u"\\" + name, folder + u"\\" + name, line);
  }

  void finishScript() {
    if (iconExeLine_ > 0 && !installedFile(iconExe_)) {
      report("install.inf", iconExeLine_,
             "iconexe: no copy line puts " + utf8(iconExe_) + " into the install folder");
    }
    if (iconNameLine_ > 0 && !hasIconGroup_) {
      report("install.inf", iconNameLine_,
             "iconname without icongroup: the shortcut lands directly in the Start menu's "
             "programs folder");
    }
    if (mkwlistLine_ > 0) checkLanguageConfiguration();
  }

  // ---- the language configuration file and the word lists ----

  void checkLanguageConfiguration() {
    if (!stringsLoaded_) return;  // names unknown; the strings problems say why
    std::u16string configName = wideValue("Install_TaalCf");
    const InstalledFile* config = installedFile(configName);
    if (!config) {
      report("install.inf", mkwlistLine_,
             "mkwlist: no copy line puts the language configuration file " + utf8(configName) +
                 " (strings key Install_TaalCf) into the install folder");
      return;
    }
    std::string configFile = displayName(config->source);
    platform::File file = platform::File::open(config->source, platform::OpenMode::ReadText);
    if (!file) {
      report(configFile, 0, "cannot be opened");
      return;
    }

    // Content lines with their line numbers, read as the installer reads
    // them (100-byte buffer, empty and "#" lines skipped).
    struct ConfigLine {
      std::string text;
      int line;
    };
    std::vector<ConfigLine> lines;
    char piece[kConfigLineSize];
    int lineNumber = 0;
    bool atLineStart = true;
    while (file.readLine(piece, kConfigLineSize)) {
      if (atLineStart) ++lineNumber;
      bool wasLineStart = atLineStart;
      std::size_t n = std::strlen(piece);
      atLineStart = n > 0 && piece[n - 1] == '\n';
      if (wasLineStart && !atLineStart && !file.atEnd() && n == kConfigLineSize - 1) {
        report(configFile, lineNumber,
               "line longer than 99 bytes: the installer reads the rest as a line of its own");
      }
      if (atLineStart) piece[--n] = 0;
      if (n == 0 || piece[0] == '#') continue;
      lines.push_back({piece, lineNumber});
    }
    if (file.failed()) report(configFile, 0, "read error");
    if (lines.empty()) {
      report(configFile, 0, "holds no language: mkwlist builds nothing");
      return;
    }
    for (std::size_t i = 0; i < lines.size(); i += 3) {
      if (i + 2 >= lines.size()) {
        report(configFile, lines[i].line,
               "language line without its two list file names: the installer stops here");
        checkLanguageLine(configFile, lines[i].text, lines[i].line);
        break;
      }
      if (!checkLanguageLine(configFile, lines[i].text, lines[i].line)) continue;
      checkSourceList(configFile, lines[i + 1].text, lines[i + 1].line);
      if (sameIgnoringCase(lines[i + 1].text, lines[i + 2].text)) {
        report(configFile, lines[i + 2].line,
               "the reversed list would overwrite its own source list");
      }
    }
  }

  bool checkLanguageLine(const std::string& configFile, const std::string& text, int line) {
    char copy[kConfigLineSize];
    std::strncpy(copy, text.c_str(), sizeof copy - 1);
    copy[sizeof copy - 1] = 0;
    char* fields[4];
    if (splitFields(copy, fields, 4) < 4) {
      report(configFile, line,
             "language line with fewer than four fields (the installer stops here): " +
                 text8(text.c_str()));
      return false;
    }
    const char* charset = fields[2];
    while (*charset == ' ' || *charset == '\t') ++charset;
    if (!(*charset >= '0' && *charset <= '9') &&
        !((*charset == '-' || *charset == '+') && charset[1] >= '0' && charset[1] <= '9')) {
      report(
          configFile, line,
          "charset field \"" + text8(fields[2]) + "\" is not a number: read as 0 (code page 1252)");
    } else if (!charsetHasFixedCodePage(parseDecimal(fields[2]))) {
      report(configFile, line,
             "charset " + std::to_string(parseDecimal(fields[2])) +
                 " has no code page of its own: the lists are read in the system's ANSI code page");
    }
    return true;
  }

  void checkSourceList(const std::string& configFile, const std::string& name, int line) {
    std::u16string relative = wideValue("PathLanguage") + utf16(name.c_str());
    const InstalledFile* list = installedFile(relative);
    if (!list) {
      report(
          configFile, line,
          "source list " + utf8(relative) + " is not put into the install folder by install.inf");
      return;
    }
    std::string listFile = displayName(list->source);
    platform::File file = platform::File::open(list->source, platform::OpenMode::ReadBinary);
    if (!file) {
      report(listFile, 0,
             "source list missing (copied by install.inf line " + std::to_string(list->line) + ")");
      return;
    }
    int64_t size = file.size();
    if (size % kRecordSize != 0) {
      report(listFile, 0,
             "size " + std::to_string(size) + " is not a multiple of 84 bytes: the last " +
                 std::to_string(size % kRecordSize) + " bytes are ignored");
    }
    unsigned char record[kRecordSize];
    int64_t index = 0;
    int fieldProblems = 0;
    while (file.read(record, kRecordSize) == kRecordSize) {
      ++index;
      bool wordOk = std::memchr(record, 0, kWordWidth) != nullptr;
      bool translationsOk =
          std::memchr(record + kTranslationsOffset, 0, kTranslationsWidth) != nullptr;
      for (const char* field :
           {wordOk ? nullptr : "word", translationsOk ? nullptr : "translations"}) {
        if (!field) continue;
        if (++fieldProblems <= kFieldProblemsShown) {
          report(listFile, 0,
                 "record " + std::to_string(index) + ": " + field + " field without its zero byte");
        }
      }
    }
    if (fieldProblems > kFieldProblemsShown) {
      report(listFile, 0,
             std::to_string(fieldProblems - kFieldProblemsShown) +
                 " more fields without their zero byte");
    }
  }

  std::u16string setupDir_;
  std::vector<CheckProblem> problems_;
  uint32_t textCodePage_ = 1252;
  std::vector<std::pair<std::string, std::string>> entries_;
  int missingKeys_ = 0;
  bool stringsLoaded_ = false;

  std::vector<std::u16string> madeFolders_;
  std::vector<InstalledFile> installed_;
  int mkwlistLine_ = 0;
  int iconExeLine_ = 0;
  int iconNameLine_ = 0;
  bool hasIconGroup_ = false;
  std::u16string iconExe_;
};

}  // namespace

std::vector<CheckProblem> checkDistribution(std::u16string_view setupDir) {
  return Checker(setupDir).run();
}

std::string formatProblem(const CheckProblem& problem) {
  std::string out = problem.file.empty() ? "setup folder" : problem.file;
  if (problem.line > 0) out += ":" + std::to_string(problem.line);
  return out + ": " + problem.message;
}

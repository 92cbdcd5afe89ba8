// distkit check, part 4: the language configuration file and the word
// lists, read with the installer's readers. At run time they are read from
// the install folder, where install.inf's copy commands put them; so a file
// that the installer finds as INSTALLDIR\X is checked at the source that the
// last copy, xcopy or sndcopy line writing X copies from. Groups must be
// complete (a language line of four fields and two list-name lines), source
// lists present, a whole number of records, each field with its zero byte.
#include <cstring>
#include <string>
#include <vector>

#include "platform/ascii.h"
#include "base/lines.h"
#include "distkit/check_parts.h"
#include "distkit/build_marker.h"
#include "platform/file.h"
#include "platform/utf8.h"
#include "text/charset.h"
#include "wordlist/language_config.h"
#include "wordlist/records.h"

namespace {

// Field problems reported per list before the rest are only counted.
constexpr int kFieldProblemsShown = 5;

struct ConfigLine {
  std::string text;
  int line;
};

class ListChecker {
 public:
  ListChecker(SetupFolder& setup, const StringsCheck& strings, const ScriptCheck& script)
      : setup_(setup), strings_(strings), script_(script) {}

  void run() {
    std::u16string configName = strings_.value(StringKey::Install_TaalCf);
    const InstalledFile* config = script_.installed.find(configName);
    if (!config) {
      setup_.report("install.inf", script_.mkwlistLine,
                    "mkwlist: no copy line puts the language configuration file " +
                        platform::utf16ToUtf8(configName) +
                        " (strings key Install_TaalCf) into the install folder");
      return;
    }
    configFile_ = setup_.displayName(config->source);
    std::vector<ConfigLine> lines;
    if (!readConfiguration(config->source, lines)) return;
    if (lines.empty()) {
      setup_.report(configFile_, 0, "holds no language: mkwlist builds nothing");
      return;
    }
    checkGroups(lines);
  }

 private:
  // Content lines with their line numbers, read as the installer reads them.
  bool readConfiguration(const std::u16string& path, std::vector<ConfigLine>& lines) {
    NumberedLines file(platform::File::open(path, platform::OpenMode::ReadText));
    if (!file.isOpen()) {
      setup_.report(configFile_, 0, "cannot be opened");
      return false;
    }
    char piece[kConfigLineSize];
    int number = 0;
    bool overlong = false;
    while (file.next(piece, kConfigLineSize, number, overlong)) {
      if (overlong) {
        setup_.report(configFile_, number,
                      "line longer than 99 bytes: the installer reads the rest "
                      "as a line of its own");
      }
      if (!isSkippedLine(piece)) lines.push_back({piece, number});
    }
    if (file.failed()) setup_.report(configFile_, 0, "read error");
    return true;
  }

  void checkGroups(const std::vector<ConfigLine>& lines) {
    for (std::size_t i = 0; i < lines.size(); i += 3) {
      if (i + 2 >= lines.size()) {
        setup_.report(configFile_, lines[i].line,
                      "language line without its two list file names: the "
                      "installer stops here");
        checkLanguageLine(lines[i]);
        break;
      }
      if (!checkLanguageLine(lines[i])) continue;
      if (listName(lines[i + 1])) checkSourceList(lines[i + 1]);
      if (listName(lines[i + 2])) checkOutputList(lines[i + 1], lines[i + 2]);
    }
  }

  // A list's name by the one rule for names.
  bool listName(const ConfigLine& line) {
    std::u16string name = setup_.wide(line.text.c_str());
    std::string problem =
        distkitNameProblem(name, NameUse::List, strings_.value(StringKey::PathLanguage));
    if (problem.empty()) return true;
    setup_.report(configFile_, line.line, "list name " + refusedName(name, problem));
    return false;
  }

  std::u16string listPath(const ConfigLine& name) const {
    return normalizedPath(strings_.value(StringKey::PathLanguage) + setup_.wide(name.text.c_str()));
  }

  // The reversed list is written into the install folder: it must not take
  // the place of a file that is there by then.
  void checkOutputList(const ConfigLine& source, const ConfigLine& output) {
    std::u16string path = listPath(output);
    std::string taken;
    if (path == listPath(source)) {
      taken = "its own source list";
    } else if (const InstalledFile* file = script_.installed.find(path)) {
      taken = platform::utf16ToUtf8(file->spelled) + ", which install.inf line " +
              std::to_string(file->line) + " copies";
    } else {
      for (StringKey key : {StringKey::FilenameIni, StringKey::Install_TaalTemp}) {
        if (path == normalizedPath(strings_.value(key)))
          taken = platform::utf16ToUtf8(strings_.value(key)) + " (strings key " +
                  stringKeyName(key) + ")";
      }
      if (path == normalizedPath(u"tmp.ini")) taken = "tmp.ini, where dict.ini is rewritten";
      for (const ConfigLine& other : outputs_) {
        if (listPath(other) == path)
          taken = "the reversed list of line " + std::to_string(other.line);
      }
    }
    outputs_.push_back(output);
    if (!taken.empty())
      setup_.report(configFile_, output.line, "the reversed list would overwrite " + taken);
  }

  bool checkLanguageLine(const ConfigLine& line) {
    char copy[kConfigLineSize];
    std::strncpy(copy, line.text.c_str(), sizeof copy - 1);
    copy[sizeof copy - 1] = 0;
    LanguageFields fields;
    if (!splitLanguageLine(copy, fields)) {
      setup_.report(configFile_, line.line,
                    "language line with fewer than four fields (the installer "
                    "stops here): " +
                        setup_.text8(line.text.c_str()));
      return false;
    }
    const char* charset = fields.charset();
    while (*charset == ' ' || *charset == '\t') ++charset;
    if (!(*charset >= '0' && *charset <= '9') &&
        !((*charset == '-' || *charset == '+') && charset[1] >= '0' && charset[1] <= '9')) {
      setup_.report(configFile_, line.line,
                    "charset field \"" + setup_.text8(fields.charset()) +
                        "\" is not a number: read as 0 (code page 1252)");
    } else if (!charsetHasFixedCodePage(parseDecimal(fields.charset()))) {
      setup_.report(configFile_, line.line,
                    "charset " + std::to_string(parseDecimal(fields.charset())) +
                        " has no code page of its own: the lists are read in "
                        "the system's ANSI "
                        "code page");
    }
    return true;
  }

  void checkSourceList(const ConfigLine& name) {
    std::u16string relative =
        strings_.value(StringKey::PathLanguage) + setup_.wide(name.text.c_str());
    const InstalledFile* list = script_.installed.find(relative);
    if (!list) {
      setup_.report(configFile_, name.line,
                    "source list " + platform::utf16ToUtf8(relative) +
                        " is not put into the install folder by install.inf");
      return;
    }
    checkRecords(*list);
  }

  void checkRecords(const InstalledFile& list) {
    std::string listFile = setup_.displayName(list.source);
    platform::File file = platform::File::open(list.source, platform::OpenMode::ReadBinary);
    if (!file) {
      setup_.report(
          listFile, 0,
          "source list missing (copied by install.inf line " + std::to_string(list.line) + ")");
      return;
    }
    int64_t size = file.size();
    if (size % kWordRecordSize != 0) {
      setup_.report(listFile, 0,
                    "size " + std::to_string(size) + " is not a multiple of " +
                        std::to_string(kWordRecordSize) + " bytes: the last " +
                        std::to_string(size % kWordRecordSize) + " bytes are ignored");
    }
    WordRecord record;
    int64_t index = 0;
    int fieldProblems = 0;
    while (file.read(&record, kWordRecordSize) == kWordRecordSize) {
      ++index;
      bool wordOk = std::memchr(record.word, 0, kWordFieldSize) != nullptr;
      bool translationsOk = std::memchr(record.translations, 0, kTranslationsFieldSize) != nullptr;
      for (const char* field :
           {wordOk ? nullptr : "word", translationsOk ? nullptr : "translations"}) {
        if (!field) continue;
        if (++fieldProblems <= kFieldProblemsShown) {
          setup_.report(
              listFile, 0,
              "record " + std::to_string(index) + ": " + field + " field without its zero byte");
        }
      }
    }
    if (fieldProblems > kFieldProblemsShown) {
      setup_.report(listFile, 0,
                    std::to_string(fieldProblems - kFieldProblemsShown) +
                        " more fields without their zero byte");
    }
  }

  SetupFolder& setup_;
  const StringsCheck& strings_;
  const ScriptCheck& script_;
  std::string configFile_;
  std::vector<ConfigLine> outputs_;
};

}  // namespace

void checkLanguages(SetupFolder& setup, const StringsCheck& strings, const ScriptCheck& script) {
  ListChecker(setup, strings, script).run();
}

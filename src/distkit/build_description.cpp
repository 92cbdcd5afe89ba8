// Reading a distribution's description: values through the installer's own
// profile reader, line numbers (for reports only) from the file's lines.
#include "distkit/build_description.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/ascii.h"
#include "distkit/check_parts.h"
#include "distkit/build_marker.h"
#include "distkit/tool_files.h"
#include "platform/file.h"
#include "platform/profile.h"
#include "platform/utf8.h"
#include "script/script_file.h"
#include "text/strings_pack.h"
#include "wordlist/list_text.h"

namespace {

constexpr std::size_t kValueCapacity = 2048;

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string_view trim(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r'))
    s.remove_suffix(1);
  return s;
}

// The description's lines, to tell where a section or key stands. Values are
// never taken from here.
class DescriptionLines {
 public:
  explicit DescriptionLines(std::u16string_view path) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) return;
    std::u16string text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
      for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
      }
    } else {
      for (char c : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find(u'\n', start);
      if (end == std::u16string::npos) end = text.size();
      lines_.push_back(text.substr(start, end - start));
      start = end + 1;
    }
  }

  // The line of "[section]"; 0 when there is none.
  int section(std::u16string_view name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      std::u16string_view line = trim(lines_[i]);
      if (line.size() >= 2 && line.front() == u'[' && line.back() == u']' &&
          equalsIgnoringAsciiCase(trim(line.substr(1, line.size() - 2)), name)) {
        return static_cast<int>(i) + 1;
      }
    }
    return 0;
  }

  // The line of "key=" in the section; the section's line when the key is
  // not there.
  int key(std::u16string_view sectionName, std::u16string_view keyName) const {
    int at = section(sectionName);
    if (at == 0) return 0;
    for (std::size_t i = static_cast<std::size_t>(at); i < lines_.size(); ++i) {
      std::u16string_view line = trim(lines_[i]);
      if (!line.empty() && line.front() == u'[') break;
      std::size_t eq = line.find(u'=');
      if (eq != std::u16string_view::npos && equalsIgnoringAsciiCase(trim(line.substr(0, eq)), keyName))
        return static_cast<int>(i) + 1;
    }
    return at;
  }

  // The keys of the section, as written, with their lines.
  std::vector<std::pair<std::u16string, int>> keys(std::u16string_view sectionName) const {
    std::vector<std::pair<std::u16string, int>> out;
    int at = section(sectionName);
    for (std::size_t i = static_cast<std::size_t>(at); at > 0 && i < lines_.size(); ++i) {
      std::u16string_view line = trim(lines_[i]);
      if (!line.empty() && line.front() == u'[') break;
      std::size_t eq = line.find(u'=');
      if (eq != std::u16string_view::npos && line.front() != u';')
        out.emplace_back(trim(line.substr(0, eq)), static_cast<int>(i) + 1);
    }
    return out;
  }

 private:
  std::vector<std::u16string> lines_;
};

// A source named in the description and where the description names it.
struct Named {
  std::u16string path;  // full
  std::string shown;    // as reports show it
  int line = 0;
};

class DescriptionReader {
 public:
  DescriptionReader(std::u16string_view path, std::vector<CheckProblem>& problems)
      : given_(path), file_(absolutePath(path)), lines_(file_), problems_(problems) {
    std::size_t slash = given_.find_last_of(u"\\/");
    shownBase_ = slash == std::u16string::npos ? u"" : given_.substr(0, slash + 1);
    slash = file_.find_last_of(u"\\/");
    base_ = file_.substr(0, slash + 1);
    plan_.descriptionShown = platform::utf16ToUtf8(given_);
  }

  DistributionPlan run() {
    plan_.sources.push_back(file_);
    if (!isFile(file_)) {
      report(0, "cannot be read");
      return std::move(plan_);
    }
    readSetup();
    readFileList(u"Strings", u"Strings", true);
    readFileList(u"Files", u"File", false);
    for (const std::u16string& id : split(value(u"Setup", u"Languages")))
      readLanguage(u"Language " + id);
    findDoubles();
    return std::move(plan_);
  }

 private:
  void report(int line, std::string message) {
    problems_.push_back({plan_.descriptionShown, line, std::move(message)});
  }
  void reportAt(std::u16string_view section, std::u16string_view key, std::string message) {
    report(lines_.key(section, key), "[" + platform::utf16ToUtf8(section) + "] " +
                                         platform::utf16ToUtf8(key) + ": " + std::move(message));
  }

  // The value through the profile reader; empty when missing.
  std::u16string value(std::u16string_view section, std::u16string_view key) {
    char16_t buffer[kValueCapacity];
    std::size_t n = platform::profileString(section, key, u"", buffer, kValueCapacity, file_);
    if (n >= kValueCapacity - 2) reportAt(section, key, "value too long");
    return std::u16string(trim(buffer));
  }
  std::u16string required(std::u16string_view section, std::u16string_view key) {
    std::u16string v = value(section, key);
    if (v.empty()) {
      report(lines_.key(section, key), "[" + platform::utf16ToUtf8(section) + "] has no " +
                                           platform::utf16ToUtf8(key) + " (or it is empty)");
    }
    return v;
  }

  // A source path of the description, relative to its folder.
  Named source(std::u16string_view section, std::u16string_view key, std::u16string_view text) {
    Named named;
    named.line = lines_.key(section, key);
    bool absolute = (!text.empty() && isSeparator(text[0])) || (text.size() > 1 && text[1] == u':');
    named.path = absolute ? std::u16string(text) : base_ + std::u16string(text);
    named.shown =
        platform::utf16ToUtf8(absolute ? std::u16string(text) : shownBase_ + std::u16string(text));
    return named;
  }

  bool readSource(const Named& named, std::string& bytes) {
    plan_.sources.push_back(named.path);
    if (readWholeFile(named.path, bytes)) return true;
    report(named.line, "cannot read " + named.shown);
    return false;
  }

  // A path inside the setup folder, by the one rule for such names; "/"
  // becomes "\\".
  bool setupName(std::u16string_view section, std::u16string_view key, std::u16string& name) {
    std::string problem = distkitNameProblem(name, NameUse::File);
    if (!problem.empty()) {
      reportAt(section, key, refusedName(name, problem));
      return false;
    }
    for (char16_t& c : name) {
      if (c == u'/') c = u'\\';
    }
    return true;
  }

  void add(std::u16string name, std::string bytes, FileOrigin origin) {
    plan_.files.push_back({std::move(name), std::move(bytes), std::move(origin)});
  }

  void readSetup() {
    std::u16string language = required(u"Setup", u"Language");
    for (char16_t c : language) {
      if (c <= u' ' || c > u'~' ||
          std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) {
        reportAt(u"Setup", u"Language",
                 "\"" + platform::utf16ToUtf8(language) +
                     "\" must be a plain ASCII file name: it names the strings file, and the "
                     "installer reads it in the user's ANSI code page");
        language.clear();
        break;
      }
    }
    std::u16string character = value(u"Setup", u"Character");
    if (character.empty()) character = u"0";
    for (char16_t c : character) {
      if (c < u'0' || c > u'9') {
        reportAt(u"Setup", u"Character",
                 "\"" + platform::utf16ToUtf8(character) + "\" is not a charset number");
        break;
      }
    }
    int settingsLine = lines_.key(u"Setup", u"Language");
    if (!language.empty()) {
      std::string settings = "[Dictionary]\r\nLanguage=" + platform::utf16ToUtf8(language) +
                             "\r\nCharacter=" + platform::utf16ToUtf8(character) + "\r\n";
      add(std::u16string(settingsFileName(true)), settings,
          {"", false, settingsLine, {0, settingsLine, lines_.key(u"Setup", u"Character")}});
    }
    std::u16string strings = required(u"Setup", u"Strings");
    if (!language.empty()) {
      std::u16string name = language + u".str";
      if (!setupName(u"Setup", u"Language", name)) language.clear();
    }
    if (!strings.empty() && !language.empty()) {
      plan_.stringsName = language + u".str";
      packStringsSource(source(u"Setup", u"Strings", strings), plan_.stringsName);
    }
    std::u16string script = required(u"Setup", u"Script");
    if (!script.empty()) {
      Named named = source(u"Setup", u"Script", script);
      std::string bytes;
      if (readSource(named, bytes))
        add(std::u16string(kScriptFileName), std::move(bytes), {named.shown, true, named.line, {}});
    }
  }

  void packStringsSource(const Named& named, std::u16string name) {
    std::string text, packed;
    if (!readSource(named, text)) return;
    std::vector<std::string> warnings;
    StringsSourceProblem problem;
    if (!packStrings(text, packed, problem, &warnings)) {
      problems_.push_back({named.shown, problem.line, problem.message});
      return;
    }
    add(std::move(name), std::move(packed), {named.shown, false, named.line, {}});
  }

  // "SOURCE" or "SOURCE > NAME".
  void splitEntry(const std::u16string& entry, std::u16string& from, std::u16string& to) {
    std::size_t mark = entry.find(u'>');
    from = std::u16string(trim(std::u16string_view(entry).substr(0, mark)));
    to = mark == std::u16string::npos
             ? u""
             : std::u16string(trim(std::u16string_view(entry).substr(mark + 1)));
  }

  // Numbered keys Prefix1, Prefix2, ... up to the first missing one; a
  // numbered key after it is a problem, never passed over.
  void readFileList(std::u16string_view section, std::u16string_view prefix, bool strings) {
    for (int i = 1;; ++i) {
      std::u16string key = std::u16string(prefix) + platform::utf8ToUtf16Lossy(std::to_string(i));
      std::u16string entry = value(section, key);
      if (entry.empty()) return reportKeysAfterGap(section, prefix, i);
      std::u16string from, to;
      splitEntry(entry, from, to);
      if (from.empty()) {
        reportAt(section, key, "no source file");
        continue;
      }
      if (to.empty()) {
        std::size_t slash = from.find_last_of(u"\\/");
        to = slash == std::u16string::npos ? from : from.substr(slash + 1);
        if (strings) to = to.substr(0, to.rfind(u'.')) + u".str";
      }
      if (!setupName(section, key, to)) continue;
      Named named = source(section, key, from);
      if (strings) {
        packStringsSource(named, to);
        continue;
      }
      std::string bytes;
      if (readSource(named, bytes)) add(to, std::move(bytes), {named.shown, true, named.line, {}});
    }
  }

  // Each key of the section named Prefix and a number that the reading,
  // which ended at the number `missing`, did not reach.
  void reportKeysAfterGap(std::u16string_view section, std::u16string_view prefix, int missing) {
    for (const auto& [key, line] : lines_.keys(section)) {
      std::u16string_view number =
          std::u16string_view(key).substr(std::min(key.size(), prefix.size()));
      if (number.empty() || number.size() > 9 ||
          !equalsIgnoringAsciiCase(std::u16string_view(key).substr(0, prefix.size()), prefix) ||
          number.find_first_not_of(u"0123456789") != std::u16string_view::npos)
        continue;
      int n = 0;
      for (char16_t c : number) n = n * 10 + (c - u'0');
      bool read = n >= 1 && n < missing && platform::utf8ToUtf16Lossy(std::to_string(n)) == number;
      if (read) continue;
      std::string name = platform::utf16ToUtf8(prefix);
      report(line, "[" + platform::utf16ToUtf8(section) + "] " + platform::utf16ToUtf8(key) +
                       ": " + name + std::to_string(missing) +
                       " is missing or empty, and build reads the numbered keys " + name +
                       "1, " + name + "2, ... only up to the first number missing: number them "
                       "without a gap");
    }
  }

  static std::vector<std::u16string> split(std::u16string_view text) {
    std::vector<std::u16string> out;
    std::u16string part;
    for (std::size_t i = 0; i <= text.size(); ++i) {
      if (i == text.size() || text[i] == u',' || text[i] == u' ' || text[i] == u'\t') {
        if (!part.empty()) out.push_back(part);
        part.clear();
      } else {
        part += text[i];
      }
    }
    return out;
  }

  bool codePage(std::u16string_view section, std::u16string_view key, uint32_t& out) {
    std::u16string text = required(section, key);
    if (text.empty()) return false;
    if (parseCodePage(text, out)) return true;
    reportAt(section, key, "unknown code page \"" + platform::utf16ToUtf8(text) + "\"");
    return false;
  }

  void readLanguage(const std::u16string& section) {
    if (lines_.section(section) == 0) {
      report(lines_.key(u"Setup", u"Languages"),
             "[Setup] Languages: no section [" + platform::utf16ToUtf8(section) + "]");
      return;
    }
    PlannedLanguage language;
    static constexpr std::u16string_view kFields[4] = {u"Code", u"Number", u"Charset", u"Name"};
    bool complete = true;
    for (int i = 0; i < 4; ++i) {
      language.fields[i] = required(section, kFields[i]);
      complete = complete && !language.fields[i].empty();
      if (language.fields[i].find(u',') != std::u16string::npos) {
        reportAt(section, kFields[i], "a comma would split the language line");
        complete = false;
      }
    }
    for (char16_t c : language.fields[2]) {
      if (c < u'0' || c > u'9') {
        reportAt(section, u"Charset",
                 "\"" + platform::utf16ToUtf8(language.fields[2]) + "\" is not a charset number");
        complete = false;
        break;
      }
    }
    language.fieldsLine = lines_.key(section, u"Code");

    uint32_t wordCodePage = 0, translationsCodePage = 0;
    bool pages = codePage(section, u"WordCodePage", wordCodePage);
    pages = codePage(section, u"TranslationsCodePage", translationsCodePage) && pages;
    std::u16string listSource = required(section, u"WordList");
    std::u16string listName = required(section, u"SourceList");
    language.outputName = required(section, u"OutputList");
    language.sourceLine = lines_.key(section, u"SourceList");
    language.outputLine = lines_.key(section, u"OutputList");
    bool named = !listName.empty() && setupName(section, u"SourceList", listName);
    if (named) language.sourceName = listName.substr(listName.rfind(u'\\') + 1);

    std::u16string table = value(section, u"SortTable");
    if (!table.empty()) {
      Named tableSource = source(section, u"SortTable", table);
      language.sortTableShown = tableSource.shown;
      language.sortTableLine = tableSource.line;
      if (readSource(tableSource, language.sortTable) && language.sortTable.empty())
        report(tableSource.line, tableSource.shown + " is empty");
    }

    if (!listSource.empty()) {
      Named list = source(section, u"WordList", listSource);
      std::string text;
      if (readSource(list, text) && pages) {
        std::vector<ListTextProblem> rows;
        std::string records = packListText(text, wordCodePage, translationsCodePage, rows);
        for (const ListTextProblem& row : rows)
          problems_.push_back({list.shown, row.line, row.message});
        if (rows.empty() && named)
          add(listName, std::move(records), {list.shown, false, list.line, {}});
      }
    }
    if (complete && named && !language.outputName.empty())
      plan_.languages.push_back(std::move(language));
  }

  // Two sources for one file of the setup folder.
  void findDoubles() {
    for (std::size_t i = 0; i < plan_.files.size(); ++i) {
      for (std::size_t j = 0; j < i; ++j) {
        if (normalizedPath(plan_.files[i].name) == normalizedPath(plan_.files[j].name)) {
          report(plan_.files[i].origin.descriptionLine,
                 platform::utf16ToUtf8(plan_.files[i].name) +
                     " is written twice into the setup folder (also by line " +
                     std::to_string(plan_.files[j].origin.descriptionLine) + ")");
        }
      }
    }
  }

  std::u16string given_, file_, base_, shownBase_;
  DescriptionLines lines_;
  std::vector<CheckProblem>& problems_;
  DistributionPlan plan_;
};

}  // namespace

std::u16string absolutePath(std::u16string_view path) {
  if ((!path.empty() && isSeparator(path[0])) || (path.size() > 1 && path[1] == u':'))
    return std::u16string(path);
  char16_t current[1024];
  std::size_t n = platform::currentDirectory(current, 1024);
  std::u16string out(current, n);
  if (!out.empty() && !isSeparator(out.back())) out += u'\\';
  return out + std::u16string(path);
}

DistributionPlan readDescription(std::u16string_view path, std::vector<CheckProblem>& problems) {
  return DescriptionReader(path, problems).run();
}

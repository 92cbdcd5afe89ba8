// distkit build DESCRIPTION OUTDIR: packs every source that the description
// names into a setup folder staged beside OUTDIR, runs distkit check's parts
// on it, and puts it in place only when nothing is wrong. Problems found in
// a staged file are told against the source it was made from.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "distkit/build.h"
#include "distkit/build_description.h"
#include "distkit/check_parts.h"
#include "distkit/commands.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/utf8.h"

namespace {

constexpr int kFailed = 2;

// Removes a folder with everything in it.
bool removeTree(const std::u16string& dir) {
  std::vector<std::pair<std::u16string, bool>> entries;
  {
    platform::FileSearch search;
    if (search.first(dir + u"\\*")) {
      do {
        std::u16string name(search.name());
        if (name != u"." && name != u"..")
          entries.emplace_back(dir + u"\\" + name, search.isDirectory());
      } while (search.next());
    }
  }
  bool ok = true;
  for (const auto& [path, folder] : entries)
    ok = (folder ? removeTree(path) : platform::removeFile(path)) && ok;
  return platform::removeDirectory(dir) && ok;
}

// Writes one file under `root`, making the folders on its way.
bool writeInto(const std::u16string& root, const std::u16string& name, std::string_view bytes) {
  for (std::size_t at = name.find(u'\\'); at != std::u16string::npos;
       at = name.find(u'\\', at + 1)) {
    std::u16string folder = root + u"\\" + name.substr(0, at);
    if (!isDirectory(folder)) platform::createDirectory(folder);
  }
  platform::File file = platform::File::open(root + u"\\" + name, platform::OpenMode::WriteBinary);
  if (!file) return false;
  bool ok = file.writeAll(bytes);
  return file.close() && ok;
}

class Builder {
 public:
  Builder(std::u16string_view description, std::u16string_view outDir)
      : description_(description), outShown_(platform::utf16ToUtf8(outDir)) {
    out_ = absolutePath(outDir);
    while (out_.size() > 3 && (out_.back() == u'\\' || out_.back() == u'/')) out_.pop_back();
    staging_ = out_ + u".distkit-tmp";
  }

  std::vector<CheckProblem> run() {
    if (!replaceable()) return std::move(problems_);
    plan_ = readDescription(description_, problems_);
    if (!problems_.empty()) return std::move(problems_);
    if (pathExists(staging_)) removeTree(staging_);
    if (!platform::createDirectory(staging_)) {
      folderProblem("cannot create the staging folder " + platform::utf16ToUtf8(staging_));
      return std::move(problems_);
    }
    if (stage()) check();
    if (problems_.empty()) putInPlace();
    if (!problems_.empty()) removeTree(staging_);
    return std::move(problems_);
  }

 private:
  static bool pathExists(const std::u16string& path) { return platform::pathExists(path); }

  void folderProblem(std::string message) {
    problems_.push_back({outShown_, 0, std::move(message)});
  }

  static bool isEmptyDirectory(const std::u16string& dir) {
    platform::FileSearch search;
    if (!search.first(dir + u"\\*")) return true;
    do {
      if (search.name() != u"." && search.name() != u"..") return false;
    } while (search.next());
    return true;
  }

  // Only a setup folder, or an empty folder (build tools make the output's
  // folder before they run the command), is replaced.
  bool replaceable() {
    if (!pathExists(out_)) return true;
    if (isDirectory(out_) && (isFile(out_ + u"\\install.inf") || isEmptyDirectory(out_))) {
      return true;
    }
    folderProblem("exists and is not a setup folder (no install.inf): not replaced");
    return false;
  }

  bool stage(const PlannedFile& file) {
    if (writeInto(staging_, file.name, file.bytes)) return true;
    folderProblem("cannot write " + platform::utf16ToUtf8(file.name) + " into the staging folder");
    return false;
  }

  bool stage() {
    for (const PlannedFile& file : plan_.files) {
      if (!stage(file)) return false;
    }
    // The configuration file's name, its code page and the sort table's
    // name come from the strings file as the installer reads it.
    SetupFolder setup(staging_);
    StringsCheck strings = checkStrings(setup);
    if (!strings.loaded || plan_.languages.empty()) return true;
    std::size_t before = problems_.size();
    addConfiguration(strings.value(StringKey::Install_TaalCf), setup.codePage);
    addSortTable(strings.value(StringKey::Locale));
    if (problems_.size() != before) return false;
    for (std::size_t i = plan_.files.size() - added_; i < plan_.files.size(); ++i) {
      if (!stage(plan_.files[i])) return false;
    }
    requireSortTableInstalled(setup);
    return problems_.size() == before;
  }

  // One language line or list name of the configuration file, in the code
  // page of the interface.
  std::string configText(const std::u16string& text, uint32_t codePage, int line) {
    if (text.empty()) return {};
    std::string out(text.size() * 4, '\0');
    int n = platform::wideToMultiByteExact(codePage, text.data(), static_cast<int>(text.size()),
                                           out.data(), static_cast<int>(out.size()));
    if (n <= 0) {
      problems_.push_back({plan_.descriptionShown, line,
                           "\"" + platform::utf16ToUtf8(text) +
                               "\" cannot be stored in code page " + std::to_string(codePage) +
                               ", the interface's"});
      return {};
    }
    out.resize(static_cast<std::size_t>(n));
    return out;
  }

  // A generated file whose name a file of the description has taken.
  bool taken(const std::u16string& name, int line) {
    for (const PlannedFile& file : plan_.files) {
      if (normalizedPath(file.name) != normalizedPath(name)) continue;
      problems_.push_back({plan_.descriptionShown, line,
                           platform::utf16ToUtf8(name) + " is made by distkit build; line " +
                               std::to_string(file.origin.descriptionLine) + " names it too"});
      return true;
    }
    return false;
  }

  void addConfiguration(const std::u16string& name, uint32_t codePage) {
    if (taken(name, plan_.languages.front().fieldsLine)) return;
    std::string shownName =
        plan_.descriptionShown.substr(plan_.descriptionShown.find_last_of("\\/") + 1);
    std::string text =
        "# Languages of this distribution, made by distkit build from " + shownName + ".\n";
    std::vector<int> origins = {0};
    for (const PlannedLanguage& language : plan_.languages) {
      if (origins.size() > 1) {
        text += "\n";
        origins.push_back(0);
      }
      std::u16string line = language.fields[0];
      for (int i = 1; i < 4; ++i) line += u"," + language.fields[i];
      text += configText(line, codePage, language.fieldsLine) + "\n";
      text += configText(language.sourceName, codePage, language.sourceLine) + "\n";
      text += configText(language.outputName, codePage, language.outputLine) + "\n";
      origins.insert(origins.end(),
                     {language.fieldsLine, language.sourceLine, language.outputLine});
    }
    plan_.files.push_back({name, std::move(text), {"", false, 0, std::move(origins)}});
    ++added_;
  }

  // The installer reads one sort table, tables\<Locale>.stb in the install
  // folder, for every list.
  void addSortTable(const std::u16string& locale) {
    const PlannedLanguage* first = nullptr;
    for (const PlannedLanguage& language : plan_.languages) {
      if (language.sortTable.empty()) continue;
      if (first && first->sortTable != language.sortTable) {
        problems_.push_back(
            {plan_.descriptionShown, language.sortTableLine,
             "a second sort table: the installer sorts every list by one, tables\\" +
                 platform::utf16ToUtf8(locale) + ".stb"});
      }
      if (!first) first = &language;
    }
    if (!first) return;
    sortTableName_ = u"tables\\" + locale + u".stb";
    if (taken(sortTableName_, first->sortTableLine)) return;
    sortTableLine_ = first->sortTableLine;
    plan_.files.push_back({sortTableName_,
                           first->sortTable,
                           {first->sortTableShown, true, first->sortTableLine, {}}});
    ++added_;
  }

  // Run once the table is staged: the script must copy it where the
  // installer looks.
  void requireSortTableInstalled(SetupFolder& setup) {
    if (sortTableName_.empty() || checkScript(setup).installed.find(sortTableName_)) return;
    problems_.push_back(
        {plan_.descriptionShown, sortTableLine_,
         "install.inf puts no " + platform::utf16ToUtf8(sortTableName_) +
             " into the install folder, where the installer looks for the sort table"});
  }

  // distkit check on the staged folder.
  void check() {
    for (const CheckProblem& problem : checkDistribution(staging_))
      problems_.push_back(traced(problem));
  }

  // A problem of a staged file told against its source.
  CheckProblem traced(const CheckProblem& problem) const {
    if (problem.file.empty()) return {outShown_, problem.line, problem.message};
    std::u16string staged = normalizedPath(platform::utf8ToUtf16Lossy(problem.file));
    for (const PlannedFile& file : plan_.files) {
      if (normalizedPath(file.name) != staged) continue;
      const FileOrigin& origin = file.origin;
      if (origin.verbatim) return {origin.source, problem.line, problem.message};
      int line =
          problem.line > 0 && static_cast<std::size_t>(problem.line) <= origin.lineOrigins.size()
              ? origin.lineOrigins[static_cast<std::size_t>(problem.line) - 1]
              : 0;
      std::string where = problem.file;
      if (problem.line > 0) where += " line " + std::to_string(problem.line);
      if (!origin.source.empty()) where += " (packed from " + origin.source + ")";
      return {plan_.descriptionShown, line > 0 ? line : origin.descriptionLine,
              where + ": " + problem.message};
    }
    return problem;
  }

  void putInPlace() {
    if (!replaceable()) return;
    if (!pathExists(out_)) {
      if (!platform::renameFile(staging_, out_))
        folderProblem("cannot rename the staging folder to it");
      return;
    }
    std::u16string old = out_ + u".distkit-old";
    if (pathExists(old)) removeTree(old);
    if (!platform::renameFile(out_, old)) {
      folderProblem("cannot move the old setup folder aside");
      return;
    }
    if (!platform::renameFile(staging_, out_)) {
      platform::renameFile(old, out_);
      folderProblem("cannot rename the staging folder to it");
      return;
    }
    removeTree(old);
  }

  std::u16string description_;
  std::string outShown_;
  std::u16string out_, staging_;
  DistributionPlan plan_;
  std::size_t added_ = 0;
  std::u16string sortTableName_;
  int sortTableLine_ = 0;
  std::vector<CheckProblem> problems_;
};

}  // namespace

std::vector<CheckProblem> buildDistribution(std::u16string_view description,
                                            std::u16string_view outDir) {
  return Builder(description, outDir).run();
}

int runBuildCommand(const Args& args) {
  if (args.size() != 2) {
    std::fputs("usage: distkit build DESCRIPTION OUTDIR\n", stderr);
    return kFailed;
  }
  std::vector<CheckProblem> problems = buildDistribution(args[0], args[1]);
  for (const CheckProblem& problem : problems) {
    std::string line = formatProblem(problem) + "\n";
    std::fputs(line.c_str(), stdout);
  }
  std::string folder = platform::utf16ToUtf8(args[1]);
  if (problems.empty()) {
    std::fprintf(stderr, "%s: setup folder written\n", folder.c_str());
    return 0;
  }
  std::fprintf(stderr, "%s: %zu problem%s found; nothing written\n", folder.c_str(),
               problems.size(), problems.size() == 1 ? "" : "s");
  return kFailed;
}

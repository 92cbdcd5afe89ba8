// distkit build DESCRIPTION OUTDIR: packs every source that the description
// names into a setup folder staged beside OUTDIR, runs distkit check's parts
// on it, and puts it in place only when nothing is wrong. Problems found in
// a staged file are told against the source it was made from.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "distkit/outcome.h"
#include "distkit/build.h"
#include "distkit/build_description.h"
#include "distkit/check_parts.h"
#include "distkit/commands.h"
#include "distkit/build_marker.h"
#include "distkit/tool_files.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/utf8.h"
#include "platform/folder.h"
#include "text/sha256.h"
#include "text/strings.h"

namespace {

// ---- The marker of a folder that distkit build made ----
//
// .distkit-build, written into the staging folder before anything else:
//   line 1  kMarkerSignature
//   line 2  "<N> files with SHA-256, list digest <16 hex digits>"
//   then    "<size> <SHA-256> <name>" for each file that the build writes, in order
// The list digest (FNV-1a, 64 bits) is of the text after line 2. A folder is
// taken as distkit's only when its marker is whole and its digest agrees,
// which no file written for another purpose does by accident. Markers of
// earlier builds say "<N> files, list digest ..." and list "<size> <name>":
// their files' digests are unknown, their sizes still count.

constexpr std::string_view kMarkerSignature =
    "distkit build made this folder; the next distkit build into it replaces it.";
constexpr std::string_view kFilesWithDigests = " files with SHA-256, list digest ";
constexpr std::string_view kFilesWithoutDigests = " files, list digest ";
constexpr int64_t kMarkerSizeLimit = 1 << 20;

std::string hex64(uint64_t value) {
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4)
    out[static_cast<std::size_t>(i)] = "0123456789abcdef"[value & 15];
  return out;
}

uint64_t digest(std::string_view bytes) {
  uint64_t h = 14695981039346656037ull;
  for (char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  return h;
}

std::string markerText(const std::vector<PlannedFile>& files) {
  std::string list;
  for (const PlannedFile& file : files) {
    list += std::to_string(file.bytes.size()) + " " + sha256Hex(file.bytes) + " " +
            platform::utf16ToUtf8(file.name) + "\n";
  }
  return std::string(kMarkerSignature) + "\n" + std::to_string(files.size()) +
         std::string(kFilesWithDigests) + hex64(digest(list)) + "\n" + list;
}

// A file as the marker lists it.
struct MarkedFile {
  std::u16string name;  // as written, "\\" between parts
  uint64_t size = 0;
  std::string sha256;  // empty: a marker of an earlier build, digest unknown
};

// Takes the decimal number and the space after it off the front of `text`.
bool takeSize(std::string_view& text, uint64_t& size) {
  std::size_t digits = 0;
  size = 0;
  while (digits < text.size() && digits < 19 && text[digits] >= '0' && text[digits] <= '9')
    size = size * 10 + static_cast<uint64_t>(text[digits++] - '0');
  if (digits == 0 || digits >= text.size() || text[digits] != ' ') return false;
  text.remove_prefix(digits + 1);
  return true;
}

// True when `dir` holds a whole marker; `files` gets the files it lists.
bool readMarker(const std::u16string& dir, std::vector<MarkedFile>& files) {
  std::u16string path = dir + u"\\" + std::u16string(kBuildMarkerName);
  if (platform::pathKind(path) != platform::PathKind::File) return false;
  platform::File file = platform::File::open(path, platform::OpenMode::ReadBinary);
  int64_t size = file.size();
  if (size < 0 || size > kMarkerSizeLimit) return false;
  std::string text(static_cast<std::size_t>(size), '\0');
  if (file.read(text.data(), text.size()) != text.size()) return false;
  std::size_t first = text.find('\n');
  std::size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
  if (second == std::string::npos || std::string_view(text).substr(0, first) != kMarkerSignature)
    return false;
  std::string_view counted = std::string_view(text).substr(first + 1, second - first - 1);
  bool digests = counted.find(kFilesWithDigests) != std::string_view::npos;
  std::string list = text.substr(second + 1);
  std::size_t count = 0;
  for (std::size_t at = 0; at < list.size(); ++count) {
    std::size_t end = list.find('\n', at);
    if (end == std::string::npos) return false;
    std::string_view line = std::string_view(list).substr(at, end - at);
    MarkedFile marked;
    if (!takeSize(line, marked.size)) return false;
    if (digests) {
      if (line.size() < 66 || line[64] != ' ') return false;
      marked.sha256 = std::string(line.substr(0, 64));
      line.remove_prefix(65);
    }
    marked.name = platform::utf8ToUtf16Lossy(std::string(line));
    files.push_back(std::move(marked));
    at = end + 1;
  }
  return counted == std::to_string(count) +
                        std::string(digests ? kFilesWithDigests : kFilesWithoutDigests) +
                        hex64(digest(list));
}

// ---- Paths compared as the file system compares them ----

// `path` made absolute, "." and ".." parts resolved as Windows resolves
// them (by the text), "\" between parts.
std::u16string fullPath(std::u16string_view path) {
  std::u16string absolute = absolutePath(path);
  std::vector<std::u16string> parts;
  std::u16string part;
  std::u16string lead;  // "\\" of a UNC path, "/" of a POSIX one
  std::size_t i = 0;
  while (i < absolute.size() && (absolute[i] == u'\\' || absolute[i] == u'/'))
    lead += absolute[i++];
  for (; i <= absolute.size(); ++i) {
    if (i < absolute.size() && absolute[i] != u'\\' && absolute[i] != u'/') {
      part += absolute[i];
      continue;
    }
    if (part == u"..") {
      if (parts.size() > (lead.empty() ? 1u : 0u)) parts.pop_back();  // a drive stays
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    part.clear();
  }
  // "\x" on Windows is on the current directory's drive.
  if (lead.size() == 1) {
    char16_t current[1024];
    std::size_t n = platform::currentDirectory(current, 1024);
    if (n > 1 && current[1] == u':') lead = std::u16string(current, 2) + u"\\";
  }
  std::u16string out = lead;
  for (std::size_t k = 0; k < parts.size(); ++k) out += (k ? u"\\" : u"") + parts[k];
  return out;
}

// True when `path` is `folder` or lies inside it (both full paths).
bool within(const std::u16string& path, const std::u16string& folder) {
  std::u16string p = normalizedPath(path), f = normalizedPath(folder);
  return p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == u'\\');
}

// Writes one file under `root`, making the folders on its way.
bool writeInto(const std::u16string& root, const std::u16string& name, std::string_view bytes) {
  for (std::size_t at = name.find(u'\\'); at != std::u16string::npos;
       at = name.find(u'\\', at + 1)) {
    std::u16string folder = root + u"\\" + name.substr(0, at);
    if (platform::pathKind(folder) == platform::PathKind::Missing)
      platform::createDirectory(folder);
  }
  platform::File file = platform::File::open(root + u"\\" + name, platform::OpenMode::WriteBinary);
  if (!file) return false;
  bool ok = file.writeAll(bytes);
  return file.close() && ok;
}

// Removes a folder that distkit build made: everything but the marker
// first, so that a folder that cannot be removed whole is still known as
// distkit's at the next run. Links in it are removed as links.
bool removeMadeFolder(const std::u16string& dir) {
  std::vector<std::u16string> names;
  if (!platform::listDirectory(dir, names)) return false;
  bool ok = true;
  for (const std::u16string& name : names) {
    if (name != kBuildMarkerName) ok = platform::removeTree(dir + u"\\" + name) && ok;
  }
  return ok && platform::removeTree(dir);
}

// The strings file as the installer will load it, from the packed bytes.
struct PlannedStrings {
  StringsTable table;
  uint32_t codePage = 0;
  bool loaded = false;
  std::u16string value(StringKey key) const {
    const char16_t* v = table.values[static_cast<int>(key)];
    return v ? v : u"";
  }
};

void loadPlannedStrings(const std::string& packed, PlannedStrings& out) {
  std::size_t n = packed.size();
  out.table.narrow.reset(new char[n + 1]());
  out.table.wide.reset(new char16_t[n + 1]());
  out.table.size = n + 1;
  packed.copy(out.table.narrow.get(), n);
  out.loaded = decodeStrings(out.table, out.codePage) &&
               resolveStrings(out.table, out.codePage).missingKeys.empty();
}

// How a refusal of a built folder ends: the way on.
constexpr std::string_view kHowToGoOn =
    ": not replaced (move your change into the sources and build again, or build into a new "
    "folder)";

class Builder {
 public:
  Builder(std::u16string_view description, std::u16string_view outDir,
          std::vector<CheckProblem>* notes)
      : description_(description), outShown_(platform::utf16ToUtf8(outDir)), notes_(notes) {
    out_ = fullPath(outDir);
  }

  // Every name and every folder is looked at before anything is written;
  // a refused build changes nothing anywhere. The staging folder and the
  // folder the old OUTDIR is moved into are side folders of this run's own
  // beside OUTDIR (reserveSideName): no folder of the user's is ever taken
  // for one.
  std::vector<CheckProblem> run() {
    plan_ = readDescription(description_, problems_);
    if (problems_.empty()) planGenerated();
    checkOut();
    if (!problems_.empty()) return std::move(problems_);
    staging_ = reserveSideName(folderOf(out_), u".tmp", SideKind::Folder);
    if (staging_.empty()) {
      folderProblem("cannot create a staging folder beside it");
      return std::move(problems_);
    }
    if (stage()) check();
    if (problems_.empty()) putInPlace();
    if (!problems_.empty() && platform::pathKind(staging_) == platform::PathKind::Directory)
      removeMadeFolder(staging_);
    return std::move(problems_);
  }

 private:
  void folderProblem(std::string message) {
    problems_.push_back({outShown_, 0, std::move(message)});
  }

  // OUTDIR is replaced only when it is missing, empty, or made by distkit
  // build and holding only files whose bytes are still as build wrote them.
  // It may not hold the description or a source.
  void checkOut() {
    for (const std::u16string& source : plan_.sources) {
      if (!within(source, out_)) continue;
      folderProblem("holds " + platform::utf16ToUtf8(fullPath(source)) +
                    ", a source of this build: it is never replaced");
      return;
    }
    switch (platform::pathKind(out_)) {
      case platform::PathKind::Missing:
        return;
      case platform::PathKind::File:
        return folderProblem("is a file, not a folder: not replaced");
      case platform::PathKind::Link:
        return folderProblem("is a link: distkit build replaces only a folder it made");
      case platform::PathKind::Directory:
        break;
    }
    std::vector<std::u16string> names;
    if (!platform::listDirectory(out_, names))
      return folderProblem("cannot be listed: not replaced");
    if (names.empty()) return;
    std::vector<MarkedFile> written;
    if (!readMarker(out_, written)) {
      return folderProblem("not empty and not made by distkit build (it has no " +
                           platform::utf16ToUtf8(kBuildMarkerName) + " of its own): not replaced");
    }
    platform::Folder held = platform::Folder::hold(out_);
    if (!held.held()) return folderProblem("cannot be opened: not replaced");
    std::vector<std::pair<std::u16string, platform::PathKind>> found;
    if (!listTree(held, u"", found)) return folderProblem("cannot be listed: not replaced");
    for (const auto& [name, kind] : found) {
      std::string problem = notAsWritten(held, name, kind, found, written);
      if (!problem.empty())
        return folderProblem("holds " + platform::utf16ToUtf8(name) + ", " + problem +
                             std::string(kHowToGoOn));
    }
  }

  // Every name under the held folder but the marker, each looked at without
  // following it; links are not entered.
  static bool listTree(const platform::Folder& held, const std::u16string& prefix,
                       std::vector<std::pair<std::u16string, platform::PathKind>>& found) {
    std::vector<std::u16string> names;
    if (!platform::listDirectory(held.path() + u"\\" + prefix, names)) return false;
    for (const std::u16string& name : names) {
      if (prefix.empty() && name == kBuildMarkerName) continue;
      std::u16string relative = prefix + name;
      platform::PathKind kind = held.look(relative).kind;
      if (kind == platform::PathKind::Directory) {
        if (!listTree(held, relative + u"\\", found)) return false;
      } else {
        found.emplace_back(relative, kind);
      }
    }
    return true;
  }

  // Why the name `name` (of kind `kind`) under the built folder is not a
  // file as build wrote it; empty when it is one, or a link where build
  // wrote nothing (a rebuild removes it as a link). Names are compared as
  // the file system compares them: where two names that differ in case are
  // two files, the second is not build's.
  static std::string notAsWritten(
      const platform::Folder& held, const std::u16string& name, platform::PathKind kind,
      const std::vector<std::pair<std::u16string, platform::PathKind>>& found,
      const std::vector<MarkedFile>& written) {
    const MarkedFile* marked = nullptr;
    for (const MarkedFile& w : written) {
      if (w.name == name) marked = &w;
    }
    for (const MarkedFile& w : written) {
      if (marked || normalizedPath(w.name) != normalizedPath(name)) continue;
      bool twin = false;
      for (const auto& other : found) twin = twin || other.first == w.name;
      if (twin) {
        return "which distkit build did not write (its name differs only in case from " +
               platform::utf16ToUtf8(w.name) + ", which build wrote)";
      }
      if (held.look(w.name).kind != platform::PathKind::Missing) marked = &w;
    }
    if (kind == platform::PathKind::Link)
      return marked ? "a link in the place of a file that distkit build wrote" : "";
    if (!marked) return "which distkit build did not write";
    std::string bytes;
    if (!readWholeFile(held.path() + u"\\" + name, bytes) || bytes.size() != marked->size ||
        (!marked->sha256.empty() && sha256Hex(bytes) != marked->sha256))
      return "changed since distkit build wrote it";
    return "";
  }

  bool stage(const PlannedFile& file) {
    if (writeInto(staging_, file.name, file.bytes)) return true;
    folderProblem("cannot write " + platform::utf16ToUtf8(file.name) + " into the staging folder");
    return false;
  }

  // The marker first, so that a staging folder left by a run cut short is
  // known as distkit's.
  bool stage() {
    if (!stage({std::u16string(kBuildMarkerName), markerText(plan_.files), {}})) return false;
    for (const PlannedFile& file : plan_.files) {
      if (!stage(file)) return false;
    }
    if (!sortTableName_.empty()) {
      SetupFolder setup(staging_);
      checkStrings(setup);
      requireSortTableInstalled(setup);
    }
    return problems_.empty();
  }

  // The configuration file and the sort table: their names, the list
  // names and the code page come from the strings file as the installer
  // loads it. All names pass the one rule here, before anything is written.
  void planGenerated() {
    const PlannedFile* strings = nullptr;
    for (const PlannedFile& file : plan_.files) {
      if (file.name == plan_.stringsName) strings = &file;
    }
    if (!strings || plan_.languages.empty()) return;
    PlannedStrings loaded;
    loadPlannedStrings(strings->bytes, loaded);
    if (!loaded.loaded) return;  // the check of the staged folder names the missing keys
    std::u16string pathLanguage = loaded.value(StringKey::PathLanguage);
    for (const PlannedLanguage& language : plan_.languages) {
      listName(language.sourceName, language.sourceLine, pathLanguage);
      listName(language.outputName, language.outputLine, pathLanguage);
    }
    std::u16string configName = loaded.value(StringKey::Install_TaalCf);
    std::string problem = distkitNameProblem(configName, NameUse::File);
    if (!problem.empty()) {
      problems_.push_back({plan_.descriptionShown, strings->origin.descriptionLine,
                           platform::utf16ToUtf8(plan_.stringsName) + " (packed from " +
                               strings->origin.source +
                               "): Install_TaalCf, the configuration file's name, " +
                               refusedName(configName, problem)});
    }
    if (problem.empty()) addConfiguration(configName, loaded.codePage);
    addSortTable(loaded.value(StringKey::Locale), *strings);
  }

  void listName(const std::u16string& name, int line, const std::u16string& pathLanguage) {
    std::string problem = distkitNameProblem(name, NameUse::List, pathLanguage);
    if (!problem.empty())
      problems_.push_back(
          {plan_.descriptionShown, line, "list name " + refusedName(name, problem)});
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
  }

  // The installer reads one sort table, tables\<Locale>.stb in the install
  // folder, for every list.
  void addSortTable(const std::u16string& locale, const PlannedFile& strings) {
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
    std::string problem = distkitNameProblem(sortTableName_, NameUse::File);
    if (!problem.empty()) {
      problems_.push_back({plan_.descriptionShown, first->sortTableLine,
                           "the sort table's name comes from Locale in " +
                               platform::utf16ToUtf8(plan_.stringsName) + " (packed from " +
                               strings.origin.source +
                               "): " + refusedName(sortTableName_, problem)});
      return;
    }
    if (taken(sortTableName_, first->sortTableLine)) return;
    sortTableLine_ = first->sortTableLine;
    plan_.files.push_back({sortTableName_,
                           first->sortTable,
                           {first->sortTableShown, true, first->sortTableLine, {}}});
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

  // The new folder takes OUTDIR's place; an old one is moved aside first,
  // into a side folder of this run's own, and removed last, or put back
  // when the new one cannot take its place.
  void putInPlace() {
    if (platform::pathKind(out_) == platform::PathKind::Missing) {
      if (!platform::renameFile(staging_, out_))
        folderProblem("cannot rename the staging folder to it");
      return;
    }
    std::u16string aside = reserveSideName(folderOf(out_), u".old", SideKind::Folder);
    std::u16string old = aside + u"\\" + out_.substr(folderOf(out_).size());
    if (aside.empty() || !platform::renameFile(out_, old)) {
      if (!aside.empty()) platform::removeTree(aside);
      folderProblem("cannot move the old setup folder aside; it is as it was");
      return;
    }
    if (!platform::renameFile(staging_, out_)) {
      if (platform::renameFile(old, out_)) {
        platform::removeTree(aside);
        folderProblem("cannot rename the staging folder to it; the old setup folder is back");
      } else {
        folderProblem(
            "cannot rename the staging folder to it, nor put the old setup folder back: "
            "the old setup folder is kept, whole, at " +
            platform::utf16ToUtf8(old));
      }
      return;
    }
    if (removeMadeFolder(old)) {
      platform::removeTree(aside);
    } else if (notes_) {
      notes_->push_back({platform::utf16ToUtf8(old), 0,
                         "the old setup folder could not be removed whole (a link in it cannot be "
                         "removed here; what it points to is untouched): remove it yourself"});
    }
  }

  std::u16string description_;
  std::string outShown_;
  std::vector<CheckProblem>* notes_;
  std::u16string out_, staging_;
  DistributionPlan plan_;
  std::u16string sortTableName_;
  int sortTableLine_ = 0;
  std::vector<CheckProblem> problems_;
};

}  // namespace

std::vector<CheckProblem> buildDistribution(std::u16string_view description,
                                            std::u16string_view outDir,
                                            std::vector<CheckProblem>* notes) {
  return Builder(description, outDir, notes).run();
}

int runBuildCommand(const Args& args) {
  if (args.size() != 2) {
    return distkit::usageError("usage: distkit build DESCRIPTION OUTDIR");
  }
  std::vector<CheckProblem> notes;
  std::vector<CheckProblem> problems = buildDistribution(args[0], args[1], &notes);
  for (const CheckProblem& problem : problems) {
    std::string line = formatProblem(problem) + "\n";
    std::fputs(line.c_str(), stdout);
  }
  for (const CheckProblem& note : notes) {
    std::string line = formatProblem(note) + "\n";
    std::fputs(line.c_str(), stderr);
  }
  std::string folder = platform::utf16ToUtf8(args[1]);
  if (problems.empty()) {
    std::fprintf(stderr, "%s: setup folder written\n", folder.c_str());
    return distkit::kExitOk;
  }
  std::fprintf(stderr, "%s: %zu problem%s found; nothing written\n", folder.c_str(),
               problems.size(), problems.size() == 1 ? "" : "s");
  return distkit::kExitRefused;
}

// distkit check, part 3: the copy, xcopy and sndcopy lines of install.inf.
// Sources must be in the setup folder, destination folders made by an
// earlier mkdir; each copied file is recorded under the name the installer
// gives it in the install folder, for the checks of the word lists.
#include <string>
#include <vector>

#include "distkit/check_parts.h"
#include "distkit/build_marker.h"
#include "platform/file.h"
#include "platform/utf8.h"
#include "script/script_file.h"

const InstalledFile* InstalledFiles::find(std::u16string_view relative) const {
  std::u16string path = normalizedPath(relative);
  for (const InstalledFile& f : files) {
    if (f.path == path) return &f;
  }
  return nullptr;
}

void InstalledFiles::add(std::u16string_view relative, std::u16string source, int line) {
  std::u16string path = normalizedPath(relative);
  for (InstalledFile& f : files) {
    if (f.path == path) {
      f = {path, std::move(source), line, spelledPath(relative)};
      return;
    }
  }
  files.push_back({path, std::move(source), line, spelledPath(relative)});
}

std::u16string spelledPath(std::u16string_view path) {
  std::u16string out(path);
  for (char16_t& c : out) {
    if (c == u'/') c = u'\\';
  }
  return out;
}

bool checkTarget(SetupFolder& setup, const std::u16string& name, int line, const char* command) {
  std::string problem = distkitNameProblem(name, NameUse::File);
  if (problem.empty()) return true;
  setup.report("install.inf", line, std::string(command) + ": " + refusedName(name, problem));
  return false;
}

void requireFolder(SetupFolder& setup, const InstalledFiles& installed,
                   const std::u16string& folder, int line, const char* command) {
  if (folder.empty()) return;
  for (const std::u16string& made : installed.madeFolders) {
    if (made == folder) return;
  }
  setup.report("install.inf", line,
               std::string(command) + ": the folder " + platform::utf16ToUtf8(folder) +
                   " is not made by an earlier mkdir line, so the copy fails");
}

namespace {

// The non-directory entries that a search finds, as the installer copies
// them.
std::vector<std::u16string> filesMatching(const std::u16string& pattern) {
  std::vector<std::u16string> names;
  platform::FileSearch search;
  if (!search.first(pattern)) return names;
  do {
    if (!search.isDirectory()) names.emplace_back(search.name());
  } while (search.next());
  return names;
}

}  // namespace

void checkCopy(SetupFolder& setup, InstalledFiles& installed, const char* text, int line) {
  ScriptTokens tokens = splitTokens(text);
  if (tokens.count < 3) {
    setup.report("install.inf", line, "copy needs a source and a destination file name");
    return;
  }
  if (tokens.count > 3)
    setup.report("install.inf", line, "copy: the text after the destination is ignored");
  std::u16string source = setup.dir + setup.wide(tokens.token[1]);
  if (!isFile(source)) {
    setup.report("install.inf", line,
                 "copy: " + setup.text8(tokens.token[1]) + " not found in the setup folder");
  }
  std::u16string destination = setup.wide(tokens.token[2]);
  if (!checkTarget(setup, destination, line, "copy")) return;
  if (const InstalledFile* other = installed.find(destination);
      other && other->spelled != spelledPath(destination)) {
    setup.report("install.inf", line,
                 "copy: " + platform::utf16ToUtf8(destination) + " and " +
                     platform::utf16ToUtf8(other->spelled) + " (line " +
                     std::to_string(other->line) +
                     ") are one file on Windows: this copy overwrites that one");
  }
  requireFolder(setup, installed, parentOf(normalizedPath(destination)), line, "copy");
  installed.add(destination, source, line);
}

void checkXCopy(SetupFolder& setup, InstalledFiles& installed, const char* text, int line) {
  ScriptTokens tokens = splitTokens(text);
  if (tokens.count < 2) {
    setup.report("install.inf", line, "xcopy without a file pattern");
    return;
  }
  if (tokens.count > 3)
    setup.report("install.inf", line, "xcopy: the text after the folder is ignored");
  std::u16string pattern = setup.wide(tokens.token[1]);
  std::u16string subfolder = tokens.count >= 3 ? setup.wide(tokens.token[2]) : u"";
  if (!subfolder.empty() && !checkTarget(setup, subfolder, line, "xcopy")) return;
  if (pattern.find_first_of(u"\\/") != std::u16string::npos) {
    setup.report("install.inf", line,
                 "xcopy: a pattern with a folder finds the names in that "
                 "folder but copies the "
                 "files of that name from the setup folder itself");
  }
  std::vector<std::u16string> names = filesMatching(setup.dir + pattern);
  if (names.empty()) {
    setup.report("install.inf", line,
                 "xcopy: " + setup.text8(tokens.token[1]) + " matches no file in the setup folder");
    return;
  }
  requireFolder(setup, installed, normalizedPath(subfolder), line, "xcopy");
  for (const std::u16string& name : names) {
    std::u16string source = setup.dir + name;
    if (!isFile(source)) {
      setup.report(
          "install.inf", line,
          "xcopy: " + platform::utf16ToUtf8(name) + " not found in the setup folder itself");
      continue;
    }
    installed.add(subfolder + u"\\" + name, source, line);
  }
}

void checkSndCopy(SetupFolder& setup, InstalledFiles& installed, const char* text, int line) {
  ScriptTokens tokens = splitTokens(text);
  if (tokens.count < 3) {
    setup.report("install.inf", line, "sndcopy needs a folder and a destination folder");
    return;
  }
  if (tokens.count > 3)
    setup.report("install.inf", line, "sndcopy: the text after the destination is ignored");
  std::u16string folder = setup.dir + setup.wide(tokens.token[1]);
  if (!isDirectory(folder)) {
    setup.report(
        "install.inf", line,
        "sndcopy: the folder " + setup.text8(tokens.token[1]) + " is not in the setup folder");
    return;
  }
  std::vector<std::u16string> names = filesMatching(folder + u"\\*.*");
  if (names.empty()) {
    setup.report("install.inf", line,
                 "sndcopy: the folder " + setup.text8(tokens.token[1]) + " holds no file");
    return;
  }
  std::u16string subfolder = setup.wide(tokens.token[2]);
  if (!checkTarget(setup, subfolder, line, "sndcopy")) return;
  requireFolder(setup, installed, normalizedPath(subfolder), line, "sndcopy");
  for (const std::u16string& name : names)
    installed.add(subfolder + u"\\" + name, folder + u"\\" + name, line);
}

// distkit check, part 3: the copy, xcopy and sndcopy lines of install.inf.
// Sources must be in the setup folder, destination folders made by an
// earlier mkdir; each copied file is recorded under the name the installer
// gives it in the install folder, for the checks of the word lists.
#include <algorithm>
#include <string>
#include <vector>

#include "distkit/check_parts.h"
#include "distkit/build_marker.h"
#include "platform/file.h"
#include "platform/utf8.h"

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

namespace {
// The path with "/" as "\\" and empty and "." parts left out, case kept:
// two of these differ where two spellings of one file differ in case.
std::u16string exactPath(std::u16string_view path) {
  std::u16string out;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = std::min(path.find_first_of(u"\\/", start), path.size());
    std::u16string_view part = path.substr(start, end - start);
    if (!part.empty() && part != u".") {
      if (!out.empty()) out += u'\\';
      out += part;
    }
    start = end + 1;
  }
  return out;
}
}  // namespace

void addInstalled(SetupFolder& setup, InstalledFiles& installed, const char* command,
                  std::u16string_view relative, std::u16string source, int line) {
  if (const InstalledFile* other = installed.find(relative);
      other && exactPath(other->spelled) != exactPath(relative)) {
    setup.report("install.inf", line,
                 std::string(command) + ": " + platform::utf16ToUtf8(exactPath(relative)) +
                     " and " + platform::utf16ToUtf8(exactPath(other->spelled)) + " (line " +
                     std::to_string(other->line) +
                     ") are one file on Windows: this copy overwrites that one");
  }
  installed.add(relative, std::move(source), line);
}

std::u16string spelledPath(std::u16string_view path) {
  std::u16string out(path);
  for (char16_t& c : out) {
    if (c == u'/') c = u'\\';
  }
  return out;
}

bool checkNames(SetupFolder& setup, const ScriptCommand& command) {
  bool sound = true;
  for (const ScriptArgument& argument : command.arguments) {
    if (!argument.name) continue;
    std::string problem =
        argument.problem.empty() ? markerProblem(argument.text) : argument.problem;
    if (problem.empty()) continue;
    setup.report("install.inf", command.line,
                 std::string(keywordName(command.keyword)) + ": " +
                     refusedName(argument.text, problem));
    sound = false;
  }
  return sound;
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

void checkCopy(SetupFolder& setup, InstalledFiles& installed, const ScriptCommand& command) {
  int line = command.line;
  const std::u16string& from = command.arguments[0].text;
  std::u16string source = setup.dir + from;
  if (!isFile(source)) {
    setup.report("install.inf", line,
                 "copy: " + platform::utf16ToUtf8(from) + " not found in the setup folder");
  }
  const std::u16string& destination = command.arguments[1].text;
  requireFolder(setup, installed, parentOf(normalizedPath(destination)), line, "copy");
  addInstalled(setup, installed, "copy", destination, source, line);
}

void checkXCopy(SetupFolder& setup, InstalledFiles& installed, const ScriptCommand& command) {
  int line = command.line;
  const std::u16string& pattern = command.arguments[0].text;
  std::u16string subfolder = command.arguments.size() > 1 ? command.arguments[1].text : u"";
  if (pattern.find_first_of(u"\\/") != std::u16string::npos) {
    setup.report("install.inf", line,
                 "xcopy: a pattern with a folder finds the names in that "
                 "folder but copies the "
                 "files of that name from the setup folder itself");
  }
  std::vector<std::u16string> names = filesMatching(setup.dir + pattern);
  if (names.empty()) {
    setup.report("install.inf", line,
                 "xcopy: " + platform::utf16ToUtf8(pattern) +
                     " matches no file in the setup folder");
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
    addInstalled(setup, installed, "xcopy", subfolder + u"\\" + name, source, line);
  }
}

void checkSndCopy(SetupFolder& setup, InstalledFiles& installed, const ScriptCommand& command) {
  int line = command.line;
  const std::u16string& from = command.arguments[0].text;
  std::u16string folder = setup.dir + from;
  if (!isDirectory(folder)) {
    setup.report("install.inf", line,
                 "sndcopy: the folder " + platform::utf16ToUtf8(from) +
                     " is not in the setup folder");
    return;
  }
  std::vector<std::u16string> names = filesMatching(folder + u"\\*.*");
  if (names.empty()) {
    setup.report("install.inf", line,
                 "sndcopy: the folder " + platform::utf16ToUtf8(from) + " holds no file");
    return;
  }
  const std::u16string& subfolder = command.arguments[1].text;
  requireFolder(setup, installed, normalizedPath(subfolder), line, "sndcopy");
  for (const std::u16string& name : names)
    addInstalled(setup, installed, "sndcopy", subfolder + u"\\" + name, folder + u"\\" + name,
                 line);
}

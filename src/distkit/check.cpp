// distkit check: the setup folder, the helpers its parts share, and the
// order in which the parts run.
#include "distkit/check.h"

#include <utility>

#include "platform/ascii.h"
#include "distkit/check_parts.h"
#include "platform/file.h"
#include "platform/utf8.h"
#include "text/charset.h"

SetupFolder::SetupFolder(std::u16string_view path) : dir(path) {
  if (!dir.empty() && dir.back() != u'\\' && dir.back() != u'/') dir += u'\\';
}

void SetupFolder::report(std::string file, int line, std::string message) {
  problems.push_back({std::move(file), line, std::move(message)});
}

std::string SetupFolder::displayName(std::u16string_view fullPath) const {
  if (fullPath.size() > dir.size() &&
      normalizedPath(fullPath.substr(0, dir.size())) == normalizedPath(dir)) {
    return platform::utf16ToUtf8(fullPath.substr(dir.size()));
  }
  return platform::utf16ToUtf8(fullPath);
}

std::u16string SetupFolder::wide(const char* text) const { return toWideScratch(text, codePage); }

std::string SetupFolder::text8(const char* text) const { return platform::utf16ToUtf8(wide(text)); }

bool isDirectory(std::u16string_view path) {
  platform::FileSearch search;
  return search.first(path) && search.isDirectory();
}

bool isFile(std::u16string_view path) { return platform::pathExists(path) && !isDirectory(path); }

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
  // Upper case as the file system compares, then ASCII letters shown in
  // lower case: the same classes of names, the form reports have always shown.
  for (char16_t c : platform::upperCaseName(path)) {
    if (c == u'\\' || c == u'/') {
      flush();
    } else {
      part += foldAscii(c);
    }
  }
  flush();
  return out;
}

std::u16string parentOf(std::u16string_view normalized) {
  std::size_t at = normalized.rfind(u'\\');
  return at == std::u16string_view::npos ? u"" : std::u16string(normalized.substr(0, at));
}

namespace {

// The folder without its trailing backslash, for the existence test ("C:\"
// keeps it).
std::u16string trimmed(const std::u16string& dir) {
  std::u16string out = dir;
  if (out.size() > 1 && out.back() == u'\\' && out[out.size() - 2] != u':') out.pop_back();
  return out;
}

}  // namespace

std::vector<CheckProblem> checkDistribution(std::u16string_view setupDir) {
  SetupFolder setup(setupDir);
  if (!isDirectory(trimmed(setup.dir))) {
    setup.report("", 0, "the setup folder " + platform::utf16ToUtf8(setup.dir) + " does not exist");
    return setup.problems;
  }
  StringsCheck strings = checkStrings(setup);
  ScriptCheck script = checkScript(setup);
  // The lists' names come from the strings file; without it the strings
  // problems say why nothing more is checked.
  if (script.mkwlistLine > 0 && strings.loaded) checkLanguages(setup, strings, script);
  return setup.problems;
}

std::string formatProblem(const CheckProblem& problem) {
  std::string out = problem.file.empty() ? "setup folder" : problem.file;
  if (problem.line > 0) out += ":" + std::to_string(problem.line);
  return out + ": " + problem.message;
}

// The parts of distkit check, one per kind of file, and what they hand on
// to each other. Each part reads its files with the installer's own reader
// (install.inf: the commands of script/install_script.h) and adds its
// problems to the SetupFolder in the order found.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "distkit/check.h"
#include "script/install_script.h"
#include "text/strings.h"

// The setup folder being checked and the problems found so far.
struct SetupFolder {
  explicit SetupFolder(std::u16string_view path);

  std::u16string dir;  // ends in "\" or "/"
  // The code page of install.inf and the configuration file: language.in_'s
  // Character, then the strings file's CharactersetCode.
  uint32_t codePage = 1252;
  std::vector<CheckProblem> problems;

  void report(std::string file, int line, std::string message);
  // The name of a file for a report: relative to the setup folder when it
  // lies there.
  std::string displayName(std::u16string_view fullPath) const;
  // 8-bit text of install.inf or the configuration file (at most 99 bytes),
  // wide and as UTF-8 for messages.
  std::u16string wide(const char* text) const;
  std::string text8(const char* text) const;
};

bool isDirectory(std::u16string_view path);
bool isFile(std::u16string_view path);
// A path relative to the install folder in a form that compares equal for
// every spelling the file system takes as the same: case folded as Windows
// folds it (platform::upperCaseName, so "Ärger" is "ärger"), "/" as "\\",
// empty and "." parts left out ("docs\\x" and ".\docs\x" are "docs\x").
std::u16string normalizedPath(std::u16string_view path);
std::u16string parentOf(std::u16string_view normalized);

// ---- language.in_ and the strings file ----

struct StringsCheck {
  bool loaded = false;  // every key that the installer resolves is there
  StringsTable table;
  // A key's value; empty when missing.
  std::u16string value(StringKey key) const;
};
StringsCheck checkStrings(SetupFolder& setup);

// ---- install.inf ----

// One file that the installer will have in the install folder, and where it
// comes from.
struct InstalledFile {
  std::u16string path;     // normalized, relative to the install folder
  std::u16string source;   // full path in the setup folder
  int line;                // the install.inf line that copies it
  std::u16string spelled;  // as that line writes it (spelledPath), or xcopy and
                           // sndcopy's folder and the name found there
};

// What install.inf puts into the install folder, command by command.
struct InstalledFiles {
  std::vector<std::u16string> madeFolders;  // by mkdir lines, normalized
  std::vector<InstalledFile> files;

  // The file that the last copy command writing `relative` put there.
  const InstalledFile* find(std::u16string_view relative) const;
  void add(std::u16string_view relative, std::u16string source, int line);
};

// Records a file that `command` (copy, xcopy or sndcopy) puts into the
// install folder. A file that an earlier line put there under a name that
// differs from this one in case only, one name on Windows, is reported: this
// copy overwrites it. Names from the setup folder's listing (xcopy, sndcopy)
// are UTF-16 and may differ in any script's letters.
void addInstalled(SetupFolder& setup, InstalledFiles& installed, const char* command,
                  std::u16string_view relative, std::u16string source, int line);

struct ScriptCheck {
  InstalledFiles installed;
  int mkwlistLine = 0;  // 0: no mkwlist line
};
ScriptCheck checkScript(SetupFolder& setup);

// copy, xcopy and sndcopy commands whose names passed checkNames.
void checkCopy(SetupFolder& setup, InstalledFiles& installed, const ScriptCommand& command);
void checkXCopy(SetupFolder& setup, InstalledFiles& installed, const ScriptCommand& command);
void checkSndCopy(SetupFolder& setup, InstalledFiles& installed, const ScriptCommand& command);
// A path as a line writes it, "/" as "\\".
std::u16string spelledPath(std::u16string_view path);
// The names of a command, by the rule for names as read with the script and
// by distkit's own refusal (build_marker.h): each one that fails is
// reported against the command's line. True when all pass; the installer
// skips a command with a name that breaks the rule.
bool checkNames(SetupFolder& setup, const ScriptCommand& command);
// A destination folder under the install folder must exist when the copy
// runs: it is the install folder itself or made by an earlier mkdir line.
void requireFolder(SetupFolder& setup, const InstalledFiles& installed,
                   const std::u16string& folder, int line, const char* command);

// ---- the language configuration file and the word lists ----

// Run when install.inf holds mkwlist and the strings file is complete.
void checkLanguages(SetupFolder& setup, const StringsCheck& strings, const ScriptCheck& script);

// The description of a distribution that distkit build reads: one profile
// (.ini) file naming the sources of every file of a setup folder. It is read
// with the installer's own profile reader; the sources it names are packed
// with the packers of distkit strings and distkit list.
//
//   [Setup]       Language, Character, Strings, Script, Languages
//   [Strings]     Strings1, Strings2, ...   more strings files: SOURCE [> NAME]
//   [Files]       File1, File2, ...         files copied as they are: SOURCE [> NAME]
//   [Language X]  Code, Number, Charset, Name, WordList, WordCodePage,
//                 TranslationsCodePage, SourceList, OutputList, SortTable
//
// Source paths are relative to the description's folder; NAME is the file's
// path in the setup folder (default: the source's file name; ".str" in place
// of its extension for strings files).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "distkit/check.h"

// Where a file of the setup folder comes from, for reports: problems that
// distkit check finds in it are told against its source.
struct FileOrigin {
  std::string source;       // the source as the description names it ("" for generated files)
  bool verbatim = false;    // copied byte for byte: its line numbers are the source's
  int descriptionLine = 0;  // the description line that names the source
  // For a generated file: the description line that each of its lines comes
  // from (index 0 is line 1); 0 where none does.
  std::vector<int> lineOrigins;
};

struct PlannedFile {
  std::u16string name;  // relative to the setup folder, "\" between parts
  std::string bytes;
  FileOrigin origin;
};

// One dictionary language of the description, for the configuration file.
struct PlannedLanguage {
  std::u16string fields[4];                            // code, number, charset, display name
  std::u16string sourceName, outputName;               // as language.cf names them
  int fieldsLine = 0, sourceLine = 0, outputLine = 0;  // description lines
  std::string sortTable;                               // the sort table's bytes; empty: none
  std::string sortTableShown;                          // its source as the description names it
  int sortTableLine = 0;
};

struct DistributionPlan {
  std::string descriptionShown;    // the description's path as given
  std::vector<PlannedFile> files;  // everything but the configuration file and sort table
  std::vector<PlannedLanguage> languages;
  std::u16string stringsName;         // the interface's strings file among `files`
  std::vector<std::u16string> sources;  // full paths: the description and every source
};

// Reads the description at `path` (as given on the command line), reads and
// packs every source it names, and reports each problem with its file and
// line (the description's, or the source's). The plan is complete when no
// problem was added.
DistributionPlan readDescription(std::u16string_view path, std::vector<CheckProblem>& problems);

// A path made absolute against the current directory (profile files need
// one: a bare name would be looked for in the Windows folder).
std::u16string absolutePath(std::u16string_view path);

// The language step: every language of the language configuration file gets
// its code page, the collation locale, its reversed word list and its entry
// in dict.ini.
#pragma once

#include <string>

#include "wordlist/reverser.h"

// Processes every language line, then deletes the configuration file.
void processLanguages();

// Builds PathLanguage + outputListName from PathLanguage + inputListName for
// the current language line, with the code pages, the debug switch and the
// counters of the InstallState; every failure ends the installation.
void buildReversedList();

// The job that buildReversedList runs for the current language line; the
// paths it names are kept in `paths`, which must outlive the job.
struct ListJobPaths {
  const platform::Folder* folder = nullptr;  // where they resolve (ListJob::folder)
  std::u16string source, output, temp, sortTable;
};
ListJob currentListJob(ListJobPaths& paths);

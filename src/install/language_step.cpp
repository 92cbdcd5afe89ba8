// The language step: for every language of the language configuration file
// the list language's code page, the collation locale, the reversed word list
// and the language's entry in dict.ini.
#include "install/language_step.h"

#include <cstring>
#include <string>

#include "base/fatal.h"
#include "base/state.h"
#include "install/progress.h"
#include "install/registry_step.h"
#include "base/install_folder.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "platform/ui.h"
#include "text/charset.h"
#include "text/collate.h"
#include "text/setup_names.h"
#include "text/strings_step.h"
#include "wordlist/language_config.h"

namespace {

// The source and output paths are built in buffers of 80 units.
constexpr std::size_t kListPathCapacity = 80;

std::u16string quoted(std::u16string_view before, std::u16string_view path,
                      std::u16string_view after) {
  std::u16string message(before);
  message += path;
  message += after;
  return message;
}

// Ends the run for a language line that cannot be processed, naming it.
[[noreturn]] void badLanguageLine(std::u16string_view what, const char* line) {
  std::u16string message(what);
  message += toWideScratch(line, state.uiCodePage);
  raiseFatal(message);
}

// PathLanguage followed directly by the list name in uiCodePage.
std::u16string listPath(const char* listName) {
  char name[sizeof state.inputListName];
  std::size_t n = strnlen(listName, sizeof name - 1);
  std::memcpy(name, listName, n);
  name[n] = 0;
  char16_t wideName[sizeof name];
  toWide(name, wideName, state.uiCodePage);
  std::u16string full = text(StringKey::PathLanguage);
  full += wideName;
  return full;
}

// By now the builder has removed its unfinished replacement list: the list
// on disk is the one of the earlier installation, if any.
[[noreturn]] void listFailed(ListError error, const ListJob& job) {
  switch (error) {
    case ListError::SourcePathTooLong: raiseFatal(quoted(u"Path too long \"", job.sourcePath, u"\""));
    case ListError::OutputPathTooLong: raiseFatal(quoted(u"Path too long \"", job.outputPath, u"\""));
    case ListError::SourceMissing:
      raiseFatal(quoted(u"Input file \"", job.sourcePath, u"\" missing"));
    case ListError::SourceOutOfMemory:
      raiseFatal(quoted(u"Not enough memory to load input file \"", job.sourcePath, u"\""));
    case ListError::SourceReadFailed:
      raiseFatal(quoted(u"Read error input file \"", job.sourcePath, u"\""));
    case ListError::TempCreateFailed: raiseFatal(u"Can't create tempfile");
    case ListError::TempWriteFailed: raiseFatal(u"Write error tempfile");
    case ListError::TempOpenFailed: raiseFatal(u"Can't open tempfile");
    case ListError::TempOutOfMemory: raiseFatal(u"Not enough memory to load tempfile");
    case ListError::TempReadFailed: raiseFatal(u"Read error tempfile");
    case ListError::OutputCreateFailed:
      raiseFatal(quoted(u"Can't create output file \"", job.outputPath, u"\" "));
    case ListError::OutputWriteFailed: raiseFatal(u"Write error output file");
    case ListError::OutputReplaceFailed:
      raiseFatal(quoted(u"Can't replace output file \"", job.outputPath, u"\""));
    case ListError::SortOutOfMemory: raiseFatal(u"Not enough memory to sort the word list");
    case ListError::None: break;
  }
  raiseFatal(u"Write error output file");
}

}  // namespace

ListJob currentListJob(ListJobPaths& paths) {
  paths.source = listPath(state.inputListName);
  paths.output = listPath(state.outputListName);
  paths.temp = text(StringKey::Install_TaalTemp);
  paths.sortTable = u"tables\\";
  paths.sortTable += text(StringKey::Locale);
  paths.sortTable += u".stb";
  // A Locale that makes no sound name (a "..", a drive) names no table.
  if (!nameProblem(paths.sortTable).empty()) paths.sortTable.clear();

  // Below the held folder a "tables" folder that is a link is not entered:
  // no table is read.
  ListJob job;
  job.folder = paths.folder;
  job.sourcePath = paths.source;
  job.tempPath = paths.temp;
  job.outputPath = paths.output;
  job.sortTablePath = paths.sortTable;
  job.listCodePage = state.listCodePage;
  job.homeCodePage = state.homeCodePage;
  job.debug = state.debugMode != 0;
  job.pathLimit = kListPathCapacity;
  job.readFrom = text(StringKey::Install_ReadFrom);
  job.writeTemp = text(StringKey::Install_WriteTemp);
  job.readTo = text(StringKey::Install_ReadTo);
  job.sortTo = text(StringKey::Install_SortTo);
  job.writeTo = text(StringKey::Install_WriteTo);
  return job;
}

namespace {

void buildListIn(const platform::Folder& folder) {
  ListJobPaths paths;
  paths.folder = &folder;
  ListJob job = currentListJob(paths);
  ListCounts counts;
  counts.records = state.recordCount;
  counts.comparisons.count = state.comparisonCount;
  // Every name is checked by the one rule before anything is opened (a path
  // too long for its buffer is the builder's to report): none may leave the
  // installation folder.
  auto unsound = [](std::u16string_view name, bool limited) {
    return !(limited && name.size() >= kListPathCapacity) && !nameProblem(name).empty();
  };
  if (unsound(job.sourcePath, true)) listFailed(ListError::SourceMissing, job);
  if (unsound(job.tempPath, false)) listFailed(ListError::TempCreateFailed, job);
  if (unsound(job.outputPath, true)) listFailed(ListError::OutputCreateFailed, job);
  WindowListDisplay display;
  ListError error = buildReversedList(job, counts, display);
  state.recordCount = counts.records;
  state.comparisonCount = counts.comparisons.count;
  if (error != ListError::None) listFailed(error, job);
}

}  // namespace

void buildReversedList() {
  InstallFolder held(u".");
  buildListIn(held.get());
}

void processLanguages() {
  std::u16string_view configName = text(StringKey::Install_TaalCf);
  if (!nameProblem(configName).empty()) raiseFatal(u"Can't open LANGUAGE.CF");
  InstallFolder held(u".");
  const platform::Folder& folder = held.get();
  // The file is deleted at the end: one that is a link, or lies behind one,
  // is refused before anything is written.
  if (folder.look(configName).kind == platform::PathKind::Link) {
    raiseFatal(u"Can't open LANGUAGE.CF");
  }
  platform::File config = folder.open(configName, platform::OpenMode::ReadText);
  if (!config) raiseFatal(u"Can't open LANGUAGE.CF");

  int index = 0;
  int more = readConfigLine(config, state.configLine);
  while (more == 0) {
    // Fields 1 to 4: the first three stay in configLine, the fourth (the
    // language name, up to the next comma) gets its own buffer. The whole
    // line is kept for messages.
    char wholeLine[sizeof state.configLine];
    std::memcpy(wholeLine, state.configLine, sizeof wholeLine);
    LanguageFields fields;
    if (!splitLanguageLine(state.configLine, fields)) {
      badLanguageLine(u"Incomplete language line in LANGUAGE.CF: ", wholeLine);
    }
    std::strcpy(state.languageName, fields.name());  // a field of a 99-byte line fits
    state.listCodePage = charsetToCodePage(parseDecimal(fields.charset()));

    if (!setCollationLocale(text(StringKey::Locale))) {
      platform::messageBox(nullptr, text(StringKey::ErrorLocale), text(StringKey::Install_Install),
                           platform::BoxIcon::Warning);
    }

    // Both list names must be there before anything is written for this
    // language.
    if (readConfigLine(config, state.inputListName) != 0 ||
        readConfigLine(config, state.outputListName) != 0) {
      badLanguageLine(u"List file names missing in LANGUAGE.CF after: ", wholeLine);
    }

    if (index == 0) ensureRegistry();
    drawLanguageHeading(state.languageName);
    buildListIn(folder);
    removeLanguageEntry(state.languageName);
    addLanguageEntry(fields.code(), fields.number(), fields.charset(), state.languageName);

    ++index;
    more = readConfigLine(config, state.configLine);
  }

  // A read error must not pass for the end of the file: the file is only
  // deleted when every language in it has been processed.
  if (config.failed()) raiseFatal(u"Can't read LANGUAGE.CF");
  config.close();
  // Never through a link that took the file's place meanwhile.
  if (folder.remove(configName) == platform::NameChange::Link) {
    raiseFatal(u"Can't open LANGUAGE.CF");
  }
}

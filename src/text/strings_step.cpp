#include "text/strings_step.h"

#include <cstdio>
#include <string>
#include <utility>

#include "base/fatal.h"
#include "base/state.h"
#include "platform/file.h"
#include "text/charset.h"

StringsTable strings;

namespace {
const char16_t emptyText[1] = {0};
}  // namespace

const char16_t* text(StringKey key) {
  const char16_t* v = strings.values[static_cast<int>(key)];
  return v ? v : emptyText;
}

int32_t readCharsetSetting(bool setupSettings) {
  char16_t cwd[kPathCapacity];
  platform::currentDirectory(cwd, kPathCapacity);
  // A path that does not fit its buffer would name another file when cut:
  // it counts as a settings file that is missing.
  WideText<kPathCapacity> path;
  if (!joinPath(path, {cwd, u"\\", settingsFileName(setupSettings)})) return 0;
  return readCharacterSetting(path.view());
}

namespace {

[[noreturn]] void keyNotFound(const char* key) {
  std::u16string message = u"String: ";
  message += toWideScratch(key, state.uiCodePage);
  message += u" not found.   ";
  stringsLoaderFailure(message);
}

[[noreturn]] void keyNotFoundNarrow(const char* key) {
  char message[300];
  std::snprintf(message, sizeof message, "String: %s not found.   ", key);
  stringsLoaderFailureNarrow(message);
}

}  // namespace

const char* lookupNarrow(const char* key) {
  const char* value = findNarrow(strings, key);
  if (!value) keyNotFoundNarrow(key);
  return value;
}

const char16_t* lookupWide(const char* key) {
  const char16_t* value = findWide(strings, key, state.uiCodePage);
  if (!value) keyNotFound(key);
  return value;
}

void loadStrings(const char16_t* fallbackFolder) {
  char16_t cwd[kPathCapacity];
  platform::currentDirectory(cwd, kPathCapacity);
  StringsLoad load = loadStringsFrom(cwd, fallbackFolder);
  switch (load.failure) {
    case StringsFailure::None:
      break;
    case StringsFailure::NotFound:
      stringsLoaderFailure(fallbackFolder ? u"No strings file found (2).   "
                                          : u"No strings file found.   ");
    case StringsFailure::Unreadable:
      stringsLoaderFailure(u"The strings file cannot be read.   ");
    case StringsFailure::OutOfMemory:
      stringsLoaderFailure(u"Not enough memory for the strings file.   ");
    case StringsFailure::NoCharsetEntry:
      keyNotFoundNarrow("CharactersetCode");
    case StringsFailure::MissingKey:
      // The code page was known before the key was looked up.
      state.uiCodePage = load.codePage;
      keyNotFound(load.missingKey.c_str());
  }
  state.uiCodePage = load.codePage;
  strings = std::move(load.table);
}

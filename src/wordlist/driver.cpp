// The language step: for every language of the language configuration file
// the list language's code page, the collation locale, the reversed word list
// and the language's entry in dict.ini.
#include "wordlist/driver.h"

#include <cstring>
#include <string>

#include "app/fatal.h"
#include "app/progress.h"
#include "app/state.h"
#include "platform/file.h"
#include "platform/ui.h"
#include "registry/fields.h"
#include "registry/registry.h"
#include "text/charset.h"
#include "text/strings.h"
#include "wordlist/collate.h"
#include "wordlist/reverser.h"

namespace {

// Ends the run for a language line that cannot be processed, naming it.
[[noreturn]] void badLanguageLine(std::u16string_view what, const char* line) {
  std::u16string message(what);
  message += toWideScratch(line, state.uiCodePage);
  raiseFatal(message);
}

}  // namespace

int readConfigLine(platform::File& file, char (&buffer)[100]) {
  for (;;) {
    if (!file.readLine(buffer, sizeof buffer)) {
      buffer[0] = 0;
      return -1;
    }
    std::size_t n = std::strlen(buffer);
    if (n > 0 && buffer[n - 1] == '\n') buffer[--n] = 0;
    if (n > 0 && buffer[0] != '#') return 0;
  }
}

void processLanguages() {
  std::u16string_view configName = text(StringKey::Install_TaalCf);
  platform::File config = platform::File::open(configName, platform::OpenMode::ReadText);
  if (!config) raiseFatal(u"Can't open LANGUAGE.CF");

  int index = 0;
  int more = readConfigLine(config, state.configLine);
  while (more == 0) {
    // Fields 1 to 4: the first three stay in configLine, the fourth (the
    // language name, up to the next comma) gets its own buffer. The whole
    // line is kept for messages.
    char wholeLine[sizeof state.configLine];
    std::memcpy(wholeLine, state.configLine, sizeof wholeLine);
    char* fields[4];
    if (splitFields(state.configLine, fields, 4) < 4) {
      badLanguageLine(u"Incomplete language line in LANGUAGE.CF: ", wholeLine);
    }
    std::strcpy(state.languageName, fields[3]);  // a field of a 99-byte line fits
    state.listCodePage = charsetToCodePage(parseDecimal(fields[2]));

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
    buildReversedList();
    removeLanguageEntry(state.languageName);
    addLanguageEntry(fields[0], fields[1], fields[2], state.languageName);

    ++index;
    more = readConfigLine(config, state.configLine);
  }

  // A read error must not pass for the end of the file: the file is only
  // deleted when every language in it has been processed.
  if (config.failed()) raiseFatal(u"Can't read LANGUAGE.CF");
  config.close();
  platform::removeFile(configName);
}

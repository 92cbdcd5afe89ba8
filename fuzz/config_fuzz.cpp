// The language configuration reader: the input is the configuration file
// (taal.cf) in the installation folder, next to three small word lists
// (a.wl, b.wl, c.wl); processLanguages reads every language line, builds
// the reversed lists it names and registers the languages in dict.ini, as
// the installer does; then the registry count and sort follow.
#include <cstdint>
#include <cstring>
#include <string>

#include "base/state.h"
#include "fuzz/sandbox.h"
#include "platform/file.h"
#include "install/registry_step.h"
#include "install/language_step.h"
#include "wordlist/language_config.h"

namespace {
// One 84-byte word-list record: word (31 bytes) and translations (51 bytes),
// zero-padded.
std::string record(const char* word, const char* translations) {
  std::string r(84, '\0');
  std::memcpy(r.data(), word, std::strlen(word));
  std::memcpy(r.data() + 31, translations, std::strlen(translations));
  return r;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::beginInput();
  fuzz::writeFile("taal.cf", data, size);
  fuzz::writeFile("a.wl", record("Haus", "house, home") + record("Heim", "home"));
  fuzz::writeFile("b.wl", record("\x82\xa0\x82\xa2", "love,,love") + record("x", " y"));
  fuzz::writeFile("c.wl", record("\xe4pfel", "apples"));
  state.uiCodePage = 1252;
  state.homeCodePage = 1252;
  try {
    // The reader alone first, then the whole step.
    {
      platform::File file = platform::File::open(u"taal.cf", platform::OpenMode::ReadText);
      char line[100];
      while (readConfigLine(file, line) == 0) {
        if (std::strlen(line) >= sizeof line) __builtin_trap();
      }
    }
    processLanguages();
    if (countLanguageEntries() > 1) sortLanguageSection();
  } catch (const fuzz::FatalExit&) {
  }
  return 0;
}

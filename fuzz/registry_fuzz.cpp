// dict.ini maintenance: the input is an existing dict.ini in the
// installation folder; the registry operations of the installation run
// over it: ensure, replace a language's entry, count, sort. The first byte
// picks the code page of the file's text and the collation.
#include <cstdint>
#include <cstring>

#include "base/state.h"
#include "fuzz/sandbox.h"
#include "install/registry_step.h"
#include "text/collate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::beginInput();
  unsigned selector = size > 0 ? data[0] : 0;
  fuzz::writeFile("dict.ini", data, size);
  state.uiCodePage = fuzz::pickCodePage(selector & 7);
  state.debugMode = (selector >> 3) & 1;
  if (selector & 0x10) setCollationLocale(u"german");
  std::strcpy(state.inputListName, "eng-deu.wl");
  try {
    ensureRegistry();
    removeLanguageEntry("German");
    addLanguageEntry("eng-deu.wl", "deu", "0", "German");
    removeLanguageEntry("Polish");
    addLanguageEntry("eng-pol.wl", "pol", "238", "Polish");
    if (countLanguageEntries() > 1) sortLanguageSection();
    countLanguageEntries();
  } catch (const fuzz::FatalExit&) {
  }
  return 0;
}

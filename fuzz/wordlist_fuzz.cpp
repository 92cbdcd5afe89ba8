// The word-list loader and reverser: the input is the source list in.wl;
// buildReversedList turns it round into out.wl. The first byte (also the
// first byte of the first record) picks the list and home code pages, the
// order (the "C" locale, a named locale or a sort table) and the sort
// method.
#include <cstdint>
#include <cstring>
#include <string>

#include "base/state.h"
#include "fuzz/sandbox.h"
#include "text/collate.h"
#include "install/language_step.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::beginInput();
  unsigned selector = size > 0 ? data[0] : 0;
  fuzz::writeFile("in.wl", data, size);
  state.listCodePage = fuzz::pickCodePage(selector & 7);
  state.homeCodePage = fuzz::pickCodePage((selector >> 3) & 7);
  state.uiCodePage = 1252;
  state.debugMode = (selector >> 7) & 1;
  std::strcpy(state.inputListName, "in.wl");
  std::strcpy(state.outputListName, "out.wl");
  switch ((selector >> 6) & 3) {
    case 0: break;  // "C"
    case 1: setCollationLocale(u"german"); break;
    case 2: setCollationLocale(u"turkish"); break;
    case 3: {
      std::string table(256, '\0');
      for (int c = 1; c < 256; ++c) table[c] = static_cast<char>((c * 7 + selector) % 11);
      fuzz::writeFile("tables/english.stb", table);
      break;
    }
  }
  try {
    if (selector & 0x20) {
      ListJobPaths paths;
      ListCounts counts;
      ListDisplay display;
      buildReversedList(currentListJob(paths), counts, display, ListSort::PerComparison);
    } else {
      buildReversedList();
    }
  } catch (const fuzz::FatalExit&) {
  }
  return 0;
}

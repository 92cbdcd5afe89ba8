// The install script: the input is install.inf in a setup folder of the
// scratch folder; the start-up pass and the install pass run over it, then
// the shortcut step when the script asked for one. The setup folder holds a
// few files for the copy commands; the installation folder is another
// folder of the scratch folder. The first byte also picks the script's code
// page.
#include <cstdint>

#include "base/state.h"
#include "fuzz/sandbox.h"
#include "script/script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::beginInput();
  fuzz::writeFile("setup/install.inf", data, size);
  fuzz::writeFile("setup/readme.txt", "read me\r\n");
  fuzz::writeFile("setup/english.str", "not really strings");
  fuzz::writeFile("setup/lists/deu.wl", std::string(84, 'x'));
  fuzz::writeFile("setup/lists/.hidden", "h");
  fuzz::writeFile("install/.keep", "");
  state.uiCodePage = fuzz::pickCodePage(size > 0 ? data[0] : 0);
  state.setupDir.assign(fuzz::sandboxPath("setup"));
  state.defaultDir.assign(fuzz::sandboxPath("programs"));
  try {
    runStartupPass();
    state.installDir.assign(fuzz::sandboxPath("install"));
    runInstallPass();
    if (state.makeShortcut) createShortcutStep();
  } catch (const fuzz::FatalExit&) {
  }
  return 0;
}

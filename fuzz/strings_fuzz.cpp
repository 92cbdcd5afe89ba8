// The strings-file loader: the input, scrambled the way distkit packs it,
// is the strings file "english.str" named by language.in_; the loader reads,
// descrambles and resolves it, then the lookups run over the loaded table.
// The input is the plain (descrambled) content so that the fuzzer sees the
// keys it has to find.
#include <cstdint>
#include <cstring>
#include <string>

#include "base/state.h"
#include "fuzz/sandbox.h"
#include "text/charset.h"
#include "text/strings_step.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::beginInput();
  std::string file(reinterpret_cast<const char*>(data), size);
  scrambleStrings(file.data(), file.size());
  fuzz::writeFile("language.in_", "[Dictionary]\r\nLanguage=english\r\nCharacter=0\r\n");
  fuzz::writeFile("english.str", file);
  std::u16string fallback = fuzz::sandboxPath("fallback");
  try {
    loadStrings(fallback.c_str());
  } catch (const fuzz::FatalExit&) {
    return 0;
  }
  // Every resolved text is a terminated text inside the wide copy.
  std::size_t total = 0;
  for (int k = 0; k < kStringKeyCount; ++k) total += wideLength(text(static_cast<StringKey>(k)));
  for (int i = 0; i < strings.foreignFontCount; ++i) total += wideLength(strings.foreignFontNames[i]);
  if (total > 2 * size + kStringKeyCount) __builtin_trap();
  for (const char* key : {"Install_Start", "FilenameIni", "Font600", "", "=", "NoSuchKey"}) {
    try {
      total += std::strlen(lookupNarrow(key));
      total += wideLength(lookupWide(key));
    } catch (const fuzz::FatalExit&) {
    }
  }
  readCharsetSetting(true);
  return 0;
}

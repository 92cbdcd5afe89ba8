// The closing-text reader: the input's first byte picks the code page, the
// rest is the closing-text file. Whatever it holds, the text is at most
// kClosingTextLimit units, stops before the first zero byte's character and
// never ends in the first half of a cut surrogate pair.
#include <cstdint>
#include <string>

#include "fuzz/sandbox.h"
#include "install/sequence.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::beginInput();
  uint32_t codePage = fuzz::pickCodePage(size > 0 ? data[0] : 0);
  if (size > 0) {
    ++data;
    --size;
  }
  fuzz::writeFile("closing.txt", data, size);
  std::u16string text = readClosingText(u"closing.txt", codePage);
  if (text.size() > kClosingTextLimit) __builtin_trap();
  if (text.find(u'\0') != std::u16string::npos) __builtin_trap();
  if (text.size() == kClosingTextLimit && text.back() >= 0xD800 && text.back() < 0xDC00) {
    __builtin_trap();
  }
  return 0;
}

#include <windows.h>

#include "platform/codepage.h"

namespace platform {

int multiByteToWide(uint32_t codePage, const char* in, int count, char16_t* out, int capacity) {
  return MultiByteToWideChar(codePage, MB_PRECOMPOSED, in, count, reinterpret_cast<wchar_t*>(out),
                             capacity);
}

int wideToMultiByte(uint32_t codePage, const char16_t* in, int count, char* out, int capacity) {
  return WideCharToMultiByte(codePage, 0, reinterpret_cast<const wchar_t*>(in), count, out,
                             capacity, nullptr, nullptr);
}

int wideToMultiByteExact(uint32_t codePage, const char16_t* in, int count, char* out,
                         int capacity) {
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(in),
                              count, out, capacity, nullptr, &usedDefault);
  if (n > 0 && usedDefault) return -1;
  return n;
}

uint32_t ansiCodePage() { return GetACP(); }

bool isLeadByte(uint32_t codePage, unsigned char byte) {
  return IsDBCSLeadByteEx(codePage, byte) != 0;
}

}  // namespace platform

#include "text/charset.h"

#include <climits>

#include "platform/codepage.h"

namespace {
char16_t wideScratch[kScratchCapacity];
char narrowScratch[kScratchCapacity];

int byteLength(const char* text) {
  int n = 0;
  while (text[n] != 0) ++n;
  return n;
}

// The code page of a charset number with a fixed one, else 0.
uint32_t fixedCodePage(int32_t charset) {
  switch (charset) {
    case 0: return 1252;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 500: return 1254;
    default: return 0;
  }
}
}  // namespace

uint32_t charsetToCodePage(int32_t charset) {
  uint32_t codePage = fixedCodePage(charset);
  return codePage != 0 ? codePage : platform::ansiCodePage();
}

bool charsetHasFixedCodePage(int32_t charset) { return fixedCodePage(charset) != 0; }

int wideLength(const char16_t* text) {
  int n = 0;
  while (text[n] != 0) ++n;
  return n;
}

char16_t* toWide(const char* text, char16_t* out, uint32_t codePage) {
  int n = byteLength(text);
  int written = platform::multiByteToWide(codePage, text, n, out, n);
  out[written] = 0;
  return out;
}

char16_t* toWideCount(const char* bytes, char16_t* out, int count, uint32_t codePage) {
  int written = platform::multiByteToWide(codePage, bytes, count, out, count);
  out[written] = 0;
  return out;
}

const char16_t* toWideScratch(const char* text, uint32_t codePage) {
  int written = platform::multiByteToWide(codePage, text, byteLength(text), wideScratch,
                                          kScratchCapacity - 1);
  wideScratch[written] = 0;
  return wideScratch;
}

const char* toNarrowScratch(const char16_t* text, uint32_t codePage) {
  int written = platform::wideToMultiByte(codePage, text, wideLength(text), narrowScratch,
                                          kScratchCapacity - 1);
  narrowScratch[written] = 0;
  return narrowScratch;
}

char* toNarrow(const char16_t* text, char* out, uint32_t codePage) {
  int n = wideLength(text);
  int written = platform::wideToMultiByte(codePage, text, n, out, 2 * n);
  out[written] = 0;
  return out;
}

int32_t parseDecimal(const char* text) {
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (value <= INT32_MAX) value = value * 10 + (*p - '0');
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

int narrowText(const char16_t* text, int length, char* out, int capacity, uint32_t codePage) {
  int n = length > 0 ? platform::wideToMultiByte(codePage, text, length, out, capacity - 1) : 0;
  if (n < 0) n = 0;
  out[n] = 0;
  return n;
}

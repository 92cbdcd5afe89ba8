// Charset numbers, code pages and text conversion between 8-bit and UTF-16.
//
// Every conversion converts the whole input in one platform call and writes
// the terminating zero itself, right behind what the platform wrote (at index
// 0 when the conversion failed, so a failure yields the empty text).
#pragma once

#include <cstdint>

// The Windows code page of the text that a charset number stands for.
// Fifteen numbers map to fixed code pages; any other gives the system's
// ANSI code page.
uint32_t charsetToCodePage(int32_t charset);
// True for the fifteen numbers with a fixed code page; false for the numbers
// that fall back to the system's ANSI code page.
bool charsetHasFixedCodePage(int32_t charset);

// 8-bit text to wide text in the caller's buffer, which must hold
// strlen(text) + 1 units.
char16_t* toWide(const char* text, char16_t* out, uint32_t codePage);
// `count` bytes (zero bytes included) to wide text; `out` must hold count + 1.
char16_t* toWideCount(const char* bytes, char16_t* out, int count, uint32_t codePage);
// 8-bit text to wide text in the process-wide scratch buffer (1000 units);
// valid until the next toWideScratch.
const char16_t* toWideScratch(const char* text, uint32_t codePage);
// Wide text to 8-bit text in the process-wide scratch buffer (1000 bytes);
// valid until the next toNarrowScratch.
const char* toNarrowScratch(const char16_t* text, uint32_t codePage);
// Wide text to 8-bit text in the caller's buffer, which must hold twice the
// wide length plus one bytes.
char* toNarrow(const char16_t* text, char* out, uint32_t codePage);

// `length` wide units to `codePage` text in `out` (capacity `capacity`
// bytes, the terminating zero included; 4 bytes a unit are always enough).
// Returns the length; 0 and an empty text when the conversion failed.
int narrowText(const char16_t* text, int length, char* out, int capacity, uint32_t codePage);

constexpr int kScratchCapacity = 1000;

// Length of a zero-terminated wide text.
int wideLength(const char16_t* text);

// Parses a decimal integer like atoi: leading white space, optional sign,
// digits up to the first other character; 0 when there are none. Values out
// of range saturate instead of overflowing.
int32_t parseDecimal(const char* text);

// Code page conversion between 8-bit text and UTF-16.
//
// The thin seam over the system's MultiByteToWideChar / WideCharToMultiByte.
// Callers pass explicit lengths; nothing here adds a terminator.
#pragma once

#include <cstdint>

namespace platform {

// Converts `count` bytes of `codePage` text into at most `capacity` UTF-16
// units at `out`, precomposing where the code page text has a base letter and
// a combining mark. Returns the number of units written, or 0 when the
// conversion failed (count 0, unknown code page, result larger than capacity).
int multiByteToWide(uint32_t codePage, const char* in, int count, char16_t* out, int capacity);

// Converts `count` UTF-16 units into at most `capacity` bytes of `codePage`
// text; characters the code page lacks become the system's substitute.
// Returns the number of bytes written, or 0 on failure (as above).
int wideToMultiByte(uint32_t codePage, const char16_t* in, int count, char* out, int capacity);

// Converts `count` UTF-16 units into at most `capacity` bytes of `codePage`
// text without any substitution: no best-fit letters, no default character.
// Returns the number of bytes written; -1 when some character has no exact
// form in the code page; 0 on other failure (count 0, unknown code page,
// result larger than capacity). For packing tools, not for the installer.
int wideToMultiByteExact(uint32_t codePage, const char16_t* in, int count, char* out,
                         int capacity);

// The system's ANSI code page (GetACP).
uint32_t ansiCodePage();

// True when `codePage` is a double-byte code page and `byte` is a lead byte
// in it (IsDBCSLeadByteEx).
bool isLeadByte(uint32_t codePage, unsigned char byte);

}  // namespace platform

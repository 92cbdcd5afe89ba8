// Small helpers that more than one distkit command uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Reads the whole file at `path` into `bytes`; false when it cannot be
// opened or read.
bool readWholeFile(std::u16string_view path, std::string& bytes);

// A code page number (decimal, at most six digits) that the system can
// convert with.
bool parseCodePage(std::u16string_view text, uint32_t& codePage);

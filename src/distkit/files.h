// Helpers that several distkit commands share: whole files and code page
// arguments.
#pragma once

#include <cstdint>
#include <string>

// Reads a whole file in binary; false when it cannot be opened or read.
bool readWhole(const std::u16string& path, std::string& bytes);

// A decimal code page number that the system can convert with.
bool parseCodePage(const std::u16string& text, uint32_t& codePage);

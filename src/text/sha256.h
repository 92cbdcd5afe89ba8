// SHA-256 (FIPS 180-4) of a byte string, for telling whether a file still
// holds the bytes a program wrote into it.
#pragma once

#include <string>
#include <string_view>

// The digest of `bytes` as 64 lower-case hex digits.
std::string sha256Hex(std::string_view bytes);

// Locale collation: the C runtime's collation category and the system's
// case-insensitive, locale-aware order of wide texts.
//
// The collation locale is chosen by name through the runtime (as setlocale
// does); the comparison and the sort keys then use the Windows locale
// identifier behind that choice with NORM_IGNORECASE | SORT_STRINGSORT, so
// that hyphen and apostrophe count as ordinary symbols.
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// Sets the runtime's collation category (LC_COLLATE alone) to the locale
// `name` (runtime long names and abbreviations, e.g. "german",
// "english_usa.1252", "C"). Returns true when the runtime accepted it; a
// refused name leaves the setting as it was.
bool setRuntimeCollation(std::u16string_view name);

// The Windows locale identifier (LCID) of the runtime's current collation
// setting; 0 while it is the "C" locale.
uint32_t runtimeCollationLocaleId();

// Compares two texts with CompareStringW in `localeId`, ignoring case,
// string sort. Returns 1 (a < b), 2 (equal), 3 (a > b), or 0 when the system
// comparison failed.
int compareIgnoreCase(uint32_t localeId, std::u16string_view a, std::u16string_view b);

// The sort key of a text (LCMapStringW, LCMAP_SORTKEY with the same flags as
// compareIgnoreCase) into `out`. Comparing two keys
// byte by byte (memcmp, a key that is the beginning of the other first)
// gives the order of compareIgnoreCase. Returns the key's length in bytes,
// its terminating zero included, or 0 when it failed or needs more than
// `capacity` bytes.
int sortKeyIgnoreCase(uint32_t localeId, std::u16string_view text, unsigned char* out,
                      int capacity);

}  // namespace platform

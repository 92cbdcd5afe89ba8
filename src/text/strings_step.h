// The installer's start-up step over the strings file, and the table it
// fills: the loader itself (text/strings.h) takes folders and returns
// failures; this step reads the current directory, sets the interface code
// page and ends the process through the strings loader's box.
#pragma once

#include <cstdint>

#include "text/strings.h"

// The loaded table (empty before loadStrings).
extern StringsTable strings;

// The value of a resolved key (never null after loadStrings; an empty text
// before).
const char16_t* text(StringKey key);

// Reads "Character" of section "Dictionary" from language.in_ (true) or
// language.ini (false) in the current directory; 0 when missing.
int32_t readCharsetSetting(bool setupSettings);

// The start-up step: loadStringsFrom the current directory into `strings`
// (see the README's section on distributions). Sets uiCodePage to the code
// page of CharactersetCode. Ends the process through the strings loader's
// box on failure, with the message that names the failure.
void loadStrings(const char16_t* fallbackFolder);

// Looks a key up in the 8-bit or the wide copy of `strings`; ends the
// process when the key is missing.
const char* lookupNarrow(const char* key);
const char16_t* lookupWide(const char* key);

// The language configuration file: groups of a language line
// ("code,number,charset,name[,...]") and two list-file lines (the source
// list and the reversed list). Comment lines ("#") and empty lines are
// skipped.
#pragma once

#include "platform/file.h"

constexpr int kConfigLineSize = 100;

// Reads one content line (comments and empty lines skipped) into a buffer of
// 100 bytes, its newline cut; 0 when a line was read, -1 at the end of the
// file. A longer line is read in pieces, each a line of its own.
int readConfigLine(platform::File& file, char (&buffer)[kConfigLineSize]);

// The first four fields of a language line, split in place with the C
// tokenizer's rule (base/fields.h).
struct LanguageFields {
  char* field[4] = {};
  const char* code() const { return field[0]; }
  const char* number() const { return field[1]; }
  const char* charset() const { return field[2]; }
  const char* name() const { return field[3]; }
};
// False when the line has fewer than four fields.
bool splitLanguageLine(char* line, LanguageFields& fields);

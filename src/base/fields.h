// Comma-separated fields of language lines and dict.ini entries.
#pragma once

// Splits `line` in place at commas with the C tokenizer's rule: a run of
// commas is one separator, so leading, doubled and trailing commas give no
// empty field. Stores the start of at most `maxFields` fields in `fields`,
// each ended by a zero written over its comma, and returns how many were
// found. The text behind the last stored field is left as it was.
inline int splitFields(char* line, char** fields, int maxFields) {
  int n = 0;
  char* p = line;
  while (n < maxFields) {
    while (*p == ',') ++p;
    if (*p == 0) break;
    fields[n++] = p;
    while (*p != 0 && *p != ',') ++p;
    if (*p == 0) break;
    *p++ = 0;
  }
  return n;
}

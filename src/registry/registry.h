// dict.ini, the application's registry of installed languages.
#pragma once

// Creates dict.ini with its skeleton unless it exists.
void ensureRegistry();
// Drops every line whose key is `languageName` (ASCII case ignored).
void removeLanguageEntry(const char* languageName);
// Appends "f1,f2,f3,name" as the last entry of the language section.
void addLanguageEntry(const char* field1, const char* field2, const char* field3,
                      const char* languageName);
// Number of entries in the language section(s); -1 when unreadable.
int countLanguageEntries();
// Rewrites the language section in collation order; 0 on success, -1 when
// it gave up (the file is then unchanged).
int sortLanguageSection();

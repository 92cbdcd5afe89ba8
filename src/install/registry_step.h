// The registry step: dict.ini's operations on the registry named by the
// strings file (FilenameIni), with the InstallState's code page and list
// name. A failed change of dict.ini ends the installation.
#pragma once

// Creates dict.ini with its skeleton unless it exists. In debug mode the
// debug line moves down 25 pixels first.
void ensureRegistry();
// Drops every line whose key is `languageName` (ASCII case ignored).
void removeLanguageEntry(const char* languageName);
// Appends "f1,f2,f3,name" as the last entry of the language section.
void addLanguageEntry(const char* field1, const char* field2, const char* field3,
                      const char* languageName);
// Number of entries in the language section(s), also kept as
// languageEntryCount; -1 when unreadable (languageEntryCount then stays).
int countLanguageEntries();
// Rewrites the language section in collation order, for languageEntryCount
// entries; 0 on success, -1 when it gave up (the file is then unchanged).
int sortLanguageSection();

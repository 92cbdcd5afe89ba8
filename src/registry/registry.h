// dict.ini, the application's registry of installed languages.
//
// The operations work on the files and texts they are given and report how
// they ended; they never end the run themselves. Whatever failure they
// report, dict.ini is as it was before and tmp.ini is gone (unless it could
// not be created in the first place).
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {
class Folder;
}

// What the operations work with. Texts are 8-bit, in the form in which
// dict.ini holds them.
struct RegistryJob {
  // Where the names below resolve: the held installation folder (never
  // through a link), or, when null, the current directory as given.
  const platform::Folder* folder = nullptr;
  std::u16string_view registryPath;  // dict.ini
  std::u16string_view tmpPath;       // written whole, then put in dict.ini's place
  uint32_t codePage = 0;             // of the entry lines, for the sort's keys
  std::string_view languageHeader;   // the language section's header line
};

// The lines of a new dict.ini besides its language section's header.
struct RegistrySkeleton {
  std::string_view firstLine;       // a comment
  std::string_view addnewHeader;    // the section of lists to add ...
  std::string_view addnewLine;      // ... and its one line
  std::string_view selectedHeader;  // the section of the selected list ...
  std::string_view selectedList;    // ... and that list (the first language's input list)
};

enum class RegistryStatus {
  Done,
  RegistryMissing,     // dict.ini cannot be opened for reading
  RegistryReadOnly,    // dict.ini is marked read-only: left as its owner wants it
  RegistryReadFailed,  // a read of dict.ini failed
  TmpCreateFailed,     // tmp.ini cannot be created
  TmpWriteFailed,      // a write, the flush or the close of tmp.ini failed
  ReplaceFailed,       // tmp.ini cannot take dict.ini's place
  // The sort's own reasons to leave dict.ini as it is.
  CountUnknown,      // no count of the entries was given (below 0)
  OutOfMemory,
  EntryTooLong,      // an entry does not fit the 300-byte line buffer
  EntryHasZeroByte,  // an entry holds a zero byte and could not be written back whole
  CountChanged,      // the file does not hold the given number of entries
};

// Creates dict.ini with the skeleton unless a file of that name exists
// (even one that cannot be read). Fails with TmpCreateFailed,
// TmpWriteFailed or ReplaceFailed.
RegistryStatus ensureRegistry(const RegistryJob& job, const RegistrySkeleton& skeleton);

// Drops every line whose key is `languageName` (ASCII case ignored).
// Fails with RegistryMissing, RegistryReadOnly, TmpCreateFailed,
// RegistryReadFailed, TmpWriteFailed or ReplaceFailed.
RegistryStatus removeLanguageEntry(const RegistryJob& job, const char* languageName);

// Appends "f1,f2,f3,name" as the last entry of the language section. Fails
// like removeLanguageEntry.
RegistryStatus addLanguageEntry(const RegistryJob& job, const char* field1, const char* field2,
                                const char* field3, const char* languageName);

// Number of entries in the language section(s); -1 when unreadable.
int countLanguageEntries(const RegistryJob& job);

// Rewrites the language section, which holds `count` entries, in collation
// order of the entries' names. Any status but Done leaves dict.ini as it is.
RegistryStatus sortLanguageSection(const RegistryJob& job, int count);

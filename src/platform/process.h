// The process's own settings, made once at the start of each program.
#pragma once

#include <cstddef>

namespace platform {

// How restrictLibrarySearch left the library search.
enum class LibrarySearch {
  SystemFolderOnly,  // SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)
  CurrentFolderOut,  // older Windows: SetDllDirectoryW(L"") took the current folder out
  Unchanged,         // neither call was there or succeeded (or not Windows)
};

// Keeps every library loaded from now on (LoadLibrary, COM servers, the
// themed controls' uxtheme.dll) to the system folder, so that a DLL placed
// beside the program (in a Downloads folder, say) is never loaded into it.
// Call it first, before anything that could load a library. Where Windows
// lacks SetDefaultDllDirectories (Windows 7 without KB2533623), the current
// folder is at least taken out of the search.
LibrarySearch restrictLibrarySearch();

// Asks Windows not to show its own boxes for critical errors (a drive with
// no disk in it): the caller sees the failed call instead.
void failCriticalErrorsSilently();

// The folder of the program's own file (its path without the last name; a
// drive's root keeps its backslash), zero-terminated in `buffer` of
// `capacity` units. Returns its length; 0, with an empty text, when it
// cannot be had or does not fit (and on POSIX, where no program asks).
std::size_t programFolder(char16_t* buffer, std::size_t capacity);

}  // namespace platform

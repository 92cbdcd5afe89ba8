#include "platform/process.h"

namespace platform {

// The dynamic loader has no program-folder search to restrict here, and no
// system boxes to suppress.
LibrarySearch restrictLibrarySearch() { return LibrarySearch::Unchanged; }
void failCriticalErrorsSilently() {}

std::size_t programFolder(char16_t* buffer, std::size_t capacity) {
  if (capacity > 0) buffer[0] = 0;
  return 0;
}

}  // namespace platform

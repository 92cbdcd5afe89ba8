#include "platform/process.h"

namespace platform {

// The dynamic loader has no program-folder search to restrict here, and no
// system boxes to suppress.
LibrarySearch restrictLibrarySearch() { return LibrarySearch::Unchanged; }
void failCriticalErrorsSilently() {}

}  // namespace platform

// Links planted below an installation folder, for the tests of what setup
// does with them. Natively a real symbolic link is made. Under Wine a link
// to a file looks like a plain file to every Win32 call, so the Windows
// build plants nothing and makes the platform layer report a link at that
// name instead (platform::faults::reportLinkAt), as Windows would.
#pragma once

#include <string>
#include <string_view>

#include "platform/faults.h"
#include "platform/file.h"
#include "support/test_support.h"

#if !defined(_WIN32)
#include <unistd.h>

#include "platform/posix/host_path.h"
#endif

namespace testing_support {

// `name` (relative to the current directory) becomes a link to `target`, an
// existing file or folder. False when it could not be made.
inline bool plantLink(std::u16string_view name, std::u16string_view target) {
#if defined(_WIN32)
  (void)target;
  std::size_t cut = name.find_last_of(u"\\/");
  platform::faults::reportLinkAt(cut == std::u16string_view::npos ? name : name.substr(cut + 1));
  return true;
#else
  auto from = platform::posix::hostPath(target), at = platform::posix::hostPath(name);
  return from && at && symlink(from->c_str(), at->c_str()) == 0;
#endif
}

inline void stopReportingLinks() { platform::faults::reportLinkAt(u""); }

// What lies under a name, links followed: "" when nothing, a file's bytes,
// a folder's names with what lies under them.
inline std::string contentOf(std::u16string_view path) {
  platform::File file = platform::File::open(path, platform::OpenMode::ReadBinary);
  if (file) {
    std::string bytes = "file:";
    char buffer[4096];
    for (std::size_t n; (n = file.read(buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
    return bytes;
  }
  std::u16string folder(path);
  platform::FileSearch search;
  if (!search.first(folder + u"\\*.*")) return "";
  std::string listing = "folder:";
  do {
    std::u16string_view name = search.name();
    if (name == u"." || name == u"..") continue;
    listing += u8(name) + "=[" + contentOf(folder + u"\\" + std::u16string(name)) + "]";
  } while (search.next());
  return listing;
}

}  // namespace testing_support

// The read-only mark of a file on a POSIX host: no write permission for its
// owner (the way Wine shows FILE_ATTRIBUTE_READONLY).
#include <sys/stat.h>

#include <string>

#include "platform/file.h"
#include "platform/posix/host_path.h"

namespace platform {

bool isReadOnly(std::u16string_view path) {
  std::optional<std::string> p = posix::hostPath(path);
  struct stat st;
  if (!p || stat(p->c_str(), &st) != 0) return false;
  return S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0;
}

}  // namespace platform

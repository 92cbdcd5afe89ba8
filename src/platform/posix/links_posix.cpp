// Link checks on a POSIX host: names are looked at with lstat and changed
// relative to their folder, opened once with O_DIRECTORY, so that the native
// build runs the same decisions with real symbolic links, file links
// included. As on Windows, only the last name is guarded: below the
// installation folder the held folder (folder.h) walks every part, and a
// user's OUT folder may well be a link of the user's own.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/faults.h"
#include "platform/links.h"
#include "platform/posix/host_path.h"
#include "platform/posix/syscalls.h"

using platform::posix::hostPath;

namespace platform {

namespace {

// The folder that holds a name, and the name in it.
class Folder {
 public:
  explicit Folder(const std::string& path) {
    std::size_t cut = path.find_last_of('/');
    std::string folder = cut == std::string::npos ? "." : cut == 0 ? "/" : path.substr(0, cut);
    name_ = cut == std::string::npos ? path : path.substr(cut + 1);
    fd_ = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  ~Folder() {
    if (fd_ >= 0) close(fd_);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  bool valid() const { return fd_ >= 0 && !name_.empty(); }
  int fd() const { return fd_; }
  const char* name() const { return name_.c_str(); }

  // The name as a name to change: Done for a plain file.
  NameChange plainFile() const {
    struct stat st;
    if (fstatat(fd_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return NameChange::Failed;
    if (S_ISLNK(st.st_mode)) return NameChange::Link;
    if (!S_ISREG(st.st_mode)) return NameChange::Failed;
    return NameChange::Done;
  }

 private:
  std::string name_;
  int fd_ = -1;
};

}  // namespace

namespace detail {



std::FILE* createNewStream(std::u16string_view path) {
  if (faults::reportsLink(path)) return nullptr;
  if (removeFileNotLink(path) == NameChange::Link) return nullptr;
  std::optional<std::string> p = hostPath(path);
  if (!p) return nullptr;
  Folder folder(*p);
  if (!folder.valid()) return nullptr;
  int fd = openat(folder.fd(), folder.name(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0666);
  if (fd < 0) return nullptr;
  std::FILE* stream = fdopen(fd, "wb");
  if (!stream) close(fd);
  return stream;
}

}  // namespace detail

NameChange removeFileNotLink(std::u16string_view path) {
  if (faults::reportsLink(path)) return NameChange::Link;
  std::optional<std::string> p = hostPath(path);
  if (!p) return NameChange::Failed;
  Folder folder(*p);
  if (!folder.valid()) return NameChange::Failed;
  NameChange kind = folder.plainFile();
  if (kind != NameChange::Done) return kind;
  return unlinkat(folder.fd(), folder.name(), 0) == 0 ? NameChange::Done : NameChange::Failed;
}


}  // namespace platform

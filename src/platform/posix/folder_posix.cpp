// A held folder on a POSIX host: a descriptor opened once with O_DIRECTORY.
// Every name below it is reached from that descriptor one part at a time
// with openat and O_NOFOLLOW, so a symbolic link on the way ends the walk,
// and the last part is looked at and changed relative to the descriptor of
// its own folder, never through a link. A folder renamed while held keeps
// its descriptor: the names stay inside the folder that was held. (POSIX
// has no share mode that would stop the rename itself.)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "platform/folder.h"
#include "platform/posix/host_path.h"
#include "platform/posix/syscalls.h"

namespace platform::detail {

namespace {

using sys::os;

// A descriptor, closed when it goes away.
class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  bool valid() const { return fd_ >= 0; }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  // Closes now; false when close reports an error (data not written).
  bool close() { return ::close(release()) == 0; }

 private:
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  int fd_ = -1;
};

// The folder that holds the last part of a name, reached from the held
// folder, and that last part. `reached` is Done when the folder was
// reached, Link when a part on the way is a symbolic link, else Failed
// (missing, not a folder, not to be named on this host).
struct Place {
  NameChange reached = NameChange::Failed;
  int folder = -1;   // the held descriptor, or owned's
  Descriptor owned;  // the last folder opened on the way
  std::string last;

  // lstat of the last part relative to its folder.
  bool look(struct stat& st) const {
    return fstatat(folder, last.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  }
};

Place reach(intptr_t held, const NameParts& parts) {
  Place place;
  place.folder = static_cast<int>(held);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::optional<std::string> part = posix::utf8(parts[i]);
    if (!part) return place;
    if (i + 1 == parts.size()) {
      place.last = std::move(*part);
      place.reached = NameChange::Done;
      return place;
    }
    int fd = openat(place.folder, part->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      // ELOOP or ENOTDIR for a link, depending on the system: lstat tells.
      struct stat st;
      if (fstatat(place.folder, part->c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISLNK(st.st_mode)) {
        place.reached = NameChange::Link;
      }
      return place;
    }
    place.owned = Descriptor(fd);
    place.folder = fd;
  }
  return place;  // no parts: nameParts never gives that
}

// What the last part of a reached name is, looked at without following
// it: a plain file, a symbolic link, anything else (a folder, a pipe, or a
// name that cannot be looked at), or nothing.
enum class Existing { PlainFile, Link, Other, Missing };

Existing existing(const Place& place, struct stat& st) {
  if (!place.look(st)) return errno == ENOENT ? Existing::Missing : Existing::Other;
  if (S_ISLNK(st.st_mode)) return Existing::Link;
  return S_ISREG(st.st_mode) ? Existing::PlainFile : Existing::Other;
}

// Reads and writes on a descriptor opened with O_NONBLOCK (so that a named
// pipe planted under the name cannot make the open wait) wait as usual
// again.
bool blocking(int fd) {
  int status = fcntl(fd, F_GETFL);
  return status != -1 && fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == 0;
}

// Copies every byte of `in` to `out`; writes go through the table of calls.
bool copyBytes(int in, int out) {
  char buffer[65536];
  for (;;) {
    ssize_t n = read(in, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t done = 0; done < n;) {
      ssize_t w = os.write(out, buffer + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return false;
      done += w;
    }
  }
}

// A new side file beside `place.last` in its folder: "<last>.~1", "~2" and
// so on, the first name that nothing has (O_EXCL: nothing that exists is
// opened). Invalid when none could be made.
Descriptor newSideFile(const Place& place, std::string& side) {
  for (int i = 1; i <= 99; ++i) {
    side = place.last + ".~" + std::to_string(i);
    Descriptor fd(openat(place.folder, side.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd.valid() || errno != EEXIST) return fd;
  }
  return Descriptor();
}

}  // namespace

intptr_t holdFolder(std::u16string_view path) {
  // "\\?\C:\x" names "C:\x", "\\?\UNC\server\share" names "\\server\share".
  std::u16string plain(path);
  if (path.substr(0, 8) == u"\\\\?\\UNC\\") {
    plain = u"\\\\" + std::u16string(path.substr(8));
  } else if (path.substr(0, 4) == u"\\\\?\\") {
    plain = path.substr(4);
  }
  std::optional<std::string> p = posix::hostPath(plain);
  if (!p || p->empty()) return -1;
  int fd = ::open(p->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);  // the user's own link followed
  return fd < 0 ? -1 : fd;
}

void releaseFolder(intptr_t folder) { ::close(static_cast<int>(folder)); }

File heldOpen(intptr_t folder, const NameParts& parts, OpenMode mode) {
  Place place = reach(folder, parts);
  if (place.reached != NameChange::Done) return File();
  bool read = mode == OpenMode::ReadBinary || mode == OpenMode::ReadText;
  bool create = mode == OpenMode::CreateBinary || mode == OpenMode::CreateText;
  int flags = O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
  if (read) {
    flags |= O_RDONLY;
  } else if (create) {
    // A plain file with one name, left by a run cut short, goes first.
    struct stat st;
    Existing there = existing(place, st);
    if (there == Existing::PlainFile && st.st_nlink == 1) {
      if (unlinkat(place.folder, place.last.c_str(), 0) != 0) return File();
    } else if (there != Existing::Missing) {
      return File();
    }
    flags |= O_WRONLY | O_CREAT | O_EXCL;
  } else {
    // Not O_TRUNC: the file is emptied only once its descriptor shows one
    // name, so that no other name of it loses its bytes.
    flags |= O_WRONLY | O_CREAT;
  }
  Descriptor fd(openat(place.folder, place.last.c_str(), flags, 0666));
  struct stat st;
  if (!fd.valid() || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return File();
  if (!read && !create && (st.st_nlink != 1 || ftruncate(fd.get(), 0) != 0)) return File();
  if (!blocking(fd.get())) return File();
  std::FILE* stream = fdopen(fd.get(), read ? "rb" : "wb");
  if (!stream) return File();
  fd.release();
  return adoptStream(stream, mode);
}

NameInfo heldLook(intptr_t folder, const NameParts& parts) {
  Place place = reach(folder, parts);
  if (place.reached == NameChange::Link) return {PathKind::Link, false, 0};
  struct stat st;
  if (place.reached != NameChange::Done || !place.look(st)) return {};
  if (S_ISLNK(st.st_mode)) return {PathKind::Link, false, 0};
  // A folder has one name, as on Windows (st_nlink counts its subfolders).
  if (S_ISDIR(st.st_mode)) return {PathKind::Directory, false, 1};
  return {PathKind::File, (st.st_mode & S_IWUSR) == 0, static_cast<uint32_t>(st.st_nlink)};
}

bool heldMakeDirectory(intptr_t folder, const NameParts& parts) {
  Place place = reach(folder, parts);
  return place.reached == NameChange::Done &&
         os.mkdirat(place.folder, place.last.c_str(), 0777) == 0;
}

NameChange heldRemove(intptr_t folder, const NameParts& parts) {
  Place place = reach(folder, parts);
  if (place.reached != NameChange::Done) return place.reached;
  struct stat st;
  switch (existing(place, st)) {
    case Existing::Link:
      return NameChange::Link;
    case Existing::PlainFile:
      return unlinkat(place.folder, place.last.c_str(), 0) == 0 ? NameChange::Done
                                                                : NameChange::Failed;
    default:
      return NameChange::Failed;
  }
}

NameChange heldReplace(intptr_t folder, const NameParts& from, const NameParts& to) {
  Place source = reach(folder, from), target = reach(folder, to);
  if (source.reached == NameChange::Link || target.reached == NameChange::Link) {
    return NameChange::Link;
  }
  if (source.reached != NameChange::Done || target.reached != NameChange::Done) {
    return NameChange::Failed;
  }
  struct stat st;
  Existing a = existing(source, st), b = existing(target, st);
  if (a == Existing::Link || b == Existing::Link) return NameChange::Link;
  if (a != Existing::PlainFile || (b != Existing::PlainFile && b != Existing::Missing)) {
    return NameChange::Failed;
  }
  // renameat replaces the name `to`: another name of that file keeps its
  // bytes, and a link put there meanwhile is replaced, not followed.
  return os.renameat(source.folder, source.last.c_str(), target.folder, target.last.c_str()) == 0
             ? NameChange::Done
             : NameChange::Failed;
}

NameChange heldCopyIn(intptr_t folder, std::u16string_view source, const NameParts& parts) {
  Place place = reach(folder, parts);
  if (place.reached != NameChange::Done) return place.reached;
  struct stat old;
  switch (existing(place, old)) {
    case Existing::Link:
      return NameChange::Link;
    case Existing::Other:
      return NameChange::Failed;
    case Existing::PlainFile:
      // Its owner's read-only mark spares a file with other names. One with
      // a single name is replaced as it is: the rename needs no write right
      // to the file, so its mark is not cleared first and stays on it if
      // the copy fails.
      if ((old.st_mode & S_IWUSR) == 0 && old.st_nlink > 1) return NameChange::Failed;
      break;
    case Existing::Missing:
      break;
  }

  std::optional<std::string> from = posix::hostPath(source);
  if (!from) return NameChange::Failed;
  Descriptor in(::open(from->c_str(), O_RDONLY | O_CLOEXEC));
  struct stat original;
  if (!in.valid() || fstat(in.get(), &original) != 0 || !S_ISREG(original.st_mode)) {
    return NameChange::Failed;
  }

  std::string side;
  Descriptor out = newSideFile(place, side);
  struct stat made;
  if (!out.valid() || fstat(out.get(), &made) != 0) return NameChange::Failed;
  const struct timespec times[2] = {{0, UTIME_OMIT}, original.st_mtim};
  bool ok =
      copyBytes(in.get(), out.get()) && futimens(out.get(), times) == 0 && os.fsync(out.get()) == 0;
  ok = out.close() && ok;
  if (ok && os.renameat(place.folder, side.c_str(), place.folder, place.last.c_str()) == 0) {
    return NameChange::Done;
  }
  // The side file goes, if the name is still the file made here.
  struct stat now;
  if (fstatat(place.folder, side.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
      now.st_dev == made.st_dev && now.st_ino == made.st_ino) {
    unlinkat(place.folder, side.c_str(), 0);
  }
  return NameChange::Failed;
}

}  // namespace platform::detail

// Files and directories on a POSIX host (native build of the portable core).
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ascii.h"
#include "platform/file.h"
#include "platform/posix/host_path.h"
#include "platform/posix/syscalls.h"

using platform::posix::hostPath;
using platform::sys::os;

namespace platform {

namespace detail {
std::FILE* openStream(std::u16string_view path, const char* mode) {
  std::optional<std::string> p = hostPath(path);
  if (!p) return nullptr;
  struct stat st;
  if (stat(p->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return nullptr;  // as on Windows
  return std::fopen(p->c_str(), mode);
}

bool commitStream(std::FILE* stream) { return os.fsync(fileno(stream)) == 0; }
}  // namespace detail

namespace {
bool isDirectory(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

bool removeFile(std::u16string_view path) {
  std::optional<std::string> p = hostPath(path);
  return p && !isDirectory(*p) && unlink(p->c_str()) == 0;
}

bool replaceFile(std::u16string_view from, std::u16string_view to) {
  std::optional<std::string> a = hostPath(from), b = hostPath(to);
  return a && b && os.rename(a->c_str(), b->c_str()) == 0;
}

bool renameFile(std::u16string_view from, std::u16string_view to) {
  std::optional<std::string> a = hostPath(from), b = hostPath(to);
  if (!a || !b) return false;
  struct stat st;
  if (lstat(b->c_str(), &st) == 0) return false;  // MoveFileW never replaces
  return os.rename(a->c_str(), b->c_str()) == 0;
}

bool copyFile(std::u16string_view from, std::u16string_view to) {
  std::optional<std::string> a = hostPath(from), b = hostPath(to);
  if (!a || !b || isDirectory(*a) || isDirectory(*b)) return false;
  int in = open(a->c_str(), O_RDONLY);
  if (in < 0) return false;
  // A destination marked read-only (no write permission for its owner) is
  // replaced all the same, and the copy is left writable.
  struct stat old;
  bool cleared = stat(b->c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
                 !(old.st_mode & S_IWUSR) && chmod(b->c_str(), old.st_mode | S_IWUSR) == 0;
  int out = open(b->c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (out < 0) {
    close(in);
    if (cleared) chmod(b->c_str(), old.st_mode);
    return false;
  }
  bool ok = true;
  char buffer[65536];
  for (;;) {
    ssize_t n = read(in, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    for (ssize_t done = 0; done < n;) {
      ssize_t w = os.write(out, buffer + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        ok = false;
        break;
      }
      done += w;
    }
    if (!ok) break;
  }
  close(in);
  if (close(out) != 0) ok = false;
  if (!ok && cleared) chmod(b->c_str(), old.st_mode);
  return ok;
}

bool createDirectory(std::u16string_view path) {
  std::optional<std::string> p = hostPath(path);
  return p && os.mkdir(p->c_str(), 0777) == 0;
}

bool removeDirectory(std::u16string_view path) {
  std::optional<std::string> p = hostPath(path);
  return p && rmdir(p->c_str()) == 0;
}

bool pathExists(std::u16string_view path) {
  std::optional<std::string> p = hostPath(path);
  struct stat st;
  return p && stat(p->c_str(), &st) == 0;
}

std::u16string followedPath(std::u16string_view path) {
  std::optional<std::string> p = hostPath(path);
  struct stat st;
  if (!p || lstat(p->c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return std::u16string(path);
  char* real = realpath(p->c_str(), nullptr);
  if (!real) return std::u16string(path);
  std::u16string followed = posix::utf16(real);
  std::free(real);
  return followed;
}

PathKind pathKind(std::u16string_view path) {
  std::optional<std::string> p = hostPath(path);
  struct stat st;
  if (!p || lstat(p->c_str(), &st) != 0) return PathKind::Missing;
  if (S_ISLNK(st.st_mode)) return PathKind::Link;
  return S_ISDIR(st.st_mode) ? PathKind::Directory : PathKind::File;
}

namespace {
// The names in a host folder, without "." and "..".
bool hostEntries(const std::string& dir, std::vector<std::string>& out) {
  DIR* d = opendir(dir.c_str());
  if (!d) return false;
  errno = 0;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") out.push_back(std::move(name));
  }
  bool ok = errno == 0;
  closedir(d);
  return ok;
}

// lstat, never stat: a link is removed as a link.
bool removeHost(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) return unlink(path.c_str()) == 0;
  std::vector<std::string> inside;
  bool ok = hostEntries(path, inside);
  for (const std::string& name : inside) ok = removeHost(path + "/" + name) && ok;
  return ok && rmdir(path.c_str()) == 0;
}
}  // namespace

bool listDirectory(std::u16string_view dir, std::vector<std::u16string>& names) {
  std::optional<std::string> p = hostPath(dir);
  std::vector<std::string> found;
  if (!p || !hostEntries(*p, found)) return false;
  for (const std::string& name : found) names.push_back(posix::utf16(name));
  return true;
}

bool removeTree(std::u16string_view path) {
  std::optional<std::string> p = hostPath(path);
  return p && removeHost(*p);
}

bool createNewFile(std::u16string_view path) {
  std::optional<std::string> p = hostPath(path);
  if (!p) return false;
  int fd = open(p->c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
  if (fd < 0) return false;
  return close(fd) == 0;
}

std::size_t currentDirectory(char16_t* buffer, std::size_t capacity) {
  if (capacity == 0) return 0;
  buffer[0] = 0;
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) return 0;
  std::u16string wide = posix::utf16(cwd);
  if (wide.size() + 1 > capacity) return 0;
  std::copy(wide.begin(), wide.end(), buffer);
  buffer[wide.size()] = 0;
  return wide.size();
}

bool setCurrentDirectory(std::u16string_view path) {
  std::optional<std::string> p = hostPath(path);
  return p && !p->empty() && chdir(p->c_str()) == 0;
}

// The search keeps every matching entry of the directory, sorted the way an
// NTFS directory lists them (by name, ignoring case).
namespace {
struct SearchState {
  std::vector<std::pair<std::u16string, uint32_t>> entries;
  std::size_t next = 0;
};

char16_t fold(char16_t c) { return upperAscii(c); }

// Windows wildcards: "*" any run, "?" one character; "*.*" matches every
// name; letters ignore case.
bool matches(std::u16string_view pattern, std::u16string_view name) {
  if (pattern.size() >= 3 && pattern.substr(pattern.size() - 3) == u"*.*") {
    pattern = pattern.substr(0, pattern.size() - 2);
  }
  std::size_t p = 0, n = 0, starP = std::u16string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == u'?' || fold(pattern[p]) == fold(name[n]))) {
      ++p, ++n;
    } else if (starP != std::u16string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

bool foldedLess(const std::u16string& a, const std::u16string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char16_t x, char16_t y) { return fold(x) < fold(y); });
}
}  // namespace

FileSearch::~FileSearch() { close(); }

void FileSearch::close() {
  delete static_cast<SearchState*>(handle_);
  handle_ = nullptr;
}

bool FileSearch::first(std::u16string_view pattern) {
  close();
  std::size_t cut = pattern.find_last_of(u"\\/");
  std::u16string_view folder = cut == std::u16string_view::npos ? u"." : pattern.substr(0, cut + 1);
  std::u16string_view namePattern =
      cut == std::u16string_view::npos ? pattern : pattern.substr(cut + 1);
  if (namePattern.empty()) return false;
  std::optional<std::string> dirPath = posix::hostPath(folder);
  if (!dirPath) return false;
  DIR* dir = opendir(dirPath->c_str());
  if (!dir) return false;
  auto* search = new SearchState;
  bool root = *dirPath == "/";
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (root && (name == "." || name == "..")) continue;
    std::u16string wide = posix::utf16(name);
    if (wide.size() >= 260 || !matches(namePattern, wide)) continue;
    struct stat st;
    std::string full = *dirPath + "/" + name;
    uint32_t attributes = 0x20;  // archive
    if (stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) attributes = 0x10;
    if (name[0] == '.' && name != "." && name != "..") attributes |= 0x02;
    search->entries.emplace_back(std::move(wide), attributes);
  }
  closedir(dir);
  std::sort(search->entries.begin(), search->entries.end(),
            [](const auto& a, const auto& b) { return foldedLess(a.first, b.first); });
  handle_ = search;
  return next();
}

bool FileSearch::next() {
  auto* search = static_cast<SearchState*>(handle_);
  if (!search || search->next >= search->entries.size()) return false;
  const auto& [name, attributes] = search->entries[search->next++];
  std::copy(name.begin(), name.end(), name_);
  name_[name.size()] = 0;
  attributes_ = attributes;
  return true;
}

}  // namespace platform

#include "platform/posix/host_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/utf8.h"

namespace platform::posix {
namespace {

std::string& rootSetting() {
  static std::string root;
  return root;
}

std::string& confinement() {
  static std::string dir;
  return dir;
}

bool isSeparator(char c) { return c == '/'; }

// "." and ".." resolved without looking at the disk (no symbolic links are
// ever made by the installer, so the text decides).
std::string normalized(const std::string& absolute) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i < absolute.size()) {
    while (i < absolute.size() && isSeparator(absolute[i])) ++i;
    std::size_t start = i;
    while (i < absolute.size() && !isSeparator(absolute[i])) ++i;
    std::string part = absolute.substr(start, i - start);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string out;
  for (const std::string& p : parts) out += "/" + p;
  return out.empty() ? "/" : out;
}

bool insideConfinement(const std::string& path) {
  const std::string& box = confinement();
  if (box.empty()) return true;
  std::string absolute = path;
  if (absolute.empty() || absolute[0] != '/') {
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return false;
    absolute = std::string(cwd) + "/" + absolute;
  }
  std::string n = normalized(absolute);
  return n == box || (n.size() > box.size() && n.compare(0, box.size(), box) == 0 &&
                      n[box.size()] == '/');
}

}  // namespace

const std::string& hostRoot() {
  std::string& root = rootSetting();
  if (root.empty()) {
    const char* env = std::getenv("DSETUP_POSIX_ROOT");
    if (env && *env) {
      root = env;
    } else {
      const char* tmp = std::getenv("TMPDIR");
      root = std::string(tmp && *tmp ? tmp : "/tmp") + "/dsetup-posix-" +
             std::to_string(static_cast<unsigned long>(getuid()));
    }
  }
  return root;
}

void setHostRoot(std::string_view hostDir) { rootSetting() = std::string(hostDir); }

void confineTo(std::string_view hostDir) {
  confinement() = hostDir.empty() ? std::string() : normalized(std::string(hostDir));
}

std::optional<std::string> utf8(std::u16string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (platform::isSurrogatePair(s, i)) {
      cp = platform::combineSurrogates(s[i], s[i + 1]);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      return std::nullopt;  // a lone surrogate names no host file
    }
    platform::appendUtf8(out, cp);
  }
  return out;
}

std::u16string utf16(std::string_view s) { return platform::utf8ToUtf16Lossy(s); }

std::optional<std::string> hostPath(std::u16string_view path) {
  std::optional<std::string> text = utf8(path);
  if (!text) return std::nullopt;
  std::string p = *text;
  if (p.find('\0') != std::string::npos) return std::nullopt;
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  if (p.size() >= 2 && p[1] == ':' &&
      ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'))) {
    char drive = static_cast<char>(p[0] | 0x20);
    std::string rest = p.substr(2);
    if (drive == 'z') {
      p = rest.empty() ? "/" : rest;
    } else {
      p = hostRoot() + "/drive_" + drive + (rest.empty() || rest[0] == '/' ? "" : "/") + rest;
    }
  }
  if (!insideConfinement(p)) return std::nullopt;
  return p;
}

std::optional<std::string> hostProfilePath(std::u16string_view path) {
  if (path.find(u'\\') == std::u16string_view::npos && path.find(u'/') == std::u16string_view::npos &&
      !(path.size() >= 2 && path[1] == u':')) {
    std::optional<std::string> name = utf8(path);
    if (!name) return std::nullopt;
    std::string p = hostRoot() + "/windows/" + *name;
    if (!insideConfinement(p)) return std::nullopt;
    return p;
  }
  return hostPath(path);
}

bool makeHostFolders(const std::string& hostDir) {
  for (std::size_t i = 1; i <= hostDir.size(); ++i) {
    if (i == hostDir.size() || hostDir[i] == '/') {
      std::string part = hostDir.substr(0, i);
      if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
  }
  struct stat st;
  return stat(hostDir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace platform::posix

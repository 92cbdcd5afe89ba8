// Private profile (.ini) files on a POSIX host: the little of
// GetPrivateProfileInt/String and WritePrivateProfileString that the
// installer uses. Sections and keys ignore case; a file that starts with a
// UTF-16 byte-order mark is read and written as UTF-16, any other as the
// ANSI code page; lines end in CR LF when written.
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/ascii.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/posix/host_path.h"
#include "platform/profile.h"

namespace platform {
namespace {

struct Profile {
  std::vector<std::u16string> lines;
  bool wide = false;
};

bool sameName(std::u16string_view a, std::u16string_view b) { return equalsIgnoringAsciiCase(a, b); }

std::u16string_view trimmed(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t' || s.back() == u'\r')) {
    s.remove_suffix(1);
  }
  return s;
}

std::u16string ansiToWide(const std::string& bytes) {
  if (bytes.empty()) return {};
  std::u16string out(bytes.size(), u'\0');
  int n = multiByteToWide(ansiCodePage(), bytes.data(), static_cast<int>(bytes.size()), out.data(),
                          static_cast<int>(out.size()));
  out.resize(static_cast<std::size_t>(n));
  return out;
}

std::string wideToAnsi(std::u16string_view text) {
  if (text.empty()) return {};
  std::string out(text.size() * 2, '\0');
  int n = wideToMultiByte(ansiCodePage(), text.data(), static_cast<int>(text.size()), out.data(),
                          static_cast<int>(out.size()));
  out.resize(static_cast<std::size_t>(n));
  return out;
}

// Reads the file; false when it cannot be opened (an empty profile then).
bool load(const std::string& hostFile, Profile& profile) {
  std::FILE* f = std::fopen(hostFile.c_str(), "rb");
  if (!f) return false;
  std::string bytes;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, f)) bytes.append(buffer, n);
  std::fclose(f);
  std::u16string text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    profile.wide = true;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                    static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
  } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    text = posix::utf16(std::string_view(bytes).substr(3));
  } else {
    text = ansiToWide(bytes);
  }
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    profile.lines.push_back(std::move(line));
    start = end + 1;
  }
  return true;
}

bool save(const std::string& hostFile, const Profile& profile) {
  std::u16string text;
  for (const std::u16string& line : profile.lines) text += line + u"\r\n";
  std::string bytes;
  if (profile.wide) {
    bytes = "\xFF\xFE";
    for (char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
  } else {
    bytes = wideToAnsi(text);
  }
  std::FILE* f = std::fopen(hostFile.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// The section name of a "[name]" line, or nullopt for other lines.
std::optional<std::u16string_view> sectionOf(std::u16string_view line) {
  line = trimmed(line);
  if (line.empty() || line.front() != u'[') return std::nullopt;
  std::size_t close = line.find(u']');
  if (close == std::u16string_view::npos) close = line.size();
  return trimmed(line.substr(1, close - 1));
}

// The key and value of a "key=value" line.
bool entryOf(std::u16string_view line, std::u16string_view& key, std::u16string_view& value) {
  std::size_t eq = line.find(u'=');
  if (eq == std::u16string_view::npos) return false;
  key = trimmed(line.substr(0, eq));
  value = trimmed(line.substr(eq + 1));
  return true;
}

// Index of the key's line in the first section of that name; -1 when
// missing. `sectionEnd` gets the index after the section's last entry line,
// or -1 when there is no such section.
long findEntry(const Profile& profile, std::u16string_view section, std::u16string_view key,
               long& sectionEnd) {
  sectionEnd = -1;
  bool inside = false;
  for (std::size_t i = 0; i < profile.lines.size(); ++i) {
    if (auto name = sectionOf(profile.lines[i])) {
      if (inside) return -1;
      inside = sameName(*name, section);
      if (inside) sectionEnd = static_cast<long>(i) + 1;
      continue;
    }
    if (!inside) continue;
    std::u16string_view k, v;
    if (!entryOf(profile.lines[i], k, v)) continue;
    sectionEnd = static_cast<long>(i) + 1;
    if (sameName(k, key)) return static_cast<long>(i);
  }
  return -1;
}

std::optional<std::u16string> readValue(std::u16string_view section, std::u16string_view key,
                                        std::u16string_view file) {
  std::optional<std::string> host = posix::hostProfilePath(file);
  Profile profile;
  if (!host || !load(*host, profile)) return std::nullopt;
  long end;
  long at = findEntry(profile, section, key, end);
  if (at < 0) return std::nullopt;
  std::u16string_view k, v;
  entryOf(profile.lines[static_cast<std::size_t>(at)], k, v);
  if (v.size() >= 2 && ((v.front() == u'"' && v.back() == u'"') ||
                        (v.front() == u'\'' && v.back() == u'\''))) {
    v = v.substr(1, v.size() - 2);
  }
  return std::u16string(v);
}

}  // namespace

int profileInt(std::u16string_view section, std::u16string_view key, int fallback,
               std::u16string_view file) {
  std::optional<std::u16string> value = readValue(section, key, file);
  if (!value) return fallback;
  std::size_t i = 0;
  bool negative = false;
  if (i < value->size() && ((*value)[i] == u'-' || (*value)[i] == u'+')) {
    negative = (*value)[i++] == u'-';
  }
  unsigned long long n = 0;
  for (; i < value->size() && (*value)[i] >= u'0' && (*value)[i] <= u'9'; ++i) {
    n = n * 10 + static_cast<unsigned>((*value)[i] - u'0');
    if (n > 0xFFFFFFFFull) n = 0xFFFFFFFFull;
  }
  unsigned int u = static_cast<unsigned int>(n);
  if (negative) u = 0u - u;
  return static_cast<int>(u);
}

std::size_t profileString(std::u16string_view section, std::u16string_view key,
                          std::u16string_view fallback, char16_t* buffer, std::size_t capacity,
                          std::u16string_view file) {
  if (capacity == 0) return 0;
  std::optional<std::u16string> value = readValue(section, key, file);
  std::u16string_view text = value ? std::u16string_view(*value) : trimmed(fallback);
  std::size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  for (std::size_t i = 0; i < n; ++i) buffer[i] = text[i];
  buffer[n] = 0;
  return n;
}

bool writeProfileString(std::u16string_view section, std::u16string_view key,
                        std::u16string_view value, std::u16string_view file) {
  std::optional<std::string> host = posix::hostProfilePath(file);
  if (!host) return false;
  std::size_t slash = host->rfind('/');
  if (slash != std::string::npos && host->compare(0, slash, posix::hostRoot() + "/windows") == 0) {
    posix::makeHostFolders(host->substr(0, slash));
  }
  Profile profile;
  load(*host, profile);
  std::u16string line = std::u16string(key) + u"=" + std::u16string(value);
  long end;
  long at = findEntry(profile, section, key, end);
  if (at >= 0) {
    profile.lines[static_cast<std::size_t>(at)] = line;
  } else if (end >= 0) {
    profile.lines.insert(profile.lines.begin() + end, line);
  } else {
    if (!profile.lines.empty() && !trimmed(profile.lines.back()).empty()) {
      profile.lines.emplace_back();
    }
    profile.lines.push_back(u"[" + std::u16string(section) + u"]");
    profile.lines.push_back(line);
  }
  return save(*host, profile);
}

bool writeOwnProfileString(std::u16string_view section, std::u16string_view key,
                           std::u16string_view value, std::u16string_view file) {
  std::optional<std::string> host = posix::hostProfilePath(file);
  struct stat seen;
  if (host && lstat(host->c_str(), &seen) == 0 && (S_ISLNK(seen.st_mode) || seen.st_nlink > 1)) {
    return false;
  }
  return writeProfileString(section, key, value, file);
}

bool writeProfileStringNarrow(const char* section, const char* key, const char* value,
                              const char* file) {
  auto wide = [](const char* s) { return ansiToWide(s ? std::string(s) : std::string()); };
  return writeProfileString(wide(section), wide(key), wide(value), wide(file));
}

}  // namespace platform

#include "distkit/tool_files.h"

#include <chrono>
#include <random>

#include "platform/codepage.h"
#include "platform/file.h"

std::u16string folderOf(std::u16string_view path) {
  std::size_t slash = path.find_last_of(u"\\/");
  return std::u16string(slash == std::u16string_view::npos ? u"" : path.substr(0, slash + 1));
}

std::u16string reserveSideName(std::u16string_view folder, std::u16string_view suffix,
                               SideKind kind) {
  static std::mt19937_64 random(
      std::random_device{}() ^
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    uint64_t n = random();
    std::u16string name = std::u16string(folder) + u"~distkit-";
    for (int i = 0; i < 12; ++i, n >>= 4) name += u"0123456789abcdef"[n & 15];
    name += suffix;
    bool made = kind == SideKind::File ? platform::createNewFile(name)
                                       : platform::createDirectory(name);
    if (made) return name;
    // Only a name that is taken is worth another draw.
    if (platform::pathKind(name) == platform::PathKind::Missing) break;
  }
  return {};
}

bool readWholeFile(std::u16string_view path, std::string& bytes) {
  platform::File file = platform::File::open(path, platform::OpenMode::ReadBinary);
  if (!file) return false;
  int64_t size = file.size();
  if (size < 0) return false;
  bytes.resize(static_cast<std::size_t>(size));
  return file.read(bytes.data(), bytes.size()) == bytes.size();
}

bool parseCodePage(std::u16string_view text, uint32_t& codePage) {
  if (text.empty() || text.size() > 6) return false;
  uint32_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    value = value * 10 + (c - u'0');
  }
  char16_t probe[2];
  if (platform::multiByteToWide(value, "a", 1, probe, 2) != 1) return false;
  codePage = value;
  return true;
}

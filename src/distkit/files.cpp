#include "distkit/files.h"

#include "platform/codepage.h"
#include "platform/file.h"

bool readWhole(const std::u16string& path, std::string& bytes) {
  platform::File file = platform::File::open(path, platform::OpenMode::ReadBinary);
  if (!file) return false;
  int64_t size = file.size();
  if (size < 0) return false;
  bytes.resize(static_cast<std::size_t>(size));
  return file.read(bytes.data(), bytes.size()) == bytes.size();
}

bool parseCodePage(const std::u16string& text, uint32_t& codePage) {
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

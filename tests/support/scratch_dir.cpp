#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/file.h"
#include "platform/utf8.h"
#include "support/test_support.h"

namespace testing_support {

std::u16string u16(std::string_view utf8) {
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char c = utf8[i];
    char32_t cp;
    int extra;
    if (c < 0x80) { cp = c; extra = 0; }
    else if ((c >> 5) == 6) { cp = c & 0x1F; extra = 1; }
    else if ((c >> 4) == 14) { cp = c & 0x0F; extra = 2; }
    else { cp = c & 0x07; extra = 3; }
    ++i;
    for (int k = 0; k < extra && i < utf8.size(); ++k, ++i) cp = (cp << 6) | (utf8[i] & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string u8(std::u16string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size()) cp = platform::combineSurrogates(s[i], s[++i]);
    platform::appendUtf8(out, cp);
  }
  return out;
}

namespace fs = std::filesystem;

static fs::path p(std::u16string_view s) {
  std::u16string text(s);
#if !defined(_WIN32)
  for (char16_t& c : text) {
    if (c == u'\\') c = u'/';  // native build: test names are written the Windows way
  }
#endif
  return fs::path(text);
}

ScratchDir::ScratchDir() {
  char16_t cwd[1024];
  platform::currentDirectory(cwd, 1024);
  previous_ = cwd;
  std::random_device rd;
  fs::path dir = fs::temp_directory_path() / ("dsetup-test-" + std::to_string(rd()) + std::to_string(rd()));
  fs::create_directories(dir);
  path_ = dir.u16string();
  platform::setCurrentDirectory(path_);
}

ScratchDir::~ScratchDir() {
  platform::setCurrentDirectory(previous_);
  std::error_code ec;
  fs::remove_all(p(path_), ec);
}

void ScratchDir::write(std::u16string_view name, std::string_view bytes) const {
  std::ofstream out(p(path_) / p(name), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ScratchDir::read(std::u16string_view name) const {
  std::ifstream in(p(path_) / p(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool ScratchDir::exists(std::u16string_view name) const { return fs::exists(p(path_) / p(name)); }

void ScratchDir::mkdir(std::u16string_view name) const { fs::create_directories(p(path_) / p(name)); }

std::u16string hostPath(std::string_view linuxPath) {
#if defined(_WIN32)
  std::u16string out = u"Z:";
  for (char c : linuxPath) out += c == '/' ? u'\\' : static_cast<char16_t>(static_cast<unsigned char>(c));
  return out;
#else
  return u16(linuxPath);  // native build: the host path as it is
#endif
}

std::u16string testDataDir() {
  const char* dir = std::getenv("TEST_DATA_DIR");
  return dir ? hostPath(dir) : u"";
}

}  // namespace testing_support

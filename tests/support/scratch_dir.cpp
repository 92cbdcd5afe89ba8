#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/file.h"
#include "platform/utf8.h"
#include "support/test_support.h"

namespace testing_support {

std::u16string u16(std::string_view utf8) { return platform::utf8ToUtf16Lossy(utf8); }

std::string u8(std::u16string_view s) { return platform::utf16ToUtf8(s); }

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
  if (fs::is_directory(p(path_) / p(name))) return {};
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

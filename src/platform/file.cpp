// File: a C stream opened in binary mode, with the C runtime's text-mode
// translation (CR LF <-> LF) done here so that it reads the same everywhere.
#include "platform/file.h"

#include <string>
#include <utility>

#include "platform/links.h"
#include "platform/syscalls.h"

#if defined(_WIN32)
#define SEEK64 _fseeki64
#define TELL64 _ftelli64
#else
#define SEEK64 fseeko
#define TELL64 ftello
#endif

namespace platform {

namespace sys {
StreamCalls streams;
}  // namespace sys

File::~File() { close(); }

File::File(File&& other) noexcept
    : stream_(std::exchange(other.stream_, nullptr)),
      text_(other.text_),
      failed_(other.failed_),
      pushedBack_(other.pushedBack_),
      lineLength_(other.lineLength_) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    stream_ = std::exchange(other.stream_, nullptr);
    text_ = other.text_;
    failed_ = other.failed_;
    pushedBack_ = other.pushedBack_;
    lineLength_ = other.lineLength_;
  }
  return *this;
}

File File::open(std::u16string_view path, OpenMode mode) {
  File f;
  bool write = mode == OpenMode::WriteBinary || mode == OpenMode::WriteText;
  f.text_ = mode == OpenMode::ReadText || mode == OpenMode::WriteText ||
            mode == OpenMode::CreateText;
  if (mode == OpenMode::CreateBinary || mode == OpenMode::CreateText) {
    f.stream_ = detail::createNewStream(path);
  } else {
    f.stream_ = detail::openStream(path, write ? "wb" : "rb");
  }
  return f;
}

namespace detail {
File adoptStream(std::FILE* stream, OpenMode mode) {
  File f;
  f.text_ = mode == OpenMode::ReadText || mode == OpenMode::WriteText ||
            mode == OpenMode::CreateText;
  f.stream_ = stream;
  return f;
}
}  // namespace detail

std::size_t File::read(void* buffer, std::size_t size) {
  if (!stream_ || size == 0) return 0;
  std::size_t n = sys::streams.fread(buffer, 1, size, stream_);
  // Short of the end of the file, a short read failed (a call that failed
  // at once need not have marked the stream).
  if (n < size && (std::ferror(stream_) || !std::feof(stream_))) failed_ = true;
  return n;
}

std::size_t File::write(const void* buffer, std::size_t size) {
  if (!stream_ || size == 0) return 0;
  const char* bytes = static_cast<const char*>(buffer);
  if (!text_) {
    std::size_t n = sys::streams.fwrite(bytes, 1, size, stream_);
    if (n < size) failed_ = true;
    return n;
  }
  // One call for the whole text, newlines made CR LF.
  std::string translated;
  translated.reserve(size + size / 8);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] == '\n') translated += '\r';
    translated += bytes[i];
  }
  std::size_t n = sys::streams.fwrite(translated.data(), 1, translated.size(), stream_);
  if (n == translated.size()) return size;
  failed_ = true;
  // The caller's bytes that went out whole (a newline with its CR).
  std::size_t done = 0;
  for (std::size_t out = 0; done < size; ++done) {
    out += bytes[done] == '\n' ? 2 : 1;
    if (out > n) break;
  }
  return done;
}

bool File::readLine(char* buffer, int capacity) {
  if (!stream_ || capacity <= 0) return false;
  int n = 0;
  while (n < capacity - 1) {
    int c;
    if (pushedBack_ >= 0) {
      c = pushedBack_;
      pushedBack_ = -1;
    } else {
      c = std::fgetc(stream_);
    }
    if (c == EOF) {
      if (std::ferror(stream_)) failed_ = true;
      break;
    }
    if (text_ && c == '\r') {
      int d = std::fgetc(stream_);
      if (d == '\n') {
        c = '\n';
      } else if (d != EOF) {
        pushedBack_ = d;
      }
    }
    buffer[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buffer[n] = 0;
  if (n == 0) return false;
  lineLength_ = static_cast<std::size_t>(n);
  return true;
}

bool File::atEnd() const { return stream_ && pushedBack_ < 0 && std::feof(stream_); }

int64_t File::size() {
  if (!stream_) return -1;
  int64_t here = tell();
  if (here < 0 || SEEK64(stream_, 0, SEEK_END) != 0) return -1;
  int64_t end = TELL64(stream_);
  if (SEEK64(stream_, here, SEEK_SET) != 0) return -1;
  return end;
}

bool File::seek(int64_t offset) {
  if (!stream_) return false;
  pushedBack_ = -1;
  return SEEK64(stream_, offset, SEEK_SET) == 0;
}

int64_t File::tell() {
  if (!stream_) return -1;
  return TELL64(stream_);
}

bool File::flush() {
  if (!stream_) return false;
  if (sys::streams.fflush(stream_) != 0 || !detail::commitStream(stream_)) {
    failed_ = true;
    return false;
  }
  return true;
}

bool File::close() {
  if (!stream_) return true;
  bool ok = std::fclose(stream_) == 0;
  stream_ = nullptr;
  pushedBack_ = -1;
  return ok && !failed_;
}

}  // namespace platform

// Line-based text files (install.inf, the language configuration file) as
// the installer reads them: like fgets on a text-mode stream into a fixed
// buffer, so a line longer than the buffer arrives in pieces, each handled as
// a line of its own. A trailing newline is cut; empty lines and lines
// starting with "#" are skipped by every reader. A Ctrl-Z byte (0x1A) ends
// the file, as it does for the C runtime's text mode: the piece before it is
// still read, nothing after it. (dict.ini has its own reader, where Ctrl-Z is
// data: a rewrite must keep every byte.)
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/file.h"

constexpr char kCtrlZ = 0x1A;

// Moves `file` to its end, so that nothing after a Ctrl-Z is read. Where the
// end cannot be found, the rest is read and dropped.
inline void skipToEnd(platform::File& file) {
  int64_t end = file.size();
  if (end >= 0 && file.seek(end)) return;
  char rest[256];
  while (file.readLine(rest, sizeof rest)) {
  }
}

// Reads the next piece into `buffer` (`capacity` bytes, its zero included)
// and cuts its newline. False at the end of the file (a Ctrl-Z included) or
// at a read error. `endsLine` tells whether the piece ended with a newline.
inline bool readLinePiece(platform::File& file, char* buffer, int capacity, bool& endsLine) {
  if (!file.readLine(buffer, capacity)) {
    buffer[0] = 0;
    return false;
  }
  // Looked for over the bytes as read: a zero byte inside the piece must not
  // hide a Ctrl-Z behind it.
  const void* ctrlZ = std::memchr(buffer, kCtrlZ, file.lineLength());
  if (ctrlZ) {
    buffer[static_cast<const char*>(ctrlZ) - buffer] = 0;
    skipToEnd(file);
    endsLine = false;
    return buffer[0] != 0;
  }
  std::size_t n = std::strlen(buffer);
  endsLine = n > 0 && buffer[n - 1] == '\n';
  if (endsLine) buffer[n - 1] = 0;
  return true;
}

// A piece that every reader passes over: empty or a comment.
inline bool isSkippedLine(const char* text) { return text[0] == 0 || text[0] == '#'; }

// The pieces of a file with the numbers of the lines they come from.
class NumberedLines {
 public:
  NumberedLines() = default;
  explicit NumberedLines(platform::File file) : file_(std::move(file)) {}

  bool isOpen() const { return file_.isOpen(); }
  bool failed() const { return file_.failed(); }

  // Reads the next piece like readLinePiece. `number` is the 1-based number
  // of its file line (the pieces of a long line share it); `overlong` marks
  // the first piece of a line that did not fit: the rest follows as further
  // pieces.
  bool next(char* buffer, int capacity, int& number, bool& overlong) {
    bool endsLine = false;
    if (!readLinePiece(file_, buffer, capacity, endsLine)) return false;
    if (atLineStart_) ++number_;
    number = number_;
    overlong = atLineStart_ && !endsLine && !file_.atEnd() &&
               std::strlen(buffer) == static_cast<std::size_t>(capacity - 1);
    atLineStart_ = endsLine;
    return true;
  }

 private:
  platform::File file_;
  int number_ = 0;
  bool atLineStart_ = true;
};

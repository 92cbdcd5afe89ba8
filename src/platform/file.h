// Files, directories and the current directory.
//
// Paths are UTF-16. `File` is a buffered file owned by one object and closed
// when it goes away. Text mode follows the C runtime's rules on Windows: a
// CR LF pair reads as one newline, and a newline is written as CR LF.
//
// Reads, writes, flushes, renames and directory creation can be made to fail on
// purpose from tests (see platform::faults in faults.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class OpenMode {
  ReadBinary,   // "rb"
  WriteBinary,  // "wb": created or truncated
  ReadText,     // "rt"
  WriteText,    // "wt": created or truncated
  // A side file of the program's own, made new: a plain file left under the
  // name (by a run that was cut short) is removed first; a link, other
  // reparse point or folder of that name is left alone and the open fails.
  // The file is created only where no name exists, so nothing is ever
  // written through an existing name (see links.h).
  CreateBinary,
  CreateText,
};

class File;
namespace detail {
File adoptStream(std::FILE* stream, OpenMode mode);
}  // namespace detail

class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens `path`; check isOpen() for the result.
  static File open(std::u16string_view path, OpenMode mode);

  bool isOpen() const { return stream_ != nullptr; }
  explicit operator bool() const { return isOpen(); }

  // Reads up to `size` bytes; returns the number read (short at the end or
  // on a read error, see failed()).
  std::size_t read(void* buffer, std::size_t size);
  // Writes `size` bytes; returns the number written. In text mode newlines
  // become CR LF and the count is of the caller's bytes.
  std::size_t write(const void* buffer, std::size_t size);
  bool writeAll(std::string_view text) { return write(text.data(), text.size()) == text.size(); }

  // Reads one line like fgets: at most capacity - 1 bytes, up to and
  // including a newline, then a zero. Returns false when nothing could be
  // read (end of file or read error; failed() tells which). In text mode a
  // CR directly before a LF is dropped.
  bool readLine(char* buffer, int capacity);
  // The number of bytes that the last successful readLine stored, zero bytes
  // inside the line included (where strlen would stop early).
  std::size_t lineLength() const { return lineLength_; }

  // Size in bytes, or -1 when it cannot be determined. The position is kept.
  int64_t size();
  bool seek(int64_t offset);  // from the start
  int64_t tell();

  // Pushes buffered data to the system and asks it to commit the data to
  // disk. Returns false on failure.
  bool flush();
  // Closes the file; returns false when buffered data could not be written.
  bool close();

  // True after a read or write error on this file.
  bool failed() const { return failed_; }
  bool atEnd() const;

 private:
  friend File detail::adoptStream(std::FILE* stream, OpenMode mode);
  std::FILE* stream_ = nullptr;
  bool text_ = false;
  bool failed_ = false;
  int pushedBack_ = -1;
  std::size_t lineLength_ = 0;
};

// Deletes a file. Returns false when it could not be deleted.
bool removeFile(std::u16string_view path);
// Renames `from` to `to`, replacing `to` if it exists, in one step: at every
// moment either the old or the new `to` is on disk. Returns false on failure
// (then `to` is unchanged). While another program holds `to` (a virus
// scanner just after it was written), the move is tried again for up to
// kReplaceRetryMilliseconds.
inline constexpr unsigned kReplaceRetryMilliseconds = 10000;
bool replaceFile(std::u16string_view from, std::u16string_view to);
// Plain rename; fails when `to` exists.
bool renameFile(std::u16string_view from, std::u16string_view to);
// Copies a file, replacing an existing destination, also one marked
// read-only (an earlier copy from a CD keeps the CD's read-only mark). The
// copy is writable and carries no mark of where it came from: the
// Zone.Identifier stream that a downloaded archive's files have is removed
// (a file system without streams has none to remove). When the copy fails,
// a destination whose read-only mark was cleared gets it back.
bool copyFile(std::u16string_view from, std::u16string_view to);
// Creates one directory level. Returns false on failure (also when it exists).
bool createDirectory(std::u16string_view path);
// Removes an empty directory. Returns false on failure.
bool removeDirectory(std::u16string_view path);
// True when a file or directory of that name exists.
bool pathExists(std::u16string_view path);
// `path` with the links in it followed as the system follows them (the
// user's own links: a distkit OUT that is a link to a file names that
// file), when it names a file that exists; otherwise `path` as given.
std::u16string followedPath(std::u16string_view path);
// True when a file of that name exists and is marked read-only
// (FILE_ATTRIBUTE_READONLY): its owner does not want it changed.
bool isReadOnly(std::u16string_view path);

// What a path names, without following a link at its end.
enum class PathKind {
  Missing,    // nothing there (or it cannot be looked at)
  File,
  Directory,
  Link,       // a symbolic link, junction or other reparse point (Windows: the
              // attribute FILE_ATTRIBUTE_REPARSE_POINT; POSIX: lstat's S_IFLNK)
};
PathKind pathKind(std::u16string_view path);

// The names in directory `dir`, without "." and "..". False when it cannot
// be listed (missing, not a directory, no right to read it): that is not
// the same as an empty directory.
bool listDirectory(std::u16string_view dir, std::vector<std::u16string>& names);

// Removes `path`: a file, or a directory with everything in it.
// Contract: it never goes through a link. A symbolic link, junction or
// other reparse point, at `path` or anywhere below it, is removed as a link
// (Windows: RemoveDirectoryW on a directory link, DeleteFileW on a file
// link; POSIX: unlink), and the files of its target are not touched. When a
// link cannot be removed (under Wine a Unix link to a directory cannot be
// removed through Win32 at all), the folders above it stay and the result is
// false; the target is still untouched. Returns true when nothing is left.
// Under Wine a link to a file looks like a plain file to every Win32 call
// and is deleted as Wine deletes it, target and all: a caller that must
// spare such links removes only folders whose files it knows it wrote.
bool removeTree(std::u16string_view path);

// Creates an empty file at `path` only when nothing of that name exists
// (Windows CREATE_NEW, POSIX O_CREAT | O_EXCL): a file that is there is
// never opened or truncated. False when the name is taken or the file
// cannot be made.
bool createNewFile(std::u16string_view path);

// `name` in upper case as the file system compares names: each UTF-16 unit
// mapped by its simple upper-case form (no change of length), so that two
// names are one file on Windows when their upper-case forms are equal
// ("Ärger.txt" and "ärger.txt", "ǅ" and "ǆ"). The same table on every
// system (upcase.cpp, made from Unicode's data), not the locale's: NTFS
// compares by its own table whatever the user's language. Surrogates stay
// as they are; canonically equivalent spellings ("é" as one unit or as "e"
// with a combining accent) stay different names.
std::u16string upperCaseName(std::u16string_view name);

// Copies the current directory into `buffer` (zero-terminated) and returns
// its length. Returns 0 and leaves an empty text when it does not fit into
// `capacity` units with its terminator, or when it cannot be read.
std::size_t currentDirectory(char16_t* buffer, std::size_t capacity);
bool setCurrentDirectory(std::u16string_view path);

// A wildcard search over one directory (FindFirstFileW / FindNextFileW).
class FileSearch {
 public:
  FileSearch() = default;
  ~FileSearch();
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;

  // Starts the search; true when a first entry was found.
  bool first(std::u16string_view pattern);
  // Moves to the next entry; false when there is none.
  bool next();
  void close();

  std::u16string_view name() const { return name_; }
  bool isDirectory() const { return (attributes_ & 0x10) != 0; }
  bool isHidden() const { return (attributes_ & 0x02) != 0; }

 private:
  void* handle_ = nullptr;
  char16_t name_[260] = {};
  uint32_t attributes_ = 0;
};

}  // namespace platform

namespace platform::detail {
// Opens a C stream on a UTF-16 path (binary modes only: "rb", "wb").
std::FILE* openStream(std::u16string_view path, const char* mode);
// Asks the system to commit a flushed stream's data to disk.
bool commitStream(std::FILE* stream);
// A File on `stream`, opened by the caller in binary mode ("rb" or "wb") as
// File::open would have opened it for `mode`; the File owns the stream and
// translates text as File::open's does. A null stream gives a closed File.
File adoptStream(std::FILE* stream, OpenMode mode);
}  // namespace platform::detail

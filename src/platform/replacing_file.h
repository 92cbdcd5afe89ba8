// A file that is written whole beside its target and only then put in the
// target's place.
//
// The new content goes into a side file of the program's own next to the
// target. Only when every byte is written, flushed to disk and the side file
// is closed does it take the target's name, in one step: at every moment
// either the old or the new target is on disk, whenever the process ends.
// When anything fails on the way, or the object goes away without a commit,
// the side file is closed and removed (never through a link) and the target
// is as it was.
#pragma once

#include <string>
#include <string_view>

#include "platform/file.h"
#include "platform/folder.h"

namespace platform {

class ReplacingFile {
 public:
  enum class Mode { Binary, Text };
  enum class Outcome {
    Done,
    WriteFailed,    // a write, the flush or the close of the side file failed
    ReplaceFailed,  // the side file could not take the target's place
  };

  // `target` and `sidePath` are names in `folder` (folder.h): below a held
  // folder neither is ever reached through a link, and a target that is one
  // makes the replacement fail; in a Folder that holds nothing they are
  // paths of the user's own.
  ReplacingFile(const Folder& folder, std::u16string_view target, std::u16string_view sidePath,
                Mode mode);
  ~ReplacingFile() { abandon(); }
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Creates the side file new (OpenMode::CreateBinary or CreateText): a
  // plain file left under its name by a run that was cut short is removed
  // first; a link or a folder of that name is left alone and the creation
  // fails. False when it cannot be made.
  bool create();

  // The side file, for writing.
  File& file() { return file_; }

  // Flushes and closes the side file, then closes `openOnTarget` when one is
  // given (a file read from the target must not stay open while the target
  // is replaced), then puts the side file in the target's place. A write
  // that failed before (file().failed()) skips the flush. On WriteFailed and
  // ReplaceFailed the side file is removed and the target is unchanged.
  Outcome commit(File* openOnTarget = nullptr);

  // Closes and removes the side file unless it was committed or never made.
  void abandon();

 private:
  const Folder& folder_;
  std::u16string target_;
  std::u16string side_;
  Mode mode_;
  File file_;
  bool created_ = false;
};

}  // namespace platform

#include "platform/replacing_file.h"


namespace platform {

ReplacingFile::ReplacingFile(const Folder& folder, std::u16string_view target,
                             std::u16string_view sidePath, Mode mode)
    : folder_(folder), target_(target), side_(sidePath), mode_(mode) {}

bool ReplacingFile::create() {
  file_ = folder_.open(side_, mode_ == Mode::Text ? OpenMode::CreateText : OpenMode::CreateBinary);
  created_ = file_.isOpen();
  return created_;
}

ReplacingFile::Outcome ReplacingFile::commit(File* openOnTarget) {
  bool written = !file_.failed() && file_.flush();
  written = file_.close() && written;
  if (openOnTarget) openOnTarget->close();
  if (!written) {
    abandon();
    return Outcome::WriteFailed;
  }
  if (folder_.replace(side_, target_) != NameChange::Done) {
    abandon();
    return Outcome::ReplaceFailed;
  }
  created_ = false;
  return Outcome::Done;
}

void ReplacingFile::abandon() {
  if (!created_) return;
  file_.close();
  folder_.remove(side_);
  created_ = false;
}

}  // namespace platform

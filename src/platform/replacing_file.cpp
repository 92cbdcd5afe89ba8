#include "platform/replacing_file.h"

#include "platform/links.h"

namespace platform {

ReplacingFile::ReplacingFile(std::u16string_view target, std::u16string_view sidePath, Mode mode,
                             TargetLink targetLink)
    : target_(target), side_(sidePath), mode_(mode), targetLink_(targetLink) {}

bool ReplacingFile::create() {
  file_ = File::open(side_, mode_ == Mode::Text ? OpenMode::CreateText : OpenMode::CreateBinary);
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
  bool replaced = targetLink_ == TargetLink::Refuse ? replaceFileNotLink(side_, target_)
                                                    : replaceFile(side_, target_);
  if (!replaced) {
    abandon();
    return Outcome::ReplaceFailed;
  }
  created_ = false;
  return Outcome::Done;
}

void ReplacingFile::abandon() {
  if (!created_) return;
  file_.close();
  removeFileNotLink(side_);
  created_ = false;
}

}  // namespace platform

// The installation folder as the steps reach it.
#pragma once

#include <string_view>

#include "platform/folder.h"

// The folder that the installation sequence holds (InstallState's
// installFolder). A step run on its own, without the sequence, holds
// `unheld` (installDir, or "." for the current directory) for as long as
// this object lives.
class InstallFolder {
 public:
  explicit InstallFolder(std::u16string_view unheld);
  InstallFolder(const InstallFolder&) = delete;
  InstallFolder& operator=(const InstallFolder&) = delete;
  const platform::Folder& get() const;

 private:
  platform::Folder own_;
};

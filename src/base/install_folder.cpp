#include "base/install_folder.h"

#include "base/state.h"

InstallFolder::InstallFolder(std::u16string_view unheld) {
  if (!state.installFolder.held()) own_ = platform::Folder::hold(unheld);
}

const platform::Folder& InstallFolder::get() const {
  return state.installFolder.held() ? state.installFolder : own_;
}

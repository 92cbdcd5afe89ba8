#include "install/install_folder.h"

#include "base/state.h"

InstallFolder::InstallFolder() {
  if (!state.installFolder.held()) own_ = platform::Folder::hold(u".");
}

const platform::Folder& InstallFolder::get() const {
  return state.installFolder.held() ? state.installFolder : own_;
}

// The shortcut step: a Start-menu program group with one shortcut to the
// installed program, recorded in the uninstall record.
#include "base/state.h"
#include "platform/file.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "script/script.h"

namespace {

using Path = WideText<kPathCapacity>;

// Makes the group folder (under the all-users programs folder) the current directory
// and reads it back. Without a group name the link goes into the programs
// folder itself. A group folder that cannot be made leaves the programs
// folder current, so the link lands there too.
bool enterGroupFolder(Path& groupFolder) {
  Path programs;
  if (!platform::commonProgramsFolder(programs.buffer(), programs.capacity())) return false;
  if (!platform::setCurrentDirectory(programs.view())) return false;
  if (!state.groupName.empty()) {
    platform::createDirectory(state.groupName.view());  // may exist already
    platform::setCurrentDirectory(state.groupName.view());
  }
  return platform::currentDirectory(groupFolder.buffer(), groupFolder.capacity()) > 0;
}

}  // namespace

// Leaves the current directory at the group folder; the installation
// sequence goes back to setupDir afterwards.
void createShortcutStep() {
  if (!state.makeShortcut) return;
  Path target;
  if (!target.assign(state.installDir.view()) || !target.append(state.shortcutTarget.view())) {
    return;
  }
  Path groupFolder;
  if (!enterGroupFolder(groupFolder)) return;
  if (!state.uninstallPath.empty()) {
    platform::writeOwnProfileString(u"Dictionary", u"icon", groupFolder.view(),
                                 state.uninstallPath.view());
  }
  Path link;
  if (!link.assign(groupFolder.view()) || !link.append(u'\\') ||
      !link.append(state.shortcutName.view()) || !link.append(u".lnk")) {
    return;
  }
  platform::createShortcut(target.view(), link.view(), state.installDir.view(),
                           state.shortcutArgs.view());
}

// The start-up pass: title, proposed directory, shortcut arguments and the
// debug switch, read before the strings file is loaded.
#include "base/fatal.h"
#include "base/state.h"
#include "platform/profile.h"
#include "script/script.h"
#include "script/install_script.h"

namespace {

// Records the proposed directory in its uninstall record, for a later
// uninstaller. The folder may not exist yet; the write then fails silently.
void writeUninstallRecord() {
  WideText<kPathCapacity> path;
  if (!path.assign(state.defaultDir.view()) || !path.append(u"\\uninstall.ini")) {
    state.uninstallPath.clear();  // too long for a path: no record at all
    return;
  }
  state.uninstallPath = path;
  platform::writeOwnProfileString(u"Dictionary", u"program", state.defaultDir.view(),
                               state.uninstallPath.view());
}

// dir: the argument replaces the proposed directory.
void setDefaultDir(std::u16string_view dir) {
  state.defaultDir.assign(dir);
  writeUninstallRecord();
}

// subdir: the argument is appended behind a backslash, even when the
// directory already ends in one. A result longer than a path is refused
// rather than cut to a different directory.
void appendDefaultDir(std::u16string_view subdir) {
  WideText<kPathCapacity> dir = state.defaultDir;
  if (!dir.append(u'\\') || !dir.append(subdir)) return;
  state.defaultDir = dir;
  writeUninstallRecord();
}

void runStartupCommand(const ScriptCommand& command) {
  switch (command.keyword) {
    case Keyword::Debug: state.debugMode = 1; return;
    case Keyword::Title: state.titleText.assign(command.arguments[0].text); return;
    case Keyword::Dir: return setDefaultDir(command.arguments[0].text);
    case Keyword::Subdir: return appendDefaultDir(command.arguments[0].text);
    case Keyword::Wbarg: state.shortcutArgs.assign(command.arguments[0].text); return;
    case Keyword::None:
    case Keyword::Mkdir:
    case Keyword::IconName:
    case Keyword::AviDelay:
    case Keyword::SetIni:
    case Keyword::IconGroup:
    case Keyword::IconExe:
    case Keyword::Display:
    case Keyword::MkWList:
    case Keyword::Copy:
    case Keyword::XCopy:
    case Keyword::SndCopy: return;  // the install pass's
  }
}

}  // namespace

void runStartupPass() {
  InstallScript script = readInstallScript(scriptPathIn(state.setupDir.view()), state.uiCodePage);
  if (!script.opened) raiseFatal(u"Can't open INSTALL.INF");
  for (const ScriptCommand& command : script.commands) runStartupCommand(command);
}

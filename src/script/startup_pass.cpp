// The start-up pass: title, proposed directory, shortcut arguments and the
// debug switch, read before the strings file is loaded.
#include "base/fatal.h"
#include "base/state.h"
#include "platform/profile.h"
#include "script/script.h"
#include "script/script_file.h"

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
void setDefaultDir(const char* argument) {
  state.defaultDir.assign(wideScriptText(argument, state.uiCodePage).view());
  writeUninstallRecord();
}

// subdir: the argument is appended behind a backslash, even when the
// directory already ends in one. A result longer than a path is refused
// rather than cut to a different directory.
void appendDefaultDir(const char* argument) {
  WideText<kPathCapacity> dir = state.defaultDir;
  if (!dir.append(u'\\') || !dir.append(wideScriptText(argument, state.uiCodePage).view())) return;
  state.defaultDir = dir;
  writeUninstallRecord();
}

void runStartupLine(const ScriptLine& line) {
  if (line.keyword == Keyword::Debug) {
    state.debugMode = 1;
    return;
  }
  const char* argument = line.commandArgument();
  // The other start-up keywords need an argument; some take an empty one.
  if (!argument) return;
  switch (line.keyword) {
    case Keyword::Title:
      state.titleText.assign(wideScriptText(argument, state.uiCodePage).view());
      break;
    case Keyword::Dir: setDefaultDir(argument); break;
    case Keyword::Subdir: appendDefaultDir(argument); break;
    case Keyword::Wbarg:
      state.shortcutArgs.assign(wideScriptText(argument, state.uiCodePage).view());
      break;
    default: break;  // install commands and unknown lines
  }
}

}  // namespace

void runStartupPass() {
  ScriptFile script(scriptPathIn(state.setupDir.view()), ScriptPass::Startup);
  if (!script.isOpen()) raiseFatal(u"Can't open INSTALL.INF");
  ScriptLine line;
  while (script.next(line)) runStartupLine(line);
}

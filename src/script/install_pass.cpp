// The install pass: directories, file copies and profile settings, and the
// values that later steps of the installation use.
#include <string_view>

#include "base/fatal.h"
#include "base/state.h"
#include "platform/file.h"
#include "platform/links.h"
#include "platform/profile.h"
#include "platform/screen.h"
#include "script/script.h"
#include "script/script_file.h"
#include "text/charset.h"
#include "text/strings_step.h"

namespace {

using Path = WideText<kPathCapacity>;

Path sourcePrefix() {
  Path prefix = state.setupDir;
  prefix.ensureTrailingBackslash();
  return prefix;
}

// Nothing is written through a link below installDir: a destination that
// is one, or whose way from installDir passes through one, is skipped like
// any copy that fails. installDir itself may be a link (the user's choice).
bool throughLink(std::u16string_view relative, const Path& destination) {
  return platform::linkOnTheWay(state.installDir.view(), relative) ||
         platform::isLink(destination.view());
}

// Shows the destination in the window, then copies over whatever is there.
// `relative` is the destination below installDir.
void copyShown(std::u16string_view source, std::u16string_view relative,
               const Path& destination) {
  if (throughLink(relative, destination)) return;
  platform::screen().showDestination(destination.view());
  platform::copyFile(source, destination.view());
}

// Keeps the current directory and goes back to it when the command is over,
// whichever way the command ends.
class DirectoryReturn {
 public:
  DirectoryReturn() { platform::currentDirectory(saved_.buffer(), saved_.capacity()); }
  ~DirectoryReturn() {
    if (valid()) platform::setCurrentDirectory(saved_.view());
  }
  DirectoryReturn(const DirectoryReturn&) = delete;
  DirectoryReturn& operator=(const DirectoryReturn&) = delete;
  bool valid() const { return !saved_.empty(); }

 private:
  Path saved_;
};

// Copies every file that `pattern` finds in the current directory, by bare
// name, into installDir + subfolder. Directories are skipped.
void copyFound(std::u16string_view pattern, std::u16string_view subfolder) {
  platform::FileSearch search;
  if (!search.first(pattern)) return;
  do {
    if (search.isDirectory()) continue;
    Path destination, relative;
    if (!joinPath(relative, {subfolder, u"\\", search.name()}) ||
        !joinPath(destination, {state.installDir.view(), relative.view()})) {
      continue;
    }
    copyShown(search.name(), relative.view(), destination);
  } while (search.next());
}

void makeDirectory(const char* argument) {
  Path path;
  ScriptText relative = wideScriptText(argument, state.uiCodePage);
  // A link of that name, or a folder on the way that is one, is not
  // entered.
  if (joinPath(path, {state.installDir.view(), relative.view()}) &&
      !throughLink(relative.view(), path)) {
    platform::createDirectory(path.view());
  }
}

void writeAviDelay(const char* argument) {
  const char* key = toNarrowScratch(text(StringKey::AviDelay), state.uiCodePage);
  if (key[0] == 0) return;  // no key name: nothing sensible to write
  platform::writeProfileStringNarrow("Dictionary", key, argument, "win.ini");
}

// "setini Key=Value": the key runs up to the first "=", the value is the rest.
void writeSetting(const char* argument) {
  char key[kScriptLineCapacity];
  std::size_t n = 0;
  for (; argument[n] != 0 && argument[n] != '='; ++n) key[n] = argument[n];
  if (argument[n] != '=' || n == 0) return;  // no "=" or no key name
  key[n] = 0;
  platform::writeProfileStringNarrow("Dictionary", key, argument + n + 1, "win.ini");
}

void setGroup(const char* argument) {
  state.groupName.assign(wideScriptText(argument, state.uiCodePage).view());
  if (state.uninstallPath.empty()) return;
  platform::writeProfileString(u"Dictionary", u"name", state.groupName.view(),
                               state.uninstallPath.view());
}

// "copy source destination": one file of setupDir to a file under installDir.
void copyOne(const ScriptTokens& tokens) {
  if (tokens.count < 3) return;
  Path source;
  Path destination;
  ScriptText from = wideScriptText(tokens.token[1], state.uiCodePage);
  ScriptText to = wideScriptText(tokens.token[2], state.uiCodePage);
  if (!joinPath(source, {sourcePrefix().view(), from.view()}) ||
      !joinPath(destination, {state.installDir.view(), to.view()})) {
    return;
  }
  copyShown(source.view(), to.view(), destination);
}

// "xcopy pattern [subfolder]": the files of setupDir that match.
void copyMatching(const ScriptTokens& tokens) {
  if (tokens.count < 2) return;
  DirectoryReturn back;
  if (!back.valid() || !platform::setCurrentDirectory(sourcePrefix().view())) return;
  ScriptText subfolder;
  if (tokens.count >= 3) subfolder = wideScriptText(tokens.token[2], state.uiCodePage);
  copyFound(wideScriptText(tokens.token[1], state.uiCodePage).view(), subfolder.view());
}

// "sndcopy folder subfolder": every file of a folder of setupDir. A folder
// that does not exist skips the command.
void copyFolder(const ScriptTokens& tokens) {
  if (tokens.count < 3) return;
  DirectoryReturn back;
  if (!back.valid() || !platform::setCurrentDirectory(sourcePrefix().view()) ||
      !platform::setCurrentDirectory(wideScriptText(tokens.token[1], state.uiCodePage).view())) {
    return;
  }
  copyFound(u"*.*", wideScriptText(tokens.token[2], state.uiCodePage).view());
}

void runInstallLine(const ScriptLine& line) {
  switch (line.keyword) {
    case Keyword::MkWList: state.makeWordLists = 1; return;
    case Keyword::Copy: copyOne(splitTokens(line.text)); return;
    case Keyword::XCopy: copyMatching(splitTokens(line.text)); return;
    case Keyword::SndCopy: copyFolder(splitTokens(line.text)); return;
    default: break;
  }
  const char* argument = line.commandArgument();
  // The remaining commands need an argument; some take an empty one.
  if (!argument) return;
  switch (line.keyword) {
    case Keyword::Mkdir: makeDirectory(argument); break;
    case Keyword::IconName:
      state.makeShortcut = 1;
      state.shortcutName.assign(wideScriptText(argument, state.uiCodePage).view());
      break;
    case Keyword::AviDelay: writeAviDelay(argument); break;
    case Keyword::SetIni: writeSetting(argument); break;
    case Keyword::IconGroup: setGroup(argument); break;
    case Keyword::IconExe:
      state.shortcutTarget.assign(wideScriptText(argument, state.uiCodePage).view());
      break;
    case Keyword::Display:
      state.closingTextFile.assign(wideScriptText(argument, state.uiCodePage).view());
      break;
    default: break;  // start-up keywords and unknown lines
  }
}

}  // namespace

void runInstallPass() {
  state.installDir.ensureTrailingBackslash();
  ScriptFile script(scriptPathIn(state.setupDir.view()), ScriptPass::Install);
  if (!script.isOpen()) raiseFatal(u"Can't open INSTALL.INF");
  ScriptLine line;
  while (script.next(line)) runInstallLine(line);
}

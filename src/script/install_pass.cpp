// The install pass: directories, file copies and profile settings, and the
// values that later steps of the installation use.
#include <string_view>
#include <vector>

#include "base/fatal.h"
#include "base/install_folder.h"
#include "base/state.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "platform/profile.h"
#include "platform/screen.h"
#include "script/script.h"
#include "script/install_script.h"
#include "text/charset.h"
#include "text/setup_names.h"
#include "text/strings_step.h"

namespace {

using Path = WideText<kPathCapacity>;

Path sourcePrefix() {
  Path prefix = state.setupDir;
  prefix.ensureTrailingBackslash();
  return prefix;
}

// The installation folder, held for the pass (folder.h): nothing is
// written through a link below it, nor into a file's other name. A
// destination that is a link, or lies behind one, is skipped like any copy
// that fails. installDir itself may be a link (the user's choice).
const platform::Folder* passFolder = nullptr;

// Shows the destination in the window, then puts a copy in its place.
// `relative` is the destination below installDir.
void copyShown(std::u16string_view source, std::u16string_view relative,
               const Path& destination) {
  if (passFolder->look(relative).kind == platform::PathKind::Link) return;
  platform::screen().showDestination(destination.view());
  passFolder->copyIn(source, relative);
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
    // Shown as installDir + subfolder + "\\" + name; reached as the name
    // below the held folder.
    Path destination, relative;
    std::u16string_view folder = subfolder;
    while (!folder.empty() && (folder.back() == u'\\' || folder.back() == u'/'))
      folder.remove_suffix(1);
    if (!(folder.empty() ? relative.assign(search.name())
                         : joinPath(relative, {folder, u"\\", search.name()})) ||
        !nameProblem(relative.view(), NameUse::File).empty() ||
        !joinPath(destination, {state.installDir.view(), subfolder, u"\\", search.name()})) {
      continue;
    }
    copyShown(search.name(), relative.view(), destination);
  } while (search.next());
}

// A link of that name, or a folder on the way that is one, is not entered.
void makeDirectory(std::u16string_view relative) { passFolder->makeDirectory(relative); }

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

void setGroup(std::u16string_view name) {
  state.groupName.assign(name);
  if (state.uninstallPath.empty()) return;
  platform::writeOwnProfileString(u"Dictionary", u"name", state.groupName.view(),
                               state.uninstallPath.view());
}

// "copy source destination": one file of setupDir to a file under installDir.
void copyOne(std::u16string_view from, std::u16string_view to) {
  Path source;
  Path destination;
  if (!joinPath(source, {sourcePrefix().view(), from}) ||
      !joinPath(destination, {state.installDir.view(), to})) {
    return;
  }
  copyShown(source.view(), to, destination);
}

// "xcopy pattern [subfolder]": the files of setupDir that match.
void copyMatching(std::u16string_view pattern, std::u16string_view subfolder) {
  DirectoryReturn back;
  if (!back.valid() || !platform::setCurrentDirectory(sourcePrefix().view())) return;
  copyFound(pattern, subfolder);
}

// "sndcopy folder subfolder": every file of a folder of setupDir. A folder
// that does not exist skips the command.
void copyFolder(std::u16string_view folder, std::u16string_view subfolder) {
  DirectoryReturn back;
  if (!back.valid() || !platform::setCurrentDirectory(sourcePrefix().view()) ||
      !platform::setCurrentDirectory(folder)) {
    return;
  }
  copyFound(u"*.*", subfolder);
}

// A command with a name that breaks the rule for names is skipped, as a
// copy that fails.
void runInstallCommand(const ScriptCommand& command) {
  if (!command.namesSound()) return;
  const std::vector<ScriptArgument>& arguments = command.arguments;
  switch (command.keyword) {
    case Keyword::None:
    case Keyword::Title:
    case Keyword::Dir:
    case Keyword::Subdir:
    case Keyword::Wbarg:
    case Keyword::Debug: return;  // the start-up pass's
    case Keyword::MkWList: state.makeWordLists = 1; return;
    case Keyword::Copy: return copyOne(arguments[0].text, arguments[1].text);
    case Keyword::XCopy:
      return copyMatching(arguments[0].text, arguments.size() > 1 ? arguments[1].text : u"");
    case Keyword::SndCopy: return copyFolder(arguments[0].text, arguments[1].text);
    case Keyword::Mkdir: return makeDirectory(arguments[0].text);
    case Keyword::IconName:
      state.makeShortcut = 1;
      state.shortcutName.assign(arguments[0].text);
      return;
    case Keyword::AviDelay: return writeAviDelay(arguments[0].bytes.c_str());
    case Keyword::SetIni: return writeSetting(arguments[0].bytes.c_str());
    case Keyword::IconGroup: return setGroup(arguments[0].text);
    case Keyword::IconExe: state.shortcutTarget.assign(arguments[0].text); return;
    case Keyword::Display: state.closingTextFile.assign(arguments[0].text); return;
  }
}

}  // namespace

void runInstallPass() {
  state.installDir.ensureTrailingBackslash();
  InstallScript script = readInstallScript(scriptPathIn(state.setupDir.view()), state.uiCodePage);
  if (!script.opened) raiseFatal(u"Can't open INSTALL.INF");
  InstallFolder folder(state.installDir.view());
  passFolder = &folder.get();
  for (const ScriptCommand& command : script.commands) runInstallCommand(command);
  passFolder = nullptr;
}

// distkit check, part 2: install.inf, read once into the installer's own
// commands (script/install_script.h): every line a known keyword spelled as
// such, each command with the parts it needs and names that the installer
// takes, the display and iconexe files there. The copy commands are
// followed in check_copies.cpp.
#include <string>

#include "distkit/check_parts.h"
#include "platform/utf8.h"
#include "script/install_script.h"

namespace {

constexpr const char* kScript = "install.inf";

// What a report says of a command that lacks its parts, and how it names
// the last part the installer reads.
struct PartsShown {
  std::string missing;
  const char* last;
};

PartsShown partsShown(Keyword keyword) {
  switch (keyword) {
    case Keyword::Copy: return {"copy needs a source and a destination file name", "destination"};
    case Keyword::XCopy: return {"xcopy without a file pattern", "folder"};
    case Keyword::SndCopy:
      return {"sndcopy needs a folder and a destination folder", "destination"};
    case Keyword::None:
    case Keyword::Title:
    case Keyword::Dir:
    case Keyword::Subdir:
    case Keyword::Wbarg:
    case Keyword::Debug:
    case Keyword::Mkdir:
    case Keyword::IconName:
    case Keyword::AviDelay:
    case Keyword::SetIni:
    case Keyword::IconGroup:
    case Keyword::IconExe:
    case Keyword::Display:
    case Keyword::MkWList: break;
  }
  return {std::string(keywordName(keyword)) + " without its argument", "argument"};
}

class ScriptChecker {
 public:
  explicit ScriptChecker(SetupFolder& setup) : setup_(setup) {}

  ScriptCheck run() {
    InstallScript script =
        readInstallScript(setup_.dir + std::u16string(kScriptFileName), setup_.codePage);
    if (!script.opened) {
      report(0, "missing: the installer stops with \"Can't open INSTALL.INF\"");
      return std::move(result_);
    }
    // The findings in their place among the commands, as the file has them.
    std::size_t next = 0;
    for (std::size_t i = 0; i <= script.commands.size(); ++i) {
      for (; next < script.findings.size() && script.findings[next].before <= i; ++next)
        reportFinding(script.findings[next]);
      if (i < script.commands.size()) checkCommand(script.commands[i]);
    }
    finish();
    return std::move(result_);
  }

 private:
  void report(int line, std::string message) { setup_.report(kScript, line, std::move(message)); }

  void reportFinding(const ScriptFinding& finding) {
    std::string name = keywordName(finding.keyword);
    switch (finding.kind) {
      case LineFinding::Overlong:
        return report(finding.line,
                      "line longer than 99 bytes: the installer reads "
                      "the rest as a line of its own");
      case LineFinding::Unknown:
        return report(finding.line, "unknown line, ignored by the installer: " +
                                        platform::utf16ToUtf8(finding.text));
      case LineFinding::Misspelled:
        return report(finding.line, "\"" + platform::utf16ToUtf8(finding.text) +
                                        "\" is read as the keyword " + name);
      case LineFinding::NoArgument:
        return report(finding.line, partsShown(finding.keyword).missing);
      case LineFinding::ExtraText:
        return report(finding.line, name + ": the text after the " +
                                        partsShown(finding.keyword).last + " is ignored");
      case LineFinding::ReadError: return report(0, "read error");
    }
  }

  void checkCommand(const ScriptCommand& command) {
    if (!checkNames(setup_, command)) return;
    // A keyword followed by one space only: reported as without its
    // argument, nothing more to check.
    if (command.arguments.size() == 1 && command.arguments[0].bytes.empty()) return;
    int line = command.line;
    switch (command.keyword) {
      case Keyword::None:
      case Keyword::Title:
      case Keyword::Dir:
      case Keyword::Subdir:
      case Keyword::Wbarg:
      case Keyword::Debug:
      case Keyword::AviDelay: return;
      case Keyword::MkWList: result_.mkwlistLine = line; return;
      case Keyword::Copy: return checkCopy(setup_, result_.installed, command);
      case Keyword::XCopy: return checkXCopy(setup_, result_.installed, command);
      case Keyword::SndCopy: return checkSndCopy(setup_, result_.installed, command);
      case Keyword::Mkdir: {
        std::u16string dir = normalizedPath(command.arguments[0].text);
        requireFolder(setup_, result_.installed, parentOf(dir), line, "mkdir");
        result_.installed.madeFolders.push_back(dir);
        return;
      }
      case Keyword::SetIni: {
        const std::string& argument = command.arguments[0].bytes;
        std::size_t eq = argument.find('=');
        if (eq == std::string::npos)
          report(line, "setini without \"=\": nothing sensible is written");
        else if (eq == 0)
          report(line, "setini with an empty key");
        return;
      }
      case Keyword::Display: {
        const std::u16string& name = command.arguments[0].text;
        if (!isFile(setup_.dir + name)) {
          report(line, "display: " + platform::utf16ToUtf8(name) +
                           " not found in the setup folder; the closing box shows "
                           "Install_Finished instead");
        }
        return;
      }
      case Keyword::IconExe:
        iconExe_ = command.arguments[0].text;
        iconExeLine_ = line;
        return;
      case Keyword::IconName: iconNameLine_ = line; return;
      case Keyword::IconGroup: hasIconGroup_ = true; return;
    }
  }

  void finish() {
    if (iconExeLine_ > 0 && !result_.installed.find(iconExe_)) {
      report(iconExeLine_, "iconexe: no copy line puts " + platform::utf16ToUtf8(iconExe_) +
                               " into the install folder");
    }
    if (iconNameLine_ > 0 && !hasIconGroup_) {
      report(iconNameLine_,
             "iconname without icongroup: the shortcut lands "
             "directly in the Start menu's "
             "programs folder");
    }
  }

  SetupFolder& setup_;
  ScriptCheck result_;
  int iconExeLine_ = 0;
  int iconNameLine_ = 0;
  bool hasIconGroup_ = false;
  std::u16string iconExe_;
};

}  // namespace

ScriptCheck checkScript(SetupFolder& setup) { return ScriptChecker(setup).run(); }

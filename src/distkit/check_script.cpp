// distkit check, part 2: install.inf, read with the installer's line reader
// and keyword table: every line a known keyword spelled as such, each
// command with the parts it needs, the display and iconexe files there.
// The copy commands are followed in check_copies.cpp.
#include <cstring>
#include <string>

#include "platform/ascii.h"
#include "distkit/check_parts.h"
#include "platform/utf8.h"
#include "script/script_file.h"

namespace {

constexpr const char* kScript = "install.inf";

class ScriptChecker {
 public:
  explicit ScriptChecker(SetupFolder& setup) : setup_(setup) {}

  ScriptCheck run() {
    ScriptFile file(setup_.dir + std::u16string(kScriptFileName), ScriptPass::Any);
    if (!file.isOpen()) {
      report(0, "missing: the installer stops with \"Can't open INSTALL.INF\"");
      return std::move(result_);
    }
    ScriptLine line;
    while (file.nextPiece(line)) {
      if (line.overlong) {
        report(line.number,
               "line longer than 99 bytes: the installer reads "
               "the rest as a line of its own");
      }
      if (!line.skipped()) checkLine(line);
    }
    if (file.failed()) report(0, "read error");
    finish();
    return std::move(result_);
  }

 private:
  void report(int line, std::string message) { setup_.report(kScript, line, std::move(message)); }

  void checkLine(const ScriptLine& line) {
    if (line.keyword == Keyword::None) {
      report(line.number, "unknown line, ignored by the installer: " + setup_.text8(line.text));
      return;
    }
    const char* name = keywordName(line.keyword);
    std::string firstWord(line.text, std::strcspn(line.text, " "));
    if (!equalsIgnoringAsciiCase(firstWord, name)) {
      report(line.number,
             "\"" + setup_.text8(firstWord.c_str()) + "\" is read as the keyword " + name);
    }
    switch (line.keyword) {
      case Keyword::Debug:
        return;
      case Keyword::MkWList:
        result_.mkwlistLine = line.number;
        return;
      case Keyword::Copy:
        return checkCopy(setup_, result_.installed, line.text, line.number);
      case Keyword::XCopy:
        return checkXCopy(setup_, result_.installed, line.text, line.number);
      case Keyword::SndCopy:
        return checkSndCopy(setup_, result_.installed, line.text, line.number);
      default:
        break;
    }
    const char* argument = line.argument();
    if (!argument) {
      report(line.number, std::string(name) + " without its argument");
      return;
    }
    checkArgument(line.keyword, argument, line.number);
  }

  void checkArgument(Keyword keyword, const char* argument, int line) {
    switch (keyword) {
      case Keyword::Mkdir: {
        if (!checkTarget(setup_, setup_.wide(argument), line, "mkdir")) break;
        std::u16string dir = normalizedPath(setup_.wide(argument));
        requireFolder(setup_, result_.installed, parentOf(dir), line, "mkdir");
        result_.installed.madeFolders.push_back(dir);
        break;
      }
      case Keyword::SetIni: {
        const char* eq = std::strchr(argument, '=');
        if (!eq)
          report(line, "setini without \"=\": nothing sensible is written");
        else if (eq == argument)
          report(line, "setini with an empty key");
        break;
      }
      case Keyword::Display:
        if (!isFile(setup_.dir + setup_.wide(argument))) {
          report(line, "display: " + setup_.text8(argument) +
                           " not found in the setup folder; the closing box shows "
                           "Install_Finished instead");
        }
        break;
      case Keyword::IconExe:
        iconExe_ = setup_.wide(argument);
        iconExeLine_ = line;
        break;
      case Keyword::IconName:
        iconNameLine_ = line;
        break;
      case Keyword::IconGroup:
        hasIconGroup_ = true;
        break;
      default:
        break;
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

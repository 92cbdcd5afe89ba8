#include "script/install_script.h"

#include <cstring>
#include <optional>

#include "platform/ascii.h"
#include "text/setup_names.h"

bool ScriptCommand::namesSound() const {
  for (const ScriptArgument& argument : arguments) {
    if (!argument.problem.empty()) return false;
  }
  return true;
}

namespace {

class ScriptReader {
 public:
  ScriptReader(InstallScript& script, uint32_t codePage) : script_(script), codePage_(codePage) {}

  void read(ScriptFile& file) {
    ScriptLine line;
    while (file.nextPiece(line)) {
      if (line.overlong) note(LineFinding::Overlong, line.number, Keyword::None);
      if (!line.skipped()) readLine(line);
    }
    if (file.failed()) note(LineFinding::ReadError, 0, Keyword::None);
  }

 private:
  void note(LineFinding kind, int line, Keyword keyword, std::u16string text = {}) {
    script_.findings.push_back({kind, line, keyword, std::move(text), script_.commands.size()});
  }

  std::u16string wide(const char* text) const {
    return std::u16string(wideScriptText(text, codePage_).view());
  }

  static std::u16string_view withoutTrailingSeparators(std::u16string_view name) {
    while (!name.empty() && (name.back() == u'\\' || name.back() == u'/')) name.remove_suffix(1);
    return name;
  }

  // `use`: how the argument names something in a folder; none for a text.
  ScriptArgument argument(const char* bytes, std::optional<NameUse> use) const {
    ScriptArgument out{bytes, wide(bytes), use.has_value(), {}};
    // The empty text names nothing: iconexe and display take it as no file.
    if (use && !out.bytes.empty()) out.problem = nameProblem(out.text, *use);
    return out;
  }

  void readLine(const ScriptLine& line) {
    if (line.keyword == Keyword::None) {
      note(LineFinding::Unknown, line.number, Keyword::None, wide(line.text));
      return;
    }
    std::string firstWord(line.text, std::strcspn(line.text, " "));
    if (!equalsIgnoringAsciiCase(firstWord, keywordName(line.keyword)))
      note(LineFinding::Misspelled, line.number, line.keyword, wide(firstWord.c_str()));
    switch (line.keyword) {
      case Keyword::None: return;
      case Keyword::Debug:
      case Keyword::MkWList: script_.commands.push_back({line.keyword, line.number, {}}); return;
      case Keyword::Copy: return readParts(line, 2, 2, NameUse::File);
      case Keyword::XCopy: return readParts(line, 1, 2, NameUse::Pattern);
      case Keyword::SndCopy: return readParts(line, 2, 2, NameUse::File);
      case Keyword::Title:
      case Keyword::Dir:
      case Keyword::Subdir:
      case Keyword::Wbarg:
      case Keyword::IconName:
      case Keyword::AviDelay:
      case Keyword::SetIni:
      case Keyword::IconGroup: return readText(line, std::nullopt);
      case Keyword::Mkdir:
      case Keyword::IconExe:
      case Keyword::Display: return readText(line, NameUse::File);
    }
  }

  // A keyword and the rest of its line.
  void readText(const ScriptLine& line, std::optional<NameUse> use) {
    if (!line.argument()) note(LineFinding::NoArgument, line.number, line.keyword);
    const char* text = line.commandArgument();
    if (!text) return;
    script_.commands.push_back({line.keyword, line.number, {argument(text, use)}});
  }

  // A copy command: its space-separated parts after the keyword, of which
  // the installer uses the first `most` and needs `least`. Only the first
  // part of an xcopy is a pattern; every other part is a file or folder.
  void readParts(const ScriptLine& line, int least, int most, NameUse first) {
    ScriptTokens tokens = splitTokens(line.text);
    int parts = tokens.count - 1;
    if (parts < least) {
      note(LineFinding::NoArgument, line.number, line.keyword);
      return;
    }
    if (parts > most) note(LineFinding::ExtraText, line.number, line.keyword);
    ScriptCommand command{line.keyword, line.number, {}};
    for (int i = 1; i <= parts && i <= most; ++i)
      command.arguments.push_back(argument(tokens.token[i], i == 1 ? first : NameUse::File));
    // The folder that xcopy and sndcopy copy into may be written with a
    // separator at its end ("docs\\"): it is the folder "docs".
    if (line.keyword != Keyword::Copy && command.arguments.size() == 2) {
      ScriptArgument& folder = command.arguments[1];
      std::u16string_view bare = withoutTrailingSeparators(folder.text);
      if (!bare.empty()) folder.problem = nameProblem(bare, NameUse::File);
    }
    script_.commands.push_back(std::move(command));
  }

  InstallScript& script_;
  uint32_t codePage_;
};

}  // namespace

InstallScript readInstallScript(std::u16string_view path, uint32_t codePage) {
  InstallScript script;
  ScriptFile file(path, ScriptPass::Any);
  script.opened = file.isOpen();
  if (script.opened) ScriptReader(script, codePage).read(file);
  return script;
}

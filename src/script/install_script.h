// install.inf read once into its commands: what setup's start-up and install
// passes execute and what distkit check reports on. The lines are read by
// the rules of script_file.h; each name a command gives is judged by the
// rule for names (text/setup_names.h) as it is read, and what a line holds
// that the installer reads otherwise than it looks is noted beside the
// commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_file.h"

// One argument of a command.
struct ScriptArgument {
  std::string bytes;    // as the line writes it (setini and avidelay write these)
  std::u16string text;  // the same in the script's code page
  // A name: mkdir's, iconexe's, display's, and every part of copy, xcopy
  // and sndcopy (xcopy's pattern may hold * and ? in its last part).
  bool name = false;
  // Why the name breaks the rule; empty when it passes, for the empty text
  // that iconexe and display take, and for an argument that is no name.
  std::string problem;
};

// One line that the installer acts on.
//   copy: source, destination      xcopy: pattern [, subfolder]
//   sndcopy: folder, subfolder     debug, mkwlist: none
//   the others: the text after the keyword's first space (the empty text for
//   a line ending there, where the keyword takes it: script_file.h)
struct ScriptCommand {
  Keyword keyword = Keyword::None;
  int line = 0;
  std::vector<ScriptArgument> arguments;

  // Every name of the command passed the rule. A command that has one that
  // does not is skipped by the installer, as a copy that fails.
  bool namesSound() const;
};

// What a line holds that the installer reads otherwise than it looks.
enum class LineFinding {
  Overlong,    // the first piece of a line over 99 bytes: the rest are lines of their own
  Unknown,     // no keyword: the line is ignored (text: the line)
  Misspelled,  // the keyword is read from a longer word (text: that word)
  NoArgument,  // the keyword without its argument, a copy command without its parts
  ExtraText,   // text after a copy command's last part, ignored
  ReadError,   // line 0: the file could not be read to its end
};

struct ScriptFinding {
  LineFinding kind;
  int line;
  Keyword keyword;      // Misspelled, NoArgument, ExtraText
  std::u16string text;  // Unknown, Misspelled
  // The number of commands read before the finding, which belongs before
  // commands[before] in the order of the file.
  std::size_t before;
};

struct InstallScript {
  bool opened = false;  // false: the file could not be opened, nothing was read
  std::vector<ScriptCommand> commands;
  std::vector<ScriptFinding> findings;
};

// Reads the script at `path`, 8-bit text in `codePage`, with the keywords of
// both passes.
InstallScript readInstallScript(std::u16string_view path, uint32_t codePage);

// Reading install.inf: the line rules and the keyword table shared by the
// start-up pass and the install pass.
//
// The script is 8-bit text in uiCodePage, read line by line into a 100-byte
// buffer (a longer line arrives in 99-byte pieces, each handled as a line of
// its own). A trailing newline is cut; empty lines and lines starting with
// "#" are skipped. A keyword matches when the line starts with it, ignoring
// ASCII case, so "directory x" is a dir line and "copying x" a copy line.
//
// install_script.h reads the script with these rules, once for each of the
// installer's passes and once for distkit's checker.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/fixed_text.h"
#include "base/lines.h"

constexpr int kScriptLineCapacity = 100;

enum class Keyword {
  None,
  // Start-up pass.
  Title,
  Dir,
  Subdir,
  Wbarg,
  Debug,
  // Install pass.
  Mkdir,
  IconName,
  AviDelay,
  SetIni,
  IconGroup,
  IconExe,
  Display,
  MkWList,
  Copy,
  XCopy,
  SndCopy,
};

// Any: the keywords of both passes, start-up ones first (distkit's view of
// a line).
enum class ScriptPass { Startup, Install, Any };

// The keyword of the given pass that `line` starts with (the first in the
// pass's order), or Keyword::None.
Keyword matchKeyword(const char* line, ScriptPass pass);
// The keyword as the table spells it ("mkwlist"); "" for Keyword::None.
const char* keywordName(Keyword keyword);

// The script's file name, and its path in a setup folder (a backslash put
// between them unless the folder ends in one).
constexpr std::u16string_view kScriptFileName = u"install.inf";
std::u16string scriptPathIn(std::u16string_view folder);

// One line of the script as read: one piece of at most 99 bytes, its
// newline cut.
struct ScriptLine {
  char text[kScriptLineCapacity] = {};
  Keyword keyword = Keyword::None;
  // The 1-based number of the file line the piece comes from (the pieces of
  // a long line share it).
  int number = 0;
  // The first piece of a line longer than 99 bytes: the rest of that line
  // follows as lines of their own.
  bool overlong = false;

  // Empty and "#" lines, which the passes skip.
  bool skipped() const { return isSkippedLine(text); }

  // Everything after the first space, spaces kept; null when the line has no
  // space or nothing follows it.
  const char* argument() const;
  // The argument as the passes use it: like argument(), but a line that ends
  // in its first space gives the empty text to the keywords that take it
  // (title, wbarg, icongroup, iconexe, display); null for the others.
  const char* commandArgument() const;
};

// Wide text of a script argument (at most 99 bytes, so at most 99 units).
using ScriptText = WideText<kScriptLineCapacity>;
// Converts 8-bit script text (its first 99 bytes) to wide text with the
// script's code page.
ScriptText wideScriptText(const char* text, uint32_t codePage);

// The space-separated tokens of a copy command line (runs of spaces count as
// one separator; the first token is the keyword). The first kMax tokens are
// kept, each zero-terminated in `storage`.
struct ScriptTokens {
  static constexpr int kMax = 4;
  char storage[kScriptLineCapacity] = {};
  const char* token[kMax] = {};
  int count = 0;
};
ScriptTokens splitTokens(const char* line);

// The script at `path`, opened for one pass; check isOpen() for the result.
class ScriptFile {
 public:
  ScriptFile(std::u16string_view path, ScriptPass pass);

  bool isOpen() const { return lines_.isOpen(); }

  // Reads the next piece of the file into `line`, empty and comment lines
  // included, with its keyword for this pass. False at the end of the file
  // (or at a read error, see failed()).
  bool nextPiece(ScriptLine& line);

  bool failed() const { return lines_.failed(); }

 private:
  NumberedLines lines_;
  ScriptPass pass_;
};

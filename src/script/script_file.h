// Reading install.inf: the line rules and the keyword table shared by the
// start-up pass and the install pass.
//
// The script is 8-bit text in uiCodePage, read line by line into a 100-byte
// buffer (a longer line arrives in 99-byte pieces, each handled as a line of
// its own). A trailing newline is cut; empty lines and lines starting with
// "#" are skipped. A keyword matches when the line starts with it, ignoring
// ASCII case, so "directory x" is a dir line and "copying x" a copy line.
#pragma once

#include "platform/file.h"
#include "base/fixed_text.h"

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

enum class ScriptPass { Startup, Install };

// The keyword of the given pass that `line` starts with (the first in the
// pass's order), or Keyword::None.
Keyword matchKeyword(const char* line, ScriptPass pass);

// One line of the script as read.
struct ScriptLine {
  char text[kScriptLineCapacity] = {};
  Keyword keyword = Keyword::None;

  // Everything after the first space, spaces kept; null when the line has no
  // space or nothing follows it.
  const char* argument() const;
};

// Wide text of a script argument (at most 99 bytes, so at most 99 units).
using ScriptText = WideText<kScriptLineCapacity>;
// Converts 8-bit script text to wide text with uiCodePage.
ScriptText wideScriptText(const char* text);

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

// install.inf in setupDir, opened for one pass.
class ScriptFile {
 public:
  // Opens the script; ends the process through raiseFatal with
  // "Can't open INSTALL.INF" when it cannot be opened.
  explicit ScriptFile(ScriptPass pass);

  // Reads the next line that is neither empty nor a comment into `line`, with
  // its keyword for this pass. Returns false at the end of the file.
  bool next(ScriptLine& line);

 private:
  platform::File file_;
  ScriptPass pass_;
};

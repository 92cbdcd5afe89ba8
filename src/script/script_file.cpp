#include "script/script_file.h"

#include <cstddef>

#include "base/ascii.h"
#include "base/fatal.h"
#include "base/state.h"
#include "text/charset.h"

namespace {

struct KeywordEntry {
  Keyword keyword;
  const char* name;  // compared over its own length
  ScriptPass pass;
};

// In the order each pass tests them; the first match wins.
constexpr KeywordEntry kKeywords[] = {
    {Keyword::Title, "title", ScriptPass::Startup},
    {Keyword::Dir, "dir", ScriptPass::Startup},
    {Keyword::Subdir, "subdir", ScriptPass::Startup},
    {Keyword::Wbarg, "wbarg", ScriptPass::Startup},
    {Keyword::Debug, "debug", ScriptPass::Startup},
    {Keyword::Mkdir, "mkdir", ScriptPass::Install},
    {Keyword::IconName, "iconname", ScriptPass::Install},
    {Keyword::AviDelay, "avidelay", ScriptPass::Install},
    {Keyword::SetIni, "setini", ScriptPass::Install},
    {Keyword::IconGroup, "icongroup", ScriptPass::Install},
    {Keyword::IconExe, "iconexe", ScriptPass::Install},
    {Keyword::Display, "display", ScriptPass::Install},
    {Keyword::MkWList, "mkwlist", ScriptPass::Install},
    {Keyword::Copy, "copy", ScriptPass::Install},
    {Keyword::XCopy, "xcopy", ScriptPass::Install},
    {Keyword::SndCopy, "sndcopy", ScriptPass::Install},
};

bool startsWithIgnoringCase(const char* line, const char* keyword) {
  for (; *keyword != 0; ++line, ++keyword) {
    if (foldAscii(*line) != *keyword) return false;  // also stops at the line's end
  }
  return true;
}

void cutTrailingNewline(char* text) {
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  if (n > 0 && text[n - 1] == '\n') text[n - 1] = 0;
}

}  // namespace

Keyword matchKeyword(const char* line, ScriptPass pass) {
  for (const KeywordEntry& entry : kKeywords) {
    if (entry.pass == pass && startsWithIgnoringCase(line, entry.name)) return entry.keyword;
  }
  return Keyword::None;
}

const char* ScriptLine::argument() const {
  for (const char* p = text; *p != 0; ++p) {
    if (*p == ' ') return p[1] != 0 ? p + 1 : nullptr;
  }
  return nullptr;
}

ScriptText wideScriptText(const char* text) {
  // A script text has at most 99 bytes and no code page makes more UTF-16
  // units than bytes, so toWide's need of length + 1 units always fits.
  char bounded[kScriptLineCapacity];
  std::size_t n = 0;
  for (; n + 1 < kScriptLineCapacity && text[n] != 0; ++n) bounded[n] = text[n];
  bounded[n] = 0;
  ScriptText out;
  toWide(bounded, out.buffer(), state.uiCodePage);
  return out;
}

ScriptTokens splitTokens(const char* line) {
  ScriptTokens tokens;
  std::size_t n = 0;
  for (; n + 1 < kScriptLineCapacity && line[n] != 0; ++n) tokens.storage[n] = line[n];
  tokens.storage[n] = 0;
  char* p = tokens.storage;
  while (*p != 0) {
    while (*p == ' ') *p++ = 0;
    if (*p == 0) break;
    if (tokens.count < ScriptTokens::kMax) tokens.token[tokens.count++] = p;
    while (*p != 0 && *p != ' ') ++p;
  }
  return tokens;
}

ScriptFile::ScriptFile(ScriptPass pass) : pass_(pass) {
  WideText<kPathCapacity + 16> path;
  path.assign(state.setupDir.view());
  path.ensureTrailingBackslash();
  path.append(u"install.inf");
  file_ = platform::File::open(path.view(), platform::OpenMode::ReadText);
  if (!file_) raiseFatal(u"Can't open INSTALL.INF");
}

bool ScriptFile::next(ScriptLine& line) {
  while (file_.readLine(line.text, kScriptLineCapacity)) {
    cutTrailingNewline(line.text);
    if (line.text[0] == 0 || line.text[0] == '#') continue;
    line.keyword = matchKeyword(line.text, pass_);
    return true;
  }
  return false;
}

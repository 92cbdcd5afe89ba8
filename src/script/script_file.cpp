#include "script/script_file.h"

#include <cstddef>

#include "base/ascii.h"
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

}  // namespace

Keyword matchKeyword(const char* line, ScriptPass pass) {
  for (const KeywordEntry& entry : kKeywords) {
    if ((pass == ScriptPass::Any || entry.pass == pass) &&
        startsWithIgnoringCase(line, entry.name)) {
      return entry.keyword;
    }
  }
  return Keyword::None;
}

const char* keywordName(Keyword keyword) {
  for (const KeywordEntry& entry : kKeywords) {
    if (entry.keyword == keyword) return entry.name;
  }
  return "";
}

std::u16string scriptPathIn(std::u16string_view folder) {
  std::u16string path(folder);
  if (path.empty() || path.back() != u'\\') path += u'\\';
  return path += kScriptFileName;
}

const char* ScriptLine::argument() const {
  for (const char* p = text; *p != 0; ++p) {
    if (*p == ' ') return p[1] != 0 ? p + 1 : nullptr;
  }
  return nullptr;
}

ScriptText wideScriptText(const char* text, uint32_t codePage) {
  // A script text has at most 99 bytes and no code page makes more UTF-16
  // units than bytes, so toWide's need of length + 1 units always fits.
  char bounded[kScriptLineCapacity];
  std::size_t n = 0;
  for (; n + 1 < kScriptLineCapacity && text[n] != 0; ++n) bounded[n] = text[n];
  bounded[n] = 0;
  ScriptText out;
  toWide(bounded, out.buffer(), codePage);
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

ScriptFile::ScriptFile(std::u16string_view path, ScriptPass pass)
    : lines_(platform::File::open(path, platform::OpenMode::ReadText)), pass_(pass) {}

bool ScriptFile::nextPiece(ScriptLine& line) {
  if (!lines_.next(line.text, kScriptLineCapacity, line.number, line.overlong)) return false;
  line.keyword = matchKeyword(line.text, pass_);
  return true;
}

bool ScriptFile::next(ScriptLine& line) {
  while (nextPiece(line)) {
    if (!line.skipped()) return true;
  }
  return false;
}

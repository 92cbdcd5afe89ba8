#include "script/script_file.h"

#include <cstddef>
#include <cstring>

#include "platform/ascii.h"
#include "text/charset.h"

namespace {

// What a keyword makes of a line that ends right after its first space,
// where the file's format gives it the empty text.
enum class EmptyArgument {
  Taken,    // the empty text replaces the earlier value
  Ignored,  // the line changes nothing (also for keywords without argument)
};

struct KeywordEntry {
  Keyword keyword;
  const char* name;  // compared over its own length
  ScriptPass pass;
  EmptyArgument empty;
};

// In the order each pass tests them; the first match wins.
//
// Empty arguments: an empty title, shortcut argument text, shortcut target
// (installDir itself) or closing-text file (the Install_Finished text) is
// what a script without that line gets, and so is an empty icongroup (the
// link lands in the programs folder). An empty dir or subdir would put the
// uninstall record at the root of a drive, an empty iconname would make a
// link named ".lnk", an empty mkdir names installDir itself, and an empty
// avidelay is no delay: these are ignored. setini needs "key=" and the copy
// commands their tokens, so an empty argument leaves them nothing to do.
constexpr KeywordEntry kKeywords[] = {
    {Keyword::Title, "title", ScriptPass::Startup, EmptyArgument::Taken},
    {Keyword::Dir, "dir", ScriptPass::Startup, EmptyArgument::Ignored},
    {Keyword::Subdir, "subdir", ScriptPass::Startup, EmptyArgument::Ignored},
    {Keyword::Wbarg, "wbarg", ScriptPass::Startup, EmptyArgument::Taken},
    {Keyword::Debug, "debug", ScriptPass::Startup, EmptyArgument::Ignored},
    {Keyword::Mkdir, "mkdir", ScriptPass::Install, EmptyArgument::Ignored},
    {Keyword::IconName, "iconname", ScriptPass::Install, EmptyArgument::Ignored},
    {Keyword::AviDelay, "avidelay", ScriptPass::Install, EmptyArgument::Ignored},
    {Keyword::SetIni, "setini", ScriptPass::Install, EmptyArgument::Ignored},
    {Keyword::IconGroup, "icongroup", ScriptPass::Install, EmptyArgument::Taken},
    {Keyword::IconExe, "iconexe", ScriptPass::Install, EmptyArgument::Taken},
    {Keyword::Display, "display", ScriptPass::Install, EmptyArgument::Taken},
    {Keyword::MkWList, "mkwlist", ScriptPass::Install, EmptyArgument::Ignored},
    {Keyword::Copy, "copy", ScriptPass::Install, EmptyArgument::Ignored},
    {Keyword::XCopy, "xcopy", ScriptPass::Install, EmptyArgument::Ignored},
    {Keyword::SndCopy, "sndcopy", ScriptPass::Install, EmptyArgument::Ignored},
};

constexpr bool beginsWith(const char* text, const char* start) {
  for (; *start != 0; ++text, ++start) {
    if (*text != *start) return false;
  }
  return true;
}

// No keyword of one pass begins with a keyword of the other, so a line read
// with both passes' keywords (ScriptPass::Any) gets the keyword that its own
// pass's table gives it.
constexpr bool passesApart() {
  for (const KeywordEntry& a : kKeywords) {
    for (const KeywordEntry& b : kKeywords) {
      if (a.pass != b.pass && beginsWith(a.name, b.name)) return false;
    }
  }
  return true;
}
static_assert(passesApart());

const KeywordEntry* entryOf(Keyword keyword) {
  for (const KeywordEntry& entry : kKeywords) {
    if (entry.keyword == keyword) return &entry;
  }
  return nullptr;
}

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
  const KeywordEntry* entry = entryOf(keyword);
  return entry ? entry->name : "";
}

std::u16string scriptPathIn(std::u16string_view folder) {
  std::u16string path(folder);
  if (path.empty() || path.back() != u'\\') path += u'\\';
  return path += kScriptFileName;
}

const char* ScriptLine::argument() const {
  const char* space = std::strchr(text, ' ');
  return space && space[1] != 0 ? space + 1 : nullptr;
}

const char* ScriptLine::commandArgument() const {
  const char* space = std::strchr(text, ' ');
  if (!space) return nullptr;
  if (space[1] != 0) return space + 1;
  const KeywordEntry* entry = entryOf(keyword);
  return entry && entry->empty == EmptyArgument::Taken ? space + 1 : nullptr;
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

#include "text/strings_pack.h"

#include <cstdio>
#include <utility>

#include "platform/ascii.h"
#include "platform/codepage.h"
#include "platform/utf8.h"
#include "text/charset.h"
#include "text/strings.h"

namespace {

struct SourceEntry {
  std::string key;
  std::u16string value;
  int line = 0;
};

bool sameKey(std::string_view a, std::string_view b) {
  return equalsIgnoringAsciiCase(a, b);
}

std::string lineText(int line) { return "line " + std::to_string(line) + ": "; }

// "U+0436 'ж'" for the character at the start of `text`.
std::string describeCharacter(std::u16string_view text) {
  std::size_t units = text.size() >= 2 && text[0] >= 0xD800 && text[0] < 0xDC00 ? 2 : 1;
  char32_t cp = text[0];
  if (units == 2) cp = 0x10000 + ((text[0] - 0xD800) << 10) + (text[1] - 0xDC00);
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(cp));
  return std::string(hex) + " '" + platform::utf16ToUtf8(text.substr(0, units)) + "'";
}

// Converts a value to `codePage` exactly. On failure names the first
// character that the code page cannot hold.
bool encodeValue(const SourceEntry& entry, uint32_t codePage, std::string& bytes,
                 StringsSourceProblem& problem) {
  bytes.clear();
  const std::u16string& value = entry.value;
  if (value.empty()) return true;
  int count = static_cast<int>(value.size());
  bytes.resize(value.size() * 4);
  int n = platform::wideToMultiByteExact(codePage, value.data(), count, bytes.data(),
                                         static_cast<int>(bytes.size()));
  // Read it back the way the installer will: it must give the same text.
  std::u16string back(value.size(), u'\0');
  int m = n > 0 ? platform::multiByteToWide(codePage, bytes.data(), n, back.data(), count) : 0;
  if (n > 0 && m == count && back == value) {
    bytes.resize(static_cast<std::size_t>(n));
    return true;
  }
  bytes.clear();
  std::string reason = "the value of " + entry.key + " cannot be stored in code page " +
                       std::to_string(codePage);
  for (std::size_t i = 0; i < value.size(); ++i) {
    std::size_t units = value[i] >= 0xD800 && value[i] < 0xDC00 && i + 1 < value.size() ? 2 : 1;
    char one[8];
    int k = platform::wideToMultiByteExact(codePage, value.data() + i, static_cast<int>(units), one,
                                           sizeof one);
    char16_t again[2] = {};
    if (k <= 0 || platform::multiByteToWide(codePage, one, k, again, 2) != static_cast<int>(units) ||
        std::u16string_view(again, units) != std::u16string_view(value.data() + i, units)) {
      reason += ": it has no " + describeCharacter(std::u16string_view(value).substr(i));
      break;
    }
    i += units - 1;
  }
  problem = StringsSourceProblem{entry.line, reason};
  return false;
}

// Checks a key: printable ASCII without blanks.
bool checkKey(std::string_view key, int line, StringsSourceProblem& problem) {
  if (key.empty()) {
    problem = StringsSourceProblem{line, "the key before '=' is empty"};
    return false;
  }
  for (char c : key) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b >= 0x80) {
      problem = StringsSourceProblem{line, "the key '" + std::string(key) + "' is not ASCII"};
      return false;
    }
    if (b <= 0x20 || b == 0x7F) {
      problem = StringsSourceProblem{line, "the key '" + std::string(key) +
              "' holds a blank or control character"};
      return false;
    }
  }
  return true;
}

bool parseSource(std::string_view source, std::vector<SourceEntry>& entries,
                 StringsSourceProblem& problem) {
  platform::SourceLines lines(source);
  std::string_view text;
  while (lines.next(text)) {
    int line = lines.number();
    if (text.empty() || text[0] == '#') continue;
    std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
      problem = StringsSourceProblem{line, "no '=' in \"" + std::string(text) + "\""};
      return false;
    }
    SourceEntry entry;
    entry.key = std::string(text.substr(0, eq));
    entry.line = line;
    if (!checkKey(entry.key, line, problem)) return false;
    if (!utf8ToWide(text.substr(eq + 1), entry.value)) {
      problem = StringsSourceProblem{line, "the value of " + entry.key + " is not valid UTF-8"};
      return false;
    }
    if (entry.value.find(u'\0') != std::u16string::npos) {
      problem = StringsSourceProblem{line, "the value of " + entry.key + " holds a zero character"};
      return false;
    }
    entries.push_back(std::move(entry));
  }
  return true;
}

// Splits descrambled data into its entries, up to the empty entry that ends
// the table or the end of the data.
std::vector<std::string_view> splitEntries(std::string_view data) {
  std::vector<std::string_view> entries;
  std::size_t pos = 0;
  while (pos < data.size() && data[pos] != 0) {
    std::size_t end = data.find('\0', pos);
    if (end == std::string_view::npos) end = data.size();
    entries.push_back(data.substr(pos, end - pos));
    pos = end + 1;
  }
  return entries;
}

}  // namespace

std::string StringsSourceProblem::text() const {
  return line > 0 ? lineText(line) + message : message;
}

bool packStrings(std::string_view source, std::string& packed, StringsSourceProblem& problem,
                 std::vector<std::string>* warnings) {
  packed.clear();
  std::vector<SourceEntry> entries;
  if (!parseSource(source, entries, problem)) return false;

  const SourceEntry* charsetEntry = nullptr;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (warnings && sameKey(entries[i].key, entries[j].key)) {
        warnings->push_back(lineText(entries[i].line) + entries[i].key + " repeats line " +
                            std::to_string(entries[j].line) + "; the installer uses the first");
        break;
      }
    }
    if (!charsetEntry && sameKey(entries[i].key, "CharactersetCode")) charsetEntry = &entries[i];
  }
  if (!charsetEntry) {
    problem = {0, "no CharactersetCode entry: the installer needs it to know the code page of the texts"};
    return false;
  }
  int32_t charset = parseDecimal(platform::utf16ToUtf8(charsetEntry->value).c_str());
  uint32_t codePage = charsetToCodePage(charset);
  if (warnings && !charsetHasFixedCodePage(charset)) {
    warnings->push_back(lineText(charsetEntry->line) + "charset " + std::to_string(charset) +
                        " has no code page of its own: packed in this system's code page " +
                        std::to_string(codePage) +
                        ", but the installer reads it in the code page of the user's system");
  }

  std::string out;
  std::string bytes;
  for (const SourceEntry& entry : entries) {
    if (!encodeValue(entry, codePage, bytes, problem)) return false;
    out += entry.key;
    out += '=';
    out += bytes;
    out += '\0';
  }
  out += '\0';
  scrambleStrings(out.data(), out.size());
  packed = std::move(out);
  return true;
}

bool unpackStrings(std::string_view packed, std::string& source, std::string& error) {
  source.clear();
  std::string data(packed);
  descrambleStrings(data.data(), data.size());
  std::vector<std::string_view> entries = splitEntries(data);

  const std::string_view prefix = "CharactersetCode=";
  const std::string_view* charsetEntry = nullptr;
  for (const std::string_view& entry : entries) {
    if (sameKey(entry.substr(0, prefix.size()), prefix)) {
      charsetEntry = &entry;
      break;
    }
  }
  if (!charsetEntry) {
    error = "no CharactersetCode entry: not a strings file, or one scrambled with another key";
    return false;
  }
  std::string digits(charsetEntry->substr(prefix.size()));
  uint32_t codePage = charsetToCodePage(parseDecimal(digits.c_str()));

  std::string out;
  std::u16string wide;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::string_view entry = entries[i];
    wide.assign(entry.size(), u'\0');
    int n = platform::multiByteToWide(codePage, entry.data(), static_cast<int>(entry.size()),
                                      wide.data(), static_cast<int>(wide.size()));
    if (n <= 0) {
      error = "entry " + std::to_string(i + 1) + " cannot be read in code page " +
              std::to_string(codePage);
      return false;
    }
    out += platform::utf16ToUtf8(std::u16string_view(wide).substr(0, static_cast<std::size_t>(n)));
    out += '\n';
  }
  source = std::move(out);
  return true;
}

bool utf8ToWide(std::string_view utf8, std::u16string& out) {
  out.clear();
  return platform::utf8ToUtf16(utf8, out);
}


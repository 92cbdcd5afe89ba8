#include "wordlist/list_text.h"

#include <cstring>

#include "platform/codepage.h"
#include "platform/utf8.h"
#include "wordlist/records.h"

namespace {

// One field converted exactly; false with a message when it cannot be.
bool encodeField(std::u16string_view text, uint32_t codePage, int limit, const char* name,
                 std::string& bytes, std::string& message) {
  bytes.clear();
  if (text.empty()) return true;
  std::string buffer(4 * text.size() + 4, '\0');
  int n = platform::wideToMultiByteExact(codePage, text.data(), static_cast<int>(text.size()),
                                         buffer.data(), static_cast<int>(buffer.size()));
  if (n < 0) {
    message = std::string(name) + " \"" + utf16ToUtf8(text) + "\" has a character that code page " +
              std::to_string(codePage) + " lacks";
    return false;
  }
  if (n == 0) {
    message = std::string(name) + " \"" + utf16ToUtf8(text) +
              "\" cannot be converted to code page " + std::to_string(codePage);
    return false;
  }
  if (n > limit) {
    message = std::string(name) + " \"" + utf16ToUtf8(text) + "\" has " + std::to_string(n) +
              " bytes in code page " + std::to_string(codePage) + " (at most " +
              std::to_string(limit) + ")";
    return false;
  }
  bytes.assign(buffer.data(), n);
  return true;
}

bool packLine(std::string_view line, uint32_t wordCodePage, uint32_t translationsCodePage,
              WordRecord& record, std::string& message) {
  std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos) {
    message = "no tab between word and translations";
    return false;
  }
  std::u16string word, translations;
  if (!platform::utf8ToUtf16(line.substr(0, tab), word) ||
      !platform::utf8ToUtf16(line.substr(tab + 1), translations)) {
    message = "invalid UTF-8";
    return false;
  }
  std::string wordBytes, translationsBytes;
  if (!encodeField(word, wordCodePage, kWordMaxBytes, "word", wordBytes, message)) return false;
  if (!encodeField(translations, translationsCodePage, kTranslationsMaxBytes, "translations",
                   translationsBytes, message)) {
    return false;
  }
  std::memset(&record, 0, sizeof record);
  std::memcpy(record.word, wordBytes.data(), wordBytes.size());
  std::memcpy(record.translations, translationsBytes.data(), translationsBytes.size());
  return true;
}

std::string fieldToUtf8(const char* field, int width, uint32_t codePage) {
  int length = fieldTextLength(field, width, codePage);
  if (length == 0) return {};
  char16_t wide[kTranslationsFieldSize + 1];
  int n = platform::multiByteToWide(codePage, field, length, wide, kTranslationsFieldSize + 1);
  return utf16ToUtf8(std::u16string_view(wide, n > 0 ? n : 0));
}

}  // namespace

std::string packListText(std::string_view text, uint32_t wordCodePage,
                         uint32_t translationsCodePage, std::vector<ListTextProblem>& problems) {
  problems.clear();
  std::string records;
  platform::SourceLines lines(text);
  std::string_view line;
  while (lines.next(line)) {
    int lineNumber = lines.number();
    if (line.empty()) continue;
    WordRecord record;
    std::string message;
    if (!packLine(line, wordCodePage, translationsCodePage, record, message)) {
      problems.push_back({lineNumber, message});
      continue;
    }
    records.append(reinterpret_cast<const char*>(&record), sizeof record);
  }
  if (!problems.empty()) records.clear();
  return records;
}

std::string unpackListRecords(std::string_view records, uint32_t wordCodePage,
                              uint32_t translationsCodePage) {
  std::string text;
  for (std::size_t at = 0; at + kWordRecordSize <= records.size(); at += kWordRecordSize) {
    WordRecord record;
    std::memcpy(&record, records.data() + at, sizeof record);
    text += fieldToUtf8(record.word, kWordFieldSize, wordCodePage);
    text += '\t';
    text += fieldToUtf8(record.translations, kTranslationsFieldSize, translationsCodePage);
    text += '\n';
  }
  return text;
}

// Word lists as text: UTF-8 lines "word<TAB>translations" to and from
// 84-byte records, for the people who prepare a distribution's source lists.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/utf8.h"

struct ListTextProblem {
  int line;             // 1-based line of the text
  std::string message;  // UTF-8
};

// Turns UTF-8 text (optional byte-order mark; LF or CR LF line ends; empty
// lines skipped) into records: each line is split at its first tab, the
// word converted to `wordCodePage`, the translations to
// `translationsCodePage`. A line without a tab, with invalid UTF-8, with a
// character that its code page lacks (no best-fit substitutes), or whose
// word has more than 30 bytes or translations more than 50 bytes, is a
// problem. Returns the records when there is no problem, else an empty
// result and the problems in line order.
std::string packListText(std::string_view text, uint32_t wordCodePage,
                         uint32_t translationsCodePage, std::vector<ListTextProblem>& problems);

// Turns records (a trailing partial record ignored) into UTF-8 lines
// "word<TAB>translations\n", each field read up to its first zero byte.
std::string unpackListRecords(std::string_view records, uint32_t wordCodePage,
                              uint32_t translationsCodePage);

// UTF-8 <-> UTF-16 (platform/utf8.h): utf8ToUtf16 returns false on invalid
// UTF-8; lone surrogates become U+FFFD in utf16ToUtf8.
using platform::utf16ToUtf8;
using platform::utf8ToUtf16;

#include "wordlist/collate.h"

#include <climits>
#include <cstring>
#include <string>

#include "app/progress.h"
#include "app/state.h"
#include "platform/codepage.h"
#include "platform/collate.h"
#include "platform/file.h"
#include "registry/sort_slot.h"
#include "text/strings.h"
#include "wordlist/records.h"

bool sortTableLoaded = false;

namespace {

unsigned char sortTable[256];
CollationSetter collationSetter = nullptr;

bool offerLocale(std::u16string_view name) {
  return collationSetter ? collationSetter(name) : platform::setRuntimeCollation(name);
}

// Key buffers of compareBySortTable: a headword of 30 units is at most 60
// bytes in a double-byte code page.
constexpr int kTableKeyCapacity = 112;

bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'A' && x <= u'Z') x += 0x20;
    if (y >= u'A' && y <= u'Z') y += 0x20;
    if (x != y) return false;
  }
  return true;
}

char16_t foldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? c + 0x20 : c; }

int compareFoldedUnits(std::u16string_view a, std::u16string_view b) {
  for (std::size_t i = 0;; ++i) {
    unsigned fa = i < a.size() ? foldAscii(a[i]) : 0;
    unsigned fb = i < b.size() ? foldAscii(b[i]) : 0;
    if (fa != fb || fa == 0) return static_cast<int>(fa) - static_cast<int>(fb);
  }
}

std::u16string_view boundedText(const char16_t* text, std::size_t capacity) {
  std::size_t n = 0;
  while (n < capacity && text[n] != 0) ++n;
  return {text, n};
}

// Weights of 8-bit text, weight 1 left out, up to weight 0 or the end.
int tableKey(const char* bytes, int length, unsigned char* out) {
  int n = 0;
  for (int i = 0; i < length; ++i) {
    unsigned char w = sortTable[static_cast<unsigned char>(bytes[i])];
    if (w == 0) break;
    if (w == 1) continue;
    out[n++] = w;
  }
  return n;
}

int narrowHeadword(std::u16string_view word, char* out, int capacity, uint32_t codePage) {
  return narrowText(word.data(), static_cast<int>(word.size()), out, capacity, codePage);
}

const WordEntry* entryAt(const void* element) {
  return *static_cast<const WordEntry* const*>(element);
}

std::u16string_view entryWord(const WordEntry* e) {
  return boundedText(e->word(), kEntryWordChars + 1);
}

}  // namespace

bool setCollationLocale(std::u16string_view localeName) {
  if (equalsIgnoringAsciiCase(localeName, u"esperanto") ||
      equalsIgnoringAsciiCase(localeName, u"russkij")) {
    return offerLocale(u"english_usa.1252");
  }
  if (equalsIgnoringAsciiCase(localeName, u"serbian")) {
    return offerLocale(u"serbian (cyrillic)_Serbia.1251") ||
           offerLocale(u"serbian (cyrillic)_Serbia and Montenegro.1251");
  }
  return offerLocale(localeName);
}

void setCollationSetter(CollationSetter setter) { collationSetter = setter; }

void loadSortTable() {
  std::u16string path = u"tables\\";
  path += text(StringKey::Locale);
  path += u".stb";
  platform::File file = platform::File::open(path, platform::OpenMode::ReadBinary);
  if (!file) return;
  file.read(sortTable, sizeof sortTable);
  file.close();
  sortTableLoaded = true;
}

void resetSortTable() {
  std::memset(sortTable, 0, sizeof sortTable);
  sortTableLoaded = false;
}

void countComparison() {
  if (!state.debugMode) return;
  setCounterNumber(state.comparisonCount);
  if (state.comparisonCount % 1000 == 0) drawCounter();
  state.comparisonCount = static_cast<int32_t>(static_cast<uint32_t>(state.comparisonCount) + 1u);
}

int compareTextsByLocale(std::u16string_view a, std::u16string_view b) {
  uint32_t localeId = platform::runtimeCollationLocaleId();
  if (localeId == 0) return compareFoldedUnits(a, b);
  int result = platform::compareIgnoreCase(localeId, a, b);
  if (result == 0) return INT_MAX;
  return result - 2;
}

int compareByLocale(const void* a, const void* b) {
  countComparison();
  return compareTextsByLocale(entryWord(entryAt(a)), entryWord(entryAt(b)));
}

int compareBySortTable(const void* a, const void* b) {
  char first[kTableKeyCapacity], second[kTableKeyCapacity];
  int firstLength = narrowHeadword(entryWord(entryAt(a)), first, sizeof first, state.homeCodePage);
  int secondLength =
      narrowHeadword(entryWord(entryAt(b)), second, sizeof second, state.homeCodePage);
  countComparison();
  unsigned char firstKey[kTableKeyCapacity], secondKey[kTableKeyCapacity];
  int m = tableKey(first, firstLength, firstKey);
  int n = tableKey(second, secondLength, secondKey);
  for (int i = 0;; ++i) {
    unsigned x = i < m ? firstKey[i] : 0;
    unsigned y = i < n ? secondKey[i] : 0;
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

int compareRegistryKeys(const void* a, const void* b) {
  const SortSlot* x = *static_cast<const SortSlot* const*>(a);
  const SortSlot* y = *static_cast<const SortSlot* const*>(b);
  return compareTextsByLocale(boundedText(x->key, std::size(x->key)),
                              boundedText(y->key, std::size(y->key)));
}

WordOrder currentWordOrder() {
  WordOrder order;
  if (sortTableLoaded) {
    order.kind = WordOrder::Kind::SortTable;
    order.codePage = state.homeCodePage;
    return order;
  }
  order.localeId = platform::runtimeCollationLocaleId();
  order.kind = order.localeId == 0 ? WordOrder::Kind::FoldedUnits : WordOrder::Kind::Locale;
  return order;
}

int wordSortKey(const WordOrder& order, std::u16string_view word, unsigned char* out) {
  if (word.size() > kEntryWordChars) word = word.substr(0, kEntryWordChars);
  switch (order.kind) {
    case WordOrder::Kind::SortTable: {
      char bytes[kTableKeyCapacity];
      int length = narrowHeadword(word, bytes, sizeof bytes, order.codePage);
      return tableKey(bytes, length, out);
    }
    case WordOrder::Kind::Locale: {
      int n = platform::sortKeyIgnoreCase(order.localeId, word, out, kWordKeyCapacity);
      if (n > 0) return n;
      // No system key: after every real key (whose first byte is below 0xFF),
      // in the order of the folded units.
      std::memset(out, 0xFF, 4);
      int k = 4;
      for (char16_t c : word) {
        char16_t f = foldAscii(c);
        out[k++] = static_cast<unsigned char>(f >> 8);
        out[k++] = static_cast<unsigned char>(f & 0xFF);
      }
      return k;
    }
    case WordOrder::Kind::FoldedUnits: break;
  }
  int k = 0;
  for (char16_t c : word) {
    char16_t f = foldAscii(c);
    out[k++] = static_cast<unsigned char>(f >> 8);
    out[k++] = static_cast<unsigned char>(f & 0xFF);
  }
  return k;
}

#include "text/collate.h"

#include <climits>
#include <cstring>
#include <string>

#include "platform/ascii.h"
#include "platform/collate.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "text/charset.h"

bool sortTableLoaded = false;

namespace {

unsigned char sortTable[256];
CollationSetter collationSetter = nullptr;

bool offerLocale(std::u16string_view name) {
  return collationSetter ? collationSetter(name) : platform::setRuntimeCollation(name);
}

int compareFoldedUnits(std::u16string_view a, std::u16string_view b) {
  for (std::size_t i = 0;; ++i) {
    unsigned fa = i < a.size() ? foldAscii(a[i]) : 0;
    unsigned fb = i < b.size() ? foldAscii(b[i]) : 0;
    if (fa != fb || fa == 0) return static_cast<int>(fa) - static_cast<int>(fb);
  }
}

// Weights of 8-bit text, weight 1 left out, up to weight 0 or the end.
int tableKey(std::string_view bytes, unsigned char* out) {
  int n = 0;
  for (char byte : bytes) {
    unsigned char w = sortTable[static_cast<unsigned char>(byte)];
    if (w == 0) break;
    if (w == 1) continue;
    out[n++] = w;
  }
  return n;
}

int foldedUnitsKey(std::u16string_view word, unsigned char* out) {
  int k = 0;
  for (char16_t c : word) {
    char16_t f = foldAscii(c);
    out[k++] = static_cast<unsigned char>(f >> 8);
    out[k++] = static_cast<unsigned char>(f & 0xFF);
  }
  return k;
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

void loadSortTable(const platform::Folder& folder, std::u16string_view path) {
  platform::File file = folder.open(path, platform::OpenMode::ReadBinary);
  if (!file) return;
  file.read(sortTable, sizeof sortTable);
  file.close();
  sortTableLoaded = true;
}

void resetSortTable() {
  std::memset(sortTable, 0, sizeof sortTable);
  sortTableLoaded = false;
}

int compareTextsByLocale(std::u16string_view a, std::u16string_view b) {
  uint32_t localeId = platform::runtimeCollationLocaleId();
  if (localeId == 0) return compareFoldedUnits(a, b);
  int result = platform::compareIgnoreCase(localeId, a, b);
  if (result == 0) return INT_MAX;
  return result - 2;
}

int compareTextsBySortTable(std::string_view a, std::string_view b) {
  unsigned char firstKey[kHeadwordBytesCapacity], secondKey[kHeadwordBytesCapacity];
  if (a.size() >= sizeof firstKey) a = a.substr(0, sizeof firstKey - 1);
  if (b.size() >= sizeof secondKey) b = b.substr(0, sizeof secondKey - 1);
  int m = tableKey(a, firstKey);
  int n = tableKey(b, secondKey);
  for (int i = 0;; ++i) {
    unsigned x = i < m ? firstKey[i] : 0;
    unsigned y = i < n ? secondKey[i] : 0;
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

WordOrder currentWordOrder(uint32_t headwordCodePage) {
  WordOrder order;
  if (sortTableLoaded) {
    order.kind = WordOrder::Kind::SortTable;
    order.codePage = headwordCodePage;
    return order;
  }
  order.localeId = platform::runtimeCollationLocaleId();
  order.kind = order.localeId == 0 ? WordOrder::Kind::FoldedUnits : WordOrder::Kind::Locale;
  return order;
}

int wordSortKey(const WordOrder& order, std::u16string_view word, unsigned char* out) {
  if (word.size() > kHeadwordChars) word = word.substr(0, kHeadwordChars);
  switch (order.kind) {
    case WordOrder::Kind::SortTable: {
      char bytes[kHeadwordBytesCapacity];
      int length = narrowText(word.data(), static_cast<int>(word.size()), bytes, sizeof bytes,
                              order.codePage);
      return tableKey(std::string_view(bytes, length), out);
    }
    case WordOrder::Kind::Locale: {
      int n = platform::sortKeyIgnoreCase(order.localeId, word, out, kWordKeyCapacity);
      if (n > 0) return n;
      // No system key: after every real key (whose first byte is below 0xFF),
      // in the order of the folded units.
      std::memset(out, 0xFF, 4);
      return 4 + foldedUnitsKey(word, out + 4);
    }
    case WordOrder::Kind::FoldedUnits: break;
  }
  return foldedUnitsKey(word, out);
}

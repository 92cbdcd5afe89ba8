#include "wordlist/entry_order.h"

#include <string_view>

#include "text/charset.h"
#include "text/collate.h"
#include "wordlist/records.h"

namespace {

ComparisonCounter* comparisonCounter = nullptr;
uint32_t headwordCodePage = 0;

std::u16string_view entryWord(const void* element) {
  const WordEntry* entry = *static_cast<const WordEntry* const*>(element);
  std::size_t n = 0;
  while (n <= kEntryWordChars && entry->word()[n] != 0) ++n;
  return {entry->word(), n};
}

void count() {
  if (comparisonCounter) comparisonCounter->tick();
}

}  // namespace

void setEntryComparison(ComparisonCounter* counter, uint32_t codePage) {
  comparisonCounter = counter;
  headwordCodePage = codePage;
}

int compareByLocale(const void* a, const void* b) {
  count();
  return compareTextsByLocale(entryWord(a), entryWord(b));
}

int compareBySortTable(const void* a, const void* b) {
  std::u16string_view x = entryWord(a), y = entryWord(b);
  char first[kHeadwordBytesCapacity], second[kHeadwordBytesCapacity];
  int m = narrowText(x.data(), static_cast<int>(x.size()), first, sizeof first, headwordCodePage);
  int n = narrowText(y.data(), static_cast<int>(y.size()), second, sizeof second, headwordCodePage);
  count();
  return compareTextsBySortTable(std::string_view(first, m), std::string_view(second, n));
}

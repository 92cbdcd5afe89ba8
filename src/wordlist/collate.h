// Collation of headwords and registry keys: the interface language's locale
// or a byte-weight sort table.
#pragma once

#include <string_view>

// Sets the collation locale for the name of strings key Locale (with the
// esperanto, russkij and serbian names mapped). False when refused.
bool setCollationLocale(std::u16string_view localeName);
// Reads tables\<Locale>.stb when present and switches to sort-table order.
void loadSortTable();
extern bool sortTableLoaded;

// qsort-style comparators. compareByLocale and compareBySortTable take two
// elements of a WordEntry pointer array and count comparisons;
// compareRegistryKeys takes two elements of a SortSlot pointer array.
int compareByLocale(const void* a, const void* b);
int compareBySortTable(const void* a, const void* b);
int compareRegistryKeys(const void* a, const void* b);

// One language entry of dict.ini while the language section is sorted.
#pragma once

struct SortSlot {
  char16_t line[300] = {};  // the entry line, wide
  char16_t key[300] = {};   // its sort key (the language name), kept whole
};

// qsort comparator of two SortSlot pointers: their keys compared with
// compareTextsByLocale, the collation locale set last.
int compareRegistryKeys(const void* a, const void* b);

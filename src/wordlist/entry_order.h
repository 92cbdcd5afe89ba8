// The reference order of headwords: qsort comparators over arrays of
// WordEntry pointers, one text comparison per call. The list builder sorts
// by sort keys instead (text/collate.h, wordSortKey), which is many times
// faster; the tests and the benchmark check that both give the same order.
#pragma once

#include <cstdint>

#include "wordlist/list_display.h"

// What the comparators need besides the entries: the counter that counts
// each comparison (may be null) and the code page that the sort table
// weighs (the headwords' code page). In force until the next call.
void setEntryComparison(ComparisonCounter* counter, uint32_t headwordCodePage);

// Case-insensitive collation of the entries' words (compareTextsByLocale).
int compareByLocale(const void* a, const void* b);
// The sort table's order of the entries' words in the headword code page.
int compareBySortTable(const void* a, const void* b);

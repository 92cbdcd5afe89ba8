// Not built yet: word lists, collation and the language step. Empty so that
// the program links while they are written.
#include "platform/file.h"
#include "wordlist/collate.h"
#include "wordlist/driver.h"
#include "wordlist/reverser.h"

bool sortTableLoaded = false;
bool setCollationLocale(std::u16string_view) { return false; }
void loadSortTable() {}
int compareByLocale(const void*, const void*) { return 0; }
int compareBySortTable(const void*, const void*) { return 0; }
int compareRegistryKeys(const void*, const void*) { return 0; }
void buildReversedList() {}
int readConfigLine(platform::File&, char (&)[100]) { return -1; }
void processLanguages() {}

// Not built yet: dict.ini maintenance. Empty so that the program links while
// it is written.
#include "registry/registry.h"

void ensureRegistry() {}
void removeLanguageEntry(const char*) {}
void addLanguageEntry(const char*, const char*, const char*, const char*) {}
int countLanguageEntries() { return -1; }
int sortLanguageSection() { return -1; }

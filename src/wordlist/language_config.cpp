#include "wordlist/language_config.h"

#include <cstring>

#include "base/fields.h"

int readConfigLine(platform::File& file, char (&buffer)[kConfigLineSize]) {
  for (;;) {
    if (!file.readLine(buffer, sizeof buffer)) {
      buffer[0] = 0;
      return -1;
    }
    std::size_t n = std::strlen(buffer);
    if (n > 0 && buffer[n - 1] == '\n') buffer[--n] = 0;
    if (n > 0 && buffer[0] != '#') return 0;
  }
}

bool splitLanguageLine(char* line, LanguageFields& fields) {
  return splitFields(line, fields.field, 4) == 4;
}

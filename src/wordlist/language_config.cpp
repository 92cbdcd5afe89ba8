#include "wordlist/language_config.h"

#include "base/fields.h"
#include "base/lines.h"

int readConfigLine(platform::File& file, char (&buffer)[kConfigLineSize]) {
  bool endsLine = false;
  do {
    if (!readLinePiece(file, buffer, kConfigLineSize, endsLine)) return -1;
  } while (isSkippedLine(buffer));
  return 0;
}

bool splitLanguageLine(char* line, LanguageFields& fields) {
  return splitFields(line, fields.field, 4) == 4;
}

// Turning one word list round: load, reverse, sort, merge, write.
#pragma once

// Builds PathLanguage + outputListName from PathLanguage + inputListName
// for the current language line.
void buildReversedList();

// Not built yet: the install script passes. Empty so that the program links
// while they are written.
#include "script/script.h"

void runStartupPass() {}
void runInstallPass() {}
void createShortcutStep() {}

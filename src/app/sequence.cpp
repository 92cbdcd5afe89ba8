// Not built yet: the installation sequence.
#include "app/sequence.h"

int checkInstallDir(void*) { return -1; }
void runInstallation() {}
void showClosingText() {}

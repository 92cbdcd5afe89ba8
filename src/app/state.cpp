#include "app/state.h"

InstallState state;

void resetInstallState() { state = InstallState{}; }

#include "base/state.h"

InstallState state;

void resetInstallState() { state = InstallState{}; }

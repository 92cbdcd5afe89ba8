// Program start: fills the InstallState, creates the window, runs the
// start-up pass of the install script, loads the strings and runs the
// message loop. Returns the process exit code.
#pragma once

#include "base/window_handles.h"

int runSetup(HINSTANCE instance, int showMode);

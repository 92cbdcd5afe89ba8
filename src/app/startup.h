// Program start: ends at once (exit code 0) when a setup is already running
// in this session, after bringing its window to the front. Otherwise fills
// the InstallState, creates the window, runs the start-up pass of the
// install script, loads the strings and runs the message loop. Returns the
// process exit code.
#pragma once

#include "base/window_handles.h"

int runSetup(HINSTANCE instance, int showMode);

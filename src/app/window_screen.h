// The progress display's painter over the main window (GDI).
#pragma once

#include "platform/screen.h"

// The screen that paints onto state.mainWindow; installed at start-up.
platform::Screen& windowScreen();

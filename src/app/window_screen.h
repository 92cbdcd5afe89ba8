// The progress display's painter over the main window (GDI), and the GDI
// objects that live as long as the main window.
#pragma once

#include "platform/screen.h"

// The screen that paints onto state.mainWindow; installed at start-up.
platform::Screen& windowScreen();

// Makes the installer's two fonts for `charset` into state.headingFont (30
// points, bold Times New Roman) and state.smallFont (9 points, Arial),
// deleting fonts made before.
void makeScreenFonts(int charset);
// At the main window's end: the fonts, the counter's erase brush and an open
// list's drawing context are given back and their fields emptied.
void releaseScreenObjects();

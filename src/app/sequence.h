// The installation sequence that the Start command runs: its window work
// around the steps of install/sequence.h.
#pragma once

#include "base/window_handles.h"

// Accepts the text of dirEdit as installDir (existing, or created one level
// deep): 0; otherwise shows "Invalid Directory" and returns -1.
int checkInstallDir(HWND dirEdit);
// Runs the installation and destroys the main window at its end.
void runInstallation();
// The closing box: the closing-text file's text, or Install_Finished.
void showClosingText();

// The installation sequence that the Start command runs.
#pragma once

#include "base/window_handles.h"

// Accepts the text of dirEdit as installDir (existing, or created one level
// deep): 0; otherwise shows "Invalid Directory" and returns -1.
int checkInstallDir(HWND dirEdit);
// The same for the text already in installDir.
int acceptInstallDir();
// Runs the installation and destroys the main window at its end.
void runInstallation();
// The closing box: the display file's text, or Install_Finished.
void showClosingText();

// The closing box shows at most this many characters of the file's text.
constexpr int kClosingTextLimit = 4999;

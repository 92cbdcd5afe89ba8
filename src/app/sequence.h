// The installation sequence that the Start command runs.
#pragma once

// Accepts the text of dirEdit as installDir (existing, or created one level
// deep): 0; otherwise shows "Invalid Directory" and returns -1.
int checkInstallDir(void* dirEdit);
// Runs the installation and destroys the main window at its end.
void runInstallation();
// The closing box: the display file's text, or Install_Finished.
void showClosingText();

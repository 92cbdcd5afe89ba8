// The install script install.inf: its start-up pass, its install pass and
// the Start-menu shortcut step.
#pragma once

// Reads title, dir, subdir, wbarg and debug lines; writes the "program" key
// of the uninstall record. Ends through raiseFatal without a script.
void runStartupPass();
// Executes the install commands (directories, copies, profile settings) and
// collects the shortcut data, the closing-text file and the word-list switch.
void runInstallPass();
// Creates the Start-menu group and shortcut when the script named one.
void createShortcutStep();

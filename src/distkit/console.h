// The standard streams of distkit, the same on Windows and on POSIX hosts.
#pragma once

// Puts stdout in binary mode (no LF -> CR LF), so that what a command writes
// there is byte for byte what it made.
void setBinaryStdout();

// True when stderr is a terminal (a console), where progress can be
// redrawn in place.
bool stderrIsTerminal();

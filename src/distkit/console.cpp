#include "distkit/console.h"

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

void setBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }
bool stderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }
#else
#include <unistd.h>

void setBinaryStdout() {}  // no text mode here
bool stderrIsTerminal() { return isatty(fileno(stderr)) != 0; }
#endif

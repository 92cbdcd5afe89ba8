// The language step: every language of the language configuration file.
#pragma once

// Reads one content line (comments and empty lines skipped) into a buffer of
// 100 bytes; 0 when a line was read, -1 at the end of the file.
namespace platform { class File; }
int readConfigLine(platform::File& file, char (&buffer)[100]);
// Processes every language line, then deletes the configuration file.
void processLanguages();

// The subcommands of distkit. Each gets the arguments after its own name
// (UTF-16) and returns the process exit code.
#pragma once

#include <string>
#include <vector>

using Args = std::vector<std::u16string>;

int runStringsCommand(const Args& args);  // distkit strings pack|unpack ...
int runListCommand(const Args& args);     // distkit list pack|unpack ...
int runCheckCommand(const Args& args);    // distkit check SETUPDIR
int runBuildCommand(const Args& args);    // distkit build DESCRIPTION OUTDIR
int runReverseCommand(const Args& args);  // distkit reverse SOURCE OUT ...

// The whole command line after the program name: the subcommand and its
// arguments. Prints the usage and returns 2 for an unknown subcommand.
int runDistkit(const Args& commandLine);

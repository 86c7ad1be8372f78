#pragma once

// --help and --version, answered the same way by every program of the package.

// The version of this build ("0.1").
const char* fnProgramVersion();

// When the first argument is --help or --version, prints the usage text or "PROGRAM (zanmo) VERSION"
// on standard output and returns 0, the exit status; otherwise returns -1 and the program goes on.
int fnProgramOption(int argc, char** argv, const char* program, const char* usage);

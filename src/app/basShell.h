#pragma once

#include <QString>

// Starts another program from a command line: the first token is the program's path (a backslash
// counts as a folder separator), the rest its arguments. Goes through dialogs().startProgram.
// When nothing was started, remembers the error text (fnCurrentError) and shows "msgExeLoadErr".
// The window style is accepted for the callers' sake; a started program always opens normally.
// Returns whether the program was started.
bool fnShellExe(const QString& commandLine, int windowStyle = 1);

#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <map>

// Launch tokens and database mode, set at start-up and read by the screens.
extern QStringList gstrArgs; // token 0 is the screen number
extern qint16 gintArgCount;
extern quint8 gbytDbMode;

// Splits the argument text (without the program path) into at most 11 blank-separated tokens.
// Empty text: returns 0 and leaves the array untouched.
qint16 fnGetCommandLine(QStringList& tokens, const QString& argumentText);

// Creates the screen for a launch token ("1" to "5"); the screen is shown modeless.
using ScreenFactory = std::function<QWidget*()>;
using ScreenTable = std::map<QString, ScreenFactory>;

// Program entry: tokens, shared connection, db mode, the screen; runs until the screen closes.
// Returns the process exit status (0 no token or normal end, 2 no such screen).
int Main(int argc, char** argv, const ScreenTable& screens);

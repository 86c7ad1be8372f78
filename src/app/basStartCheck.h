#pragma once

// Checks at start-up, before the user types anything, that tell what would otherwise fail later.

// Before opening: zanmo.ini reads (fnIniProblem), its mode is one the program knows, and the database file
// and its folder may be written. A failure has been shown (naming zanmo.ini, or "ReadOnly" with the file's
// path); the database must then not be opened.
bool fnCheckDataFile();
// After opening: every table and column the program uses is there. A failure has been shown in
// the provider's style and the shared connection is closed, so nothing is written to the file.
bool fnCheckDatabaseLayout();

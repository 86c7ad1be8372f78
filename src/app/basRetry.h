#pragma once

#include <QtGlobal>

// Retry counter of the entry screens' save: counts one more attempt and says whether another may
// follow. From 0, true ten times, then false: at most 11 attempts in all.
bool fnNextTry(qint16& counter);

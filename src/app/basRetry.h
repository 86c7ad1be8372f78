#pragma once

#include <QtGlobal>

// Attempts of the entry screens' save and delete against another PC's lock.
inline constexpr int kSaveAttempts = 11;

// Retry counter of the entry screens' save: counts one more attempt and says whether another may
// follow. From 0, true ten times, then false: at most 11 attempts in all.
bool fnNextTry(qint16& counter);

#pragma once

#include <QString>

// Numbers read from text and rounded as VB does.

// VB's Val: the leading number of a text (blanks inside are ignored), 0 when there is none.
double fnVal(const QString& text);

// Nearest integer, halves to even (VB's CLng / CInt), clamped to the 32-bit range.
qint32 fnRoundEven(double value);

// mode 0 cut, 1 half away from zero, 2 up away from zero, to a multiple of unit.
double fnTruncate(double value, int mode, double unit);

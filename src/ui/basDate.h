#pragma once

#include <QtGlobal>

class QLineEdit;

// The year/month/day text boxes and the date numbers (yyyymmdd, 0 = no date) they hold.

// Date number of three boxes; 0 when any of them is empty after trimming.
qint32 fnFieldsToDate(const QLineEdit* year, const QLineEdit* month, const QLineEdit* day);
// Writes a date number into the boxes, each right-aligned with blanks to its byte MaxLength;
// month and day without a leading zero (2024-01-05 -> "2024", " 1", " 5").
void fnDateToFields(qint32 date, QLineEdit* year, QLineEdit* month, QLineEdit* day);
// Keeps the boxes plausible while typed: month 0 cleared, above 12 -> 12; day 0 cleared, past the
// month's last day -> the last day (Gregorian leap years). Run it on every change of a box.
void fnCorrectDate(QLineEdit* year, QLineEdit* month, QLineEdit* day);

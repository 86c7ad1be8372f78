#pragma once

#include <QDate>
#include <QString>

class QLineEdit;

// Date numbers (yyyymmdd as a 32-bit integer, 0 = no date) and the year/month/day text boxes.

// Date number of three boxes; 0 when any of them is empty after trimming.
qint32 fnFieldsToDate(const QLineEdit* year, const QLineEdit* month, const QLineEdit* day);
// Writes a date number into the boxes, each right-aligned with blanks to its byte MaxLength;
// month and day without a leading zero (2024-01-05 -> "2024", " 1", " 5").
void fnDateToFields(qint32 date, QLineEdit* year, QLineEdit* month, QLineEdit* day);
// Keeps the boxes plausible while typed: month 0 cleared, above 12 -> 12; day 0 cleared, past the
// month's last day -> the last day (Gregorian leap years). Run it on every change of a box.
void fnCorrectDate(QLineEdit* year, QLineEdit* month, QLineEdit* day);
// Two-digit years: "" -> "", 0 -> 2000, 1..50 -> 20xx, 51..99 -> 19xx, 100..999 -> +2000, else as is.
QString fnCompleteYear(const QString& year);
// date + months (clamped to the target month's end) + days. keepMonthEnd: a month end stays a
// month end (30 April + 1 month = 31 May). 0 gives 0.
qint32 fnAddDate(qint32 date, qint16 months, qint16 days, bool keepMonthEnd);
// Last day of a month, Gregorian (2100 is not a leap year); 0 for a month outside 1..12.
int fnLastDay(int year, int month);
// mode 0 cut, 1 half away from zero, 2 up away from zero, to a multiple of unit.
double fnTruncate(double value, int mode, double unit);

// Conversions between date numbers and QDate (invalid / 0 when there is no such date).
QDate fnNumberToDate(qint32 date);
qint32 fnDateToNumber(const QDate& date);

#pragma once

#include <QDate>
#include <QString>

// Date numbers: yyyymmdd as a 32-bit integer, 0 = no date.

// Two-digit years: "" -> "", 0 -> 2000, 1..50 -> 20xx, 51..99 -> 19xx, 100..999 -> +2000, else as is.
QString fnCompleteYear(const QString& year);
// date + months (clamped to the target month's end) + days. keepMonthEnd: a month end stays a
// month end (30 April + 1 month = 31 May). 0 gives 0.
qint32 fnAddDate(qint32 date, qint16 months, qint16 days, bool keepMonthEnd);
// Last day of a month, Gregorian (2100 is not a leap year); 0 for a month outside 1..12.
int fnLastDay(int year, int month);

// Conversions between date numbers and QDate (invalid / 0 when there is no such date).
QDate fnNumberToDate(qint32 date);
qint32 fnDateToNumber(const QDate& date);

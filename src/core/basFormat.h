#pragma once

#include <QString>
#include <QVariant>

// VB's Format for the patterns the program uses:
//   numbers: "###,##0", "###,###,##0", "##,###,##0", "##,###,##0.00", "#,##0", "#######0"
//            ("#" a digit or nothing, "0" a digit or 0, "," thousands separators, "." decimals;
//            halves rounded away from zero; a minus sign in front of negatives)
//   digit layout: "####/##/##" (digits placed from the right, literals kept: 20240105 -> 2024/01/05)
//   text layout:  "@@@@/@@/@@" (characters placed from the right, a blank where none)
//   dates:        "YYYY/MM/DD", "YYYYMMDD" (from a QDate / QDateTime or a date text)
// Null or an empty value gives ""; a text that is not a number under a number pattern is returned
// as it stands.
QString fnFormat(const QVariant& value, const QString& pattern);

// VB's Str$: the decimal text of a whole number, a leading blank standing for the sign of zero and
// positive numbers (5 -> " 5", -5 -> "-5"), no digit grouping.
QString fnStr(qint64 value);

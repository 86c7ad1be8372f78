#include "core/basDateNumber.h"

#include "core/basNumber.h"

namespace {

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// A date number read as yyyy/mm/dd. Two-digit years follow the usual window (00-29 -> 20xx,
// 30-99 -> 19xx); a month or day outside its range rolls over as a date serial would.
QDate readDate(qint32 date) {
    int y = date / 10000;
    const int m = (date / 100) % 100;
    const int d = date % 100;
    if (date < 0) return {};
    if (y < 100) y += y < 30 ? 2000 : 1900;
    QDate first(y, 1, 1);
    return first.addMonths(m - 1).addDays(d - 1);
}

qint32 number(const QDate& d) {
    return d.isValid() ? d.year() * 10000 + d.month() * 100 + d.day() : 0;
}

} // namespace

QDate fnNumberToDate(qint32 date) {
    if (date <= 0) return {};
    return QDate(date / 10000, (date / 100) % 100, date % 100);
}

qint32 fnDateToNumber(const QDate& date) {
    return number(date);
}

QString fnCompleteYear(const QString& year) {
    if (year.trimmed().isEmpty()) return QString();
    int v = fnRoundEven(fnVal(year));
    if (v == 0)
        v = 2000;
    else if (v >= 1 && v <= 50)
        v += 2000;
    else if (v >= 51 && v <= 99)
        v += 1900;
    else if (v >= 100 && v <= 999)
        v += 2000;
    return QString::number(v);
}

int fnLastDay(int year, int month) {
    if (month == 2) return isLeap(year) ? 29 : 28;
    if (month >= 1 && month <= 7) return month % 2 == 1 ? 31 : 30;
    if (month >= 8 && month <= 12) return month % 2 == 0 ? 31 : 30;
    return 0;
}

qint32 fnAddDate(qint32 date, qint16 months, qint16 days, bool keepMonthEnd) {
    if (date == 0) return 0;
    const QDate given = readDate(date);
    if (!given.isValid()) return 0;
    QDate r = given.addMonths(months);
    if (keepMonthEnd && given.day() == fnLastDay(r.year(), given.month()))
        r = QDate(r.year(), r.month(), fnLastDay(r.year(), r.month()));
    r = r.addDays(days);
    qint32 result = number(r);
    if (result < 999999) result += 19000000;
    return result;
}

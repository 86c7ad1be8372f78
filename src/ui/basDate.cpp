#include "ui/basDate.h"

#include "ui/basInput.h"

#include <QLineEdit>

#include <cmath>

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

int intValue(const QString& text) {
    return fnRoundEven(fnVal(text));
}

} // namespace

QDate fnNumberToDate(qint32 date) {
    if (date <= 0) return {};
    return QDate(date / 10000, (date / 100) % 100, date % 100);
}

qint32 fnDateToNumber(const QDate& date) {
    return number(date);
}

qint32 fnFieldsToDate(const QLineEdit* year, const QLineEdit* month, const QLineEdit* day) {
    if (!year || !month || !day) return 0;
    if (year->text().trimmed().isEmpty() || month->text().trimmed().isEmpty() ||
        day->text().trimmed().isEmpty())
        return 0;
    return fnRoundEven(fnVal(year->text()) * 10000 + fnVal(month->text()) * 100 + fnVal(day->text()));
}

namespace {

// fnPadLeft to the box's byte length; a box without one gets the text unpadded.
QString padToBox(const QString& text, const QLineEdit* box) {
    const int w = byteMaxLength(box);
    if (w <= 0) return text.trimmed();
    return fnPadLeft(text, qint16(w), QStringLiteral(" "));
}

} // namespace

void fnDateToFields(qint32 date, QLineEdit* year, QLineEdit* month, QLineEdit* day) {
    const QString s = QString::number(date).rightJustified(8, QLatin1Char(' '));
    const QString y = s.left(4);
    const QString m = QString::number(qint64(fnVal(s.mid(4, 2))));
    const QString d = QString::number(qint64(fnVal(s.mid(6, 2))));
    if (year) year->setText(padToBox(y, year));
    if (month) month->setText(padToBox(m, month));
    if (day) day->setText(padToBox(d, day));
}

void fnCorrectDate(QLineEdit* year, QLineEdit* month, QLineEdit* day) {
    if (!year || !month || !day) return;
    const int mv = intValue(month->text());
    if (!month->text().isEmpty() && mv == 0) month->clear();
    if (mv < 0) month->setText(QStringLiteral("1"));
    if (mv > 12) month->setText(QStringLiteral("12"));

    const int dv = intValue(day->text());
    if (!day->text().isEmpty() && dv == 0) day->clear();
    int newDay = 0;
    if (dv < 0) newDay = 1;
    switch (mv) {
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
        if (dv > 31) newDay = 31;
        break;
    case 4:
    case 6:
    case 9:
    case 11:
        if (dv > 30) newDay = 30;
        break;
    case 2: {
        const int last = isLeap(intValue(year->text())) ? 29 : 28;
        if (dv > last) newDay = last;
        break;
    }
    default:
        break;
    }
    if (newDay != 0) day->setText(QString::number(newDay));
}

QString fnCompleteYear(const QString& year) {
    if (year.trimmed().isEmpty()) return QString();
    int v = intValue(year);
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

double fnTruncate(double value, int mode, double unit) {
    if (unit == 0.0) return value;
    double v = value;
    if (mode == 1)
        v += value > 0 ? unit * 0.5 : -unit * 0.5;
    else if (mode == 2)
        v += value > 0 ? unit * 0.999999 : -unit * 0.999999;
    // The quotient is cut through its decimal text (15 digits), so 0.29 / 0.01 gives 29, not 28.
    const double q = QString::number(v / unit, 'g', 15).toDouble();
    return std::trunc(q) * unit;
}

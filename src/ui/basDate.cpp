#include "ui/basDate.h"

#include "core/basDateNumber.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "ui/basInput.h"

#include <QLineEdit>

namespace {

int intValue(const QString& text) {
    return fnRoundEven(fnVal(text));
}

} // namespace

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
        const int last = fnLastDay(intValue(year->text()), 2);
        if (dv > last) newDay = last;
        break;
    }
    default:
        break;
    }
    if (newDay != 0) day->setText(QString::number(newDay));
}

#include "core/basFormat.h"

#include <QDate>
#include <QDateTime>

#include <cmath>
#include <cstdio>

namespace {

bool isDigitPlaceholder(QChar c) {
    return c == QLatin1Char('#') || c == QLatin1Char('0');
}

// |value| as decimal digits rounded to `decimals` places, halves away from zero. The value is
// read through its 15 significant digits first, as VB does, so 1.005 rounds to 1.01.
void roundedDigits(double value, int decimals, QString& intDigits, QString& fracDigits) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    // buf: d.dddddddddddddde[+-]xx
    const QString text = QString::fromLatin1(buf);
    const int e = text.indexOf(QLatin1Char('e'));
    QString mantissa = text.left(e);
    mantissa.remove(QLatin1Char('.'));
    const int exponent = text.mid(e + 1).toInt();
    // Digits with the decimal point after position `point`.
    QString digits = mantissa;
    int point = exponent + 1;
    if (point <= 0) {
        digits = QString(-point + 1, QLatin1Char('0')) + digits;
        point = 1;
    }
    if (digits.size() < point + decimals + 1)
        digits += QString(point + decimals + 1 - digits.size(), QLatin1Char('0'));
    // Round at point + decimals.
    const bool up = digits.at(point + decimals) >= QLatin1Char('5');
    digits.truncate(point + decimals);
    if (up) {
        int i = digits.size() - 1;
        while (i >= 0) {
            if (digits[i] == QLatin1Char('9')) {
                digits[i] = QLatin1Char('0');
                --i;
            } else {
                digits[i] = QChar(digits[i].unicode() + 1);
                break;
            }
        }
        if (i < 0) {
            digits.prepend(QLatin1Char('1'));
            ++point;
        }
    }
    intDigits = digits.left(point);
    fracDigits = digits.mid(point);
    // Leading zeros are no significant digits.
    int k = 0;
    while (k < intDigits.size() && intDigits[k] == QLatin1Char('0'))
        ++k;
    intDigits = intDigits.mid(k);
}

bool toNumber(const QVariant& value, double& out) {
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        out = value.toDouble();
        return std::isfinite(out); // an infinity or NaN has no digits: it stays as it is
    case QMetaType::Bool:
        out = value.toBool() ? -1.0 : 0.0;
        return true;
    default:
        break;
    }
    QString s = value.toString().trimmed();
    s.remove(QLatin1Char(','));
    if (s.isEmpty()) return false;
    bool ok = false;
    out = s.toDouble(&ok);
    return ok && std::isfinite(out);
}

QString formatNumber(double v, const QString& pattern) {
    const int dot = pattern.indexOf(QLatin1Char('.'));
    const QString intPart = dot >= 0 ? pattern.left(dot) : pattern;
    const QString fracPart = dot >= 0 ? pattern.mid(dot + 1) : QString();
    int decimals = 0;
    for (QChar c : fracPart)
        if (isDigitPlaceholder(c)) ++decimals;

    QString digits, frac;
    roundedDigits(v, decimals, digits, frac);
    const bool negative = v < 0 && !(digits.isEmpty() && frac.count(QLatin1Char('0')) == frac.size());

    QString intText;
    if (intPart.contains(QLatin1Char(','))) {
        // Thousands separators: digits at least as many as the trailing "0" placeholders.
        int minDigits = 0;
        bool seenZero = false;
        for (QChar c : intPart) {
            if (c == QLatin1Char('0')) seenZero = true;
            if (seenZero && isDigitPlaceholder(c)) ++minDigits;
        }
        if (digits.size() < minDigits) digits = QString(minDigits - digits.size(), QLatin1Char('0')) + digits;
        for (int i = digits.size() - 3; i > 0; i -= 3)
            digits.insert(i, QLatin1Char(','));
        // Literals before the first placeholder stay in front.
        int first = 0;
        while (first < intPart.size() && !isDigitPlaceholder(intPart[first]) &&
               intPart[first] != QLatin1Char(','))
            ++first;
        intText = intPart.left(first) + digits;
    } else {
        // Placeholders filled from the right; literals between them are kept; digits left over go
        // in front of the leftmost placeholder.
        int leftmost = -1;
        for (int i = 0; i < intPart.size(); ++i)
            if (isDigitPlaceholder(intPart[i])) {
                leftmost = i;
                break;
            }
        int remaining = digits.size();
        QString out;
        for (int i = intPart.size() - 1; i >= 0; --i) {
            const QChar c = intPart[i];
            if (!isDigitPlaceholder(c)) {
                out.prepend(c);
                continue;
            }
            if (i == leftmost && remaining > 0) {
                out.prepend(digits.left(remaining));
                remaining = 0;
            } else if (remaining > 0) {
                out.prepend(digits[remaining - 1]);
                --remaining;
            } else if (c == QLatin1Char('0')) {
                out.prepend(QLatin1Char('0'));
            }
        }
        if (leftmost < 0) out = digits + out;
        intText = out;
    }

    QString fracText;
    if (dot >= 0) {
        // "0" places always show; "#" places drop trailing zeros.
        int keep = frac.size();
        int k = fracPart.size() - 1;
        while (keep > 0 && k >= 0) {
            if (!isDigitPlaceholder(fracPart[k])) {
                --k;
                continue;
            }
            if (fracPart[k] == QLatin1Char('#') && frac[keep - 1] == QLatin1Char('0')) {
                --keep;
                --k;
            } else {
                break;
            }
        }
        frac.truncate(keep);
        int j = 0;
        for (QChar c : fracPart) {
            if (isDigitPlaceholder(c)) {
                if (j < frac.size()) fracText += frac[j];
                ++j;
            } else {
                fracText += c;
            }
        }
        fracText.prepend(QLatin1Char('.'));
    }
    return (negative ? QStringLiteral("-") : QString()) + intText + fracText;
}

QString formatText(const QString& s, const QString& pattern) {
    int leftmost = pattern.indexOf(QLatin1Char('@'));
    int remaining = s.size();
    QString out;
    for (int i = pattern.size() - 1; i >= 0; --i) {
        const QChar c = pattern[i];
        if (c != QLatin1Char('@')) {
            out.prepend(c);
        } else if (i == leftmost && remaining > 0) {
            out.prepend(s.left(remaining));
            remaining = 0;
        } else if (remaining > 0) {
            // A surrogate pair is one character: its halves never part around a literal.
            int len = 1;
            if (remaining >= 2 && s[remaining - 1].isLowSurrogate() && s[remaining - 2].isHighSurrogate())
                len = 2;
            out.prepend(s.mid(remaining - len, len));
            remaining -= len;
        } else {
            out.prepend(QLatin1Char(' '));
        }
    }
    return out;
}

// Only what a VB Date holds is a date: 100/01/01 to 9999/12/31.
bool inDateRange(const QDate& d) {
    return d.isValid() && d.year() >= 100 && d.year() <= 9999;
}

bool toDate(const QVariant& value, QDate& out) {
    switch (value.typeId()) {
    case QMetaType::QDate:
        out = value.toDate();
        return inDateRange(out);
    case QMetaType::QDateTime:
        out = value.toDateTime().date();
        return inDateRange(out);
    default:
        break;
    }
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Int ||
        value.typeId() == QMetaType::LongLong) {
        // A number is a date serial: days since 30 December 1899. One far outside the date range
        // (or NaN) is none, and is not turned into a day count that would not fit.
        const double serial = value.toDouble();
        if (!(serial > -700000 && serial < 3000000)) return false;
        out = QDate(1899, 12, 30).addDays(qint64(std::floor(serial)));
        return inDateRange(out);
    }
    const QString s = value.toString().trimmed();
    for (const char* f :
         {"yyyy/M/d", "yyyy-M-d", "yyyy/M/d H:m:s", "yyyy-M-d H:m:s", "yyyy-MM-ddTHH:mm:ss"}) {
        const QDateTime dt = QDateTime::fromString(s, QLatin1String(f));
        if (dt.isValid()) {
            out = dt.date();
            return inDateRange(out);
        }
        const QDate d = QDate::fromString(s, QLatin1String(f));
        if (d.isValid()) {
            out = d;
            return inDateRange(out);
        }
    }
    return false;
}

QString formatDate(const QDate& d, const QString& pattern) {
    QString out;
    int i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern[i].toLower();
        int n = 1;
        while (i + n < pattern.size() && pattern[i + n].toLower() == c)
            ++n;
        if (c == QLatin1Char('y')) {
            out += n >= 3 ? QString::number(d.year()).rightJustified(4, QLatin1Char('0'))
                          : QString::number(d.year() % 100).rightJustified(2, QLatin1Char('0'));
        } else if (c == QLatin1Char('m')) {
            out += n >= 2 ? QString::number(d.month()).rightJustified(2, QLatin1Char('0'))
                          : QString::number(d.month());
        } else if (c == QLatin1Char('d')) {
            out += n >= 2 ? QString::number(d.day()).rightJustified(2, QLatin1Char('0'))
                          : QString::number(d.day());
        } else {
            out += QString(n, pattern[i]);
        }
        i += n;
    }
    return out;
}

} // namespace

QString fnFormat(const QVariant& value, const QString& pattern) {
    if (!value.isValid() || value.isNull()) return QString();
    if (value.typeId() == QMetaType::QString && value.toString().isEmpty()) return QString();
    if (pattern.contains(QLatin1Char('@'))) {
        QString s;
        if (value.typeId() == QMetaType::Double)
            s = QString::number(value.toDouble(), 'g', 15);
        else
            s = value.toString();
        return formatText(s, pattern);
    }
    bool hasDigits = false;
    for (QChar c : pattern)
        if (isDigitPlaceholder(c)) hasDigits = true;
    if (!hasDigits) {
        QDate d;
        if (!toDate(value, d)) return value.toString();
        return formatDate(d, pattern);
    }
    double v = 0;
    if (!toNumber(value, v)) return value.toString();
    return formatNumber(v, pattern);
}

QString fnStr(qint64 value) {
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

#include "core/basNumber.h"

#include <climits>
#include <cmath>

double fnVal(const QString& text) {
    // Blanks, tabs and line feeds are ignored anywhere, as VB's Val does.
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
            c != QLatin1Char('\r'))
            s += c;
    int i = 0;
    const int n = s.size();
    if (n >= 2 && s[0] == QLatin1Char('&')) {
        const QChar k = s[1].toUpper();
        int base = k == QLatin1Char('H') ? 16 : k == QLatin1Char('O') ? 8 : 0;
        if (base) {
            qint64 v = 0;
            for (i = 2; i < n; ++i) {
                const int d = QString(s[i]).toInt(nullptr, 16);
                const bool isDigit =
                    s[i].isDigit() || (base == 16 && QStringLiteral("abcdefABCDEF").contains(s[i]));
                if (!isDigit || d >= base) break;
                v = v * base + d;
            }
            return double(v);
        }
    }
    QString num;
    if (i < n && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) num += s[i++];
    bool digits = false;
    while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
        num += s[i++];
        digits = true;
    }
    if (i < n && s[i] == QLatin1Char('.')) {
        num += s[i++];
        while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
            num += s[i++];
            digits = true;
        }
    }
    if (!digits) return 0.0;
    if (i < n && (s[i].toUpper() == QLatin1Char('E') || s[i].toUpper() == QLatin1Char('D'))) {
        QString ex = QStringLiteral("e");
        int j = i + 1;
        if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-'))) ex += s[j++];
        bool exDigits = false;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128) {
            ex += s[j++];
            exDigits = true;
        }
        if (exDigits) num += ex;
    }
    bool ok = false;
    const double v = num.toDouble(&ok);
    return ok ? v : 0.0;
}

qint32 fnRoundEven(double value) {
    if (std::isnan(value)) return 0;
    double f = std::floor(value);
    const double diff = value - f;
    if (diff > 0.5) {
        f += 1.0;
    } else if (diff == 0.5) {
        if (std::fmod(f, 2.0) != 0.0) f += 1.0;
    }
    if (f > double(INT_MAX)) return INT_MAX;
    if (f < double(INT_MIN)) return INT_MIN;
    return qint32(f);
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

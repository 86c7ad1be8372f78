// fnFormat with the program's number, layout and date patterns on numbers, texts and dates.
// Input: a value kind, a pattern choice, eight bytes for a number, then fields: a text, a pattern.

#include "FuzzSupport.h"

#include "core/basFormat.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>

#include <cmath>
#include <cstdlib>

namespace {

const char* const kPatterns[] = {"###,##0",    "##,###,##0.00", "#,##0",      "###,###,##0",
                                 "##,###,##0", "#######0",      "####/##/##", "@@@@/@@/@@",
                                 "YYYY/MM/DD", "YYYYMMDD",      "yyyy/mm/dd"};
constexpr int kPatternCount = sizeof kPatterns / sizeof kPatterns[0];

QVariant makeValue(uint8_t kind, uint64_t bits, const QString& text) {
    double raw;
    std::memcpy(&raw, &bits, sizeof raw);
    const int32_t small = int32_t(uint32_t(bits));
    switch (kind % 12) {
    case 0:
        return QVariant(raw);
    case 1:
        return QVariant(double(small) / std::pow(10.0, int((bits >> 32) % 7))); // a price-like number
    case 2:
        return QVariant(qint64(bits));
    case 3:
        return QVariant(int(small));
    case 4:
        return QVariant(text);
    case 5:
        return QVariant(QString::number(double(small) / 100, 'f', int((bits >> 32) % 4))); // typed number
    case 6:
        return QVariant(QDate::fromJulianDay(qint64(bits) % 100000000)); // far past and future too
    case 7:
        return QVariant(QDateTime(QDate::fromJulianDay(1721426 + qint64(bits % 3652059)),
                                  QTime::fromMSecsSinceStartOfDay(int((bits >> 32) % 86400000))));
    case 8:
        return QVariant(bool(bits & 1));
    case 9:
        return QVariant();
    case 10:
        return QVariant(double(small % 3000000) + double(bits >> 40) / double(1ull << 24)); // a serial
    default:
        return QVariant(raw * 1e300); // beyond any serial and 64-bit range
    }
}

bool isNumberType(const QVariant& v) {
    const int t = v.typeId();
    return t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Double || t == QMetaType::Bool;
}

// The number a number pattern should read from the value; false when it is none.
bool numberOf(const QVariant& value, double& v) {
    if (value.typeId() == QMetaType::Bool) {
        v = value.toBool() ? -1 : 0;
        return true;
    }
    if (isNumberType(value)) {
        v = value.toDouble();
        return std::isfinite(v);
    }
    if (value.typeId() != QMetaType::QString) return false;
    QString s = value.toString().trimmed();
    s.remove(u',');
    bool ok = false;
    v = s.toDouble(&ok);
    return !s.isEmpty() && ok && std::isfinite(v);
}

// Characters placed from the right into the placeholders of "@@@@/@@/@@" or "####/##/##", the
// leftmost placeholder taking all left over; `filler` where none is left.
QString layout(const QStringList& chars, const QString& filler) {
    QStringList c = chars;
    while (c.size() < 8)
        c.prepend(filler);
    const qsizetype n = c.size();
    return c.mid(0, n - 4).join(QString()) + u'/' + c.mid(n - 4, 2).join(QString()) + u'/' +
           c.mid(n - 2).join(QString());
}

long double readWide(const QString& digits) {
    return std::strtold(digits.toLatin1().constData(), nullptr);
}

void checkNumberPattern(const QVariant& value, const QString& pattern, const QString& out,
                        const QString& shown) {
    double v = 0;
    if (!numberOf(value, v)) {
        FUZZ_CHECK(out == value.toString(), shown);
        return;
    }
    const int decimals = pattern.endsWith(QLatin1String(".00")) ? 2 : 0;
    static const QRegularExpression grouped(QStringLiteral("^-?\\d{1,3}(,\\d{3})*$"));
    static const QRegularExpression groupedDec(QStringLiteral("^-?\\d{1,3}(,\\d{3})*\\.\\d\\d$"));
    static const QRegularExpression plain(QStringLiteral("^-?\\d+$"));
    const QRegularExpression& shape = pattern.contains(u',') ? (decimals ? groupedDec : grouped) : plain;
    FUZZ_CHECK(shape.match(out).hasMatch(), shown);
    QString body = out;
    body.remove(u',');
    const QString intDigits = body.mid(body.startsWith(u'-') ? 1 : 0).section(u'.', 0, 0);
    FUZZ_CHECK(intDigits == QLatin1String("0") || !intDigits.startsWith(u'0'), shown);
    // Read back wider than a double: 15 digits of the largest doubles round up past their range.
    const long double back = readWide(body);
    const long double tolerance = 0.5L * std::pow(10.0L, -decimals) * (1 + 1e-9L) + std::fabs(v) * 2e-14L;
    FUZZ_CHECK(std::fabs(back - v) <= tolerance, shown);
    // A minus only in front of a number that is not zero once rounded.
    FUZZ_CHECK(out.startsWith(u'-') == (v < 0 && back != 0), shown);
}

void checkDigitLayout(const QVariant& value, const QString& out, const QString& shown) {
    double v = 0;
    if (!numberOf(value, v)) {
        FUZZ_CHECK(out == value.toString(), shown);
        return;
    }
    const bool minus = out.startsWith(u'-');
    QString digits = out.mid(minus ? 1 : 0);
    digits.remove(u'/');
    static const QRegularExpression allDigits(QStringLiteral("^\\d*$"));
    FUZZ_CHECK(allDigits.match(digits).hasMatch() && !digits.startsWith(u'0'), shown);
    FUZZ_CHECK(out.mid(minus ? 1 : 0) == layout(fuzzCharacters(digits), QString()), shown);
    const long double back = digits.isEmpty() ? 0 : readWide(digits);
    FUZZ_CHECK(std::fabs(back - std::fabs(v)) <= 0.5L * (1 + 1e-9L) + std::fabs(v) * 2e-14L, shown);
    FUZZ_CHECK(minus == (v < 0 && !digits.isEmpty()), shown);
}

void checkTextLayout(const QVariant& value, const QString& out, const QString& shown) {
    const QString s =
        value.typeId() == QMetaType::Double ? QString::number(value.toDouble(), 'g', 15) : value.toString();
    // Characters, never halves of one, go to the placeholders.
    FUZZ_CHECK(out == layout(fuzzCharacters(s), QStringLiteral(" ")), shown);
}

void checkDate(const QVariant& value, const QString& pattern, const QString& out, const QString& shown) {
    const bool slashes = pattern.contains(u'/');
    const QString qtPattern = slashes ? QStringLiteral("yyyy/MM/dd") : QStringLiteral("yyyyMMdd");
    QDate expected;
    const int t = value.typeId();
    if (t == QMetaType::QDate) expected = value.toDate();
    if (t == QMetaType::QDateTime) expected = value.toDateTime().date();
    if (t == QMetaType::Double || t == QMetaType::Int || t == QMetaType::LongLong) {
        // A date serial, days from 30 December 1899; only dates a VB Date holds.
        const double serial = value.toDouble();
        if (serial > -700000 && serial < 3000000)
            expected = QDate(1899, 12, 30).addDays(qint64(std::floor(serial)));
    }
    const bool inRange = expected.isValid() && expected.year() >= 100 && expected.year() <= 9999;
    if (t == QMetaType::QDate || t == QMetaType::QDateTime || t == QMetaType::Double || t == QMetaType::Int ||
        t == QMetaType::LongLong) {
        FUZZ_CHECK(out == (inRange ? expected.toString(qtPattern) : value.toString()), shown);
        return;
    }
    // A text is either a date or left as it stands.
    if (out == value.toString()) return;
    const QDate d = QDate::fromString(out, qtPattern);
    FUZZ_CHECK(d.isValid() && d.year() >= 100 && d.year() <= 9999 && d.toString(qtPattern) == out, shown);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzStartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t kind = in.byte();
    const int choice = in.byte() % (kPatternCount + 1);
    const uint64_t bits = in.bits(8);
    const QString text = in.text();
    const QString typedPattern = in.text();
    const QVariant value = makeValue(kind, bits, text);

    if (choice == kPatternCount) {
        // Any pattern: nothing to compare with, but no crash, hang or undefined behaviour.
        (void)fnFormat(value, typedPattern.left(64));
        return 0;
    }
    const QString pattern = QString::fromLatin1(kPatterns[choice]);
    const QString out = fnFormat(value, pattern);
    const QString shown =
        QStringLiteral("%1 %2 as %3 -> %4")
            .arg(QString::fromLatin1(value.typeName()), fuzzShow(value.toString()), pattern, fuzzShow(out));
    if (!value.isValid() || value.isNull() ||
        (value.typeId() == QMetaType::QString && value.toString().isEmpty())) {
        FUZZ_CHECK(out.isEmpty(), shown);
        return 0;
    }
    if (choice <= 5)
        checkNumberPattern(value, pattern, out, shown);
    else if (choice == 6)
        checkDigitLayout(value, out, shown);
    else if (choice == 7)
        checkTextLayout(value, out, shown);
    else
        checkDate(value, pattern, out, shown);
    return 0;
}

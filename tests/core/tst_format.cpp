#include "core/basFormat.h"
#include "ui/DataRows.h"

#include <QDate>
#include <QDateTime>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestFormat : public QObject, DataRows {
    Q_OBJECT
private slots:
    void format_data() {
        cols<QVariant, QString, QString>("value", "pattern", "expected");
        const auto add = [](const QVariant& value, const char* pattern, const char* expected) {
            const QString tag = u"%1 %2 as %3"_s.arg(QString::fromLatin1(value.typeName()), value.toString(),
                                                     QString::fromLatin1(pattern));
            QTest::newRow(qPrintable(tag))
                << value << QString::fromUtf8(pattern) << QString::fromUtf8(expected);
        };
        // Whole numbers with separators, halves away from zero.
        add(1234567, "###,##0", "1,234,567"), add(12, "###,##0", "12"), add(0, "###,##0", "0"),
            add(-1234, "###,##0", "-1,234"), add(1000, "###,##0", "1,000"), add(2.5, "###,##0", "3"),
            add(-2.5, "###,##0", "-3"), add(1234.49, "###,##0", "1,234"), add(999.5, "###,##0", "1,000"),
            add(-0.4, "###,##0", "0"), add(1234567890, "###,##0", "1,234,567,890"),
            add(98765432, "###,###,##0", "98,765,432"), add(5000, "##,###,##0", "5,000"),
            add(-42, "#,##0", "-42"), add(u"1234"_s, "#,##0", "1,234"), add(u" 1,234 "_s, "#,##0", "1,234"),
            add(u"abc"_s, "#,##0", "abc"), add(u""_s, "#,##0", ""), add(QVariant(), "#,##0", ""),
            add(1234567, "#######0", "1234567"), add(0, "#######0", "0"), add(-15, "#######0", "-15");
        // Two decimals.
        add(1234.5, "##,###,##0.00", "1,234.50"), add(0, "##,###,##0.00", "0.00"),
            add(0.05, "##,###,##0.00", "0.05"), add(1.005, "##,###,##0.00", "1.01"),
            add(-1234.565, "##,###,##0.00", "-1,234.57"), add(9.999, "##,###,##0.00", "10.00");
        // Digit and text layouts.
        add(20240105, "####/##/##", "2024/01/05"), add(u"20241231"_s, "####/##/##", "2024/12/31"),
            add(10105, "####/##/##", "1/01/05"), add(0, "####/##/##", "//"),
            add(20240105, "@@@@/@@/@@", "2024/01/05"), add(u"105"_s, "@@@@/@@/@@", "    / 1/05"),
            add(u"123456789"_s, "@@@@/@@/@@", "12345/67/89"), add(u""_s, "@@@", "");
        // Dates from a date, a date-time, a date text and a serial number.
        add(QDate(2024, 1, 5), "YYYY/MM/DD", "2024/01/05"), add(QDate(2024, 12, 31), "YYYYMMDD", "20241231"),
            add(QDateTime(QDate(2025, 3, 9), QTime(13, 5)), "YYYYMMDD", "20250309"),
            add(u"2024/2/9"_s, "YYYYMMDD", "20240209"), add(QDate(2024, 7, 8), "yyyy/mm/dd", "2024/07/08"),
            add(45296.0, "YYYY/MM/DD", "2024/01/05"), add(u"abc"_s, "YYYYMMDD", "abc");
        // Serials beyond any date stay as they are.
        add(Q_INT64_C(9223372036854775807), "YYYYMMDD", "9223372036854775807"),
            add(1e300, "YYYY/MM/DD", "1e+300");
    }
    void format() {
        QCOMPARE(fnFormat(fetch<QVariant>("value"), fetch<QString>("pattern")), fetch<QString>("expected"));
    }

    // A sign place, no grouping, past 32 bits.
    void str() {
        for (const auto& [value, text] : QList<std::pair<qint64, QString>>{
                 {0, u" 0"_s}, {12345, u" 12345"_s}, {-7, u"-7"_s}, {4294967296, u" 4294967296"_s}})
            QCOMPARE(fnStr(value), text);
    }
};

QTEST_MAIN(TestFormat)
#include "tst_format.moc"

#include "ui/basFormat.h"

#include <QDate>
#include <QDateTime>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestFormat : public QObject {
    Q_OBJECT

private slots:
    void format_data();
    void format();
};

void TestFormat::format_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    // Whole numbers with separators.
    QTest::newRow("###,##0 thousands") << QVariant(1234567) << u"###,##0"_s << u"1,234,567"_s;
    QTest::newRow("###,##0 small") << QVariant(12) << u"###,##0"_s << u"12"_s;
    QTest::newRow("###,##0 zero") << QVariant(0) << u"###,##0"_s << u"0"_s;
    QTest::newRow("###,##0 negative") << QVariant(-1234) << u"###,##0"_s << u"-1,234"_s;
    QTest::newRow("###,##0 exactly a thousand") << QVariant(1000) << u"###,##0"_s << u"1,000"_s;
    QTest::newRow("###,##0 half away from zero") << QVariant(2.5) << u"###,##0"_s << u"3"_s;
    QTest::newRow("###,##0 negative half away from zero") << QVariant(-2.5) << u"###,##0"_s << u"-3"_s;
    QTest::newRow("###,##0 below half") << QVariant(1234.49) << u"###,##0"_s << u"1,234"_s;
    QTest::newRow("###,##0 rounding carries") << QVariant(999.5) << u"###,##0"_s << u"1,000"_s;
    QTest::newRow("###,##0 small negative rounds to plain 0") << QVariant(-0.4) << u"###,##0"_s << u"0"_s;
    QTest::newRow("###,##0 beyond the placeholders")
        << QVariant(1234567890) << u"###,##0"_s << u"1,234,567,890"_s;
    QTest::newRow("###,###,##0") << QVariant(98765432) << u"###,###,##0"_s << u"98,765,432"_s;
    QTest::newRow("##,###,##0") << QVariant(5000) << u"##,###,##0"_s << u"5,000"_s;
    QTest::newRow("#,##0") << QVariant(-42) << u"#,##0"_s << u"-42"_s;
    QTest::newRow("numeric text") << QVariant(u"1234"_s) << u"#,##0"_s << u"1,234"_s;
    QTest::newRow("text with separators") << QVariant(u" 1,234 "_s) << u"#,##0"_s << u"1,234"_s;
    QTest::newRow("text that is no number") << QVariant(u"abc"_s) << u"#,##0"_s << u"abc"_s;
    QTest::newRow("empty text") << QVariant(u""_s) << u"#,##0"_s << QString();
    QTest::newRow("null") << QVariant() << u"#,##0"_s << QString();
    QTest::newRow("#######0 no separators") << QVariant(1234567) << u"#######0"_s << u"1234567"_s;
    QTest::newRow("#######0 zero") << QVariant(0) << u"#######0"_s << u"0"_s;
    QTest::newRow("#######0 negative") << QVariant(-15) << u"#######0"_s << u"-15"_s;

    // Two decimals.
    QTest::newRow("decimals") << QVariant(1234.5) << u"##,###,##0.00"_s << u"1,234.50"_s;
    QTest::newRow("decimals zero") << QVariant(0) << u"##,###,##0.00"_s << u"0.00"_s;
    QTest::newRow("decimals below one") << QVariant(0.05) << u"##,###,##0.00"_s << u"0.05"_s;
    QTest::newRow("decimals half away from zero") << QVariant(1.005) << u"##,###,##0.00"_s << u"1.01"_s;
    QTest::newRow("decimals negative") << QVariant(-1234.565) << u"##,###,##0.00"_s << u"-1,234.57"_s;
    QTest::newRow("decimals carry") << QVariant(9.999) << u"##,###,##0.00"_s << u"10.00"_s;

    // Digit layouts.
    QTest::newRow("####/##/## date number") << QVariant(20240105) << u"####/##/##"_s << u"2024/01/05"_s;
    QTest::newRow("####/##/## as text") << QVariant(u"20241231"_s) << u"####/##/##"_s << u"2024/12/31"_s;
    QTest::newRow("####/##/## short number") << QVariant(10105) << u"####/##/##"_s << u"1/01/05"_s;
    QTest::newRow("####/##/## zero") << QVariant(0) << u"####/##/##"_s << u"//"_s;

    // Text layouts.
    QTest::newRow("@@@@/@@/@@ date number") << QVariant(20240105) << u"@@@@/@@/@@"_s << u"2024/01/05"_s;
    QTest::newRow("@@@@/@@/@@ short") << QVariant(u"105"_s) << u"@@@@/@@/@@"_s << u"    / 1/05"_s;
    QTest::newRow("@@@@/@@/@@ longer") << QVariant(u"123456789"_s) << u"@@@@/@@/@@"_s << u"12345/67/89"_s;
    QTest::newRow("@@@ empty") << QVariant(u""_s) << u"@@@"_s << QString();

    // Dates.
    QTest::newRow("YYYY/MM/DD from a date")
        << QVariant(QDate(2024, 1, 5)) << u"YYYY/MM/DD"_s << u"2024/01/05"_s;
    QTest::newRow("YYYYMMDD from a date") << QVariant(QDate(2024, 12, 31)) << u"YYYYMMDD"_s << u"20241231"_s;
    QTest::newRow("YYYYMMDD from a date-time")
        << QVariant(QDateTime(QDate(2025, 3, 9), QTime(13, 5))) << u"YYYYMMDD"_s << u"20250309"_s;
    QTest::newRow("YYYYMMDD from a date text") << QVariant(u"2024/2/9"_s) << u"YYYYMMDD"_s << u"20240209"_s;
    QTest::newRow("yyyy/mm/dd lower case")
        << QVariant(QDate(2024, 7, 8)) << u"yyyy/mm/dd"_s << u"2024/07/08"_s;
    QTest::newRow("date from a serial number") << QVariant(45296.0) << u"YYYY/MM/DD"_s << u"2024/01/05"_s;
    QTest::newRow("text that is no date") << QVariant(u"abc"_s) << u"YYYYMMDD"_s << u"abc"_s;
}

void TestFormat::format() {
    QFETCH(QVariant, value);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);
    QCOMPARE(fnFormat(value, pattern), expected);
}

QTEST_MAIN(TestFormat)
#include "tst_format.moc"

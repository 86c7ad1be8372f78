#include "ui/DateFields.h"
#include "ui/basDate.h"
#include "ui/basInput.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestDates : public QObject {
    Q_OBJECT

private slots:
    void addDate_data();
    void addDate();
    void lastDay_data();
    void lastDay();
    void completeYear_data();
    void completeYear();
    void correctDate_data();
    void correctDate();
    void fieldsToDate_data();
    void fieldsToDate();
    void dateToFields_data();
    void dateToFields();
    void truncate_data();
    void truncate();

    void dateFieldsCorrectWhileTyping();
    void dateFieldsLeavingABoxMovesThePicker();
    void dateFieldsPickerRewritesBoxes();
    void dateFieldsClampToRange();
};

void TestDates::addDate_data() {
    QTest::addColumn<int>("date");
    QTest::addColumn<int>("months");
    QTest::addColumn<int>("days");
    QTest::addColumn<bool>("keepMonthEnd");
    QTest::addColumn<int>("expected");

    QTest::newRow("31 Jan 2024 + 1 month, month end") << 20240131 << 1 << 0 << true << 20240229;
    QTest::newRow("31 Jan 2023 + 1 month, month end") << 20230131 << 1 << 0 << true << 20230228;
    QTest::newRow("30 Apr + 1 month, month end") << 20240430 << 1 << 0 << true << 20240531;
    QTest::newRow("30 Apr + 1 month, plain") << 20240430 << 1 << 0 << false << 20240530;
    QTest::newRow("31 Jan + 1 month, plain clamps") << 20240131 << 1 << 0 << false << 20240229;
    QTest::newRow("31 Jan + 0 months + 1 day") << 20240131 << 0 << 1 << true << 20240201;
    QTest::newRow("31 Dec + 1 day rolls the year") << 20241231 << 0 << 1 << false << 20250101;
    QTest::newRow("29 Feb leap + 1 day") << 20240229 << 0 << 1 << false << 20240301;
    QTest::newRow("28 Feb leap + 1 day") << 20240228 << 0 << 1 << false << 20240229;
    QTest::newRow("1 Mar - 1 day") << 20240301 << 0 << -1 << false << 20240229;
    QTest::newRow("31 Mar - 1 month, month end") << 20240331 << -1 << 0 << true << 20240229;
    QTest::newRow("mid month keeps its day") << 20240315 << -1 << 0 << true << 20240215;
    QTest::newRow("29 Feb + 12 months") << 20240229 << 12 << 0 << true << 20250228;
    QTest::newRow("31 Jan 2100 + 1 month: 2100 is no leap year") << 21000131 << 1 << 0 << true << 21000228;
    QTest::newRow("31 Jan 2000 + 1 month: 2000 is one") << 20000131 << 1 << 0 << true << 20000229;
    QTest::newRow("month end plus months and days") << 20240430 << 1 << 1 << true << 20240601;
    QTest::newRow("no date") << 0 << 1 << 1 << true << 0;
    QTest::newRow("two-digit year 24") << 240131 << 0 << 1 << false << 20240201;
    QTest::newRow("two-digit year 99") << 990131 << 0 << 1 << false << 19990201;
    QTest::newRow("day 0 rolls over") << 20240100 << 0 << 1 << false << 20240101;
}

void TestDates::addDate() {
    QFETCH(int, date);
    QFETCH(int, months);
    QFETCH(int, days);
    QFETCH(bool, keepMonthEnd);
    QFETCH(int, expected);
    QCOMPARE(fnAddDate(date, qint16(months), qint16(days), keepMonthEnd), expected);
}

void TestDates::lastDay_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("expected");

    QTest::newRow("Jan") << 2024 << 1 << 31;
    QTest::newRow("Feb leap") << 2024 << 2 << 29;
    QTest::newRow("Feb common") << 2023 << 2 << 28;
    QTest::newRow("Feb 2000") << 2000 << 2 << 29;
    QTest::newRow("Feb 2100") << 2100 << 2 << 28;
    QTest::newRow("Apr") << 2024 << 4 << 30;
    QTest::newRow("Jul") << 2024 << 7 << 31;
    QTest::newRow("Aug") << 2024 << 8 << 31;
    QTest::newRow("Sep") << 2024 << 9 << 30;
    QTest::newRow("Nov") << 2024 << 11 << 30;
    QTest::newRow("Dec") << 2024 << 12 << 31;
    QTest::newRow("no month 13") << 2024 << 13 << 0;
}

void TestDates::lastDay() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, expected);
    QCOMPARE(fnLastDay(year, month), expected);
}

void TestDates::completeYear_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("5") << u"5"_s << u"2005"_s;
    QTest::newRow("50") << u"50"_s << u"2050"_s;
    QTest::newRow("51") << u"51"_s << u"1951"_s;
    QTest::newRow("99") << u"99"_s << u"1999"_s;
    QTest::newRow("0") << u"0"_s << u"2000"_s;
    QTest::newRow("105") << u"105"_s << u"2105"_s;
    QTest::newRow("999") << u"999"_s << u"2999"_s;
    QTest::newRow("1000 unchanged") << u"1000"_s << u"1000"_s;
    QTest::newRow("2024 unchanged") << u"2024"_s << u"2024"_s;
    QTest::newRow("padded") << u"  7"_s << u"2007"_s;
    QTest::newRow("negative unchanged") << u"-5"_s << u"-5"_s;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blanks") << u"   "_s << QString();
}

void TestDates::completeYear() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(fnCompleteYear(text), expected);
}

void TestDates::correctDate_data() {
    QTest::addColumn<QString>("y");
    QTest::addColumn<QString>("m");
    QTest::addColumn<QString>("d");
    QTest::addColumn<QString>("mAfter");
    QTest::addColumn<QString>("dAfter");

    QTest::newRow("month 13 to 12") << u"2024"_s << u"13"_s << u"5"_s << u"12"_s << u"5"_s;
    QTest::newRow("day 31 in April to 30") << u"2024"_s << u"4"_s << u"31"_s << u"4"_s << u"30"_s;
    QTest::newRow("29 Feb 2023 to 28") << u"2023"_s << u"2"_s << u"29"_s << u"2"_s << u"28"_s;
    QTest::newRow("29 Feb 2000 stays") << u"2000"_s << u"2"_s << u"29"_s << u"2"_s << u"29"_s;
    QTest::newRow("29 Feb 2100 to 28") << u"2100"_s << u"2"_s << u"29"_s << u"2"_s << u"28"_s;
    QTest::newRow("30 Feb 2024 to 29") << u"2024"_s << u"2"_s << u"30"_s << u"2"_s << u"29"_s;
    QTest::newRow("day 32 in December") << u"2024"_s << u"12"_s << u"32"_s << u"12"_s << u"31"_s;
    QTest::newRow("month 0 cleared") << u"2024"_s << u"0"_s << u"5"_s << QString() << u"5"_s;
    QTest::newRow("day 0 cleared") << u"2024"_s << u"5"_s << u"00"_s << u"5"_s << QString();
    QTest::newRow("empty month leaves the day") << u"2024"_s << QString() << u"40"_s << QString() << u"40"_s;
    QTest::newRow("valid date untouched") << u"2024"_s << u" 1"_s << u" 5"_s << u" 1"_s << u" 5"_s;
}

void TestDates::correctDate() {
    QFETCH(QString, y);
    QFETCH(QString, m);
    QFETCH(QString, d);
    QFETCH(QString, mAfter);
    QFETCH(QString, dAfter);
    QLineEdit yy(y), mm(m), dd(d);
    fnCorrectDate(&yy, &mm, &dd);
    QCOMPARE(yy.text(), y);
    QCOMPARE(mm.text(), mAfter);
    QCOMPARE(dd.text(), dAfter);
}

void TestDates::fieldsToDate_data() {
    QTest::addColumn<QString>("y");
    QTest::addColumn<QString>("m");
    QTest::addColumn<QString>("d");
    QTest::addColumn<int>("expected");

    QTest::newRow("padded boxes") << u"2024"_s << u" 1"_s << u" 5"_s << 20240105;
    QTest::newRow("month end") << u"2024"_s << u"12"_s << u"31"_s << 20241231;
    QTest::newRow("empty month") << u"2024"_s << QString() << u"5"_s << 0;
    QTest::newRow("blank year") << u"    "_s << u"1"_s << u"1"_s << 0;
    QTest::newRow("empty day") << u"2024"_s << u"1"_s << QString() << 0;
}

void TestDates::fieldsToDate() {
    QFETCH(QString, y);
    QFETCH(QString, m);
    QFETCH(QString, d);
    QFETCH(int, expected);
    QLineEdit yy(y), mm(m), dd(d);
    QCOMPARE(fnFieldsToDate(&yy, &mm, &dd), expected);
}

void TestDates::dateToFields_data() {
    QTest::addColumn<int>("date");
    QTest::addColumn<QString>("y");
    QTest::addColumn<QString>("m");
    QTest::addColumn<QString>("d");

    QTest::newRow("no leading zeros") << 20240105 << u"2024"_s << u" 1"_s << u" 5"_s;
    QTest::newRow("two digits") << 20241231 << u"2024"_s << u"12"_s << u"31"_s;
    QTest::newRow("no date") << 0 << u"    "_s << u" 0"_s << u" 0"_s;
}

void TestDates::dateToFields() {
    QFETCH(int, date);
    QFETCH(QString, y);
    QFETCH(QString, m);
    QFETCH(QString, d);
    QLineEdit yy, mm, dd;
    setByteMaxLength(&yy, 4);
    setByteMaxLength(&mm, 2);
    setByteMaxLength(&dd, 2);
    fnDateToFields(date, &yy, &mm, &dd);
    QCOMPARE(yy.text(), y);
    QCOMPARE(mm.text(), m);
    QCOMPARE(dd.text(), d);
}

void TestDates::truncate_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("unit");
    QTest::addColumn<double>("expected");

    QTest::newRow("date to its month") << 20240131.0 << 0 << 100.0 << 20240100.0;
    QTest::newRow("cut toward zero") << -7.9 << 0 << 1.0 << -7.0;
    QTest::newRow("half away from zero") << 7.5 << 1 << 1.0 << 8.0;
    QTest::newRow("negative half away from zero") << -1.25 << 1 << 0.1 << -1.3;
    QTest::newRow("below half") << 1.24 << 1 << 0.1 << 1.2;
    QTest::newRow("up away from zero") << 1.21 << 2 << 0.1 << 1.3;
    QTest::newRow("up keeps an exact multiple") << 1.2 << 2 << 0.1 << 1.2;
    QTest::newRow("decimal text, not binary") << 0.29 << 0 << 0.01 << 0.29;
    QTest::newRow("to hundreds") << 1234.0 << 1 << 100.0 << 1200.0;
}

void TestDates::truncate() {
    QFETCH(double, value);
    QFETCH(int, mode);
    QFETCH(double, unit);
    QFETCH(double, expected);
    QCOMPARE(fnTruncate(value, mode, unit), expected);
}

namespace {

struct DateForm {
    QWidget window;
    DateFields* fields = nullptr;
    QLineEdit* other = nullptr;
    DateForm() {
        auto* layout = new QVBoxLayout(&window);
        fields = new DateFields(&window, u"txtYy"_s, u"txtMm"_s, u"txtDd"_s, u"DTPicker"_s);
        layout->addWidget(fields->year());
        layout->addWidget(fields->month());
        layout->addWidget(fields->day());
        layout->addWidget(fields->picker());
        other = new QLineEdit(&window);
        layout->addWidget(other);
        window.show();
        window.activateWindow();
    }
};

} // namespace

void TestDates::dateFieldsCorrectWhileTyping() {
    DateForm f;
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    QCOMPARE(f.fields->year()->objectName(), u"txtYy"_s);
    QCOMPARE(inputMode(f.fields->month()), u"6"_s);
    QCOMPARE(byteMaxLength(f.fields->year()), 4);
    f.fields->year()->setText(u"2024"_s);
    f.fields->day()->setText(u"31"_s);
    f.fields->month()->setText(u"4"_s);
    QCOMPARE(f.fields->day()->text(), u"30"_s);
    // Month 13 becomes 12; the change runs the correction again for the day.
    f.fields->month()->setText(u"13"_s);
    QCOMPARE(f.fields->month()->text(), u"12"_s);
    f.fields->month()->setText(u"2"_s);
    f.fields->day()->setText(u"30"_s);
    QCOMPARE(f.fields->day()->text(), u"29"_s);
    f.fields->year()->setText(u"2023"_s);
    QCOMPARE(f.fields->day()->text(), u"28"_s);
    QCOMPARE(f.fields->date(), 20230228);
    f.fields->day()->clear();
    QCOMPARE(f.fields->date(), 0);
}

void TestDates::dateFieldsLeavingABoxMovesThePicker() {
    DateForm f;
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.fields->setDate(20240105);
    f.fields->month()->setFocus();
    QTRY_VERIFY(f.fields->month()->hasFocus());
    f.fields->month()->setText(u"03"_s);
    f.other->setFocus();
    QTRY_VERIFY(f.other->hasFocus());
    QCOMPARE(f.fields->picker()->date(), QDate(2024, 3, 5));
    // The picker's change handler rewrote the boxes in their own form.
    QCOMPARE(f.fields->month()->text(), u" 3"_s);
    // An empty box leaves the picker as it was.
    f.fields->day()->setFocus();
    QTRY_VERIFY(f.fields->day()->hasFocus());
    f.fields->day()->clear();
    f.other->setFocus();
    QTRY_VERIFY(f.other->hasFocus());
    QCOMPARE(f.fields->picker()->date(), QDate(2024, 3, 5));
    QCOMPARE(f.fields->day()->text(), QString());
}

void TestDates::dateFieldsPickerRewritesBoxes() {
    DateForm f;
    QSignalSpy spy(f.fields, &DateFields::dateChanged);
    f.fields->picker()->setDate(QDate(2025, 11, 9));
    QCOMPARE(f.fields->year()->text(), u"2025"_s);
    QCOMPARE(f.fields->month()->text(), u"11"_s);
    QCOMPARE(f.fields->day()->text(), u" 9"_s);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 20251109);
    // Setting the date it already shows still rewrites the boxes.
    f.fields->day()->setText(u"9"_s);
    f.fields->setDate(20251109);
    QCOMPARE(f.fields->day()->text(), u" 9"_s);
}

void TestDates::dateFieldsClampToRange() {
    DateForm f;
    f.fields->setRange(QDate(2000, 1, 1), QDate(2030, 12, 31));
    f.fields->setDate(19991231);
    QCOMPARE(f.fields->date(), 20000101);
    f.fields->setDate(20991231);
    QCOMPARE(f.fields->date(), 20301231);
    // No such day: nothing changes.
    f.fields->setDate(20240230);
    QCOMPARE(f.fields->date(), 20301231);
}

QTEST_MAIN(TestDates)
#include "tst_dates.moc"

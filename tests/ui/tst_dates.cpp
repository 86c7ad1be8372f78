#include "DataRows.h"
#include "core/basDateNumber.h"
#include "core/basNumber.h"
#include "ui/DateFields.h"
#include "ui/basDate.h"
#include "ui/basInput.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// A year, month and day box and a picker on a shown window, showing 5 Jan 2024, with one more box to leave
// to.
struct DateForm {
    QWidget window;
    DateFields dates{&window, u"txtYy"_s, u"txtMm"_s, u"txtDd"_s, u"DTPicker"_s};
    DateFields* fields = &dates;
    QLineEdit other{&window};
    QList<int> sent;
    DateForm() {
        fields->setDate(20240105);
        QObject::connect(fields, &DateFields::dateChanged, [this](qint32 d) { sent << d; });
        window.show();
        window.activateWindow();
    }
    QLineEdit* box(const QString& name) { return window.findChild<QLineEdit*>(u"txt"_s + name); }
    QString state() const {
        QString s = u"%1/%2/%3 = %4, picker %5"_s
                        .arg(fields->year()->text(), fields->month()->text(), fields->day()->text())
                        .arg(fields->date())
                        .arg(fnDateToNumber(fields->picker()->date()));
        for (int d : sent)
            s += u", sent %1"_s.arg(d);
        return s;
    }
};

// Three boxes from "2024/ 1/ 5" and back.
struct Boxes {
    QLineEdit y, m, d;
    explicit Boxes(const QString& s = QString())
        : y(s.section(u'/', 0, 0)), m(s.section(u'/', 1, 1)), d(s.section(u'/', 2, 2)) {}
    QString text() const { return y.text() + u'/' + m.text() + u'/' + d.text(); }
};

} // namespace

class TestDates : public QObject, DataRows {
    Q_OBJECT
private slots:
    void addDate_data() {
        cols<int, int, int, bool, int>("date", "months", "days", "keepMonthEnd", "expected");
        const auto add = [](int date, int months, int days, bool monthEnd, int expected) {
            const QString tag =
                u"%1 %2m %3d%4"_s.arg(date).arg(months).arg(days).arg(monthEnd ? u" end"_s : u""_s);
            row(qPrintable(tag), date, months, days, monthEnd, expected);
        };
        // Month ends kept or clamped (2024, 2000 leap; 2023, 2100 not), day steps over month and year ends,
        // no date, day 0 and two-digit years.
        add(20240131, 1, 0, true, 20240229), add(20230131, 1, 0, true, 20230228),
            add(20240430, 1, 0, true, 20240531), add(20240430, 1, 0, false, 20240530),
            add(20240131, 1, 0, false, 20240229), add(20240131, 0, 1, true, 20240201),
            add(20241231, 0, 1, false, 20250101), add(20240229, 0, 1, false, 20240301),
            add(20240228, 0, 1, false, 20240229), add(20240301, 0, -1, false, 20240229),
            add(20240331, -1, 0, true, 20240229), add(20240315, -1, 0, true, 20240215),
            add(20240229, 12, 0, true, 20250228), add(21000131, 1, 0, true, 21000228),
            add(20000131, 1, 0, true, 20000229), add(20240430, 1, 1, true, 20240601), add(0, 1, 1, true, 0),
            add(20240100, 0, 1, false, 20240101), add(240131, 0, 1, false, 20240201),
            add(990131, 0, 1, false, 19990201);
    }
    void addDate() {
        QTEST(fnAddDate(fetch<int>("date"), qint16(fetch<int>("months")), qint16(fetch<int>("days")),
                        fetch<bool>("keepMonthEnd")),
              "expected");
    }
    void lastDay_data() {
        // The last days of months 1 to 13 of a year.
        cols<int, QString>("year", "lastDays");
        row("leap", 2024, "31 29 31 30 31 30 31 31 30 31 30 31 0"),
            row("common", 2023, "31 28 31 30 31 30 31 31 30 31 30 31 0");
        row("2000 is leap", 2000, "31 29 31 30 31 30 31 31 30 31 30 31 0"),
            row("2100 is not", 2100, "31 28 31 30 31 30 31 31 30 31 30 31 0");
    }
    void lastDay() {
        const int year = fetch<int>("year");
        QStringList days;
        for (int month = 1; month <= 13; ++month)
            days << QString::number(fnLastDay(year, month));
        QTEST(days.join(u' '), "lastDays");
    }
    void completeYear_data() {
        cols<QString, QString>("text", "expected");
        row("5", "5", "2005"), row("50", "50", "2050"), row("51", "51", "1951"), row("99", "99", "1999"),
            row("0", "0", "2000"), row("105", "105", "2105"), row("999", "999", "2999"),
            row("1000 unchanged", "1000", "1000"), row("2024 unchanged", "2024", "2024"),
            row("padded", "  7", "2007"), row("negative unchanged", "-5", "-5"), row("empty", "", ""),
            row("blanks", "   ", "");
    }
    void completeYear() { QTEST(fnCompleteYear(fetch<QString>("text")), "expected"); }
    // The routines on three boxes, shown as "2024/ 1/ 5": fnCorrectDate gives the boxes afterwards,
    // fnFieldsToDate the number, fnDateToFields (boxes of 4, 2 and 2 bytes) fills them from a number.
    void dateBoxes_data() {
        cols<QString, QString, QString>("routine", "given", "expected");
        const char *C = "fnCorrectDate", *N = "fnFieldsToDate", *F = "fnDateToFields";
        // Month 13, 31 April, 30 Feb and 29 Feb of a common year, padded boxes, a missing day and two-digit
        // months are the date fields' rows (dateFields).
        row("29 Feb 2000 stays", C, "2000/2/29", "2000/2/29"),
            row("29 Feb 2100", C, "2100/2/29", "2100/2/28");
        row("32 December", C, "2024/12/32", "2024/12/31"), row("month 0 cleared", C, "2024/0/5", "2024//5");
        row("day 0 cleared", C, "2024/5/00", "2024/5/"), row("no month, day kept", C, "2024//40", "2024//40");
        row("valid date untouched", C, "2024/ 1/ 5", "2024/ 1/ 5");
        row("month end", N, "2024/12/31", "20241231"), row("empty month", N, "2024//5", "0");
        row("blank year", N, "    /1/1", "0");
        row("no date", F, "0", "    / 0/ 0");
    }
    void dateBoxes() {
        const QString routine = fetch<QString>("routine"), given = fetch<QString>("given");
        Boxes b(routine == u"fnDateToFields"_s ? QString() : given);
        if (routine == u"fnFieldsToDate"_s) {
            QTEST(QString::number(fnFieldsToDate(&b.y, &b.m, &b.d)), "expected");
        } else if (routine == u"fnCorrectDate"_s) {
            fnCorrectDate(&b.y, &b.m, &b.d);
            QTEST(b.text(), "expected");
        } else {
            for (auto [box, bytes] : {std::pair{&b.y, 4}, {&b.m, 2}, {&b.d, 2}})
                setByteMaxLength(box, bytes);
            fnDateToFields(given.toInt(), &b.y, &b.m, &b.d);
            QTEST(b.text(), "expected");
        }
    }
    void truncate_data() {
        // Mode 0 cuts toward zero, 1 rounds halves away from zero, 2 rounds up away from zero; on decimal
        // digits.
        cols<double, int, double, double>("value", "mode", "unit", "expected");
        const auto add = [](double value, int mode, double unit, double expected) {
            const QString tag = u"%1 mode %2 by %3"_s.arg(QString::number(value, 'f', 2)).arg(mode).arg(unit);
            row(qPrintable(tag), value, mode, unit, expected);
        };
        add(20240131.0, 0, 100.0, 20240100.0), add(-7.9, 0, 1.0, -7.0), add(7.5, 1, 1.0, 8.0),
            add(-1.25, 1, 0.1, -1.3), add(1.24, 1, 0.1, 1.2), add(1.21, 2, 0.1, 1.3), add(1.2, 2, 0.1, 1.2),
            add(0.29, 0, 0.01, 0.29), add(1234.0, 1, 100.0, 1200.0);
    }
    void truncate() {
        QTEST(fnTruncate(fetch<double>("value"), fetch<int>("mode"), fetch<double>("unit")), "expected");
    }
    // Steps: "Mm13" puts 13 into txtMm (each change corrects the date at once), "leave:Mm03" does so with the
    // focus in the box and then leaves it (the year box had the focus first: leaving it sends the shown
    // date), "pick:" sets the picker, "set:" calls setDate, "range:" setRange.
    void dateFields_data() {
        cols<QString, QString>("steps", "state");
        row("day 31 in April", "Dd31 Mm4", "2024/4/30 = 20240430, picker 20240105");
        row("month 13, the day corrected again", "Dd31 Mm4 Mm13", "2024/12/30 = 20241230, picker 20240105");
        row("30 Feb in a leap year", "Mm2 Dd30", "2024/2/29 = 20240229, picker 20240105");
        row("then a common year", "Mm2 Dd30 Yy2023", "2023/2/28 = 20230228, picker 20240105");
        row("the day cleared", "Mm2 Dd30 Yy2023 Dd", "2023/2/ = 0, picker 20240105");
        row("leaving a box moves the picker, which rewrites the boxes", "leave:Mm03",
            "2024/ 3/ 5 = 20240305, picker 20240305, sent 20240105, sent 20240305");
        row("leaving an empty box leaves the picker", "leave:Mm03 leave:Dd",
            "2024/ 3/ = 0, picker 20240305, sent 20240105, sent 20240305");
        row("the picker rewrites the boxes", "pick:20251109",
            "2025/11/ 9 = 20251109, picker 20251109, sent 20251109");
        row("setting the shown date rewrites the boxes", "pick:20251109 Dd9 set:20251109",
            "2025/11/ 9 = 20251109, picker 20251109, sent 20251109, sent 20251109");
        row("clamped to the first day", "range:20000101-20301231 set:19991231",
            "2000/ 1/ 1 = 20000101, picker 20000101, sent 20000101");
        row("clamped to the last day", "range:20000101-20301231 set:20991231",
            "2030/12/31 = 20301231, picker 20301231, sent 20301231");
        row("no such day changes nothing", "set:20240230", "2024/ 1/ 5 = 20240105, picker 20240105");
    }
    void dateFields() {
        DateForm f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        QCOMPARE(inputMode(f.fields->month()), u"6"_s);
        QCOMPARE(byteMaxLength(f.fields->year()), 4);
        for (const QString& t : fetch<QString>("steps").split(u' ')) {
            const QString arg = t.section(u':', 1);
            if (t.startsWith(u"pick:"_s))
                f.fields->picker()->setDate(fnNumberToDate(arg.toInt()));
            else if (t.startsWith(u"set:"_s))
                f.fields->setDate(arg.toInt());
            else if (t.startsWith(u"range:"_s))
                f.fields->setRange(fnNumberToDate(arg.left(8).toInt()), fnNumberToDate(arg.right(8).toInt()));
            else if (t.startsWith(u"leave:"_s)) {
                f.box(arg.left(2))->setFocus();
                QTRY_VERIFY(f.box(arg.left(2))->hasFocus());
                f.box(arg.left(2))->setText(arg.mid(2));
                f.other.setFocus();
                QTRY_VERIFY(f.other.hasFocus());
            } else
                f.box(t.left(2))->setText(t.mid(2));
        }
        QTEST(f.state(), "state");
    }
};

QTEST_MAIN(TestDates)
#include "tst_dates.moc"

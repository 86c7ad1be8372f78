#include "DataRows.h"
#include "core/basDateNumber.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "ui/DateFields.h"
#include "ui/basDate.h"
#include "ui/basInput.h"
#include "ui/basTextNormalize.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QtTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// Three boxes from "2024/ 1/ 5" and back.
struct Boxes {
    QLineEdit y, m, d;
    explicit Boxes(const QString& s = QString())
        : y(s.section(u'/', 0, 0)), m(s.section(u'/', 1, 1)), d(s.section(u'/', 2, 2)) {}
    QString text() const { return y.text() + u'/' + m.text() + u'/' + d.text(); }
};

// Words are written blank-separated: no expected word holds a blank.
void split(const char* name, const QString& text, const QString& words, const QString& rest = {}) {
    QTest::newRow(name) << text << words.split(u' ', Qt::SkipEmptyParts) << rest;
}

} // namespace

// The input rules and the routines on typed text, numbers and dates; boxes on plain windows.
class TestInputRules : public QObject, DataRows {
    Q_OBJECT
    // Year, month and day boxes with a picker showing 5 Jan 2024 (the year box first to have the focus),
    // a text box and a check box.
    struct Window {
        QWidget window;
        DateFields fields{&window, u"txtYy"_s, u"txtMm"_s, u"txtDd"_s, u"DTPicker"_s};
        QLineEdit box{&window};
        QCheckBox check{u"chk"_s, &window};
        QList<int> sent;
        Window() {
            fields.setDate(20240105);
            QObject::connect(&fields, &DateFields::dateChanged, [this](qint32 d) { sent << d; });
        }
        QLineEdit* date(const QString& name) { return window.findChild<QLineEdit*>(u"txt"_s + name); }
        QString state() const {
            QString s = u"%1/%2/%3 = %4, picker %5"_s
                            .arg(fields.year()->text(), fields.month()->text(), fields.day()->text())
                            .arg(fields.date())
                            .arg(fnDateToNumber(fields.picker()->date()));
            for (int d : sent)
                s += u", sent %1"_s.arg(d);
            return s;
        }
    };
    std::unique_ptr<Window> m_form;
    QLineEdit* b = nullptr;
    void focusOn(QWidget* w) {
        w->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), w);
    }
private slots:
    void init() {
        m_form = std::make_unique<Window>();
        b = &m_form->box;
        m_form->window.show();
        m_form->window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_form->window));
    }
    void cleanup() { m_form.reset(); }
    void filterKey_data() {
        cols<QString, QString, QString>("mode", "passes", "swallowed");
        row("0", "0", ",", "-"), row("1", "1", "-", "."), row("2", "2", ".", "-"), row("3", "3", "-.", ","),
            row("4: signs, no apostrophe or kana", "4", "q~\\", "'ｱ漢"),
            row("5: apostrophe and half-width kana", "5", "'ｱﾞ", "あ"), row("6", "6", "5 ", "a,"),
            row("7", "7", ",-", "."), row("8: case-blind, no zero", "8", "Zb", "0-"), row("9", "9", ".", "-"),
            row("other tag takes all", "X", "漢'a", ""), row("no tag takes all", "", "'", ""),
            row("two-character tag takes all", "10", "a", ""), row("not a text box", "CHECK", "", "5");
    }
    void filterKey() {
        const QString mode = fetch<QString>("mode"), passes = fetch<QString>("passes");
        setInputMode(b, mode);
        focusOn(mode == u"CHECK"_s ? static_cast<QWidget*>(&m_form->check) : b);
        for (const char32_t c : passes.toUcs4() + fetch<QString>("swallowed").toUcs4()) {
            char32_t ch = c;
            fnFilterKey(&m_form->window, ch);
            QCOMPARE(ch, passes.toUcs4().contains(c) ? c : char32_t(0));
        }
    }
    void checkByteLength_data() {
        // "AB|" puts the cursor after AB, "A[BC]D" selects BC.
        cols<int, QString, QString, bool, QString>("maxLength", "text", "typed", "accepted", "textAfter");
        row("double-byte fills the last two", 4, "AB|", "あ", true, "AB"),
            row("one more", 4, "ABあ|", "C", false, "ABあ");
        row("double-byte into one free byte", 3, "AB|", "あ", false, "AB");
        row("half-width kana is one byte", 4, "ABC|", "ｱ", true, "ABC");
        row("whole selection replaced", 4, "[ABCD]", "X", true, ""),
            row("no limit", 0, "ABCDEFGHIJ|", "K", true, "ABCDEFGHIJ");
        row("partial selection of a full box refused", 4, "A[BC]D", "X", false, "ABCD");
        row("whole double-byte text replaced", 4, "[あい]", "X", true, ""),
            row("room left", 12, "12|", "3", true, "12");
        row("whole selection, character too long itself", 1, "[A]", "あ", false, "A");
        row("control character passes a full box", 2, "AB|", "\x01", true, "AB");
    }
    void checkByteLength() {
        setByteMaxLength(b, fetch<int>("maxLength"));
        focusOn(b);
        QString text = fetch<QString>("text");
        const bool cursor = text.contains(u'|');
        const int start = text.indexOf(cursor ? u'|' : u'['), end = cursor ? start : text.indexOf(u']') - 1;
        b->setText(text.remove(u'|').remove(u'[').remove(u']'));
        b->setSelection(start, end - start);
        char32_t ch = fetch<QString>("typed").toUcs4().first();
        fnCheckByteLength(&m_form->window, ch);
        QCOMPARE(ch != 0, fetch<bool>("accepted"));
        QTEST(b->text(), "textAfter");
    }
    void padLeft_data() {
        cols<QString, int, QString, QString>("value", "width", "pad", "expected");
        row("code 12 to 12", "12", 12, " ", "          12"), row("empty to 3", "", 3, " ", "   "),
            row("trimmed first", "  7 ", 4, " ", "   7"),
            row("longer loses the left", "ABCDEF", 4, " ", "CDEF"),
            row("pad with zeros, first character only", "5", 3, "0x", "005"), row("width 0", "5", 0, " ", "");
    }
    void padLeft() {
        QTEST(fnPadLeft(fetch<QString>("value"), qint16(fetch<int>("width")), fetch<QString>("pad")),
              "expected");
    }
    void val_data() {
        cols<QString, double>("text", "expected");
        row("digits", "2024", 2024.0), row("leading number only", "12abc", 12.0),
            row("blanks inside ignored", " 1 2 ", 12.0), row("none", "abc", 0.0), row("empty", "", 0.0),
            row("negative decimal", "-1.5x", -1.5), row("comma stops", "1,234", 1.0),
            row("exponent", "1e3", 1000.0), row("hex", "&H1F", 31.0);
    }
    void val() { QTEST(fnVal(fetch<QString>("text")), "expected"); }
    void roundEven_data() {
        cols<double, int>("value", "expected");
        row("2.5 down", 2.5, 2), row("3.5 up", 3.5, 4), row("-2.5 to -2", -2.5, -2),
            row("-3.5 to -4", -3.5, -4), row("0.5 to 0", 0.5, 0), row("2.51 up", 2.51, 3),
            row("-0.49 to 0", -0.49, 0), row("huge clamps", 1e12, int(INT_MAX));
    }
    void roundEven() { QTEST(fnRoundEven(fetch<double>("value")), "expected"); }
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
        Window& f = *m_form;
        QCOMPARE(inputMode(f.fields.month()), u"6"_s);
        QCOMPARE(byteMaxLength(f.fields.year()), 4);
        for (const QString& t : fetch<QString>("steps").split(u' ')) {
            const QString arg = t.section(u':', 1);
            if (t.startsWith(u"pick:"_s))
                f.fields.picker()->setDate(fnNumberToDate(arg.toInt()));
            else if (t.startsWith(u"set:"_s))
                f.fields.setDate(arg.toInt());
            else if (t.startsWith(u"range:"_s))
                f.fields.setRange(fnNumberToDate(arg.left(8).toInt()), fnNumberToDate(arg.right(8).toInt()));
            else if (t.startsWith(u"leave:"_s)) {
                focusOn(f.date(arg.left(2)));
                f.date(arg.left(2))->setText(arg.mid(2));
                focusOn(&f.box);
            } else
                f.date(t.left(2))->setText(t.mid(2));
        }
        QTEST(f.state(), "state");
    }
    void toNumber_data() {
        cols<QString, bool, bool, double>("text", "decimals", "minus", "expected");
        row("thousands separators", "1,234", false, false, 1234.0);
        row("unit and sign, both allowed", "-12.5kg", true, true, -12.5);
        row("sign and point, neither allowed", "-12.5", false, false, 125.0);
        row("minus after a letter", "a-5", false, true, -5.0);
        row("minus inside", "1-2", false, true, 12.0);
        row("empty", "", true, true, 0.0);
        row("minus alone", "-", true, true, 0.0);
        row("point alone", ".", true, false, 0.0);
        row("minus and leading point", "-.5", true, true, -0.5);
        row("second point dropped", "1.2.3", true, false, 1.23);
        row("full-width digits dropped", "１２３", false, false, 0.0);
    }
    void toNumber() {
        QTEST(fnToNumber(fetch<QString>("text"), fetch<bool>("decimals"), fetch<bool>("minus")), "expected");
    }

    // Each character belongs to its own class and to no other.
    void characterClasses() {
        const QStringList classes{u"あん 　！/♪・･、"_s, u"アンァヴｱﾝｧﾞー-－"_s, u"AzＡｚ"_s,
                                  u"ぁヵｦ@[7牛"_s};
        for (int k = 0; k < classes.size(); ++k)
            for (const QChar c : classes[k])
                QVERIFY2((QList<bool>{fnIsHiragana(c), fnIsKatakana(c), fnIsAlphabet(c)}) ==
                             (QList<bool>{k == 0, k == 1, k == 2}),
                         qPrintable(QString(c)));
    }

    void splitName_data() {
        cols<QString, QStringList, QString>("name", "words",
                                            "rest"); // rest: what is left of the name, when checked
        split("brackets, hiragana, katakana, number", u"【特価】りんごジュース(500)"_s,
              u"特価 りんご ジュース 500"_s, u"りんごジュース"_s);
        split("bracketed digit and letter", u"(1A)"_s, u"1 A"_s);
        split("digits only", u"123456"_s, u"123456"_s);
        split("hiragana only", u"りんご"_s, u"りんご"_s);
        split("Latin between kanji", u"特選ABC牛肉"_s, u"特選 ABC 牛肉"_s);
        split("particle dropped", u"牛肉の特価"_s, u"牛肉 特価"_s);
        split("two Latin words", u"ABC DEF"_s, u"ABC DEF"_s);
        split("Latin then hiragana", u"ABCりんご"_s, u"ABC りんご"_s);
        split("hiragana then Latin", u"りんごABC"_s, u"りんご ABC"_s);
        split("digits letters digits", u"12AB34"_s, u"12 AB 34"_s);
        split("square brackets", u"[ABC]牛肉"_s, u"ABC 牛肉"_s);
        split("corner brackets", u"「新物」牛肉"_s, u"新物 牛肉"_s);
        split("full-width parentheses", u"牛肉（国産）"_s, u"牛肉 国産"_s);
        split("two pieces of one pair", u"(大)牛肉(冷凍)"_s, u"大 牛肉 冷凍"_s);
        split("opening sign alone", u"【特価牛肉"_s, u"【特価牛肉"_s);
        split("closing sign alone", u"特価】牛肉"_s, u"特価】牛肉"_s);
        split("reversed signs", u"】特価【牛肉"_s, u"】特価【牛肉"_s);
        split("reversed then balanced", u")牛(肉)"_s, u")牛 肉"_s);
        split("nested signs", u"((牛))"_s, u"牛 )"_s);
        split("leading long vowel removed", u"ーー牛肉"_s, u"牛肉"_s);
        split("full-width blank is no word", u"ABC　DEF"_s, u"ABC DEF"_s);
        split("empty", QString(), QString());
        split("blanks only", u"   "_s, QString());
    }
    void splitName() {
        QString name = fetch<QString>("name");
        const QStringList words = fetch<QStringList>("words");
        const QString rest = fetch<QString>("rest");
        QStringList result{u"left over"_s};
        QCOMPARE(fnSplitName(name, result), int(words.size()));
        QCOMPARE(result, words);
        if (!rest.isNull()) QCOMPARE(name, rest); // the bracketed pieces are taken out of the name
    }
};

QTEST_MAIN(TestInputRules)
#include "tst_inputrules.moc"

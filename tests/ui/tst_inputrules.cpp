#include "DataRows.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "ui/basInput.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;

// The field input rules on a plain window with real widgets.
class TestInputRules : public QObject, DataRows {
    Q_OBJECT
    // A plain window with a text box and a check box.
    struct Window {
        QWidget window;
        QLineEdit box{&window};
        QCheckBox check{u"chk"_s, &window};
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
};

QTEST_MAIN(TestInputRules)
#include "tst_inputrules.moc"

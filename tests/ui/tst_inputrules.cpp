#include "ui/basInput.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// The field input rules on a plain window with real widgets.
class TestInputRules : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void filterKey_data();
    void filterKey();
    void filterKeyOnNonTextControl();
    void checkByteLength_data();
    void checkByteLength();
    void filterTextActsLikeTyping_data();
    void filterTextActsLikeTyping();
    void moveFocus_data();
    void moveFocus();
    void moveFocusLeavesOtherKeys();
    void canFocus();
    void selectText_data();
    void selectText();
    void padLeft_data();
    void padLeft();
    void val_data();
    void val();
    void roundEven_data();
    void roundEven();

private:
    QLineEdit* box(const QString& name) { return m_form->findChild<QLineEdit*>(name); }
    void focusOn(QWidget* w);

    QWidget* m_form = nullptr;
};

void TestInputRules::init() {
    m_form = new QWidget;
    m_form->setObjectName(u"frmTest"_s);
    auto* layout = new QVBoxLayout(m_form);
    // Tab indexes deliberately not in creation order, with a gap.
    const struct {
        const char* name;
        int index;
    } boxes[] = {{"txtA", 0},      {"txtC", 7},        {"txtB", 3},
                 {"txtHidden", 4}, {"txtDisabled", 5}, {"txtNoStop", 6}};
    for (const auto& b : boxes) {
        auto* e = new QLineEdit(m_form);
        e->setObjectName(QString::fromLatin1(b.name));
        setTabIndex(e, b.index);
        setTabStop(e, true);
        layout->addWidget(e);
    }
    box(u"txtHidden"_s)->hide();
    box(u"txtDisabled"_s)->setEnabled(false);
    setTabStop(box(u"txtNoStop"_s), false);
    auto* chk = new QCheckBox(u"chk"_s, m_form);
    chk->setObjectName(u"chkStop"_s);
    layout->addWidget(chk);
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

void TestInputRules::cleanup() {
    delete m_form;
    m_form = nullptr;
}

void TestInputRules::focusOn(QWidget* w) {
    w->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), w);
}

void TestInputRules::filterKey_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("passes");

    QTest::newRow("6: letter swallowed") << u"6"_s << u"a"_s << false;
    QTest::newRow("6: digit passes") << u"6"_s << u"5"_s << true;
    QTest::newRow("6: blank passes") << u"6"_s << u" "_s << true;
    QTest::newRow("6: comma swallowed") << u"6"_s << u","_s << false;
    QTest::newRow("0: comma passes") << u"0"_s << u","_s << true;
    QTest::newRow("0: minus swallowed") << u"0"_s << u"-"_s << false;
    QTest::newRow("1: minus passes") << u"1"_s << u"-"_s << true;
    QTest::newRow("1: point swallowed") << u"1"_s << u"."_s << false;
    QTest::newRow("2: point passes") << u"2"_s << u"."_s << true;
    QTest::newRow("2: minus swallowed") << u"2"_s << u"-"_s << false;
    QTest::newRow("3: minus passes") << u"3"_s << u"-"_s << true;
    QTest::newRow("3: point passes") << u"3"_s << u"."_s << true;
    QTest::newRow("3: comma swallowed") << u"3"_s << u","_s << false;
    QTest::newRow("4: letter passes") << u"4"_s << u"q"_s << true;
    QTest::newRow("4: sign passes") << u"4"_s << u"~"_s << true;
    QTest::newRow("4: backslash passes") << u"4"_s << u"\\"_s << true;
    QTest::newRow("4: apostrophe swallowed") << u"4"_s << u"'"_s << false;
    QTest::newRow("4: half-width kana swallowed") << u"4"_s << u"ｱ"_s << false;
    QTest::newRow("4: kanji swallowed") << u"4"_s << u"漢"_s << false;
    QTest::newRow("5: apostrophe passes") << u"5"_s << u"'"_s << true;
    QTest::newRow("5: half-width kana passes") << u"5"_s << u"ｱ"_s << true;
    QTest::newRow("5: voiced mark passes") << u"5"_s << u"ﾞ"_s << true;
    QTest::newRow("5: hiragana swallowed") << u"5"_s << u"あ"_s << false;
    QTest::newRow("7: comma passes") << u"7"_s << u","_s << true;
    QTest::newRow("7: minus passes") << u"7"_s << u"-"_s << true;
    QTest::newRow("7: point swallowed") << u"7"_s << u"."_s << false;
    QTest::newRow("8: zero swallowed") << u"8"_s << u"0"_s << false;
    QTest::newRow("8: capital passes") << u"8"_s << u"Z"_s << true;
    QTest::newRow("8: lower case passes (case-blind)") << u"8"_s << u"b"_s << true;
    QTest::newRow("8: sign swallowed") << u"8"_s << u"-"_s << false;
    QTest::newRow("9: point passes") << u"9"_s << u"."_s << true;
    QTest::newRow("9: minus swallowed") << u"9"_s << u"-"_s << false;
    QTest::newRow("other tag takes kanji") << u"X"_s << u"漢"_s << true;
    QTest::newRow("no tag takes apostrophe") << QString() << u"'"_s << true;
    QTest::newRow("two-character tag takes all") << u"10"_s << u"a"_s << true;
}

void TestInputRules::filterKey() {
    QFETCH(QString, mode);
    QFETCH(QString, typed);
    QFETCH(bool, passes);
    QLineEdit* b = box(u"txtA"_s);
    setInputMode(b, mode);
    focusOn(b);
    char32_t ch = typed.toUcs4().first();
    const char32_t before = ch;
    fnFilterKey(m_form, ch);
    QCOMPARE(ch, passes ? before : char32_t(0));
}

void TestInputRules::filterKeyOnNonTextControl() {
    focusOn(m_form->findChild<QCheckBox*>(u"chkStop"_s));
    char32_t ch = U'5';
    fnFilterKey(m_form, ch);
    QCOMPARE(ch, char32_t(0));
}

void TestInputRules::checkByteLength_data() {
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("textAfter");

    QTest::newRow("double-byte fills the last two bytes")
        << 4 << u"AB"_s << 2 << 0 << u"あ"_s << true << u"AB"_s;
    QTest::newRow("one more refused") << 4 << u"ABあ"_s << 3 << 0 << u"C"_s << false << u"ABあ"_s;
    QTest::newRow("double-byte into one free byte") << 3 << u"AB"_s << 2 << 0 << u"あ"_s << false << u"AB"_s;
    QTest::newRow("half-width kana is one byte") << 4 << u"ABC"_s << 3 << 0 << u"ｱ"_s << true << u"ABC"_s;
    QTest::newRow("whole selection replaced") << 4 << u"ABCD"_s << 0 << 4 << u"X"_s << true << QString();
    QTest::newRow("partial selection of a full box refused")
        << 4 << u"ABCD"_s << 1 << 2 << u"X"_s << false << u"ABCD"_s;
    QTest::newRow("whole double-byte text replaced")
        << 4 << u"あい"_s << 0 << 2 << u"X"_s << true << QString();
    QTest::newRow("whole selection, character too long itself")
        << 1 << u"A"_s << 0 << 1 << u"あ"_s << false << u"A"_s;
    QTest::newRow("no limit") << 0 << u"ABCDEFGHIJ"_s << 10 << 0 << u"K"_s << true << u"ABCDEFGHIJ"_s;
    QTest::newRow("room left") << 12 << u"12"_s << 2 << 0 << u"3"_s << true << u"12"_s;
    QTest::newRow("control character passes a full box")
        << 2 << u"AB"_s << 2 << 0 << u"\x01"_s << true << u"AB"_s;
}

void TestInputRules::checkByteLength() {
    QFETCH(int, maxLength);
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    QFETCH(QString, textAfter);
    QLineEdit* b = box(u"txtA"_s);
    setByteMaxLength(b, maxLength);
    focusOn(b);
    b->setText(text);
    if (selLength > 0)
        b->setSelection(selStart, selLength);
    else
        b->setCursorPosition(selStart);
    char32_t ch = typed.toUcs4().first();
    fnCheckByteLength(m_form, ch);
    QCOMPARE(ch != 0, accepted);
    QCOMPARE(b->text(), textAfter);
}

void TestInputRules::filterTextActsLikeTyping_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("expected");

    QTest::newRow("digits only") << u"6"_s << 0 << QString() << u"1a2b3"_s << u"123"_s;
    QTest::newRow("cut at the byte limit") << u"X"_s << 6 << u"A"_s << u"あいう"_s << u"あい"_s;
    QTest::newRow("later single byte still fits") << u"X"_s << 4 << QString() << u"あいB"_s << u"あい"_s;
    QTest::newRow("line breaks dropped") << u"X"_s << 0 << QString() << u"A\nB"_s << u"AB"_s;
}

void TestInputRules::filterTextActsLikeTyping() {
    QFETCH(QString, mode);
    QFETCH(int, maxLength);
    QFETCH(QString, text);
    QFETCH(QString, given);
    QFETCH(QString, expected);
    QLineEdit* b = box(u"txtA"_s);
    setInputMode(b, mode);
    setByteMaxLength(b, maxLength);
    focusOn(b);
    b->setText(text);
    QCOMPARE(fnFilterText(m_form, given), expected);
}

void TestInputRules::moveFocus_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("arrows");
    QTest::addColumn<QString>("to");

    QTest::newRow("enter to the next index, not the next created")
        << u"txtA"_s << int(Qt::Key_Return) << false << u"txtB"_s;
    QTest::newRow("enter skips hidden, disabled and non-tab-stop")
        << u"txtB"_s << int(Qt::Key_Return) << false << u"txtC"_s;
    QTest::newRow("keypad enter") << u"txtA"_s << int(Qt::Key_Enter) << true << u"txtB"_s;
    QTest::newRow("enter in the last field stays") << u"txtC"_s << int(Qt::Key_Return) << true << u"txtC"_s;
    QTest::newRow("down moves on") << u"txtB"_s << int(Qt::Key_Down) << true << u"txtC"_s;
    QTest::newRow("up moves back") << u"txtC"_s << int(Qt::Key_Up) << true << u"txtB"_s;
    QTest::newRow("up in the first field stays") << u"txtA"_s << int(Qt::Key_Up) << true << u"txtA"_s;
    QTest::newRow("from a non-tab-stop box") << u"txtNoStop"_s << int(Qt::Key_Return) << false << u"txtC"_s;
}

void TestInputRules::moveFocus() {
    QFETCH(QString, from);
    QFETCH(int, key);
    QFETCH(bool, arrows);
    QFETCH(QString, to);
    focusOn(box(from));
    int k = key;
    fnMoveFocus(m_form, k, arrows);
    QCOMPARE(k, 0);
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), to);
}

void TestInputRules::moveFocusLeavesOtherKeys() {
    focusOn(box(u"txtB"_s));
    int k = Qt::Key_Down;
    fnMoveFocus(m_form, k, false);
    QCOMPARE(k, int(Qt::Key_Down));
    k = Qt::Key_Left;
    fnMoveFocus(m_form, k, true);
    QCOMPARE(k, int(Qt::Key_Left));
    QCOMPARE(QApplication::focusWidget(), box(u"txtB"_s));
}

void TestInputRules::canFocus() {
    QVERIFY(fnCanFocus(box(u"txtA"_s)));
    QVERIFY(!fnCanFocus(box(u"txtHidden"_s)));
    QVERIFY(!fnCanFocus(box(u"txtDisabled"_s)));
    QVERIFY(!fnCanFocus(box(u"txtNoStop"_s)));
    QVERIFY(!fnCanFocus(nullptr));
    // A label takes no focus at all.
    QLabel label(m_form);
    QVERIFY(!fnCanFocus(&label));
}

void TestInputRules::selectText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("removeCommas");
    QTest::addColumn<QString>("expected");

    QTest::newRow("commas and blanks removed") << u" 1,234,567 "_s << true << u"1234567"_s;
    QTest::newRow("kept without the flag") << u" 1,234 "_s << false << u" 1,234 "_s;
    QTest::newRow("empty") << QString() << true << QString();
}

void TestInputRules::selectText() {
    QFETCH(QString, text);
    QFETCH(bool, removeCommas);
    QFETCH(QString, expected);
    QLineEdit* b = box(u"txtB"_s);
    b->setText(text);
    b->setCursorPosition(0);
    fnSelectText(b, removeCommas);
    QCOMPARE(b->text(), expected);
    QCOMPARE(b->selectedText(), expected);
}

void TestInputRules::padLeft_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("pad");
    QTest::addColumn<QString>("expected");

    QTest::newRow("code 12 to 12") << u"12"_s << 12 << u" "_s << u"          12"_s;
    QTest::newRow("empty to 3") << QString() << 3 << u" "_s << u"   "_s;
    QTest::newRow("trimmed first") << u"  7 "_s << 4 << u" "_s << u"   7"_s;
    QTest::newRow("longer loses the left") << u"ABCDEF"_s << 4 << u" "_s << u"CDEF"_s;
    QTest::newRow("pad with zeros, first character only") << u"5"_s << 3 << u"0x"_s << u"005"_s;
    QTest::newRow("width 0") << u"5"_s << 0 << u" "_s << QString();
}

void TestInputRules::padLeft() {
    QFETCH(QString, value);
    QFETCH(int, width);
    QFETCH(QString, pad);
    QFETCH(QString, expected);
    QCOMPARE(fnPadLeft(value, qint16(width), pad), expected);
}

void TestInputRules::val_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("digits") << u"2024"_s << 2024.0;
    QTest::newRow("leading number only") << u"12abc"_s << 12.0;
    QTest::newRow("blanks inside ignored") << u" 1 2 "_s << 12.0;
    QTest::newRow("none") << u"abc"_s << 0.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("negative decimal") << u"-1.5x"_s << -1.5;
    QTest::newRow("comma stops") << u"1,234"_s << 1.0;
    QTest::newRow("exponent") << u"1e3"_s << 1000.0;
    QTest::newRow("hex") << u"&H1F"_s << 31.0;
}

void TestInputRules::val() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(fnVal(text), expected);
}

void TestInputRules::roundEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");

    QTest::newRow("2.5 down") << 2.5 << 2;
    QTest::newRow("3.5 up") << 3.5 << 4;
    QTest::newRow("-2.5 to -2") << -2.5 << -2;
    QTest::newRow("-3.5 to -4") << -3.5 << -4;
    QTest::newRow("0.5 to 0") << 0.5 << 0;
    QTest::newRow("2.51 up") << 2.51 << 3;
    QTest::newRow("-0.49 to 0") << -0.49 << 0;
    QTest::newRow("huge clamps") << 1e12 << int(INT_MAX);
}

void TestInputRules::roundEven() {
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(fnRoundEven(value), expected);
}

QTEST_MAIN(TestInputRules)
#include "tst_inputrules.moc"

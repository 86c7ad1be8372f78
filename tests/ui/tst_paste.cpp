#include "DataRows.h"
#include "PasteRoutes.h"
#include "TestForm.h"

#include <QtTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;

// Text that comes into a box by any way at all meets the rules typed keys meet.
class TestPaste : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<TestForm> m_owned;
    TestForm* f = nullptr; // the form m_owned holds

private slots:
    void init() {
        m_owned = std::make_unique<TestForm>();
        f = m_owned.get();
        f->show();
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));
    }
    void cleanup() { m_owned.reset(); }

    // "before" is the box's text, [brackets] marking the selection; text brought in (PasteRoutes.h)
    // ends up at the cursor (the end) or over the selection.
    void routes_data() {
        cols<QString, QString, QString, QString, QString>("route", "box", "before", "given", "after");
        struct Case {
            const char *name, *box, *before, *given, *after;
        };
        const Case everyRoute[] = {
            {"minus sign", "txtSuu", "", "-5", "5"},
            {"infinity", "txtSuu", "", "inf", ""},
            {"not a number", "txtSuu", "", "nan", ""},
            {"exponent", "txtSuu", "", "1e9", "19"},
            {"apostrophe", "txtSuu", "", "'7", "7"},
            {"byte limit cuts the rest", "txtSuu", "12", "34567", "123456"},
            {"full box takes nothing", "txtSuu", "123456", "7", "123456"},
            {"code: no apostrophe", "txtCode", "A", "b'c-1", "Abc-1"},
            {"name: double-byte cut at the limit", "txtName", "ABCD", "あいうえ", "ABCDあいう"},
            {"name: line breaks dropped", "txtName", "", "A\r\nB", "AB"},
        };
        // Keys typed with a modifier held insert their text as well; a typed line break is Enter, the
        // form's move key (tst_formbase's keys).
        const char* routes[] = {"ctrl+v", "shift+insert", "menu",  "middle",   "drop",      "ime",
                                "alt",    "altgr",        "super", "ctrl+alt", "shift+alt", "keypad"};
        for (const char* route : routes)
            for (const Case& c : everyRoute)
                if (!paste::typedWith(QLatin1String(route)) || !QByteArray(c.given).contains('\n'))
                    row(qPrintable(u"%1: %2"_s.arg(QLatin1String(route), QLatin1String(c.name))), route,
                        c.box, c.before, c.given, c.after);
        // Over a selection, as a typed character: measured against the whole text first.
        const Case overSelection[] = {
            {"whole text replaced", "txtSuu", "[123456]", "-7", "7"},
            {"partial selection of a full box refused", "txtSuu", "1234[56]", "9", "123456"},
            {"partial selection with room", "txtSuu", "12[34]", "9876", "129876"},
        };
        for (const char* route : {"ctrl+v", "shift+insert", "menu", "ime", "alt", "ctrl+alt"})
            for (const Case& c : overSelection)
                row(qPrintable(u"%1: %2"_s.arg(QLatin1String(route), QLatin1String(c.name))), route, c.box,
                    c.before, c.given, c.after);
        row("ctrl+keypad: minus sign", "ctrl+keypad", "txtSuu", "", "-5", "5");
        row("ctrl+keypad: byte limit", "ctrl+keypad", "txtSuu", "12", "34567", "123456");
        row("ctrl+shift: a formatting character", "ctrl+shift", "txtSuu", "1", "\u200c2", "1");
        row("drop: where it is let go, not over the selection", "drop", "txtSuu", "12[34]", "x5", "12345");
        row("drop onto a box without the focus takes it", "drop elsewhere", "txtSuu", "1", "-2", "12");
        row("ime-1: the replaced character makes room", "ime-1", "txtSuu", "123456", "9", "123459");
        row("ime-1: replacement filtered", "ime-1", "txtSuu", "12345", "-8", "12348");
        row("ime-1: all refused, the text stays", "ime-1", "txtSuu", "123456", "e", "123456");
    }
    void routes() {
        const QString route = fetch<QString>("route"), marked = fetch<QString>("before");
        if (route == u"middle"_s && !paste::hasMiddleButtonPaste())
            QSKIP("no selection clipboard on this platform");
        QLineEdit* box = f->findChild<QLineEdit*>(fetch<QString>("box"));
        QLineEdit* start = route == u"drop elsewhere"_s ? f->txtName : box;
        start->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), start);
        const QString before = QString(marked).remove(u'[').remove(u']');
        box->setText(before);
        if (marked.contains(u'['))
            box->setSelection(marked.indexOf(u'['), marked.indexOf(u']') - marked.indexOf(u'[') - 1);

        paste::bring(route == u"drop elsewhere"_s ? u"drop"_s : route, box, fetch<QString>("given"));
        QTEST(box->text(), "after");
        QCOMPARE(QApplication::focusWidget(), box);
        // Undone by Ctrl+Z and redone (typed keys leave their undo steps to the box), and Escape brings back
        // the text from before.
        if (!paste::typedWith(route)) {
            box->undo();
            QCOMPARE(box->text(), before);
            box->redo();
            QTEST(box->text(), "after");
        }
        QTest::keyClick(box, Qt::Key_Escape);
        QCOMPARE(box->text(), before);
    }

    // A read-only box keeps its text whatever comes.
    void readOnlyBoxTakesNothing() {
        f->txtName->setReadOnly(true);
        f->txtName->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), f->txtName);
        for (const char* route : {"ctrl+v", "drop", "ime"})
            paste::bring(QLatin1String(route), f->txtName, u"ABC"_s);
        QCOMPARE(f->txtName->text(), QString());
    }
};

QTEST_MAIN(TestPaste)
#include "tst_paste.moc"

#include "DataRows.h"
#include "PasteRoutes.h"
#include "TestForm.h"
#include "support/ScreenBench.h"

#include "ui/FormBase.h"
#include "ui/basLabel.h"

#include <QAction>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolTip>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// Counts the key presses that reach a widget (after the form's preview).
class KeySpy : public QObject {
public:
    QList<int> pressed;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) pressed << static_cast<QKeyEvent*>(e)->key();
        return false;
    }
};

} // namespace

class TestFormBase : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<TestForm> m_owned;
    TestForm* f = nullptr; // the form m_owned holds
    void focus(QWidget* w) {
        w->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), w);
    }
    QLineEdit* box(const QString& name) { return f->findChild<QLineEdit*>(name); }
    QString outcome() const {
        QWidget* w = QApplication::focusWidget();
        QString s = w ? w->objectName() : u"-"_s;
        if (auto* b = qobject_cast<QLineEdit*>(w)) {
            if (!b->text().isEmpty()) s += u' ' + b->text();
            if (b->hasSelectedText()) s += u" [%1]"_s.arg(b->selectedText());
        }
        if (f->escapes) s += u" esc %1"_s.arg(f->escapes);
        if (f->okClicks) s += u" ok %1"_s.arg(f->okClicks);
        for (int n : f->keys)
            s += u" F%1"_s.arg(n);
        return f->isVisible() ? s : s + u" closed"_s;
    }
private slots:
    void init() {
        m_owned = std::make_unique<TestForm>();
        f = m_owned.get();
        QVERIFY(screen::showAndActivate(f));
        // The form opens with the focus on the lowest tab index.
        QTRY_COMPARE(QApplication::focusWidget(), f->txtCode);
    }
    void cleanup() { m_owned.reset(); }
    // Keys typed where the focus is ("AB<Esc><Ctrl+V>"), after the focus was put somewhere ("<@txtName>", on
    // txtCode at first) and boxes set up ("<txtName.text=OLD>" sets a property, "<txtName=!notab>" drops the
    // tab stop, "<!noarrows>", "<!popup>" for a popup with a default button instead). "<ime:text>" commits
    // input-method text, "<click:txtName>" clicks a box, "<!clear>" runs fnKeyClear. Outcome: the focused
    // control, its text, [selection], then what reached the screen: cancel Escapes, OK clicks, function keys;
    // "closed" once the form is gone.
    void keys_data() {
        cols<QString, QString>("keys", "outcome");
        row("code box: no apostrophe", "ab'c-1", "txtCode abc-1");
        row("quantity: digits only, backspace edits", "<@txtSuu>12a,3.4<Backspace>", "txtSuu 123");
        row("name: ten bytes", "<@txtName>ABCDEFGHIJKL", "txtName ABCDEFGHIJ");
        row("full box, partial selection refused", "<@txtSuu>123456<Shift+Left><Shift+Left>9",
            "txtSuu 123456 [56]");
        row("full box, whole selection replaced", "<@txtSuu>123456<Ctrl+A>7", "txtSuu 7");
        // Editing keys with a modifier keep their work; they type nothing.
        row("undo", "<@txtName>AB<Ctrl+Z>", "txtName");
        row("copy", "<@txtName>AB<Ctrl+A><Ctrl+C><@txtCode><Ctrl+V>", "txtCode AB");
        row("select all from the keypad", "<@txtSuu>123<Ctrl+Num+A>", "txtSuu 123 [123]");
        row("alt+down is no field move", "<Alt+Down>", "txtCode");
        row("input method commit undone", "<@txtName>ABCDEFGH<!clear><ime:あい><Esc>",
            "txtName ABCDEFGH [ABCDEFGH]");
        row("escape restores the first text", "<txtName.text=OLD><@txtName>NEW<Esc>", "txtName OLD [OLD]");
        row("second escape: the screen's", "<txtName.text=OLD><@txtName>NEW<Esc><Esc>",
            "txtName OLD [OLD] esc 1");
        row("nothing to undo", "<txtName.text=SAME><@txtName><Esc><Esc>", "txtName SAME [SAME] esc 2");
        row("escape and enter do not close a popup", "<!popup><Esc><Esc><@txtLast><Return>", "txtLast esc 2");
        row("key clear: the next key remembers", "<@txtName>AB<!clear>C<Esc>", "txtName AB [AB]");
        row("enter", "<Return>", "txtName"), row("up at the top", "<Up>", "txtCode");
        row("down and up", "<Return><Down><Up><Down>", "txtSuu"),
            row("left is no move key", "<Left>", "txtCode");
        row("enter and down at the end", "<@txtLast><Return><Down>", "txtLast");
        row("keypad enter skips a disabled box", "<txtName.enabled=false><Enter>", "txtSuu");
        row("enter skips a hidden box", "<txtName.visible=false><Return>", "txtSuu"),
            row("up too", "<txtName.visible=false><@txtSuu><Up>", "txtCode");
        row("enter skips a box without a tab stop", "<txtName=!notab><Return>", "txtSuu"),
            row("and leaves one", "<txtName=!notab><@txtName><Return>", "txtSuu");
        row("arrows off", "<!noarrows><Down>", "txtCode"),
            row("enter without arrows", "<!noarrows><Return>", "txtName");
        row("enter on a button moves on, no click", "<@cmdOk><Return>", "txtLast"),
            row("space clicks", "<@cmdOk><Space>", "cmdOk ok 1");
        row("space clicks a button reached by enter", "<@txtSuu><Return><Space><Space>", "cmdOk ok 2");
        row("tab by tab index", "<Tab><Tab><Tab>", "cmdOk"),
            row("tab to the last", "<Tab><Tab><Tab><Tab>", "txtLast");
        row("tab skips a box without a tab stop", "<txtName=!notab><Tab>", "txtSuu");
        row("select on focus, no commas", "<txtSuu.text= 1,234 ><Return><Return>", "txtSuu 1234 [1234]");
        row("select on focus, text kept", "<txtName.text= 1,234 ><Return>", "txtName  1,234  [ 1,234 ]");
        row("typing replaces the selection", "<txtSuu.text= 1,234 ><Return><Return>5", "txtSuu 5");
        row("select on a mouse click", "<txtName.text=ABCDEF><click:txtName>", "txtName ABCDEF [ABCDEF]");
        row("a click in the focused box", "<txtName.text=ABCDEF><click:txtName><click:txtName>",
            "txtName ABCDEF");
        row("function keys only while enabled", "<@txtSuu><F2><F5><F7><F12>", "txtSuu F5 F12"),
            row("F2 in the code box", "<F2>", "txtCode F2");
    }
    void keys() {
        static const QRegularExpression token(u"<([^>]+)>|(.)"_s);
        for (const auto& m : token.globalMatch(fetch<QString>("keys"))) {
            QWidget* w = QApplication::focusWidget();
            const QString t = m.captured(1), arg = t.section(u':', 1), name = t.section(u'=', 0, 0);
            const QString value = t.section(u'=', 1);
            if (m.hasCaptured(2))
                QTest::keyClicks(w, m.captured(2));
            else if (t.startsWith(u'@'))
                focus(f->findChild<QWidget*>(t.mid(1)));
            else if (t == u"!popup"_s) {
                m_owned = std::make_unique<TestForm>(FormKind::Popup);
                QVERIFY(screen::showAndActivate(f = m_owned.get()));
                f->cmdOk->setDefault(true);
            } else if (t == u"!noarrows"_s)
                f->setArrowsMove(false);
            else if (t == u"!clear"_s)
                f->keyNavigation().fnKeyClear();
            else if (value == u"!notab"_s)
                setTabStop(box(name), false);
            else if (t.contains(u'='))
                box(name.section(u'.', 0, 0))->setProperty(qPrintable(name.section(u'.', 1)), value);
            else if (t.startsWith(u"ime:"_s))
                paste::bring(u"ime"_s, qobject_cast<QLineEdit*>(w), arg);
            else if (t.startsWith(u"click:"_s))
                QTest::mouseClick(box(arg), Qt::LeftButton, {}, QPoint(5, box(arg)->height() / 2));
            else
                QTest::keyClick(w, QKeySequence(t)[0].key(), QKeySequence(t)[0].keyboardModifiers());
        }
        QTRY_COMPARE(outcome(), fetch<QString>("outcome"));
    }
    // Enter and the arrows move the focus with the frame Tab shows; a button draws it only then.
    void keyMovesShowTheFocus_data() {
        cols<QString, int>("from", "key");
        row("enter", "txtSuu", int(Qt::Key_Return)), row("down", "txtSuu", int(Qt::Key_Down));
        row("up", "txtLast", int(Qt::Key_Up));
    }
    void keyMovesShowTheFocus() {
        QWidget* from = f->findChild<QWidget*>(fetch<QString>("from"));
        // As on the screens: no default button frame standing in for the focus frame.
        f->cmdOk->setAutoDefault(false);
        f->cmdOk->setDefault(false);
        focus(from);
        QTest::keyClick(from, Qt::Key(fetch<int>("key")));
        QTRY_COMPARE(QApplication::focusWidget(), f->cmdOk);
        QStyleOptionButton option;
        option.initFrom(f->cmdOk);
        QVERIFY(option.state & QStyle::State_HasFocus);
        QVERIFY(option.state & QStyle::State_KeyboardFocusChange);
        QVERIFY(f->testAttribute(Qt::WA_KeyboardFocusChange));
        const QImage byKey = f->cmdOk->grab().toImage();
        focus(f->txtSuu);
        QTest::keyClick(f->txtSuu, Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), f->cmdOk);
        QCOMPARE(byKey, f->cmdOk->grab().toImage());
        f->setAttribute(Qt::WA_KeyboardFocusChange, false); // the frame is what makes the difference
        QVERIFY(f->cmdOk->grab().toImage() != byKey);
    }
    // A name too wide for its label ends with "…" instead of being cut through a character; the label
    // keeps the whole name, and its tool tip shows it.
    void longNamesEndWithAnEllipsis_data() {
        cols<QString, bool>("name", "shortened");
        row("fits", "みかん", false);
        row("too long", "北海道産特選ジャンボ大玉みかん詰め合わせ贈答用三十個入り化粧箱", true);
        row("latin letters", "Premium Hokkaido jumbo mandarin oranges gift box, thirty pieces", true);
    }
    void longNamesEndWithAnEllipsis() {
        const QString name = fetch<QString>("name");
        QLabel* label = f->lblGoodsName;
        label->setText(name);
        label->setMaximumWidth(200); // narrower than the long names
        QTRY_VERIFY(label->width() < label->sizeHint().width() || !fetch<bool>("shortened"));
        QCOMPARE(label->text(), name);
        // It looks exactly like a plain label showing the beginning of the name and "…".
        QLabel twin(label->parentWidget());
        twin.setFrameStyle(label->frameStyle());
        twin.setGeometry(label->geometry());
        twin.hide();
        const QImage shown = label->grab().toImage();
        QString seen;
        for (qsizetype n = name.size(); n >= 0 && seen.isNull(); --n) {
            twin.setText(n == name.size() ? name : name.left(n) + u'…');
            if (twin.grab().toImage() == shown) seen = twin.text();
        }
        QVERIFY2(!seen.isNull(), "the label shows no beginning of the name");
        QCOMPARE(seen.endsWith(u'…'), fetch<bool>("shortened"));
        QCOMPARE(fnShownLabelText(label), seen);
        QToolTip::hideText();
        QHelpEvent tip(QEvent::ToolTip, QPoint(4, 4), label->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(label, &tip);
        QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(),
                 fetch<bool>("shortened") ? name : QString());
        QToolTip::hideText();
    }
    void unfocusedBoxUsesItsOwnRules() {
        QTest::keyClicks(f->txtSuu, u"7x8"_s);
        QCOMPARE(f->txtSuu->text(), u"78"_s);
        QCOMPARE(f->txtCode->text(), QString());
    }
    void functionKeysAreConsumedEitherWay() {
        KeySpy spy;
        f->txtSuu->installEventFilter(&spy);
        focus(f->txtSuu); // the quantity's buttons: "1001-1101-0001"
        QVERIFY(!f->isToolbarEnabled(2));
        QTest::keyClick(f->txtSuu, Qt::Key_F2);
        QTest::keyClick(f->txtSuu, Qt::Key_F5);
        QVERIFY(spy.pressed.isEmpty()); // the box never saw them
        f->txtSuu->removeEventFilter(&spy);
        fnToolbarButton(f->tlbFunction(), 2)->trigger(); // a disabled button's click does nothing
        fnToolbarButton(f->tlbFunction(), 12)->trigger();
        focus(f->txtCode);
        QTest::keyClick(f, Qt::Key_F3); // a key sent to the form itself is previewed the same way
        QCOMPARE(f->keys, (QList<int>{5, 12, 3}));
        // The toolbar sits above the controls and the form is wide enough for all its buttons.
        QVERIFY(f->body()->geometry().top() >= f->tlbFunction()->geometry().bottom());
        QVERIFY(f->tlbFunction()->widgetForAction(fnToolbarButton(f->tlbFunction(), 12))->isVisible());
    }
    // No page of its own: the contents; a help context picks its page. (F1, the window's title and a
    // form's own page: tst_stocktakescreen.)
    void helpPages() {
        QCOMPARE(f->helpPage(), u"index"_s);
        auto* browser = f->showHelp()->findChild<QTextBrowser*>(u"helpBrowser"_s);
        QVERIFY(browser && browser->toPlainText().contains(u"入庫処理"_s));
        f->setHelpContext(6101);
        f->showHelp();
        QVERIFY(browser->toPlainText().contains(u"商品分類一覧"_s));
    }
    void focusLeaveKnowsWhereTheFocusWent() {
        f->focusLog.clear();
        QTest::keyClick(f->txtCode, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), f->txtName);
        QCOMPARE(f->focusLog, (QStringList{u"leave txtCode for txtName inside"_s, u"enter txtName"_s}));
        QVERIFY(!f->isToolbarEnabled(2));
        f->focusLog.clear();
        screen::OtherWindow other; // another window takes the focus
        const QString left = f->focusLog.value(0);
        QVERIFY2(left.startsWith(u"leave txtName for "_s) && left.endsWith(u" outside"_s), qPrintable(left));
    }
    void busyGuardDropsKeysTypedMeanwhile() {
        focus(f->txtName);
        {
            BusyGuard busy(f);
            QVERIFY(!f->isEnabled());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            // Typed while the operation runs: queued, not yet delivered.
            for (auto type : {QEvent::KeyPress, QEvent::KeyRelease})
                QApplication::postEvent(f->txtName, new QKeyEvent(type, Qt::Key_A, Qt::NoModifier, u"a"_s));
            QApplication::postEvent(f, new QKeyEvent(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier));
        }
        QVERIFY(f->isEnabled() && !QApplication::overrideCursor());
        QCOMPARE(QApplication::focusWidget(), f->txtName); // the field being worked has it again
        QCoreApplication::processEvents();
        QTest::keyClicks(f->txtName, u"b"_s); // typing works again, the "a" was dropped
        QCOMPARE(f->txtName->text(), u"b"_s);
        QVERIFY(f->keys.isEmpty());
    }
    void openAndCloseAreLogged() {
        TempProgramDir dir;
        TestForm form, popup(FormKind::Popup);
        QVERIFY(screen::showAndActivate(&form));
        // The kinds logged under the form's title: 0 on opening, 9 on closing.
        const QString logged = u"select kubun from operatlog where naiyou = 'テスト画面'"_s;
        QCOMPARE(dir.rows(logged, {}, u" "_s), u"0"_s);
        form.allowUnload = false; // the form may refuse to close
        QVERIFY(!form.close() && form.isVisible());
        QCOMPARE(form.unloads, 0);
        QCOMPARE(dir.rows(logged, {}, u" "_s), u"0"_s);
        form.allowUnload = true;
        QVERIFY(form.close());
        QCOMPARE(form.unloads, 1);
        QCOMPARE(dir.rows(logged, {}, u" "_s), u"0 9"_s);
        QVERIFY(screen::showAndActivate(&popup)); // popups are not logged
        popup.close();
        QCOMPARE(popup.unloads, 1);
        QCOMPARE(dir.count(u"select count(*) from operatlog"_s), 2);
    }
    // Text that comes into a box by any way at all meets the rules typed keys meet. "before" is the box's
    // text, [brackets] marking the selection; text brought in (PasteRoutes.h) ends up at the cursor (the
    // end) or over the selection.
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
        if (route == u"middle"_s && !QApplication::clipboard()->supportsSelection())
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

QTEST_MAIN(TestFormBase)
#include "tst_formbase.moc"

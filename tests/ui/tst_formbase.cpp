#include "support/TempProgramDir.h"

#include "ui/FormBase.h"

#include <QAction>
#include <QClipboard>
#include <QGridLayout>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolBar>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// A small screen built the way the program's screens are.
class TestForm : public FormBase {
    Q_OBJECT
public:
    explicit TestForm(FormKind kind = FormKind::Screen) : FormBase(kind) {
        setWindowTitle(u"テスト画面"_s);
        auto* grid = new QGridLayout(body());
        txtCode = newTextBox(body(), u"txtCode"_s, 0, u"4"_s, 12);
        txtName = newTextBox(body(), u"txtName"_s, 1, u"X"_s, 10);
        txtSuu = newTextBox(body(), u"txtSuu"_s, 2, u"6"_s, 6);
        cmdOk = new QPushButton(u"ＯＫ"_s, body());
        cmdOk->setObjectName(u"cmdOk"_s);
        setTabIndex(cmdOk, 3);
        setTabStop(cmdOk, true);
        txtLast = newTextBox(body(), u"txtLast"_s, 4, QString(), 0);
        // Created first, placed last in the tab order.
        grid->addWidget(txtLast, 4, 0);
        grid->addWidget(txtCode, 0, 0);
        grid->addWidget(txtName, 1, 0);
        grid->addWidget(txtSuu, 2, 0);
        grid->addWidget(cmdOk, 3, 0);
        connect(cmdOk, &QPushButton::clicked, this, [this] { ++okClicks; });
        setToolbar(u"1111-1101-0001"_s);
        fitToolbar();
    }

    QLineEdit* txtCode;
    QLineEdit* txtName;
    QLineEdit* txtSuu;
    QLineEdit* txtLast;
    QPushButton* cmdOk;
    QList<int> keys;
    QStringList focusLog;
    int escapes = 0;
    int okClicks = 0;
    int unloads = 0;

protected:
    void formKeyDown(int& key, Qt::KeyboardModifiers) override {
        runKeyNavigation(key);
        if (key == Qt::Key_Escape) {
            // An Escape the undo did not use is the screen's cancel key.
            ++escapes;
            key = 0;
        }
        runFunctionKeys(key);
        runMoveFocus(key);
    }
    void functionKey(int n) override {
        keys << n;
        FormBase::functionKey(n);
    }
    void focusEnter(QWidget* now) override {
        focusLog << u"enter "_s + now->objectName();
        if (auto* box = qobject_cast<QLineEdit*>(now)) fnSelectText(box, box == txtSuu);
        enableToolbar(now == txtCode ? u"1111-1101-0001"_s : u"1001-1101-0001"_s);
    }
    void focusLeave(QWidget* old, QWidget* now, bool inside) override {
        focusLog << u"leave %1 for %2 %3"_s.arg(old->objectName(), now ? now->objectName() : u"-"_s,
                                                inside ? u"inside"_s : u"outside"_s);
    }
    void formUnload() override { ++unloads; }
};

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

class TestFormBase : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typedCharactersFollowTheInputMode();
    void byteLimitByRealKeys();
    void keysSentToAnUnfocusedBoxUseItsRules();
    void escapeRestoresTheFirstText();
    void escapeWithNothingToUndoGoesToTheScreen();
    void keyClearForgetsTheBox();
    void enterAndArrowsMoveByTabIndex();
    void arrowsCanBeSwitchedOff();
    void enterDoesNotClickAButton();
    void tabFollowsTabIndex();
    void functionKeysOnlyWhileEnabled();
    void toolbarClickDispatches();
    void f1ShowsTheHelpPage();
    void selectOnFocus();
    void selectOnFocusSurvivesAMouseClick();
    void focusLeaveKnowsWhereTheFocusWent();
    void inputMethodCommitsAreFiltered();
    void pasteIsFiltered();
    void escapeDoesNotCloseAPopup();
    void busyGuardDropsKeysTypedMeanwhile();
    void openAndCloseAreLogged();
    void popupsDoNotLog();
    void screensAreWindowsAndFitTheirToolbar();
    void queryUnloadCanKeepTheFormOpen();

private:
    void showForm(FormBase* f);
    TestForm* m_form = nullptr;
};

void TestFormBase::showForm(FormBase* f) {
    f->show();
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
}

void TestFormBase::init() {
    m_form = new TestForm;
    showForm(m_form);
}

void TestFormBase::cleanup() {
    delete m_form;
    m_form = nullptr;
}

void TestFormBase::typedCharactersFollowTheInputMode() {
    // The form opened with the focus on the lowest tab index.
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtCode);
    QTest::keyClicks(m_form->txtCode, u"ab'c-1"_s);
    QCOMPARE(m_form->txtCode->text(), u"ab'c-1"_s.remove(u'\''));
    m_form->txtSuu->setFocus();
    QTest::keyClicks(m_form->txtSuu, u"12a,3.4"_s);
    QCOMPARE(m_form->txtSuu->text(), u"1234"_s);
    // Backspace still edits.
    QTest::keyClick(m_form->txtSuu, Qt::Key_Backspace);
    QCOMPARE(m_form->txtSuu->text(), u"123"_s);
}

void TestFormBase::byteLimitByRealKeys() {
    m_form->txtName->setFocus();
    QTest::keyClicks(m_form->txtName, u"ABCDEFGHIJKL"_s);
    QCOMPARE(m_form->txtName->text(), u"ABCDEFGHIJ"_s);
    // All of it selected: the next character replaces it.
    m_form->txtName->selectAll();
    QTest::keyClicks(m_form->txtName, u"Z"_s);
    QCOMPARE(m_form->txtName->text(), u"Z"_s);
    // A partial selection of a full box is refused.
    m_form->txtSuu->setFocus();
    QTest::keyClicks(m_form->txtSuu, u"123456"_s);
    m_form->txtSuu->setSelection(1, 2);
    QTest::keyClicks(m_form->txtSuu, u"9"_s);
    QCOMPARE(m_form->txtSuu->text(), u"123456"_s);
}

void TestFormBase::keysSentToAnUnfocusedBoxUseItsRules() {
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtCode);
    QTest::keyClicks(m_form->txtSuu, u"7x8"_s);
    QCOMPARE(m_form->txtSuu->text(), u"78"_s);
    QCOMPARE(m_form->txtCode->text(), QString());
}

void TestFormBase::escapeRestoresTheFirstText() {
    m_form->txtName->setText(u"OLD"_s);
    m_form->txtName->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtName);
    QCOMPARE(m_form->txtName->selectedText(), u"OLD"_s);
    QTest::keyClicks(m_form->txtName, u"NEW"_s);
    QCOMPARE(m_form->txtName->text(), u"NEW"_s);
    QTest::keyClick(m_form->txtName, Qt::Key_Escape);
    QCOMPARE(m_form->txtName->text(), u"OLD"_s);
    QCOMPARE(m_form->txtName->selectedText(), u"OLD"_s);
    QCOMPARE(m_form->escapes, 0);
    // A second Escape is the screen's.
    QTest::keyClick(m_form->txtName, Qt::Key_Escape);
    QCOMPARE(m_form->txtName->text(), u"OLD"_s);
    QCOMPARE(m_form->escapes, 1);
    QVERIFY(m_form->isVisible());
}

void TestFormBase::escapeWithNothingToUndoGoesToTheScreen() {
    m_form->txtName->setText(u"SAME"_s);
    m_form->txtName->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtName);
    // The first key in a box only remembers it.
    QTest::keyClick(m_form->txtName, Qt::Key_Escape);
    QCOMPARE(m_form->escapes, 1);
    QTest::keyClick(m_form->txtName, Qt::Key_Escape);
    QCOMPARE(m_form->escapes, 2);
    QCOMPARE(m_form->txtName->text(), u"SAME"_s);
}

void TestFormBase::keyClearForgetsTheBox() {
    m_form->txtName->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtName);
    QTest::keyClicks(m_form->txtName, u"AB"_s);
    m_form->keyNavigation().fnKeyClear();
    QCOMPARE(m_form->keyNavigation().rememberedTabIndex(), qint16(-1));
    // The next key remembers "AB" afresh; Escape after more typing goes back to "AB".
    QTest::keyClicks(m_form->txtName, u"C"_s);
    QTest::keyClick(m_form->txtName, Qt::Key_Escape);
    QCOMPARE(m_form->txtName->text(), u"AB"_s);
}

void TestFormBase::enterAndArrowsMoveByTabIndex() {
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtCode);
    QTest::keyClick(m_form->txtCode, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtName);
    QTest::keyClick(m_form->txtName, Qt::Key_Down);
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtSuu);
    QTest::keyClick(m_form->txtSuu, Qt::Key_Up);
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtName);
    QTest::keyClick(m_form->txtName, Qt::Key_Up);
    QTest::keyClick(m_form->txtCode, Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), m_form->txtCode);
    // A disabled field is skipped.
    m_form->txtName->setEnabled(false);
    QTest::keyClick(m_form->txtCode, Qt::Key_Enter);
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtSuu);
    m_form->txtLast->setFocus();
    QTest::keyClick(m_form->txtLast, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), m_form->txtLast);
    QTest::keyClick(m_form->txtLast, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), m_form->txtLast);
}

void TestFormBase::arrowsCanBeSwitchedOff() {
    m_form->setArrowsMove(false);
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtCode);
    QTest::keyClick(m_form->txtCode, Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), m_form->txtCode);
    QTest::keyClick(m_form->txtCode, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtName);
}

void TestFormBase::enterDoesNotClickAButton() {
    m_form->cmdOk->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_form->cmdOk);
    QTest::keyClick(m_form->cmdOk, Qt::Key_Return);
    QCOMPARE(m_form->okClicks, 0);
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtLast);
    // Space still presses it.
    m_form->cmdOk->setFocus();
    QTest::keyClick(m_form->cmdOk, Qt::Key_Space);
    QCOMPARE(m_form->okClicks, 1);
}

void TestFormBase::tabFollowsTabIndex() {
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtCode);
    QStringList order;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, (QStringList{u"txtName"_s, u"txtSuu"_s, u"cmdOk"_s, u"txtLast"_s}));
    // Not a tab stop: skipped by Tab, still reachable by code.
    setTabStop(m_form->txtName, false);
    m_form->txtCode->setFocus();
    QTest::keyClick(m_form->txtCode, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), m_form->txtSuu);
}

void TestFormBase::functionKeysOnlyWhileEnabled() {
    KeySpy spy;
    m_form->txtSuu->installEventFilter(&spy);
    m_form->txtSuu->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtSuu);
    // Focus on the quantity: "1001-1101-0001".
    QVERIFY(!m_form->isToolbarEnabled(2));
    QTest::keyClick(m_form->txtSuu, Qt::Key_F2);
    QTest::keyClick(m_form->txtSuu, Qt::Key_F5);
    QTest::keyClick(m_form->txtSuu, Qt::Key_F7);
    QTest::keyClick(m_form->txtSuu, Qt::Key_F12);
    QCOMPARE(m_form->keys, (QList<int>{5, 12}));
    // Consumed either way: the box never saw them.
    QVERIFY(spy.pressed.isEmpty());
    m_form->txtCode->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtCode);
    QTest::keyClick(m_form->txtCode, Qt::Key_F2);
    QCOMPARE(m_form->keys, (QList<int>{5, 12, 2}));
    // A key sent to the form itself is previewed the same way.
    QTest::keyClick(m_form, Qt::Key_F3);
    QCOMPARE(m_form->keys, (QList<int>{5, 12, 2, 3}));
    m_form->txtSuu->removeEventFilter(&spy);
}

void TestFormBase::toolbarClickDispatches() {
    QAction* f5 = fnToolbarButton(m_form->tlbFunction(), 5);
    f5->trigger();
    QCOMPARE(m_form->keys, QList<int>{5});
    QAction* f7 = fnToolbarButton(m_form->tlbFunction(), 7);
    QVERIFY(!f7->isEnabled());
    f7->trigger();
    QCOMPARE(m_form->keys, QList<int>{5});
}

void TestFormBase::f1ShowsTheHelpPage() {
    QVERIFY(!m_form->helpWindow());
    QTest::keyClick(m_form->txtCode, Qt::Key_F1);
    QVERIFY(m_form->helpWindow());
    QTRY_VERIFY(m_form->helpWindow()->isVisible());
    auto* browser = m_form->helpWindow()->findChild<QTextBrowser*>(u"helpBrowser"_s);
    QVERIFY(browser);
    // No page of its own: the contents page.
    QVERIFY(browser->toPlainText().contains(u"入庫処理"_s));
    QCOMPARE(m_form->helpPage(), u"index"_s);
    m_form->setHelpPage(u"frmTanaden"_s);
    m_form->showHelp();
    QVERIFY(browser->toPlainText().contains(u"在庫数調整"_s));
    QVERIFY(browser->toPlainText().contains(u"F5 保存"_s));
    m_form->setHelpPage(QString());
    m_form->setHelpContext(6101);
    m_form->showHelp();
    QVERIFY(browser->toPlainText().contains(u"商品分類一覧"_s));
    QVERIFY(m_form->helpWindow()->windowTitle().contains(u"テスト画面"_s));
}

void TestFormBase::selectOnFocus() {
    m_form->txtSuu->setText(u" 1,234 "_s);
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtCode);
    QTest::keyClick(m_form->txtCode, Qt::Key_Return);
    QTest::keyClick(m_form->txtName, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtSuu);
    QCOMPARE(m_form->txtSuu->text(), u"1234"_s);
    QCOMPARE(m_form->txtSuu->selectedText(), u"1234"_s);
    // Typing replaces the selected text.
    QTest::keyClicks(m_form->txtSuu, u"5"_s);
    QCOMPARE(m_form->txtSuu->text(), u"5"_s);
}

void TestFormBase::selectOnFocusSurvivesAMouseClick() {
    m_form->txtName->setText(u"ABCDEF"_s);
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtCode);
    QTest::mouseClick(m_form->txtName, Qt::LeftButton, {}, QPoint(5, m_form->txtName->height() / 2));
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtName);
    QCOMPARE(m_form->txtName->selectedText(), u"ABCDEF"_s);
    // A click in a box that already has the focus places the cursor as usual.
    QTest::mouseClick(m_form->txtName, Qt::LeftButton, {}, QPoint(5, m_form->txtName->height() / 2));
    QCOMPARE(m_form->txtName->selectedText(), QString());
}

void TestFormBase::focusLeaveKnowsWhereTheFocusWent() {
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtCode);
    m_form->focusLog.clear();
    QTest::keyClick(m_form->txtCode, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtName);
    QCOMPARE(m_form->focusLog, (QStringList{u"leave txtCode for txtName inside"_s, u"enter txtName"_s}));
    QVERIFY(!m_form->isToolbarEnabled(2));
    // Another window takes the focus: the form is told it went outside.
    m_form->focusLog.clear();
    QWidget other;
    auto* box = new QLineEdit(&other);
    box->setObjectName(u"otherBox"_s);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    box->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), box);
    QVERIFY(!m_form->focusLog.isEmpty());
    QVERIFY(m_form->focusLog.first().startsWith(u"leave txtName for "_s));
    QVERIFY(m_form->focusLog.first().endsWith(u" outside"_s));
}

void TestFormBase::inputMethodCommitsAreFiltered() {
    m_form->txtSuu->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtSuu);
    QInputMethodEvent commit;
    commit.setCommitString(u"12ab34"_s);
    QApplication::sendEvent(m_form->txtSuu, &commit);
    QCOMPARE(m_form->txtSuu->text(), u"1234"_s);

    m_form->txtName->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtName);
    m_form->txtName->setText(u"ABCDEFGH"_s);
    m_form->txtName->setCursorPosition(8);
    QInputMethodEvent kanji;
    kanji.setCommitString(u"あい"_s);
    QApplication::sendEvent(m_form->txtName, &kanji);
    QCOMPARE(m_form->txtName->text(), u"ABCDEFGHあ"_s);
    // Escape undoes the committed text like typed text.
    QTest::keyClick(m_form->txtName, Qt::Key_Escape);
    QCOMPARE(m_form->txtName->text(), u"ABCDEFGH"_s);
}

void TestFormBase::pasteIsFiltered() {
    QApplication::clipboard()->setText(u"9a8'7"_s);
    m_form->txtSuu->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtSuu);
    QTest::keyClick(m_form->txtSuu, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_form->txtSuu->text(), u"987"_s);
    m_form->txtCode->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtCode);
    QTest::keyClick(m_form->txtCode, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(m_form->txtCode->text(), u"9a87"_s);
}

void TestFormBase::escapeDoesNotCloseAPopup() {
    TestForm popup(FormKind::Popup);
    popup.setWindowModality(Qt::ApplicationModal);
    showForm(&popup);
    QTRY_COMPARE(QApplication::focusWidget(), popup.txtCode);
    QTest::keyClick(popup.txtCode, Qt::Key_Escape);
    QTest::keyClick(&popup, Qt::Key_Escape);
    QVERIFY(popup.isVisible());
    QCOMPARE(popup.escapes, 2);
    // Enter does not press a default button either.
    popup.cmdOk->setDefault(true);
    QTest::keyClick(popup.txtLast, Qt::Key_Return);
    QCOMPARE(popup.okClicks, 0);
    QVERIFY(popup.isVisible());
}

void TestFormBase::busyGuardDropsKeysTypedMeanwhile() {
    m_form->txtName->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtName);
    {
        BusyGuard busy(m_form);
        QVERIFY(!m_form->isEnabled());
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        // Typed while the operation runs: queued, not yet delivered.
        QApplication::postEvent(m_form->txtName,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"a"_s));
        QApplication::postEvent(m_form->txtName,
                                new QKeyEvent(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, u"a"_s));
        QApplication::postEvent(m_form, new QKeyEvent(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier));
    }
    QVERIFY(m_form->isEnabled());
    QVERIFY(!QApplication::overrideCursor());
    // The field being worked has the focus again.
    QCOMPARE(QApplication::focusWidget(), m_form->txtName);
    QCoreApplication::processEvents();
    QCOMPARE(m_form->txtName->text(), QString());
    QVERIFY(m_form->keys.isEmpty());
    // Typing works again afterwards.
    QTest::keyClicks(m_form->txtName, u"b"_s);
    QCOMPARE(m_form->txtName->text(), u"b"_s);
}

void TestFormBase::openAndCloseAreLogged() {
    TempProgramDir dir;
    TestForm form;
    showForm(&form);
    QCOMPARE(dir.count(u"select count(*) from operatlog where naiyou = 'テスト画面' and kubun = 0"_s), 1);
    QCOMPARE(dir.count(u"select count(*) from operatlog where kubun = 9"_s), 0);
    QVERIFY(form.close());
    QCOMPARE(dir.count(u"select count(*) from operatlog where naiyou = 'テスト画面' and kubun = 9"_s), 1);
    QCOMPARE(form.unloads, 1);
    QVERIFY(!form.isVisible());
}

void TestFormBase::popupsDoNotLog() {
    TempProgramDir dir;
    TestForm popup(FormKind::Popup);
    showForm(&popup);
    popup.close();
    QCOMPARE(dir.count(u"select count(*) from operatlog"_s), 0);
    QCOMPARE(popup.unloads, 1);
}

void TestFormBase::screensAreWindowsAndFitTheirToolbar() {
    QVERIFY(m_form->windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(m_form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(m_form->windowType(), Qt::Window);
    TestForm popup(FormKind::Popup);
    QCOMPARE(popup.windowType(), Qt::Dialog);
    // The toolbar sits above the controls and the form is wide enough for all its buttons.
    QCOMPARE(m_form->tlbFunction()->objectName(), u"tlbFunction"_s);
    QVERIFY(m_form->body()->geometry().top() >= m_form->tlbFunction()->geometry().bottom());
    QWidget* last = m_form->tlbFunction()->widgetForAction(fnToolbarButton(m_form->tlbFunction(), 12));
    QVERIFY(last);
    QVERIFY(last->isVisible());
    QVERIFY(m_form->imlFunction.size() == 12);
}

namespace {

class KeepOpenForm : public TestForm {
public:
    bool allow = false;

protected:
    bool queryUnload() override { return allow; }
};

} // namespace

void TestFormBase::queryUnloadCanKeepTheFormOpen() {
    KeepOpenForm form;
    showForm(&form);
    QVERIFY(!form.close());
    QVERIFY(form.isVisible());
    QCOMPARE(form.unloads, 0);
    form.allow = true;
    QVERIFY(form.close());
    QCOMPARE(form.unloads, 1);
}

QTEST_MAIN(TestFormBase)
#include "tst_formbase.moc"

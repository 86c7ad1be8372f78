// The receipt entry screen worked from the keyboard on a real database.

#include "EntryDriver.h"

#include "app/basMain.h"
#include "data/Connection.h"
#include "data/basSettings.h"
#include "screens/frmPopupZaiko.h"
#include "screens/frmSiiden.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"
#include "ui/basToolbar.h"

#include <QTreeWidget>
#include <QtTest>
#include <memory>

using namespace entry;

namespace {
const int kDay = 20240105;
const QString kG12 = QStringLiteral("          12");
} // namespace

class TstSiiden : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newReceiptWritesOneRowAndLogs();
    void sameProductSameDayAsks_data();
    void sameProductSameDayAsks();
    void emptyQuantityStoresZero();
    void codeIsStoredPadded_data();
    void codeIsStoredPadded();
    void unregisteredOnLeavingCode_data();
    void unregisteredOnLeavingCode();
    void categoryIsCheckedOnLeaving_data();
    void categoryIsCheckedOnLeaving();
    void f2OnEmptyCodeShowsFirstManaged_data();
    void f2OnEmptyCodeShowsFirstManaged();
    void f3ReachesUnmanagedAndSaveIsRefused();
    void discontinuedMarkFollowsTheProduct();
    void recordAnsweredNoWritesNothing();
    void incompleteInputIsRefused_data();
    void incompleteInputIsRefused();
    void deleteResetsToToday_data();
    void deleteResetsToToday();
    void commandLinePreload_data();
    void commandLinePreload();
    void vanishedProductIsRefused();
    void rowOfAVanishedProductStillOpens();
    void leavingThePickerGoesToTheMonth();
    void cancelEmptiesQuantityAndButtonsReturnOnEdit();
    void lockedRowSaveReportsFailure();
    void lockedRowDeleteReportsFailure();
    void f4OnDatePicksFromTheList();
    void f4OnCategoryPicksFromTheCodeList();
    void f4OnCodePicksFromTheGoodsLookup();
    void keysMoveAndTabStopsFollowTheDate();
    void quantityRulesWhileFocused();
    void openAndCloseAreLogged();

private:
    void openForm();
    // Date, code (left with Enter), quantity, F5.
    void enterReceipt(int day, const QString& code, const QString& quantity);
    int logRows(int kind, const QString& detail = QString()) const;

    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<frmSiiden> m_form;
};

void TstSiiden::init() {
    gstrArgs = QStringList{QStringLiteral("1")};
    m_dir = std::make_unique<TempProgramDir>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_dir->addCategory(1, QStringLiteral("食品"));
    m_dir->addCategory(2, QStringLiteral("雑貨"));
    m_dir->addGoods(QStringLiteral("1"), QStringLiteral("りんご"), 1);
    m_dir->addGoods(QStringLiteral("12"), QStringLiteral("みかん"), 1);
    m_dir->addGoods(QStringLiteral("20"), QStringLiteral("石鹸"), 2);
    m_dir->addGoods(QStringLiteral("30"), QStringLiteral("送料"), 1, /*zkubun*/ 1);
    m_dir->addGoods(QStringLiteral("40"), QStringLiteral("旧みかん"), 1, 0, /*stop*/ 1);
}

void TstSiiden::cleanup() {
    if (m_form) m_form->close();
    m_form.reset();
    m_dialogs.reset();
    m_dir.reset();
    gstrArgs.clear();
}

void TstSiiden::openForm() {
    m_form = std::make_unique<frmSiiden>();
    m_form->setLockWait(30);
    QVERIFY(showAndActivate(m_form.get()));
}

void TstSiiden::enterReceipt(int day, const QString& code, const QString& quantity) {
    typeDate(m_form.get(), day);
    type(m_form.get(), "txtGcode", code);
    press(Qt::Key_Return); // leaves the code for the quantity
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtSuu"));
    if (!quantity.isEmpty()) QTest::keyClicks(box(m_form.get(), "txtSuu"), quantity);
    press(Qt::Key_F5);
}

int TstSiiden::logRows(int kind, const QString& detail) const {
    QString sql =
        QStringLiteral("select count(*) from operatlog where naiyou='入庫処理' and kubun=%1").arg(kind);
    if (!detail.isNull()) sql += QStringLiteral(" and syousai='%1'").arg(detail);
    return m_dir->count(sql);
}

void TstSiiden::newReceiptWritesOneRowAndLogs() {
    m_dir->addLedger(QStringLiteral("12"), 20240101, 9, 100);
    openForm();
    QCOMPARE(m_form->windowTitle(), QStringLiteral("入庫処理"));
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtBunrui")); // the date is skipped
    m_dialogs->answerMessage(MsgYes);                                      // 記録
    enterReceipt(kDay, QStringLiteral("12"), QStringLiteral("5"));

    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages.at(0).text, QStringLiteral("記録します"));
    QCOMPARE(m_dir->count("select count(*) from gdai where kubun=0"), 1);
    QCOMPARE(m_dir->scalar("select gcode||'|'||day||'|'||denno||'|'||line||'|'||suu from gdai where kubun=0"),
             kG12 + "|20240105|0|0|5.0");
    QCOMPARE(logRows(1, QStringLiteral("入庫処理:[2024/01/05][") + kG12 + "]"), 1);
    // The stock now holds the receipt, the quantity is emptied, the product stays for the next one.
    QCOMPARE(label(m_form.get(), "lblZaikoSuu")->text(), QStringLiteral("105"));
    QCOMPARE(text(m_form.get(), "txtSuu"), QString());
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("みかん"));
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtGcode"));
}

void TstSiiden::sameProductSameDayAsks_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("replacedLogs");
    QTest::newRow("yes replaces") << int(MsgYes) << "8" << 1;
    QTest::newRow("no keeps") << int(MsgNo) << "5" << 0;
}

void TstSiiden::sameProductSameDayAsks() {
    QFETCH(int, answer);
    QFETCH(QString, stored);
    QFETCH(int, replacedLogs);
    m_dir->addLedger(QStringLiteral("12"), kDay, 0, 5);
    openForm();
    m_dialogs->answerMessage(answer); // the same-day question
    m_dialogs->answerMessage(MsgYes); // 記録 (only asked after Yes)
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    QCOMPARE(text(m_form.get(), "txtSuu"), QStringLiteral("5")); // the recorded quantity is shown
    QTest::keyClicks(box(m_form.get(), "txtSuu"), QStringLiteral("8"));
    press(Qt::Key_F5);

    const MessageRequest& q = m_dialogs->messages.at(0);
    QCOMPARE(q.text, QStringLiteral("入力された商品は同日中に入庫処理がされています。再度記録しますか"));
    QCOMPARE(q.title, QStringLiteral("zanmo"));
    QCOMPARE(int(q.buttons), int(MsgButtons::YesNo));
    QCOMPARE(q.defaultButton, int(MsgNo));
    QCOMPARE(m_dir->count("select count(*) from gdai"), 1);
    QCOMPARE(m_dir->scalar("select suu from gdai"), stored);
    QCOMPARE(logRows(2), replacedLogs);
    QCOMPARE(logRows(1), 0);
    if (answer == MsgNo) {
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtGcode"));
    }
}

void TstSiiden::emptyQuantityStoresZero() {
    openForm();
    m_dialogs->answerMessage(MsgYes);
    enterReceipt(kDay, QStringLiteral("12"), QString());
    QCOMPARE(m_dir->scalar("select suu from gdai where kubun=0"), QStringLiteral("0"));
    QCOMPARE(logRows(1), 1);
}

void TstSiiden::codeIsStoredPadded_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("12") << "12";
    QTest::newRow("blanks around") << " 12 ";
}

void TstSiiden::codeIsStoredPadded() {
    QFETCH(QString, typed);
    openForm();
    m_dialogs->answerMessage(MsgYes);
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", typed);
    press(Qt::Key_Return);
    QTest::keyClicks(box(m_form.get(), "txtSuu"), QStringLiteral("1234"));
    // Saved from the toolbar this time.
    fnToolbarButton(m_form->tlbFunction(), 5)->trigger();
    QCOMPARE(m_dir->scalar("select gcode from gdai"), kG12);
    QCOMPARE(m_dir->scalar("select suu from gdai"), QStringLiteral("1234"));
}

void TstSiiden::unregisteredOnLeavingCode_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("code");
    QTest::newRow("other category") << "2"
                                    << "12";
    QTest::newRow("not stock-managed") << ""
                                       << "30";
    QTest::newRow("no such code") << ""
                                  << "99";
    QTest::newRow("apostrophe-free junk") << ""
                                          << "A-1";
}

void TstSiiden::unregisteredOnLeavingCode() {
    QFETCH(QString, category);
    QFETCH(QString, code);
    openForm();
    type(m_form.get(), "txtBunrui", category);
    type(m_form.get(), "txtGcode", code);
    press(Qt::Key_Return);
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("未登録です"));
    QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("ＰＥＬＫＯ"));
    QCOMPARE(text(m_form.get(), "txtGcode"), QString());
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QString());
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtGcode"));
}

void TstSiiden::categoryIsCheckedOnLeaving_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("name");
    QTest::newRow("known") << "2"
                           << " 2"
                           << "雑貨";
    QTest::newRow("unknown is cleared") << "7"
                                        << ""
                                        << "";
}

void TstSiiden::categoryIsCheckedOnLeaving() {
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(QString, name);
    openForm();
    type(m_form.get(), "txtBunrui", typed);
    press(Qt::Key_Return);
    QCOMPARE(text(m_form.get(), "txtBunrui"), field);
    QCOMPARE(label(m_form.get(), "lblBunruiName")->text(), name);
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TstSiiden::f2OnEmptyCodeShowsFirstManaged_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("any category") << ""
                                  << "           1"
                                  << "りんご";
    QTest::newRow("category 2") << "2"
                                << "          20"
                                << "石鹸";
}

void TstSiiden::f2OnEmptyCodeShowsFirstManaged() {
    QFETCH(QString, category);
    QFETCH(QString, code);
    QFETCH(QString, name);
    openForm();
    type(m_form.get(), "txtBunrui", category);
    type(m_form.get(), "txtGcode", QString());
    press(Qt::Key_F2);
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), name);
    // Select-on-focus shows the code trimmed and selected in the focused field.
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtGcode"));
    QCOMPARE(text(m_form.get(), "txtGcode"), code.trimmed());
    QCOMPARE(box(m_form.get(), "txtGcode")->selectedText(), code.trimmed());
    QVERIFY(m_form->isEnabled());
}

void TstSiiden::f3ReachesUnmanagedAndSaveIsRefused() {
    openForm();
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", QStringLiteral("31"));
    press(Qt::Key_F3); // no leave check: the field keeps the focus
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("送料"));
    press(Qt::Key_F2); // F2 skips goods whose stock is not managed
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("旧みかん"));
    press(Qt::Key_F3); // F3 does not
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("送料"));
    press(Qt::Key_F3);
    press(Qt::Key_F3);
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("みかん"));
    press(Qt::Key_F2);
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("石鹸"));
    press(Qt::Key_F2);
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("旧みかん"));
    press(Qt::Key_F3);
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("送料"));
    press(Qt::Key_F5);
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("入力された商品は在庫対象外です"));
    QCOMPARE(int(m_dialogs->lastMessage().buttons), int(MsgButtons::OkCancel));
    QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("zanmo"));
    QCOMPARE(m_dir->count("select count(*) from gdai"), 0);
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtGcode"));
}

void TstSiiden::discontinuedMarkFollowsTheProduct() {
    openForm();
    QLabel* stop = label(m_form.get(), "lblStop");
    QCOMPARE(stop->text(), QStringLiteral("この商品は中止商品です"));
    QVERIFY(stop->isHidden());
    type(m_form.get(), "txtGcode", QStringLiteral("40"));
    press(Qt::Key_Return);
    QVERIFY(!stop->isHidden());
    // It can still be received.
    m_dialogs->answerMessage(MsgYes);
    QTest::keyClicks(box(m_form.get(), "txtSuu"), QStringLiteral("3"));
    press(Qt::Key_F5);
    QCOMPARE(m_dir->count("select count(*) from gdai where gcode='          40'"), 1);
    type(m_form.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    QVERIFY(stop->isHidden());
}

void TstSiiden::recordAnsweredNoWritesNothing() {
    m_dir->addLedger(QStringLiteral("12"), 20240101, 0, 10);
    openForm();
    m_dialogs->answerMessage(MsgNo);
    enterReceipt(kDay, QStringLiteral("12"), QStringLiteral("5"));
    QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("記録します"));
    QCOMPARE(m_dir->count("select count(*) from gdai where day=20240105"), 0);
    QCOMPARE(logRows(1) + logRows(2), 0);
    QCOMPARE(text(m_form.get(), "txtSuu"), QString());
    QCOMPARE(label(m_form.get(), "lblZaikoSuu")->text(), QStringLiteral("10"));
}

void TstSiiden::incompleteInputIsRefused_data() {
    QTest::addColumn<bool>("clearDay");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("no day") << true << "12"
                            << "入庫日を入力してください"
                            << "txtMm";
    QTest::newRow("no code") << false << ""
                             << "商品を入力してください"
                             << "txtGcode";
}

void TstSiiden::incompleteInputIsRefused() {
    QFETCH(bool, clearDay);
    QFETCH(QString, code);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    openForm();
    if (!code.isEmpty()) {
        type(m_form.get(), "txtGcode", code);
        press(Qt::Key_Return);
    }
    if (clearDay) {
        type(m_form.get(), "txtDd", QString());
        press(Qt::Key_Backspace);
        type(m_form.get(), "txtSuu", QStringLiteral("4"));
    }
    press(Qt::Key_F5);
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->lastMessage().text, message);
    QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("zanmo"));
    QCOMPARE(int(m_dialogs->lastMessage().icon), int(MsgIcon::Exclamation));
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QCOMPARE(m_dir->count("select count(*) from gdai"), 0);
}

void TstSiiden::deleteResetsToToday_data() {
    QTest::addColumn<bool>("withRow");
    QTest::newRow("with a row") << true;
    QTest::newRow("without a row") << false;
}

void TstSiiden::deleteResetsToToday() {
    QFETCH(bool, withRow);
    if (withRow) m_dir->addLedger(QStringLiteral("12"), kDay, 0, 5);
    m_dir->addLedger(QStringLiteral("12"), kDay, 9, 50); // the count of that day is not touched
    m_dir->addLedger(QStringLiteral("12"), kDay, 1, 2, 7, 1);
    openForm();
    type(m_form.get(), "txtBunrui", QStringLiteral("1"));
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    m_dialogs->answerMessage(MsgYes);
    press(Qt::Key_F8);

    QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("削除します"));
    QCOMPARE(m_dialogs->lastMessage().defaultButton, int(MsgNo));
    QCOMPARE(m_dir->count("select count(*) from gdai where kubun=0"), 0);
    QCOMPARE(m_dir->count("select count(*) from gdai"), 2);
    QCOMPARE(logRows(3, QStringLiteral("入庫処理:[") + kG12 + "]2024/01/05"), 1);
    QCOMPARE(shownDate(m_form.get()), today());
    for (const char* name : {"txtBunrui", "txtGcode", "txtSuu"})
        QCOMPARE(text(m_form.get(), name), QString());
    for (const char* name : {"lblBunruiName", "lblGoodsName", "lblZaikoSuu"})
        QCOMPARE(label(m_form.get(), name)->text(), QString());
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtGcode"));
}

void TstSiiden::commandLinePreload_data() {
    QTest::addColumn<QString>("dayToken");
    QTest::addColumn<QString>("codeToken");
    QTest::addColumn<bool>("loads");
    QTest::newRow("recorded row") << "20240105"
                                  << "12" << true;
    QTest::newRow("no such row") << "20240106"
                                 << "12" << false;
    QTest::newRow("day 0") << "0"
                           << "12" << false;
    QTest::newRow("date not a number") << "2024/1/5"
                                       << "12" << false;
}

void TstSiiden::commandLinePreload() {
    QFETCH(QString, dayToken);
    QFETCH(QString, codeToken);
    QFETCH(bool, loads);
    m_dir->addLedger(QStringLiteral("12"), 20240101, 9, 100);
    m_dir->addLedger(QStringLiteral("12"), kDay, 0, 7);
    gstrArgs = QStringList{QStringLiteral("1"), dayToken, codeToken};
    openForm();
    if (loads) {
        QCOMPARE(shownDate(m_form.get()), kDay);
        QCOMPARE(text(m_form.get(), "txtGcode").trimmed(), QStringLiteral("12"));
        QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("みかん"));
        QCOMPARE(label(m_form.get(), "lblZaikoSuu")->text(), QStringLiteral("107"));
        QCOMPARE(text(m_form.get(), "txtSuu"), QStringLiteral("7"));
    } else {
        QCOMPARE(shownDate(m_form.get()), today());
        QCOMPARE(text(m_form.get(), "txtGcode"), QString());
        QCOMPARE(text(m_form.get(), "txtSuu"), QString());
    }
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TstSiiden::vanishedProductIsRefused() {
    openForm();
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("みかん"));
    m_dir->exec(QStringLiteral("delete from goods where code='          12'"));
    QTest::keyClicks(box(m_form.get(), "txtSuu"), QStringLiteral("5"));
    press(Qt::Key_F5);
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("未登録です"));
    QCOMPARE(m_dir->count("select count(*) from gdai"), 0);
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtGcode"));
}

void TstSiiden::rowOfAVanishedProductStillOpens() {
    m_dir->addLedger(QStringLiteral("77"), kDay, 0, 9); // its goods row was removed by the suite
    gstrArgs = QStringList{QStringLiteral("1"), QStringLiteral("20240105"), QStringLiteral("77")};
    openForm();
    QCOMPARE(shownDate(m_form.get()), kDay);
    QCOMPARE(text(m_form.get(), "txtGcode").trimmed(), QStringLiteral("77"));
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QString());
    QCOMPARE(text(m_form.get(), "txtSuu"), QStringLiteral("9"));
    // It can be deleted, but not booked again.
    m_dialogs->answerMessage(MsgYes);
    box(m_form.get(), "txtSuu")->setFocus(Qt::MouseFocusReason);
    press(Qt::Key_F5);
    QCOMPARE(m_dialogs->messages.size(), 2);
    QCOMPARE(m_dialogs->messages.at(0).text,
             QStringLiteral("入力された商品は同日中に入庫処理がされています。再度記録しますか"));
    QCOMPARE(m_dialogs->messages.at(1).text, QStringLiteral("未登録です"));
    QCOMPARE(m_dir->scalar("select suu from gdai"), QStringLiteral("9"));
    m_dialogs->answerMessage(MsgYes);
    press(Qt::Key_F8);
    QCOMPARE(m_dir->count("select count(*) from gdai"), 0);
}

void TstSiiden::leavingThePickerGoesToTheMonth() {
    openForm();
    m_form->findChild<QWidget*>(QStringLiteral("DTPicker"))->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    QCOMPARE(m_form->isToolbarEnabled(4), false);
    box(m_form.get(), "txtGcode")->setFocus(Qt::MouseFocusReason);
    QVERIFY(QTest::qWaitFor([&] { return QApplication::focusWidget() == box(m_form.get(), "txtMm"); }));
}

void TstSiiden::cancelEmptiesQuantityAndButtonsReturnOnEdit() {
    openForm();
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    QTest::keyClicks(box(m_form.get(), "txtSuu"), QStringLiteral("9"));
    auto* ok = m_form->findChild<QPushButton*>(QStringLiteral("cmdOk"));
    auto* cancel = m_form->findChild<QPushButton*>(QStringLiteral("cmdCancel"));
    m_dialogs->answerMessage(MsgYes);
    press(Qt::Key_F6);
    QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("入力項目を無効にします"));
    QCOMPARE(text(m_form.get(), "txtSuu"), QString());
    QVERIFY(!ok->isEnabled());
    QVERIFY(!cancel->isEnabled());
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtGcode"));
    type(m_form.get(), "txtSuu", QStringLiteral("4"));
    QVERIFY(ok->isEnabled());
    QVERIFY(cancel->isEnabled());
    m_dialogs->answerMessage(MsgYes);
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(m_dir->scalar("select suu from gdai"), QStringLiteral("4"));
}

void TstSiiden::lockedRowSaveReportsFailure() {
    openForm();
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    QTest::keyClicks(box(m_form.get(), "txtSuu"), QStringLiteral("5"));

    // Eleven attempts, each waiting briefly for the lock, give up within about ten seconds.
    QVERIFY(frmSiiden().lockWait() * 11 <= 10000);
    // Another program of the suite holds the write lock for the whole save.
    Connection other;
    other.Open(fnConnectString(0, QStringLiteral("data1.dat")));
    other.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    m_dialogs->answerMessage(MsgYes);
    press(Qt::Key_F5);
    other.RollbackTrans();

    QCOMPARE(m_dialogs->messages.size(), 2);
    const MessageRequest& error = m_dialogs->lastMessage();
    QVERIFY2(error.text.startsWith(QStringLiteral("記録に失敗しました！")), qPrintable(error.text));
    QCOMPARE(m_dir->count("select count(*) from gdai"), 0);
    QCOMPARE(logRows(1) + logRows(2), 0);
    QCOMPARE(text(m_form.get(), "txtSuu").remove(QLatin1Char(',')), QStringLiteral("5"));
    QCOMPARE(text(m_form.get(), "txtGcode").trimmed(), QStringLiteral("12"));
    QVERIFY(m_form->isEnabled());

    // Once the lock is gone the same input saves.
    m_dialogs->answerMessage(MsgYes);
    press(Qt::Key_F5);
    QCOMPARE(m_dir->scalar("select suu from gdai"), QStringLiteral("5"));
}

void TstSiiden::lockedRowDeleteReportsFailure() {
    m_dir->addLedger(QStringLiteral("12"), kDay, 0, 5);
    openForm();
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    Connection other;
    other.Open(fnConnectString(0, QStringLiteral("data1.dat")));
    other.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    m_dialogs->answerMessage(MsgYes);
    press(Qt::Key_F8);
    other.RollbackTrans();

    QVERIFY(m_dialogs->lastMessage().text.startsWith(QStringLiteral("削除に失敗しました！")));
    QCOMPARE(m_dir->count("select count(*) from gdai"), 1);
    QCOMPARE(logRows(3), 0);
    QCOMPARE(shownDate(m_form.get()), kDay);
    QCOMPARE(text(m_form.get(), "txtGcode").trimmed(), QStringLiteral("12"));
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("みかん"));
}

void TstSiiden::f4OnDatePicksFromTheList() {
    m_dir->addLedger(QStringLiteral("1"), 20240103, 0, 4);
    m_dir->addLedger(QStringLiteral("12"), kDay, 0, 6);
    m_dir->addLedger(QStringLiteral("12"), 20240104, 9, 60); // a count is not listed here
    openForm();
    type(m_form.get(), "txtSuu", QString());
    int rows = -1;
    QString caption;
    onNextModal([&](QWidget* modal) {
        auto* popup = qobject_cast<frmPopupZaiko*>(modal);
        QVERIFY(popup);
        caption = popup->windowTitle();
        QTest::mouseClick(popup->findChild<QPushButton*>(QStringLiteral("cmdFind")), Qt::LeftButton);
        QTreeWidget* list = popup->listView();
        rows = list->topLevelItemCount();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
    });
    press(Qt::Key_F4);
    QCOMPARE(caption, QStringLiteral("入庫処理一覧"));
    QCOMPARE(rows, 2);
    QCOMPARE(shownDate(m_form.get()), kDay);
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("みかん"));
    QCOMPARE(text(m_form.get(), "txtSuu"), QStringLiteral("6"));
}

// Chooses the row whose first column, trimmed, is `key` in a popup's list and presses Enter on it.
static void chooseInList(QWidget* popup, const QString& key) {
    auto* list = popup->findChild<QTreeWidget*>(QStringLiteral("ListView"));
    QVERIFY(list);
    // The list loads when the popup first shows; it is ready once the popup is enabled again.
    QVERIFY(QTest::qWaitFor([&] { return list->topLevelItemCount() > 0 && popup->isEnabled(); }));
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(0).trimmed() == key) {
            list->setCurrentItem(list->topLevelItem(i));
            list->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(list, Qt::Key_Return);
            return;
        }
    }
    QFAIL(qPrintable("no row " + key));
}

void TstSiiden::f4OnCategoryPicksFromTheCodeList() {
    openForm();
    type(m_form.get(), "txtBunrui", QString());
    QString title;
    // The code list loads when it first shows; it is ready once it is enabled again with its rows.
    onNextModal(
        [&](QWidget* popup) {
            title = popup->windowTitle();
            chooseInList(popup, QStringLiteral("2"));
        },
        [](QWidget* popup) {
            auto* list = popup->findChild<QTreeWidget*>(QStringLiteral("ListView"));
            return popup->isEnabled() && list && list->topLevelItemCount() > 0;
        });
    press(Qt::Key_F4);
    // Back on the screen as the window manager would activate it after the popup.
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QCOMPARE(title, QStringLiteral("商品分類一覧"));
    QCOMPARE(text(m_form.get(), "txtBunrui"), QStringLiteral("2")); // selected on the focused field
    QCOMPARE(label(m_form.get(), "lblBunruiName")->text(), QStringLiteral("雑貨"));
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtBunrui"));
}

void TstSiiden::f4OnCodePicksFromTheGoodsLookup() {
    m_dir->addLedger(QStringLiteral("20"), kDay, 0, 11);
    openForm();
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", QString());
    QString name;
    onNextModal([&](QWidget* popup) {
        name = popup->objectName();
        QTest::mouseClick(popup->findChild<QPushButton*>(QStringLiteral("cmdFind")), Qt::LeftButton);
        chooseInList(popup, QStringLiteral("20"));
    });
    press(Qt::Key_F4);
    // Back on the screen as the window manager would activate it after the popup.
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QCOMPARE(name, QStringLiteral("frmPopupGoods"));
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("石鹸"));
    QCOMPARE(text(m_form.get(), "txtSuu"), QStringLiteral("11")); // the recorded receipt of that day
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtGcode"));
}

void TstSiiden::keysMoveAndTabStopsFollowTheDate() {
    openForm();
    QWidget* yy = box(m_form.get(), "txtYy");
    // The date is skipped at the start; once in the category the date fields become tab stops.
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtBunrui"));
    QVERIFY(yy->focusPolicy() & Qt::TabFocus);
    QVERIFY(!(m_form->findChild<QWidget*>(QStringLiteral("DTPicker"))->focusPolicy() & Qt::TabFocus));
    press(Qt::Key_Up); // the category makes the date fields tab stops
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtDd"));
    press(Qt::Key_Up);
    press(Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), yy);
    QCOMPARE(m_form->isToolbarEnabled(2), false); // date fields: no browsing
    QCOMPARE(m_form->isToolbarEnabled(4), true);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    press(Qt::Key_Down); // the picker is no tab stop
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtBunrui"));
    QCOMPARE(m_form->isToolbarEnabled(2), true);
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOk"));
    QCOMPARE(m_form->isToolbarEnabled(4), false);
    QCOMPARE(m_form->isToolbarEnabled(5), true);
    // Escape puts back what the box held before typing.
    type(m_form.get(), "txtGcode", QStringLiteral("1"));
    QTest::keyClicks(box(m_form.get(), "txtGcode"), QStringLiteral("23"));
    press(Qt::Key_Escape);
    QCOMPARE(text(m_form.get(), "txtGcode"), QString());
}

void TstSiiden::quantityRulesWhileFocused() {
    openForm();
    QLineEdit* suu = box(m_form.get(), "txtSuu");
    type(m_form.get(), "txtSuu", QStringLiteral("12a,3456789"));
    QCOMPARE(suu->text(), QStringLiteral("123456")); // digits only, six of them
    press(Qt::Key_Return);
    QCOMPARE(suu->text(), QStringLiteral("123,456"));
    type(m_form.get(), "txtSuu", QString());
    QCOMPARE(suu->text(), QStringLiteral("123456"));
    QCOMPARE(suu->selectedText(), QStringLiteral("123456"));
}

void TstSiiden::openAndCloseAreLogged() {
    openForm();
    QCOMPARE(logRows(0, QString()), 1);
    press(Qt::Key_F12);
    QVERIFY(!m_form->isVisible());
    QCOMPARE(logRows(9, QString()), 1);
    m_form.reset();
    QCOMPARE(logRows(9, QString()), 1);
}

QTEST_MAIN(TstSiiden)
#include "tst_siiden.moc"

// The stock-count screen: the same screen as the receipt entry with kind 9 and its own texts.

#include "EntryDriver.h"

#include "app/basMain.h"
#include "screens/frmPopupZaiko.h"
#include "screens/frmSiiden.h"
#include "screens/frmTanaden.h"
#include "stock/basStock.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include <QTreeWidget>
#include <QtTest>
#include <memory>

using namespace entry;

namespace {
const int kDay = 20240105;
const QString kG12 = QStringLiteral("          12");
} // namespace

class TstTanaden : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void textsOfTheScreen();
    void countOverLedgerStockRestartsTheStock();
    void sameDayCountAsks_data();
    void sameDayCountAsks();
    void countOfZeroIsARow();
    void receiptAndCountStaySeparate();
    void deleteRemovesOnlyTheCount();
    void incompleteDateAsksForTheAdjustmentDate();
    void unmanagedProductIsRefused();
    void commandLineOpensTheCount();
    void f4ListsCountsOnly();

private:
    void openForm();
    void enterCount(int day, const QString& code, const QString& quantity);
    int logRows(int kind, const QString& detail = QString()) const;

    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<frmTanaden> m_form;
};

void TstTanaden::init() {
    gstrArgs = QStringList{QStringLiteral("2")};
    m_dir = std::make_unique<TempProgramDir>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_dir->addCategory(1, QStringLiteral("食品"));
    m_dir->addGoods(QStringLiteral("12"), QStringLiteral("みかん"), 1);
    m_dir->addGoods(QStringLiteral("30"), QStringLiteral("送料"), 1, /*zkubun*/ 1);
}

void TstTanaden::cleanup() {
    if (m_form) m_form->close();
    m_form.reset();
    m_dialogs.reset();
    m_dir.reset();
    gstrArgs.clear();
}

void TstTanaden::openForm() {
    m_form = std::make_unique<frmTanaden>();
    m_form->setLockWait(30);
    QVERIFY(showAndActivate(m_form.get()));
}

void TstTanaden::enterCount(int day, const QString& code, const QString& quantity) {
    typeDate(m_form.get(), day);
    type(m_form.get(), "txtGcode", code);
    press(Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtSuu"));
    if (!quantity.isEmpty()) QTest::keyClicks(box(m_form.get(), "txtSuu"), quantity);
    press(Qt::Key_F5);
}

int TstTanaden::logRows(int kind, const QString& detail) const {
    QString sql =
        QStringLiteral("select count(*) from operatlog where naiyou='在庫数調整' and kubun=%1").arg(kind);
    if (!detail.isNull()) sql += QStringLiteral(" and syousai='%1'").arg(detail);
    return m_dir->count(sql);
}

void TstTanaden::textsOfTheScreen() {
    openForm();
    QCOMPARE(m_form->windowTitle(), QStringLiteral("在庫数調整"));
    QCOMPARE(label(m_form.get(), "lblDay")->text(), QStringLiteral("調整日"));
    QCOMPARE(box(m_form.get(), "txtYy")->toolTip(), QStringLiteral("調整日を入力します"));
    QCOMPARE(label(m_form.get(), "lblSuu")->text(), QStringLiteral("現在庫数"));
    QCOMPARE(box(m_form.get(), "txtSuu")->toolTip(), QStringLiteral("現在の在庫数を入力します"));
    QCOMPARE(label(m_form.get(), "lblZaiko")->text(), QStringLiteral("システム現在庫数"));
    QCOMPARE(m_form->metaObject()->className(), "frmTanaden");
}

void TstTanaden::countOverLedgerStockRestartsTheStock() {
    m_dir->addLedger(QStringLiteral("12"), 20240102, 0, 130);
    m_dir->addLedger(QStringLiteral("12"), 20240103, 1, 30, 11, 1);
    m_dir->addLedger(QStringLiteral("12"), 20240106, 0, 3);
    openForm();
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    QCOMPARE(label(m_form.get(), "lblZaikoSuu")->text(), QStringLiteral("100"));
    m_dialogs->answerMessage(MsgYes);
    QTest::keyClicks(box(m_form.get(), "txtSuu"), QStringLiteral("120"));
    press(Qt::Key_F5);

    QCOMPARE(m_dir->scalar("select gcode||'|'||day||'|'||kubun||'|'||denno||'|'||line||'|'||suu from gdai "
                           "where kubun=9"),
             kG12 + "|20240105|9|0|0|120.0");
    QCOMPARE(logRows(1, QStringLiteral("在庫数調整:[2024/01/05][") + kG12 + "]"), 1);
    // The day's own count is not the starting point of the stock shown for that day.
    QCOMPARE(label(m_form.get(), "lblZaikoSuu")->text(), QStringLiteral("100"));
    QCOMPARE(fnGetStock(kG12, kDay), 120);
    QCOMPARE(fnGetStock(kG12, 20240106), 123);
    // On the next day the count is where the stock starts.
    type(m_form.get(), "txtDd", QStringLiteral("6"));
    box(m_form.get(), "txtGcode")->setFocus(Qt::MouseFocusReason);
    press(Qt::Key_Return);
    QCOMPARE(label(m_form.get(), "lblZaikoSuu")->text(), QStringLiteral("123"));
}

void TstTanaden::sameDayCountAsks_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("stored");
    QTest::newRow("yes replaces") << int(MsgYes) << "80";
    QTest::newRow("no keeps") << int(MsgNo) << "50";
}

void TstTanaden::sameDayCountAsks() {
    QFETCH(int, answer);
    QFETCH(QString, stored);
    m_dir->addLedger(QStringLiteral("12"), kDay, 9, 50);
    openForm();
    m_dialogs->answerMessage(answer);
    m_dialogs->answerMessage(MsgYes);
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    QCOMPARE(text(m_form.get(), "txtSuu"), QStringLiteral("50"));
    QTest::keyClicks(box(m_form.get(), "txtSuu"), QStringLiteral("80"));
    press(Qt::Key_F5);
    QCOMPARE(m_dialogs->messages.at(0).text,
             QStringLiteral("入力された商品は同日中に在庫数調整がされています。再度記録しますか"));
    QCOMPARE(m_dir->count("select count(*) from gdai"), 1);
    QCOMPARE(m_dir->scalar("select suu from gdai"), stored);
    QCOMPARE(logRows(2), answer == MsgYes ? 1 : 0);
}

void TstTanaden::countOfZeroIsARow() {
    m_dir->addLedger(QStringLiteral("12"), 20240102, 0, 10);
    openForm();
    m_dialogs->answerMessage(MsgYes);
    enterCount(kDay, QStringLiteral("12"), QStringLiteral("0"));
    QCOMPARE(m_dir->count("select count(*) from gdai where kubun=9 and suu=0"), 1);
    QCOMPARE(fnGetStock(kG12, kDay), 0);
}

void TstTanaden::receiptAndCountStaySeparate() {
    gstrArgs = QStringList{QStringLiteral("1")};
    {
        frmSiiden receipt;
        receipt.setLockWait(30);
        QVERIFY(showAndActivate(&receipt));
        m_dialogs->answerMessage(MsgYes);
        typeDate(&receipt, kDay);
        type(&receipt, "txtGcode", QStringLiteral("12"));
        press(Qt::Key_Return);
        QTest::keyClicks(box(&receipt, "txtSuu"), QStringLiteral("5"));
        press(Qt::Key_F5);
        receipt.close();
    }
    openForm();
    m_dialogs->clear();
    m_dialogs->answerMessage(MsgYes);
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    QCOMPARE(text(m_form.get(), "txtSuu"), QString()); // the receipt is not this screen's row
    QTest::keyClicks(box(m_form.get(), "txtSuu"), QStringLiteral("50"));
    press(Qt::Key_F5);
    // No same-day question: only the confirmation was asked.
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages.at(0).text, QStringLiteral("記録します"));
    QCOMPARE(
        m_dir->scalar("select group_concat(kubun||':'||suu, ',') from (select * from gdai order by kubun)"),
        QStringLiteral("0:5.0,9:50.0"));
}

void TstTanaden::deleteRemovesOnlyTheCount() {
    m_dir->addLedger(QStringLiteral("12"), kDay, 0, 5);
    m_dir->addLedger(QStringLiteral("12"), kDay, 9, 50);
    openForm();
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    m_dialogs->answerMessage(MsgYes);
    press(Qt::Key_F8);
    QCOMPARE(m_dir->scalar("select group_concat(kubun) from gdai"), QStringLiteral("0"));
    QCOMPARE(logRows(3, QStringLiteral("在庫数調整:[") + kG12 + "]2024/01/05"), 1);
    QCOMPARE(shownDate(m_form.get()), today());
}

void TstTanaden::incompleteDateAsksForTheAdjustmentDate() {
    openForm();
    type(m_form.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    type(m_form.get(), "txtMm", QString());
    press(Qt::Key_Backspace);
    press(Qt::Key_F5);
    QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("調整日を入力してください"));
    QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("zanmo"));
    QCOMPARE(QApplication::focusWidget(), box(m_form.get(), "txtMm"));
    QCOMPARE(m_dir->count("select count(*) from gdai"), 0);
}

void TstTanaden::unmanagedProductIsRefused() {
    openForm();
    typeDate(m_form.get(), kDay);
    type(m_form.get(), "txtGcode", QStringLiteral("31"));
    press(Qt::Key_F3);
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("送料"));
    press(Qt::Key_F5);
    QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("入力された商品は在庫対象外です"));
    QCOMPARE(m_dir->count("select count(*) from gdai"), 0);
}

void TstTanaden::commandLineOpensTheCount() {
    m_dir->addLedger(QStringLiteral("12"), kDay, 0, 5);
    m_dir->addLedger(QStringLiteral("12"), kDay, 9, 42);
    gstrArgs = QStringList{QStringLiteral("2"), QStringLiteral("20240105"), QStringLiteral("12")};
    openForm();
    QCOMPARE(shownDate(m_form.get()), kDay);
    QCOMPARE(text(m_form.get(), "txtSuu"), QStringLiteral("42"));
    QCOMPARE(label(m_form.get(), "lblGoodsName")->text(), QStringLiteral("みかん"));
}

void TstTanaden::f4ListsCountsOnly() {
    m_dir->addLedger(QStringLiteral("12"), 20240103, 0, 4);
    m_dir->addLedger(QStringLiteral("12"), kDay, 9, 77);
    openForm();
    type(m_form.get(), "txtMm", QString());
    QStringList listed;
    onNextModal([&](QWidget* modal) {
        auto* popup = qobject_cast<frmPopupZaiko*>(modal);
        QVERIFY(popup);
        QCOMPARE(popup->windowTitle(), QStringLiteral("在庫数調整一覧"));
        QTest::mouseClick(popup->findChild<QPushButton*>(QStringLiteral("cmdFind")), Qt::LeftButton);
        QTreeWidget* list = popup->listView();
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            listed << list->topLevelItem(i)->text(0) + " " + list->topLevelItem(i)->text(3);
        const QRect r = list->visualItemRect(list->topLevelItem(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    });
    press(Qt::Key_F4);
    QCOMPARE(listed, QStringList{QStringLiteral("2024/01/05 77")});
    QCOMPARE(shownDate(m_form.get()), kDay);
    QCOMPARE(text(m_form.get(), "txtSuu"), QStringLiteral("77"));
}

QTEST_MAIN(TstTanaden)
#include "tst_tanaden.moc"

// The receipt / count list popup: search, list, sort, pick, clear and close.

#include "EntryDriver.h"

#include "screens/frmPopupZaiko.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include <QHeaderView>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

using namespace entry;

class TstPopupZaiko : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void textsByMode_data();
    void textsByMode();
    void searchNarrowsByDateAndCode_data();
    void searchNarrowsByDateAndCode();
    void secondSearchReplacesTheList();
    void noRowsSaysSo();
    void pickHandsBackDayAndCode_data();
    void pickHandsBackDayAndCode();
    void closeWithoutPick();
    void headerClickSorts();
    void yearIsCompletedOnLeaving_data();
    void yearIsCompletedOnLeaving();
    void cancelClearsTheConditions();
    void goodsCodeIsCheckedOnLeaving();
    void focusStartsInTheYear();
    void browsingFillsCodeAndNameOnly();

private:
    void openPopup(int mode);
    void find();
    QStringList rows() const;

    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<frmPopupZaiko> m_popup;
};

void TstPopupZaiko::init() {
    m_dir = std::make_unique<TempProgramDir>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_dir->addCategory(1, QStringLiteral("食品"));
    m_dir->addCategory(2, QStringLiteral("雑貨"));
    m_dir->addGoods(QStringLiteral("12"), QStringLiteral("みかん"), 1);
    m_dir->addGoods(QStringLiteral("7"), QStringLiteral("石鹸"), 2);
    m_dir->addLedger(QStringLiteral("12"), 20240110, 0, 1500);
    m_dir->addLedger(QStringLiteral("7"), 20240103, 0, 20);
    m_dir->addLedger(QStringLiteral("12"), 20240103, 0, 3);
    m_dir->addLedger(QStringLiteral("12"), 20240105, 9, 77);
    m_dir->addLedger(QStringLiteral("12"), 20240104, 1, 2, 31, 1);
}

void TstPopupZaiko::cleanup() {
    m_popup.reset();
    m_dialogs.reset();
    m_dir.reset();
}

void TstPopupZaiko::openPopup(int mode) {
    m_popup = std::make_unique<frmPopupZaiko>();
    m_popup->setMode(mode);
    QVERIFY(showAndActivate(m_popup.get()));
}

void TstPopupZaiko::find() {
    QTest::mouseClick(m_popup->findChild<QPushButton*>(QStringLiteral("cmdFind")), Qt::LeftButton);
}

QStringList TstPopupZaiko::rows() const {
    QStringList out;
    QTreeWidget* list = m_popup->listView();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            cells << list->topLevelItem(i)->text(c);
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

void TstPopupZaiko::textsByMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("headers");
    QTest::newRow("receipts") << 0 << "入庫処理一覧"
                              << QStringList{"入庫日", "商品コード", "商品名", "入庫数"};
    QTest::newRow("counts") << 9 << "在庫数調整一覧"
                            << QStringList{"調整日", "商品コード", "商品名", "調整数"};
}

void TstPopupZaiko::textsByMode() {
    QFETCH(int, mode);
    QFETCH(QString, caption);
    QFETCH(QStringList, headers);
    openPopup(mode);
    QCOMPARE(m_popup->windowTitle(), caption);
    QCOMPARE(label(m_popup.get(), "lblDay")->text(), headers.first());
    QTreeWidgetItem* h = m_popup->listView()->headerItem();
    QStringList shown;
    for (int c = 0; c < m_popup->listView()->columnCount(); ++c)
        shown << h->text(c);
    QCOMPARE(shown, headers);
    QVERIFY(h->textAlignment(3) & Qt::AlignRight);
}

void TstPopupZaiko::searchNarrowsByDateAndCode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("day");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("expected");
    const QString r3a = QStringLiteral("2024/01/03|7|石鹸|20");
    const QString r3b = QStringLiteral("2024/01/03|12|みかん|3");
    const QString r10 = QStringLiteral("2024/01/10|12|みかん|1,500");
    QTest::newRow("everything, oldest first") << 0 << 0 << ""
                                              << "" << QStringList{r3a, r3b, r10};
    QTest::newRow("one day") << 0 << 20240103 << ""
                             << "" << QStringList{r3a, r3b};
    QTest::newRow("one product") << 0 << 0 << ""
                                 << "12" << QStringList{r3b, r10};
    QTest::newRow("day and product") << 0 << 20240103 << ""
                                     << "12" << QStringList{r3b};
    QTest::newRow("category does not narrow") << 0 << 0 << "2"
                                              << "" << QStringList{r3a, r3b, r10};
    QTest::newRow("counts") << 9 << 0 << ""
                            << "" << QStringList{QStringLiteral("2024/01/05|12|みかん|77")};
}

void TstPopupZaiko::searchNarrowsByDateAndCode() {
    QFETCH(int, mode);
    QFETCH(int, day);
    QFETCH(QString, category);
    QFETCH(QString, code);
    QFETCH(QStringList, expected);
    openPopup(mode);
    if (day) typeDate(m_popup.get(), day, "txtGcode");
    if (!category.isEmpty()) {
        type(m_popup.get(), "txtBunrui", category);
        box(m_popup.get(), "txtGcode")->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        QCOMPARE(label(m_popup.get(), "lblBunruiName")->text(), QStringLiteral("雑貨"));
    }
    if (!code.isEmpty()) {
        type(m_popup.get(), "txtGcode", code);
        press(Qt::Key_Return); // to the search button
    }
    find();
    QCOMPARE(rows(), expected);
    QVERIFY(m_dialogs->messages.isEmpty());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_popup->listView()));
    QCOMPARE(m_popup->listView()->currentItem(), m_popup->listView()->topLevelItem(0));
}

void TstPopupZaiko::secondSearchReplacesTheList() {
    openPopup(0);
    find();
    QCOMPARE(rows().size(), 3);
    type(m_popup.get(), "txtGcode", QStringLiteral("7"));
    press(Qt::Key_Return);
    find();
    QCOMPARE(rows(), QStringList{QStringLiteral("2024/01/03|7|石鹸|20")});
}

void TstPopupZaiko::noRowsSaysSo() {
    openPopup(0);
    typeDate(m_popup.get(), 20230101, "txtGcode");
    find();
    QCOMPARE(rows(), QStringList());
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("該当データがありません"));
    QVERIFY(!m_popup->hasRows());
    // Picking and sorting do nothing on an empty list.
    m_popup->listView()->setFocus();
    press(Qt::Key_Return);
    QCOMPARE(m_popup->FindDay, 0);
    QVERIFY(m_popup->isVisible());
}

void TstPopupZaiko::pickHandsBackDayAndCode_data() {
    QTest::addColumn<bool>("byEnter");
    QTest::newRow("double-click") << false;
    QTest::newRow("enter") << true;
}

void TstPopupZaiko::pickHandsBackDayAndCode() {
    QFETCH(bool, byEnter);
    openPopup(0);
    find();
    QTreeWidget* list = m_popup->listView();
    if (byEnter) {
        press(Qt::Key_Down);
        press(Qt::Key_Return);
    } else {
        QTreeWidgetItem* item = list->topLevelItem(1);
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    QCOMPARE(m_popup->FindDay, 20240103);
    QCOMPARE(m_popup->FindGcode, QStringLiteral("12"));
    QVERIFY(!m_popup->isVisible());
}

void TstPopupZaiko::closeWithoutPick() {
    openPopup(9);
    find();
    press(Qt::Key_F12);
    QVERIFY(!m_popup->isVisible());
    QCOMPARE(m_popup->FindDay, 0);
    QCOMPARE(m_popup->FindGcode, QString());
}

void TstPopupZaiko::headerClickSorts() {
    openPopup(0);
    QHeaderView* header = m_popup->listView()->header();
    auto clickHeader = [&](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    clickHeader(3); // nothing listed yet: nothing to sort
    find();
    clickHeader(3); // by quantity, as text
    QCOMPARE(rows(),
             (QStringList{QStringLiteral("2024/01/10|12|みかん|1,500"),
                          QStringLiteral("2024/01/03|7|石鹸|20"), QStringLiteral("2024/01/03|12|みかん|3")}));
    clickHeader(1); // codes as text: "12" before "7"
    QStringList codes;
    for (const QString& r : rows())
        codes << r.section(QLatin1Char('|'), 1, 1);
    QCOMPARE(codes, (QStringList{"12", "12", "7"}));
}

void TstPopupZaiko::yearIsCompletedOnLeaving_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("year");
    QTest::newRow("5") << "5"
                       << "2005";
    QTest::newRow("24") << "24"
                        << "2024";
    QTest::newRow("123") << "123"
                         << "2123";
    QTest::newRow("four digits") << "1999"
                                 << "1999";
}

void TstPopupZaiko::yearIsCompletedOnLeaving() {
    QFETCH(QString, typed);
    QFETCH(QString, year);
    openPopup(0);
    type(m_popup.get(), "txtYy", typed);
    type(m_popup.get(), "txtMm", QStringLiteral("2"));
    type(m_popup.get(), "txtDd", QStringLiteral("3"));
    press(Qt::Key_Return); // to the goods code
    QCOMPARE(text(m_popup.get(), "txtYy"), year);
    // The picker took the completed date.
    QCOMPARE(m_popup->findChild<QDateEdit*>(QStringLiteral("DTPicker"))->date(), QDate(year.toInt(), 2, 3));
}

void TstPopupZaiko::cancelClearsTheConditions() {
    openPopup(0);
    typeDate(m_popup.get(), 20240103, "txtGcode");
    type(m_popup.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    find();
    m_dialogs->answerMessage(MsgYes);
    press(Qt::Key_F6);
    QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("入力項目を無効にします"));
    for (const char* name : {"txtYy", "txtMm", "txtDd", "txtBunrui", "txtGcode"})
        QCOMPARE(text(m_popup.get(), name), QString());
    QCOMPARE(label(m_popup.get(), "lblGoodsName")->text(), QString());
    QCOMPARE(QApplication::focusWidget(), box(m_popup.get(), "txtYy"));
    QCOMPARE(rows().size(), 1); // the list keeps its rows
}

void TstPopupZaiko::goodsCodeIsCheckedOnLeaving() {
    openPopup(0);
    type(m_popup.get(), "txtGcode", QStringLiteral("12"));
    press(Qt::Key_Return);
    QCOMPARE(label(m_popup.get(), "lblGoodsName")->text(), QStringLiteral("みかん"));
    type(m_popup.get(), "txtGcode", QStringLiteral("99"));
    press(Qt::Key_Return);
    QCOMPARE(m_dialogs->lastMessage().text, QStringLiteral("未登録です"));
    QCOMPARE(text(m_popup.get(), "txtGcode"), QString());
    QCOMPARE(label(m_popup.get(), "lblGoodsName")->text(), QString());
}

void TstPopupZaiko::focusStartsInTheYear() {
    openPopup(0);
    QCOMPARE(QApplication::focusWidget(), box(m_popup.get(), "txtYy"));
    for (const char* name : {"txtYy", "txtMm", "txtDd", "txtBunrui", "txtGcode"})
        QCOMPARE(text(m_popup.get(), name), QString());
    QVERIFY(!m_popup->findChild<QToolBar*>(QStringLiteral("tlbFunction"))->actions().isEmpty());
    QCOMPARE(m_dir->count("select count(*) from operatlog"), 0); // this popup writes no log
}

void TstPopupZaiko::browsingFillsCodeAndNameOnly() {
    m_dir->addGoods(QStringLiteral("3"), QStringLiteral("送料"), 1, /*zkubun*/ 1);
    openPopup(0);
    type(m_popup.get(), "txtGcode", QString());
    QVERIFY(m_popup->isToolbarEnabled(2));
    press(Qt::Key_F2); // the first stock-managed product
    QCOMPARE(text(m_popup.get(), "txtGcode"), QStringLiteral("7"));
    QCOMPARE(label(m_popup.get(), "lblGoodsName")->text(), QStringLiteral("石鹸"));
    press(Qt::Key_F2);
    QCOMPARE(text(m_popup.get(), "txtGcode"), QStringLiteral("12"));
    press(Qt::Key_F3);
    press(Qt::Key_F3); // F3 also reaches goods whose stock is not managed
    QCOMPARE(label(m_popup.get(), "lblGoodsName")->text(), QStringLiteral("送料"));
    // Categories step on their own field (the goods code is emptied first: leaving it with a code
    // whose stock is not managed would say "未登録").
    type(m_popup.get(), "txtGcode", QString());
    press(Qt::Key_Backspace);
    type(m_popup.get(), "txtBunrui", QString());
    press(Qt::Key_F2);
    QCOMPARE(label(m_popup.get(), "lblBunruiName")->text(), QStringLiteral("食品"));
    press(Qt::Key_F2);
    QCOMPARE(text(m_popup.get(), "txtBunrui"), QStringLiteral("2"));
    QCOMPARE(label(m_popup.get(), "lblBunruiName")->text(), QStringLiteral("雑貨"));
    // Date fields offer no browsing.
    type(m_popup.get(), "txtYy", QString());
    QVERIFY(!m_popup->isToolbarEnabled(2));
    QVERIFY(m_dialogs->messages.isEmpty());
}

QTEST_MAIN(TstPopupZaiko)
#include "tst_popupzaiko.moc"

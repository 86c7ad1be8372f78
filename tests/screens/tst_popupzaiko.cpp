// The receipt / count list popup: search, list, pick, clear and close.

#include "EntryDriver.h"

#include "screens/frmPopupZaiko.h"

#include <QDateEdit>
#include <QTreeWidget>
#include <QtTest>

using namespace entry;
using namespace Qt::Literals::StringLiterals;

class TstPopupZaiko : public QObject {
    Q_OBJECT
    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<frmPopupZaiko> m_popup;

    void openPopup(int mode, bool search = false) {
        m_popup = std::make_unique<frmPopupZaiko>();
        m_popup->setMode(mode);
        QVERIFY(showAndActivate(m_popup.get()));
        if (search) find();
    }
    void find() { QTest::mouseClick(m_popup->findChild<QPushButton*>(u"cmdFind"_s), Qt::LeftButton); }
    // Each listed row as its cells joined with '|', the header first.
    QStringList rows() const {
        QStringList out;
        QTreeWidget* list = m_popup->listView();
        for (int i = -1; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = i < 0 ? list->headerItem() : list->topLevelItem(i);
            QStringList cells;
            for (int c = 0; c < list->columnCount(); ++c)
                cells << item->text(c);
            out << cells.join(u'|');
        }
        return out;
    }

private slots:
    void init() {
        m_dir = std::make_unique<TempProgramDir>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dir->addCategory(1, u"食品"_s);
        m_dir->addCategory(2, u"雑貨"_s);
        m_dir->addGoods(u"12"_s, u"みかん"_s, 1);
        m_dir->addGoods(u"7"_s, u"石鹸"_s, 2);
        m_dir->addLedger(u"12"_s, 20240110, 0, 1500);
        m_dir->addLedger(u"7"_s, 20240103, 0, 20);
        m_dir->addLedger(u"12"_s, 20240103, 0, 3);
        m_dir->addLedger(u"12"_s, 20240105, 9, 77);
        m_dir->addLedger(u"12"_s, 20240104, 1, 2, 31, 1);
    }
    void cleanup() {
        m_popup.reset();
        m_dialogs.reset();
        m_dir.reset();
    }
    void searchNarrowsByDateAndCode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("expected");
        const QString in = u"入庫日|商品コード|商品名|入庫数"_s, r3a = u"2024/01/03|7|石鹸|20"_s,
                      r3b = u"2024/01/03|12|みかん|3"_s, r10 = u"2024/01/10|12|みかん|1,500"_s;
        auto row = [](const char* name, int mode, int day, QString category, QString code,
                      QStringList expected) {
            QTest::newRow(name) << mode << day << category << code << expected;
        };
        row("everything, oldest first", 0, 0, "", "", {in, r3a, r3b, r10});
        row("one day", 0, 20240103, "", "", {in, r3a, r3b});
        row("one product", 0, 0, "", "12", {in, r3b, r10});
        row("day and product", 0, 20240103, "", "12", {in, r3b});
        row("category does not narrow", 0, 0, "2", "", {in, r3a, r3b, r10});
        row("counts", 9, 0, "", "", {u"調整日|商品コード|商品名|調整数"_s, u"2024/01/05|12|みかん|77"_s});
    }
    void searchNarrowsByDateAndCode() {
        QFETCH(int, mode);
        QFETCH(int, day);
        QFETCH(QString, category);
        QFETCH(QString, code);
        QFETCH(QStringList, expected);
        openPopup(mode);
        QCOMPARE(m_popup->windowTitle(), mode == 0 ? u"入庫処理一覧"_s : u"在庫数調整一覧"_s);
        QCOMPARE(labelText(m_popup.get(), "lblDay"), expected[0].section(u'|', 0, 0));
        QVERIFY(m_popup->listView()->headerItem()->textAlignment(3) & Qt::AlignRight);
        QCOMPARE(focusName(), u"txtYy"_s);
        if (day) typeDate(m_popup.get(), day, "txtGcode");
        if (!category.isEmpty()) {
            type(m_popup.get(), "txtBunrui", category);
            box(m_popup.get(), "txtGcode")->setFocus(Qt::MouseFocusReason);
            QApplication::processEvents();
            QCOMPARE(labelText(m_popup.get(), "lblBunruiName"), u"雑貨"_s);
        }
        if (!code.isEmpty()) {
            type(m_popup.get(), "txtGcode", code);
            press(Qt::Key_Return); // to the search button
            QCOMPARE(labelText(m_popup.get(), "lblGoodsName"), u"みかん"_s);
        }
        find();
        QCOMPARE(rows(), expected);
        QVERIFY(m_dialogs->messages.isEmpty());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_popup->listView()));
        QCOMPARE(m_popup->listView()->currentItem(), m_popup->listView()->topLevelItem(0));
        QCOMPARE(m_dir->count("select count(*) from operatlog"), 0); // this popup writes no log
    }
    // A pick by Enter or double-click hands back day and code and closes; F12 closes without one;
    // an empty search says "ﾃﾞｰﾀなし" and Enter then picks nothing.
    void pickHandsBackDayAndCode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("day"); // searched for, 0 any
        QTest::addColumn<int>("how"); // Qt::Key_Return, Qt::Key_F12 or 0 for a double-click
        QTest::addColumn<int>("picked");
        QTest::newRow("receipt, double-click") << 0 << 0 << 0 << 20240103;
        QTest::newRow("receipt, enter") << 0 << 0 << int(Qt::Key_Return) << 20240103;
        QTest::newRow("count, double-click") << 9 << 0 << 0 << 20240105;
        QTest::newRow("count, enter") << 9 << 0 << int(Qt::Key_Return) << 20240105;
        QTest::newRow("F12") << 9 << 0 << int(Qt::Key_F12) << 0;
        QTest::newRow("nothing listed") << 0 << 20230101 << int(Qt::Key_Return) << 0;
    }
    void pickHandsBackDayAndCode() {
        QFETCH(int, mode);
        QFETCH(int, day);
        QFETCH(int, how);
        QFETCH(int, picked);
        openPopup(mode);
        if (day) typeDate(m_popup.get(), day, "txtGcode");
        find();
        QTreeWidget* list = m_popup->listView();
        QCOMPARE(m_popup->hasRows(), day == 0);
        QCOMPARE(m_dialogs->messages.size(), day ? 1 : 0);
        if (day) {
            QCOMPARE(m_dialogs->lastMessage().text, u"該当データがありません"_s);
            QCOMPARE(rows().size(), 1);
            list->setFocus();
        }
        const int row = mode == 0 ? 1 : 0; // the second receipt, the only count
        if (how) {
            if (row && how == Qt::Key_Return) press(Qt::Key_Down);
            press(Qt::Key(how));
        } else {
            const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        }
        QCOMPARE(m_popup->FindDay, picked);
        QCOMPARE(m_popup->FindGcode, picked ? u"12"_s : QString());
        QCOMPARE(m_popup->isVisible(), day != 0);
    }
    void yearIsCompletedOnLeaving_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("year");
        for (auto [typed, year] : {std::pair{"5", 2005}, {"24", 2024}, {"123", 2123}, {"1999", 1999}})
            QTest::newRow(typed) << QString::fromLatin1(typed) << year;
    }
    void yearIsCompletedOnLeaving() {
        QFETCH(QString, typed);
        QFETCH(int, year);
        openPopup(0);
        type(m_popup.get(), "txtYy", typed);
        type(m_popup.get(), "txtMm", u"2"_s);
        type(m_popup.get(), "txtDd", u"3"_s);
        press(Qt::Key_Return); // to the goods code
        QCOMPARE(text(m_popup.get(), "txtYy"), QString::number(year));
        // The picker took the completed date.
        QCOMPARE(m_popup->findChild<QDateEdit*>(u"DTPicker"_s)->date(), QDate(year, 2, 3));
    }
    void f6ClearsTheConditions() {
        openPopup(0);
        typeDate(m_popup.get(), 20240103, "txtGcode");
        type(m_popup.get(), "txtGcode", u"12"_s);
        press(Qt::Key_Return);
        find();
        m_dialogs->answerMessage(MsgYes);
        press(Qt::Key_F6);
        QCOMPARE(m_dialogs->lastMessage().text, u"入力項目を無効にします"_s);
        for (const char* name : {"txtYy", "txtMm", "txtDd", "txtBunrui", "txtGcode"})
            QCOMPARE(text(m_popup.get(), name), QString());
        QCOMPARE(labelText(m_popup.get(), "lblGoodsName"), QString());
        QCOMPARE(focusName(), u"txtYy"_s);
        QCOMPARE(rows().size(), 2); // the list keeps its rows
    }
};

QTEST_MAIN(TstPopupZaiko)
#include "tst_popupzaiko.moc"

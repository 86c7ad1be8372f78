// The stock-count screen: the same screen as the receipt entry with kind 9 and its own texts.

#include "EntryDriver.h"

#include "screens/frmPopupZaiko.h"
#include "screens/frmSiiden.h"
#include "screens/frmTanaden.h"
#include "stock/basStock.h"

#include <QTimer>
#include <QtTest>
#include <functional>

using namespace entry;
using namespace Qt::Literals::StringLiterals;

class TstTanaden : public QObject {
    Q_OBJECT
    std::unique_ptr<EntryBench<frmTanaden>> b;
    QWidget* form() const { return b->form.get(); }

    // A receipt and a count of one goods and day, opened on screen F from the command line; F8
    // removes that screen's row only.
    template <class F> void deleteOwnKind(const QString& screen, const QString& left) {
        EntryBench<F> e(screen);
        e.dir.addLedger(u"12"_s, kDay, 0, 5);
        e.dir.addLedger(u"12"_s, kDay, 9, 50);
        e.dir.addLedger(u"12"_s, kDay, 1, 2, 7, 1);
        gstrArgs << QString::number(kDay) << u"12"_s;
        e.open();
        QCOMPARE(shown(e.form.get()).section('|', 0, 3), u"20240105||12|みかん"_s);
        e.dialogs.answerMessage(MsgYes);
        press(Qt::Key_F8);
        QCOMPARE(e.said().text, u"削除します"_s);
        QCOMPARE(e.gdai(u"kubun,suu"_s), left);
        QCOMPARE(e.logs(3), 1);
    }

private slots:
    void init() { b = std::make_unique<EntryBench<frmTanaden>>(u"2"_s); }
    void cleanup() { b.reset(); }
    // The count is where the stock restarts from the next day on, whatever the ledger said.
    void countRestartsTheStock_data() {
        QTest::addColumn<QString>("counted");
        QTest::addColumn<QString>("nextDay"); // stock shown for the next day
        QTest::newRow("120 over a ledger stock of 100") << u"120"_s << u"123"_s;
        QTest::newRow("0") << u"0"_s << u"3"_s;
    }
    void countRestartsTheStock() {
        QFETCH(QString, counted);
        QFETCH(QString, nextDay);
        b->dir.addLedger(u"12"_s, 20240102, 0, 130);
        b->dir.addLedger(u"12"_s, 20240103, 1, 30, 11, 1);
        b->dir.addLedger(u"12"_s, 20240106, 0, 3);
        b->open();
        QCOMPARE(b->form->windowTitle() + labelText(form(), "lblDay"), u"在庫数調整調整日"_s);
        pickGoods(form(), kDay, u"12"_s);
        QCOMPARE(labelText(form(), "lblZaikoSuu"), u"100"_s);
        b->dialogs.answerMessage(MsgYes);
        saveQuantity(form(), counted);
        QCOMPARE(b->gdai("gcode,day,kubun,denno,line,suu", "kubun=9"),
                 kG12 + "|20240105|9|0|0|" + counted + ".0");
        QCOMPARE(b->logs(1, "在庫数調整:[2024/01/05][" + kG12 + "]"), 1);
        // The day's own count is not the starting point of the stock shown for that day.
        QCOMPARE(labelText(form(), "lblZaikoSuu"), u"100"_s);
        QCOMPARE(fnGetStock(kG12, kDay), counted.toInt());
        QCOMPARE(fnGetStock(kG12, 20240106), nextDay.toInt());
        type(form(), "txtDd", u"6"_s);
        type(form(), "txtGcode", {});
        press(Qt::Key_Return);
        QCOMPARE(labelText(form(), "lblZaikoSuu"), nextDay);
    }
    // A receipt of that goods and day is not this screen's row: no same-day question, two rows.
    void receiptAndCountStaySeparate() {
        b->dir.addLedger(u"12"_s, kDay, 0, 5);
        b->open();
        b->dialogs.answerMessage(MsgYes);
        pickGoods(form(), kDay, u"12"_s);
        QCOMPARE(text(form(), "txtSuu"), QString());
        saveQuantity(form(), u"50"_s);
        QCOMPARE(b->dialogs.messages.size(), 1);
        QCOMPARE(b->said().text, u"記録します"_s);
        QCOMPARE(b->gdai("kubun,suu"), u"0|5.0,9|50.0"_s);
        QCOMPARE(b->logs(1), 1);
    }
    void deleteLeavesTheOtherScreensRow_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("left"); // kubun|suu of the rows after F8
        QTest::newRow("count screen: the receipt stays") << u"2"_s << u"0|5.0,1|2.0"_s;
        QTest::newRow("receipt screen: the count stays") << u"1"_s << u"1|2.0,9|50.0"_s;
    }
    void deleteLeavesTheOtherScreensRow() {
        QFETCH(QString, screen);
        QFETCH(QString, left);
        b.reset(); // this test opens its own screen
        if (screen == u"2"_s)
            deleteOwnKind<frmTanaden>(screen, left);
        else
            deleteOwnKind<frmSiiden>(screen, left);
    }
    // F4 lists the counts only; the one double-clicked is opened.
    void f4ListsCountsOnly() {
        b->dir.addLedger(u"12"_s, 20240103, 0, 4);
        b->dir.addLedger(u"12"_s, kDay, 9, 77);
        b->open();
        type(form(), "txtMm", QString());
        QStringList rows;
        std::function<void()> pick = [&] {
            auto* popup = qobject_cast<frmPopupZaiko*>(QApplication::activeModalWidget());
            if (!popup || !popup->isEnabled()) return QTimer::singleShot(10, pick);
            QTest::mouseClick(child<QPushButton>(popup, "cmdFind"), Qt::LeftButton);
            QTreeWidget* list = popup->listView();
            rows = QStringList{popup->windowTitle()} + listed(list);
            const QPoint at = list->visualItemRect(list->topLevelItem(0)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            popup->hide(); // in case the pick failed
        };
        QTimer::singleShot(10, pick);
        press(Qt::Key_F4);
        QCOMPARE(rows, (QStringList{u"在庫数調整一覧"_s, u"調整日|商品コード|商品名|調整数"_s,
                                    u"2024/01/05|12|みかん|77"_s}));
        QCOMPARE(shown(form()).section('|', 0, 3), u"20240105||12|みかん"_s);
        QCOMPARE(text(form(), "txtSuu"), u"77"_s);
    }
};

QTEST_MAIN(TstTanaden)
#include "tst_tanaden.moc"

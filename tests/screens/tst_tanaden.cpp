// The stock-count screen: the same screen as the receipt entry with kind 9 and its own texts.

#include "EntryDriver.h"

#include "screens/frmPopupZaiko.h"
#include "screens/frmSiiden.h"
#include "screens/frmTanaden.h"
#include "stock/basStock.h"

#include <QTreeWidget>
#include <QtTest>

using namespace entry;
using namespace Qt::Literals::StringLiterals;

namespace {
const int kDay = 20240105;
const QString kG12 = u"          12"_s;
} // namespace

class TstTanaden : public QObject {
    Q_OBJECT
    std::unique_ptr<EntryBench<frmTanaden>> b;
    QWidget* form() const { return b->form.get(); }
    int logs(int kind, const QString& detail = {}) const {
        return logRows(b->dir, u"在庫数調整"_s, kind, detail);
    }
    QString ledger() const {
        return b->dir.scalar(
            "select group_concat(kubun||':'||suu) from (select * from gdai order by kubun, day)");
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
        QCOMPARE(b->form->windowTitle(), u"在庫数調整"_s);
        QCOMPARE(labelText(form(), "lblDay"), u"調整日"_s);
        pickGoods(form(), kDay, u"12"_s);
        QCOMPARE(labelText(form(), "lblZaikoSuu"), u"100"_s);
        b->dialogs.answerMessage(MsgYes);
        saveQuantity(form(), counted);
        QCOMPARE(
            b->dir.scalar("select gcode||'|'||day||'|'||denno||'|'||line||'|'||suu from gdai where kubun=9"),
            kG12 + "|20240105|0|0|" + counted + ".0");
        QCOMPARE(logs(1, "在庫数調整:[2024/01/05][" + kG12 + "]"), 1);
        // The day's own count is not the starting point of the stock shown for that day.
        QCOMPARE(labelText(form(), "lblZaikoSuu"), u"100"_s);
        QCOMPARE(fnGetStock(kG12, kDay), counted.toInt());
        QCOMPARE(fnGetStock(kG12, 20240106), nextDay.toInt());
        type(form(), "txtDd", u"6"_s);
        box(form(), "txtGcode")->setFocus(Qt::MouseFocusReason);
        press(Qt::Key_Return);
        QCOMPARE(labelText(form(), "lblZaikoSuu"), nextDay);
    }

    void receiptAndCountStaySeparate() {
        gstrArgs = QStringList{u"1"_s};
        {
            frmSiiden receipt;
            QVERIFY(showAndActivate(&receipt));
            b->dialogs.answerMessage(MsgYes);
            pickGoods(&receipt, kDay, u"12"_s);
            saveQuantity(&receipt, u"5"_s);
            receipt.close();
        }
        b->open();
        b->dialogs.clear();
        b->dialogs.answerMessage(MsgYes);
        pickGoods(form(), kDay, u"12"_s);
        QCOMPARE(text(form(), "txtSuu"), QString()); // the receipt is not this screen's row
        saveQuantity(form(), u"50"_s);
        // No same-day question: only the confirmation was asked.
        QCOMPARE(b->dialogs.messages.size(), 1);
        QCOMPARE(b->dialogs.messages.at(0).text, u"記録します"_s);
        QCOMPARE(ledger(), u"0:5.0,9:50.0"_s);
    }

    void f4ListsCountsOnly() {
        b->dir.addLedger(u"12"_s, 20240103, 0, 4);
        b->dir.addLedger(u"12"_s, kDay, 9, 77);
        b->open();
        type(form(), "txtMm", QString());
        QStringList listed;
        onNextModal([&](QWidget* modal) {
            auto* popup = qobject_cast<frmPopupZaiko*>(modal);
            QVERIFY(popup);
            QCOMPARE(popup->windowTitle(), u"在庫数調整一覧"_s);
            QTest::mouseClick(popup->findChild<QPushButton*>(u"cmdFind"_s), Qt::LeftButton);
            QTreeWidget* list = popup->listView();
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                listed << list->topLevelItem(i)->text(0) + " " + list->topLevelItem(i)->text(3);
            const QRect r = list->visualItemRect(list->topLevelItem(0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
        });
        press(Qt::Key_F4);
        QCOMPARE(listed, QStringList{u"2024/01/05 77"_s});
        QCOMPARE(shownDate(form()), kDay);
        QCOMPARE(text(form(), "txtSuu"), u"77"_s);
    }
};

QTEST_MAIN(TstTanaden)
#include "tst_tanaden.moc"

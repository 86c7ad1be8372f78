// The receipt entry screen worked from the keyboard on a real database.

#include "EntryDriver.h"

#include "app/basStartCheck.h"
#include "core/basPadding.h"
#include "data/Connection.h"
#include "data/basDb.h"
#include "data/basSettings.h"
#include "screens/frmSiiden.h"
#include "screens/frmTanaden.h"
#include "ui/basToolbar.h"

#include <QTimer>
#include <QtTest>

using namespace entry;
using namespace Qt::Literals::StringLiterals;

namespace {
const QString kToday = QDate::currentDate().toString(u"yyyyMMdd"_s) + "|||||"; // the screen after a reset

struct Receipt {
    QString typed;
    int recorded;     // quantity of the row of that goods and day before, -1 none
    QString answers;  // to the boxes in turn: Y yes, N no
    QString quantity; // typed
    QString stored;   // suu of the one row of kind 0 after, empty none
    int log;          // operatlog code written, 0 none
    QString after;    // stock|quantity shown after
};

} // namespace
Q_DECLARE_METATYPE(Receipt)

class TstSiiden : public QObject {
    Q_OBJECT
    std::unique_ptr<EntryBench<frmSiiden>> b;
    QWidget* form() const { return b->form.get(); }

    // Goods `code` with a count, a receipt and this screen's row of the 5th; goods 12 has a later
    // count of 900, which a code pasted into SQL unquoted would show instead.
    template <class F> void quotedCode(const QString& code, const QString& expected) {
        const int kind = F::screenTexts().kubun;
        EntryBench<F> e(kind == 0 ? u"1"_s : u"2"_s);
        e.dir.addGoods(code, u"クォート"_s, 1);
        e.dir.addLedger(code, 20240101, 9, 40);
        e.dir.addLedger(code, 20240103, 0, 2);
        e.dir.addLedger(code, kDay, kind, kind == 0 ? 7 : 50);
        e.dir.addLedger(u"12"_s, 20240102, 9, 900);
        gstrArgs << QString::number(kDay) << code;
        e.open();
        QVERIFY2(e.dialogs.messages.isEmpty(), qPrintable(e.dialogs.messages.value(0).text));
        QCOMPARE(shown(e.form.get()), u"20240105||"_s + code + u"|クォート|"_s + expected);
        e.dialogs.answerMessage(MsgYes);
        press(Qt::Key_F8);
        QCOMPARE(e.dialogs.messages.size(), 1); // the question only
        QCOMPARE(e.gdai(u"day,kubun"_s), u"20240101|9,20240102|9,20240103|0"_s);
        QCOMPARE(e.logs(3, F::screenTexts().caption + u":["_s + fnPadLeft(code, 12) + u"]2024/01/05"_s), 1);
    }
    // Exactly one box with this text, nothing written, the focus on `focus`.
    void refused(const QString& message, const QString& focus = u"txtGcode"_s) {
        QCOMPARE(b->dialogs.messages.size(), 1);
        QCOMPARE(b->said().text, message);
        QCOMPARE(b->gdai("kubun"), QString());
        QCOMPARE(focusName(), focus);
    }

private slots:
    void init() {
        b = std::make_unique<EntryBench<frmSiiden>>(u"1"_s);
        b->dir.addCategory(2, u"雑貨"_s);
        b->dir.addGoods(u"1"_s, u"りんご"_s, 1);
        b->dir.addGoods(u"20"_s, u"石鹸"_s, 2);
        b->dir.addGoods(u"40"_s, u"旧みかん"_s, 1, 0, /*stop*/ 1);
    }
    void cleanup() { b.reset(); }
    // A receipt saved with F5 (or the toolbar button), with or without a row of that goods and day.
    void newReceipt_data() {
        QTest::addColumn<Receipt>("r");
        QTest::newRow("receipt") << Receipt{"12", -1, "Y", "5", "5.0", 1, "15|"};
        QTest::newRow("empty quantity is 0") << Receipt{"12", -1, "Y", "", "0.0", 1, "10|"};
        QTest::newRow("12 padded, toolbar") << Receipt{"12", -1, "Y", "1234", "1234.0", 1, "1,244|"};
        QTest::newRow("blanks around") << Receipt{" 12 ", -1, "Y", "7", "7.0", 1, "17|"};
        QTest::newRow("記録 answered No")
            << Receipt{"12", -1, "N", "5", "", 0, "10|"}; // the quantity emptied
        QTest::newRow("same day, Yes replaces") << Receipt{"12", 5, "YY", "8", "8.0", 2, "18|"};
        QTest::newRow("same day, No keeps") << Receipt{"12", 5, "N", "8", "5.0", 0, "15|8"};
    }
    void newReceipt() {
        QFETCH(Receipt, r);
        b->dir.addLedger(u"12"_s, 20240101, 9, 10);
        if (r.recorded >= 0) b->dir.addLedger(u"12"_s, kDay, 0, r.recorded);
        b->open();
        QCOMPARE(b->form->windowTitle(), u"入庫処理"_s);
        QCOMPARE(focusName(), u"txtBunrui"_s); // the date is skipped
        for (QChar a : r.answers)
            b->dialogs.answerMessage(a == u'Y' ? MsgYes : MsgNo);
        pickGoods(form(), kDay, r.typed);
        QCOMPARE(focusName(), u"txtSuu"_s);
        QCOMPARE(text(form(), "txtSuu"), r.recorded < 0 ? QString() : QString::number(r.recorded));
        QTest::keyClicks(child<QLineEdit>(form(), "txtSuu"), r.quantity);
        if (QByteArray(QTest::currentDataTag()).endsWith("toolbar"))
            fnToolbarButton(b->form->tlbFunction(), 5)->trigger();
        else
            press(Qt::Key_F5);
        QCOMPARE(b->dialogs.messages.size(), r.answers.size());
        if (r.answers != "N" || r.recorded < 0) QCOMPARE(b->said().text, u"記録します"_s);
        if (r.recorded >= 0) {
            const MessageRequest& q = b->dialogs.messages.at(0);
            QCOMPARE(q.text, u"入力された商品は同日中に入庫処理がされています。再度記録しますか"_s);
            QCOMPARE(q.title, u"zanmo"_s);
            QCOMPARE(int(q.buttons), int(MsgButtons::YesNo));
            QCOMPARE(q.defaultButton, int(MsgNo));
        }
        QCOMPARE(b->gdai("gcode,day,denno,line,suu", "kubun=0"),
                 r.stored.isEmpty() ? QString() : kG12 + "|20240105|0|0|" + r.stored);
        QCOMPARE(b->logs(1, "入庫処理:[2024/01/05][" + kG12 + "]"), r.log == 1 ? 1 : 0);
        QCOMPARE(b->logs(2, "入庫処理:[2024/01/05][" + kG12 + "]"), r.log == 2 ? 1 : 0);
        // The stock holds the receipt, the product stays for the next one.
        QCOMPARE(shown(form()), "20240105||12|みかん|" + r.after);
        QCOMPARE(focusName(), u"txtGcode"_s);
    }
    // Leaving the code with Enter checks it; F2 on an empty code shows the first stock-managed product.
    void codeCheckAndF2_data() {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("shows"); // code|name; empty: "未登録" and both emptied
        auto row = [](const char* name, QString category, QString code, QString shows) {
            QTest::newRow(name) << category << code << shows;
        };
        row("other category", "2", "12", "");
        row("not stock-managed", "", "30", "");
        row("no such code", "", "99", "");
        row("F2, any category", "", "", "1|りんご");
        row("F2, category 2", "2", "", "20|石鹸");
    }
    void codeCheckAndF2() {
        QFETCH(QString, category);
        QFETCH(QString, code);
        QFETCH(QString, shows);
        b->open();
        type(form(), "txtBunrui", category);
        type(form(), "txtGcode", code);
        press(code.isEmpty() ? Qt::Key_F2 : Qt::Key_Return);
        QCOMPARE(text(form(), "txtGcode") + "|" + labelText(form(), "lblGoodsName"),
                 shows.isEmpty() ? "|" : shows);
        QVERIFY(form()->isEnabled());
        if (shows.isEmpty()) {
            refused(u"未登録です"_s);
            QCOMPARE(b->said().title, u"ＰＥＬＫＯ"_s);
        } else { // select-on-focus shows the code trimmed and selected
            QCOMPARE(focusName(), u"txtGcode"_s);
            QVERIFY(b->dialogs.messages.isEmpty());
            QCOMPARE(child<QLineEdit>(form(), "txtGcode")->selectedText(), shows.section(u'|', 0, 0));
        }
    }
    void discontinuedMarkFollowsTheProduct() {
        b->open();
        QCOMPARE(labelText(form(), "lblStop"), u"この商品は中止商品です"_s);
        QVERIFY(child<QLabel>(form(), "lblStop")->isHidden());
        type(form(), "txtGcode", u"40"_s);
        press(Qt::Key_Return);
        QVERIFY(!child<QLabel>(form(), "lblStop")->isHidden());
        type(form(), "txtGcode", u"12"_s);
        press(Qt::Key_Return);
        QVERIFY(child<QLabel>(form(), "lblStop")->isHidden());
    }
    // Saves refused by the input check; the plain boxes are titled with the program's name.
    void saveIsRefused_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("focus");
        QTest::newRow("no day") << u"入庫日を入力してください"_s << u"zanmo"_s << u"txtMm"_s;
        QTest::newRow("no code") << u"商品を入力してください"_s << u"zanmo"_s << u"txtGcode"_s;
        QTest::newRow("not stock-managed")
            << u"入力された商品は在庫対象外です"_s << u"zanmo"_s << u"txtGcode"_s;
        QTest::newRow("goods vanished") << u"未登録です"_s << u"ＰＥＬＫＯ"_s << u"txtGcode"_s;
    }
    void saveIsRefused() {
        QFETCH(QString, message);
        QFETCH(QString, title);
        QFETCH(QString, focus);
        const QByteArray tag = QTest::currentDataTag();
        b->open();
        if (tag == "no day") {
            type(form(), "txtGcode", u"12"_s);
            press(Qt::Key_Return);
            type(form(), "txtDd", QString());
            press(Qt::Key_Backspace);
            type(form(), "txtSuu", u"4"_s);
        } else if (tag == "not stock-managed") {
            typeDate(form(), kDay);
            type(form(), "txtGcode", u"31"_s);
            // F2 skips goods whose stock is not managed, F3 does not; neither runs the leave check.
            const QList<std::pair<Qt::Key, QString>> steps{
                {Qt::Key_F3, u"送料"_s},     {Qt::Key_F2, u"旧みかん"_s}, {Qt::Key_F3, u"送料"_s},
                {Qt::Key_F3, u"石鹸"_s},     {Qt::Key_F3, u"みかん"_s},   {Qt::Key_F2, u"石鹸"_s},
                {Qt::Key_F2, u"旧みかん"_s}, {Qt::Key_F3, u"送料"_s}};
            for (const auto& [key, name] : steps) {
                press(key);
                QCOMPARE(labelText(form(), "lblGoodsName"), name);
            }
        } else if (tag == "goods vanished") { // after the code was checked
            pickGoods(form(), kDay, u"12"_s);
            QCOMPARE(labelText(form(), "lblGoodsName"), u"みかん"_s);
            b->dir.exec(u"delete from goods where code='          12'"_s);
            QTest::keyClicks(child<QLineEdit>(form(), "txtSuu"), u"5"_s);
        }
        press(Qt::Key_F5);
        refused(message, focus);
        QCOMPARE(b->said().title, title);
        if (tag.startsWith("no ")) QCOMPARE(int(b->said().icon), int(MsgIcon::Exclamation));
        if (tag == "not stock-managed") QCOMPARE(int(b->said().buttons), int(MsgButtons::OkCancel));
    }
    // Delete with and without a row resets to today; a failing one ("削除エラー") changes nothing.
    void deleteResetsToToday_data() {
        QTest::addColumn<bool>("withRow");
        QTest::addColumn<bool>("locked"); // another program holds the write lock
        QTest::newRow("with a row") << true << false;
        QTest::newRow("without a row") << false << false;
        QTest::newRow("failing") << true << true;
    }
    void deleteResetsToToday() {
        QFETCH(bool, withRow);
        QFETCH(bool, locked);
        if (withRow) b->dir.addLedger(u"12"_s, kDay, 0, 5);
        b->dir.addLedger(u"12"_s, kDay, 9, 50); // the count of that day is not touched
        b->dir.addLedger(u"12"_s, kDay, 1, 2, 7, 1);
        b->open();
        type(form(), "txtBunrui", u"1"_s);
        pickGoods(form(), kDay, u"12"_s);
        Connection other;
        if (locked) b->dir.holdWriteLock(other);
        b->dialogs.answerMessage(MsgYes);
        press(Qt::Key_F8);
        if (locked) other.RollbackTrans();
        QCOMPARE(b->dialogs.messages.at(0).text, u"削除します"_s);
        QCOMPARE(b->dialogs.messages.at(0).defaultButton, int(MsgNo));
        QCOMPARE(b->dialogs.messages.size(), locked ? 2 : 1);
        QCOMPARE(b->gdai("kubun"), locked ? u"0,1,9"_s : u"1,9"_s);
        QCOMPARE(b->logs(3, locked ? QString() : "入庫処理:[" + kG12 + "]2024/01/05"), locked ? 0 : 1);
        if (locked) {
            QVERIFY2(b->said().text.startsWith(u"削除に失敗しました！"_s), qPrintable(b->said().text));
            QCOMPARE(shown(form()).section('|', 0, 3), u"20240105| 1|12|みかん"_s);
        } else {
            QCOMPARE(shown(form()), kToday);
            QCOMPARE(text(form(), "txtGcode") + labelText(form(), "lblBunruiName"), QString());
            QCOMPARE(focusName(), u"txtGcode"_s);
        }
    }
    // The command line (tokens 1 and 2: date and code) opens that day's row.
    void commandLinePreload_data() {
        QTest::addColumn<QString>("dayToken");
        QTest::addColumn<QString>("codeToken");
        QTest::addColumn<QString>("expected"); // as shown(); "*" is not checked
        auto row = [](const char* name, QString day, QString code, QString shown) {
            QTest::newRow(name) << day << code << shown;
        };
        row("recorded row", "20240105", "12", "20240105||12|みかん|107|7");
        row("no such row", "20240106", "12", kToday);
        row("day 0", "0", "12", kToday);
        row("date not a number", "2024/1/5", "12", kToday);
        row("goods gone", "20240105", "77", "20240105||77||*|9"); // its goods row was removed: still opens
    }
    void commandLinePreload() {
        QFETCH(QString, dayToken);
        QFETCH(QString, codeToken);
        QFETCH(QString, expected);
        b->dir.addLedger(u"12"_s, 20240101, 9, 100);
        b->dir.addLedger(u"12"_s, kDay, 0, 7);
        b->dir.addLedger(u"77"_s, kDay, 0, 9);
        gstrArgs = QStringList{u"1"_s, dayToken, codeToken};
        b->open();
        QString got = shown(form());
        if (expected.contains('*')) got = got.section('|', 0, 3) + "|*|" + got.section('|', 5);
        QCOMPARE(got, expected);
        QVERIFY(b->dialogs.messages.isEmpty());
    }
    // Codes holding apostrophes (the goods master may have them) show their own goods' stock and
    // row on both entry screens; F8 deletes that row.
    void quotedCodesShowOwnStock_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("receipt");
        QTest::addColumn<QString>("expected"); // stock|quantity shown
        for (const QString& code : {u"O'NEIL"_s, u"1' or ''='"_s, u"'"_s}) {
            QTest::newRow(qPrintable(u"receipt: "_s + code)) << code << true << u"49|7"_s;
            QTest::newRow(qPrintable(u"count: "_s + code)) << code << false << u"42|50"_s;
        }
    }
    void quotedCodesShowOwnStock() {
        QFETCH(QString, code);
        QFETCH(bool, receipt);
        QFETCH(QString, expected);
        b.reset(); // this test opens its own screen
        if (receipt)
            quotedCode<frmSiiden>(code, expected);
        else
            quotedCode<frmTanaden>(code, expected);
    }
    void cancelEmptiesQuantityAndButtonsReturnOnEdit() {
        b->open();
        pickGoods(form(), kDay, u"12"_s);
        QTest::keyClicks(child<QLineEdit>(form(), "txtSuu"), u"9"_s);
        auto* ok = child<QPushButton>(form(), "cmdOk");
        auto* cancel = child<QPushButton>(form(), "cmdCancel");
        b->dialogs.answerMessage(MsgYes);
        press(Qt::Key_F6);
        QCOMPARE(b->said().text, u"入力項目を無効にします"_s);
        QCOMPARE(text(form(), "txtSuu"), QString());
        QVERIFY(!ok->isEnabled() && !cancel->isEnabled());
        QCOMPARE(focusName(), u"txtGcode"_s);
        type(form(), "txtSuu", u"4"_s);
        QVERIFY(ok->isEnabled() && cancel->isEnabled());
        b->dialogs.answerMessage(MsgYes);
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(b->gdai("gcode,kubun,suu"), kG12 + "|0|4.0");
    }
    void lockedRowSaveReportsFailure() {
        b->open();
        pickGoods(form(), kDay, u"12"_s);
        QTest::keyClicks(child<QLineEdit>(form(), "txtSuu"), u"5"_s);
        // Eleven attempts, each waiting briefly for the lock, give up within about ten seconds.
        QVERIFY(frmSiiden().lockWait() * 11 <= 10000);
        Connection other;
        b->dir.holdWriteLock(other);
        b->dialogs.answerMessage(MsgYes);
        press(Qt::Key_F5);
        other.RollbackTrans();
        QCOMPARE(b->dialogs.messages.size(), 2);
        // "記録エラー": the failure, the database's own error text, and what to do.
        QVERIFY2(
            QRegularExpression(
                u"^記録に失敗しました！\r\n.*\\S.*\r\nすべて終了し、データメンテナンスから復旧をしてください$"_s)
                .match(b->said().text)
                .hasMatch(),
            qPrintable(b->said().text));
        QCOMPARE(b->gdai("kubun"), QString());
        QCOMPARE(b->logs(1) + b->logs(2), 0);
        QCOMPARE(text(form(), "txtSuu").remove(u','), u"5"_s);
        QCOMPARE(text(form(), "txtGcode").trimmed(), u"12"_s);
        QVERIFY(form()->isEnabled());
        // Once the lock is gone the same input saves.
        b->dialogs.answerMessage(MsgYes);
        press(Qt::Key_F5);
        QCOMPARE(b->gdai("gcode,kubun,suu"), kG12 + "|0|5.0");
    }

    // A lock let go while the attempts wait: the save or the delete goes through, and meanwhile the
    // screen is drawn disabled (the answered box gone).
    void lockLetGoMeanwhile_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("save") << int(Qt::Key_F5);
        QTest::newRow("delete") << int(Qt::Key_F8);
    }
    void lockLetGoMeanwhile() {
        QFETCH(int, key);
        b->dir.addLedger(u"12"_s, kDay, 0, 5);
        b->open();
        pickGoods(form(), kDay, u"12"_s);
        QTest::keyClicks(child<QLineEdit>(form(), "txtSuu"), u"7"_s);
        Connection other;
        b->dir.holdWriteLock(other);
        QTimer::singleShot(150, [&] { other.RollbackTrans(); });
        struct DisabledPaints : QObject {
            int n = 0;
            bool eventFilter(QObject* o, QEvent* e) override {
                if (e->type() == QEvent::Paint && !static_cast<QWidget*>(o)->isEnabled()) ++n;
                return false;
            }
        } paints;
        form()->installEventFilter(&paints);
        b->dialogs.answerMessage(MsgYes); // the same-day question, then the save's or delete's
        b->dialogs.answerMessage(MsgYes);
        press(Qt::Key(key));
        form()->removeEventFilter(&paints);
        QCOMPARE(b->dialogs.messages.size(), key == Qt::Key_F5 ? 2 : 1); // questions only: no failure
        QCOMPARE(b->gdai("kubun,suu"), key == Qt::Key_F5 ? u"0|7.0"_s : QString());
        QCOMPARE(b->logs(key == Qt::Key_F5 ? 2 : 3), 1);
        QVERIFY(paints.n > 0);
        QVERIFY(form()->isEnabled());
    }

    // Told at start that the database lacks a column, the screen still opens, but no save of it
    // reaches the database, nor a log row.
    void nothingWrittenOnceTheStartCheckRefused() {
        b->dir.exec(u"alter table sysfile drop column stankakbn"_s);
        const int logged = b->dir.count(u"select count(*) from operatlog"_s);
        QVERIFY(fnOpenDB());
        const QString where = gcnData->filePath();
        QVERIFY(!fnCheckDatabaseLayout());
        b->open();
        for (int round = 0; round < 3; ++round) {
            b->dialogs.answerMessage(MsgYes);
            b->dialogs.answerMessage(MsgYes);
            pickGoods(form(), kDay, u"12"_s);
            saveQuantity(form(), u"5"_s);
        }
        b->form->close();
        QVERIFY(b->dialogs.messages.size() > 1);
        Connection::refuse(where, {}); // the test looks at what reached it
        QVERIFY(fnOpenDB());
        QCOMPARE(b->gdai(u"kubun"_s), QString());
        QCOMPARE(b->dir.count(u"select count(*) from operatlog"_s), logged);
    }
};

QTEST_MAIN(TstSiiden)
#include "tst_siiden.moc"

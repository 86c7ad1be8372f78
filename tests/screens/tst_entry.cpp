// The two entry screens, receipts (入庫処理, kind 0) and counts (在庫数調整, kind 9), worked from the
// keyboard, the mouse, drops and the input method on a real database: each scenario one row of
// steps (ScreenBench::play) and what the boxes said, the screen shows, the ledger and the log hold.

#include "popups/PopupDriver.h"
#include "support/ScreenBench.h"
#include "ui/DataRows.h"
#include "ui/PasteRoutes.h"

#include "app/basMain.h"
#include "app/basStartCheck.h"
#include "core/basPadding.h"
#include "data/Connection.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"
#include "popups/LookupView.h"
#include "screens/frmPopupZaiko.h"
#include "screens/frmSiiden.h"
#include "screens/frmTanaden.h"

#include <QDateEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace screen;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kToday = QDate::currentDate().toString(u"yyyyMMdd"_s);
const QString kIn = frmSiiden::screenTexts().missingDate, kCount = frmTanaden::screenTexts().missingDate;
const QString kAsk = u"入力された商品は同日中に入庫処理がされています。再度記録しますか"_s;

// What an entry screen shows: date|category|code (trimmed)|goods name|stock|quantity.
QString shownOn(const QWidget* form) {
    const int day = text(form, "txtYy").trimmed().toInt() * 10000 +
                    text(form, "txtMm").trimmed().toInt() * 100 + text(form, "txtDd").trimmed().toInt();
    return joined(day, text(form, "txtBunrui"), text(form, "txtGcode").trimmed(), text(form, "lblGoodsName"),
                  text(form, "lblZaikoSuu"), text(form, "txtSuu"));
}

struct DisabledPaints : QObject {
    int n = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && !static_cast<QWidget*>(o)->isEnabled()) ++n;
        return false;
    }
};

} // namespace

class TestEntry : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<ScreenBench> b;
    std::unique_ptr<BeforeBoxes> focusTaking; // a real box takes the focus out of the screen
    std::unique_ptr<OtherWindow> otherWindow; // the program the text is dragged from
    QStringList listedInPopup;
    Connection other; // another program holding the write lock
    DisabledPaints paints;

    // Category 1 with goods 12 and 1, 30 not stock-managed, 40 discontinued; category 2 with 20.
    void bench() {
        b.reset();
        b = std::make_unique<ScreenBench>();
        b->dir.addCategory(1, u"食品"_s);
        b->dir.addCategory(2, u"雑貨"_s);
        addGoodsRows(b->dir, u"12 みかん; 30 送料 1 1; 1 りんご; 20 石鹸 2; 40 旧みかん 1 0 1"_s);
        b->extraStep = [this](const QString& s) { return step(s); };
    }
    void open(bool receipt, const QString& args = {}) {
        gstrArgs = QStringList{receipt ? u"1"_s : u"2"_s};
        if (!args.isEmpty()) gstrArgs << args.split(u'|');
        // Eleven attempts against a held lock stay short.
        (receipt ? static_cast<StockEntryForm*>(b->open<frmSiiden>()) : b->open<frmTanaden>())
            ->setLockWait(30);
    }
    // Steps this file adds to the bench's; the checks among them fail the test where they stand.
    bool step(const QString& s) {
        bool known = true;
        [&] {
            QWidget* form = b->form.get();
            const QString arg = s.section(u':', 1);
            if (s == u"lock")
                b->dir.holdWriteLock(other);
            else if (s == u"unlock")
                other.RollbackTrans();
            else if (s.startsWith(u"unlock:"))
                QTimer::singleShot(arg.toInt(), form, [this] { other.RollbackTrans(); });
            else if (s == u"watchPaints")
                form->installEventFilter(&paints);
            else if (s == u"?paintedDisabled")
                QVERIFY2(paints.n > 0, "never drawn disabled");
            else if (s == u"focusTakingBoxes")
                focusTaking = std::make_unique<BeforeBoxes>(b->dialogs, [](const MessageRequest&) {
                    if (QWidget* w = QApplication::focusWidget()) w->clearFocus();
                    QApplication::processEvents();
                });
            else if (s == u"activate")
                QVERIFY(showAndActivate(form));
            else if (s == u"otherWindow")
                otherWindow = std::make_unique<OtherWindow>();
            else if (s.startsWith(u"paste:")) { // paste:ROUTE:BOX:TEXT
                paste::bring(arg.section(u':', 0, 0),
                             child<QLineEdit>(form, qPrintable(arg.section(u':', 1, 1))),
                             arg.section(u':', 2));
            } else if (s.startsWith(u"?selected:"))
                QCOMPARE(child<QLineEdit>(form, "txtGcode")->selectedText(), arg);
            else if (s == u"?unselected")
                QVERIFY(!child<QLineEdit>(form, "txtSuu")->hasSelectedText()); // a key typed next adds to it
            else if (s.startsWith(u"?logged=")) // one log row of exactly this detail, blanks and all
                QCOMPARE(b->dir.count(u"select count(*) from operatlog where syousai = '"_s +
                                      fnSqlText(s.mid(8)) + u'\''),
                         1);
            else if (s.startsWith(u"list:")) { // F4: the list searched, the row of that day picked
                ModalDriver<frmPopupZaiko> pick(
                    [](frmPopupZaiko* d) { return d->isEnabled(); },
                    [&](frmPopupZaiko* d) {
                        b->play(u"click:cmdFind"_s, d);
                        listedInPopup = QStringList{d->windowTitle()} + listed(d->listView());
                        QAbstractItemModel* m = d->listView()->model();
                        const auto rows =
                            m->match(m->index(0, 0), Qt::DisplayRole, arg, -1, Qt::MatchExactly);
                        if (rows.size() == 1) doubleClick(d->listView(), rows.first());
                        if (d->isVisible()) d->hide(); // the pick failed
                    });
                press(Qt::Key_F4);
            } else if (s.startsWith(u"?listed="))
                QCOMPARE(listedInPopup.join(u'#'), s.mid(8));
            else
                known = false;
        }();
        return known;
    }

private slots:
    void cleanup() {
        focusTaking.reset();
        b.reset();
        otherWindow.reset();
        gstrArgs.clear();
    }

    // screen: "in" or "count"; before and after: the ledger (addLedgerRows, goods 12 unless named);
    // args: the command line after the screen's number, '|' between tokens; said: every box
    // (ScreenBench::said); shown: shownOn() with '*' for any field; logs: the screen's log rows.
    // TODAY stands for today's date; '*' in said for any text, "*" for anything in logs.
    void scenario_data() {
        cols<QString, QString, QString, QString, QString, QString, QString, QString>(
            "screen", "before", "args", "steps", "said", "shown", "after", "logs");
        const QString save = u"yes;date:20240105;txtGcode=12;Enter;?focus=txtSuu;"_s;
        const QString in12 = u"入庫処理:[2024/01/05][ 12]"_s, count12 = u"在庫数調整:[2024/01/05][ 12]"_s;
        // Receipts saved with F5 (or the toolbar), with or without a row of that goods and day.
        row("receipt", "in", "20240101 9 10", "",
            "?title=入庫処理;?focus=txtBunrui;" + save + "?txtSuu=;keys:5;F5", "記録します (ＰＥＬＫＯ)",
            "20240105||12|みかん|15|", "20240101 9 10; 20240105 0 5", "0, 1 " + in12);
        row("empty quantity is 0", "in", "20240101 9 10", "", save + "F5", "記録します (ＰＥＬＫＯ)",
            "20240105||12|みかん|10|", "20240101 9 10; 20240105 0 0", "0, 1 " + in12);
        row("toolbar, 1234", "in", "20240101 9 10", "", save + "keys:1234;toolbar:5",
            "記録します (ＰＥＬＫＯ)", "20240105||12|みかん|1,244|", "20240101 9 10; 20240105 0 1234",
            "0, 1 " + in12);
        row("blanks around the code", "in", "20240101 9 10", "",
            "yes;date:20240105;txtGcode= 12 ;Enter;keys:7;F5", "記録します (ＰＥＬＫＯ)",
            "20240105||12|みかん|17|", "20240101 9 10; 20240105 0 7", "0, 1 " + in12);
        row("記録 answered No: the quantity emptied", "in", "20240101 9 10", "",
            "no;date:20240105;txtGcode=12;Enter;keys:5;F5", "記録します (ＰＥＬＫＯ)",
            "20240105||12|みかん|10|", "20240101 9 10", "0");
        row("same day, Yes replaces", "in", "20240101 9 10; 20240105 0 5", "",
            "yes;" + save + "?txtSuu=5;keys:8;F5", kAsk + "/記録します (ＰＥＬＫＯ)",
            "20240105||12|みかん|18|", "20240101 9 10; 20240105 0 8", "0, 2 " + in12);
        row("same day, No keeps", "in", "20240101 9 10; 20240105 0 5", "",
            "no;date:20240105;txtGcode=12;Enter;keys:8;F5", kAsk, "20240105||12|みかん|15|8",
            "20240101 9 10; 20240105 0 5", "0");
        // Leaving the code with Enter checks it; F2 on an empty code shows the first stock-managed goods.
        for (auto [name, steps] : {std::pair{"other category", "txtBunrui=2;txtGcode=12;Enter"},
                                   {"not stock-managed", "txtGcode=30;Enter"},
                                   {"no such code", "txtGcode=99;Enter"}})
            row(name, "in", "", "", steps + u";?focus=txtGcode"_s, "未登録です (ＰＥＬＫＯ)", "*|*|||*|*", "",
                "0");
        row("F2, any category", "in", "", "", "txtGcode=;F2;?focus=txtGcode;?selected:1", "",
            "*|*|1|りんご|*|*", "", "0");
        row("F2, category 2", "in", "", "", "txtBunrui=2;txtGcode=;F2;?selected:20", "", "*|*|20|石鹸|*|*",
            "", "0");
        row("the discontinued mark follows the goods", "in", "", "",
            "?lblStop=この商品は中止商品です;?hidden:lblStop;txtGcode=40;Enter;?visible:lblStop;txtGcode=12;"
            "Enter;?hidden:lblStop",
            "", "*", "", "0");
        // Saves refused by the input check.
        row("no day", "in", "", "", "txtGcode=12;Enter;txtDd=;Backspace;txtSuu=4;F5;?focus=txtMm",
            "入庫日を入力してください", "*", "", "0");
        row("no code", "in", "", "", "F5;?focus=txtGcode", "商品を入力してください", "*", "", "0");
        // F2 skips goods whose stock is not managed, F3 does not; neither runs the leave check.
        row("not stock-managed", "in", "", "",
            "date:20240105;txtGcode=31;F3;?lblGoodsName=送料;F2;?lblGoodsName=旧みかん;F3;?lblGoodsName=送料;"
            "F3;?lblGoodsName=石鹸;F3;?lblGoodsName=みかん;F2;?lblGoodsName=石鹸;F2;?lblGoodsName=旧みかん;"
            "F3;?lblGoodsName=送料;F5;?focus=txtGcode",
            "入力された商品は在庫対象外です", "*", "", "0");
        row("goods gone after the check", "in", "", "",
            "date:20240105;txtGcode=12;Enter;?lblGoodsName=みかん;sql:delete from goods where code='         "
            " 12';keys:5;F5;?focus=txtGcode",
            "未登録です (ＰＥＬＫＯ)", "*", "", "0");
        // Delete resets to today with or without a row; the day's count is not touched; a failing
        // delete ("削除エラー") changes nothing.
        const QString del = u"txtBunrui=1;date:20240105;txtGcode=12;Enter;"_s;
        row("delete", "in", "20240105 0 5; 20240105 9 50; 20240105 1 2 7 1", "",
            del + "yes;F8;?focus=txtGcode;?lblBunruiName=", "削除します (ＰＥＬＫＯ)", "TODAY|||||",
            "20240105 1 2 7 1; 20240105 9 50", "0, 3 入庫処理:[ 12]2024/01/05");
        row("delete without a row", "in", "20240105 9 50; 20240105 1 2 7 1", "", del + "yes;F8",
            "削除します (ＰＥＬＫＯ)", "TODAY|||||", "20240105 1 2 7 1; 20240105 9 50",
            "0, 3 入庫処理:[ 12]2024/01/05");
        row("delete failing", "in", "20240105 0 5; 20240105 9 50", "", del + "lock;yes;F8;unlock",
            "削除します (ＰＥＬＫＯ)/削除に失敗しました！*", "20240105| 1|12|みかん|*|*",
            "20240105 0 5; 20240105 9 50", "0");
        // The command line (date and code) opens that day's row.
        const QString preload = u"20240101 9 100; 20240105 0 7; 20240105 0 9 0 0 77"_s;
        row("command line: recorded row", "in", preload, "20240105|12", "", "", "20240105||12|みかん|107|7",
            preload, "0");
        for (const char* args : {"20240106|12", "0|12", "2024/1/5|12"})
            row(args, "in", preload, args, "", "", "TODAY|||||", preload, "0");
        row("command line: its goods gone", "in", preload, "20240105|77", "", "", "20240105||77||*|9",
            preload, "0");
        row("F6 empties the quantity, the buttons come back on edit", "in", "", "",
            save + "keys:9;yes;F6;?txtSuu=;?disabled:cmdOk;?disabled:cmdCancel;?focus=txtGcode;txtSuu=4;"
                   "?enabled:cmdOk;?enabled:cmdCancel;yes;click:cmdOk",
            "入力項目を無効にします (ＰＥＬＫＯ)/記録します (ＰＥＬＫＯ)", "*", "20240105 0 4",
            "0, 1 " + in12);
        // A held lock: "記録エラー" (the failure, the database's own text, what to do), the input kept,
        // saved once the lock is gone.
        row("save against a held lock", "in", "", "",
            save + "keys:5;lock;F5;unlock;?txtGcode=          12;?txtSuu=5;yes;F5",
            "記録します "
            "(ＰＥＬＫＯ)/"
            "記録に失敗しました！\r\n*\r\nすべて終了し、データメンテナンスから復旧をしてください "
            "(ＰＥＬＫＯ)/記録します (ＰＥＬＫＯ)",
            "*", "20240105 0 5", "0, 1 " + in12);
        // A lock let go while the attempts wait: the save or delete goes through, the screen drawn
        // disabled meanwhile.
        row("lock let go during a save", "in", "20240105 0 5", "",
            save + "keys:7;lock;unlock:150;watchPaints;yes;F5;?paintedDisabled;?enabled:txtGcode",
            kAsk + "/記録します (ＰＥＬＫＯ)", "*", "20240105 0 7", "0, 2 " + in12);
        row("lock let go during a delete", "in", "20240105 0 5", "",
            save + "lock;unlock:150;watchPaints;yes;F8;?paintedDisabled", "削除します (ＰＥＬＫＯ)", "*", "",
            "0, 3 入庫処理:[ 12]2024/01/05");
        // The count screen: the count is where the stock restarts the next day, whatever the ledger said.
        const QString counted = u"20240102 0 130; 20240103 1 30 11 1; 20240106 0 3"_s;
        for (auto [qty, next] : {std::pair{"120", "123"}, {"0", "3"}})
            row(qPrintable(u"count of "_s + qty), "count", counted, "",
                "?title=在庫数調整;?lblDay=調整日;" + save + "?lblZaikoSuu=100;keys:" + qty +
                    ";F5;?lblZaikoSuu=100;txtDd=6;txtGcode=;Enter;?lblZaikoSuu=" + next,
                "記録します (ＰＥＬＫＯ)", "*",
                "20240102 0 130; 20240103 1 30 11 1; 20240105 9 " + QString(qty) + "; 20240106 0 3",
                "0, 1 " + count12);
        row("a receipt of the day is no count", "count", "20240105 0 5", "", save + "?txtSuu=;keys:50;F5",
            "記録します (ＰＥＬＫＯ)", "*", "20240105 0 5; 20240105 9 50", "0, 1 " + count12);
        // F8 deletes the screen's own row only.
        const QString both = u"20240105 0 5; 20240105 9 50; 20240105 1 2 7 1"_s;
        row("count screen: the receipt stays", "count", both, "20240105|12", "?txtGcode=          12;yes;F8",
            "削除します (ＰＥＬＫＯ)", "*", "20240105 0 5; 20240105 1 2 7 1",
            "0, 3 在庫数調整:[ 12]2024/01/05");
        row("receipt screen: the count stays", "in", both, "20240105|12", "?txtGcode=          12;yes;F8",
            "削除します (ＰＥＬＫＯ)", "*", "20240105 1 2 7 1; 20240105 9 50",
            "0, 3 入庫処理:[ 12]2024/01/05");
        row("F4 lists counts only", "count", "20240103 0 4; 20240105 9 77", "",
            "txtMm=;list:2024/01/05;?listed=在庫数調整一覧#調整日|商品コード|商品名|調整数#2024/01/"
            "05|12|みかん|77",
            "", "20240105||12|みかん|*|77", "20240103 0 4; 20240105 9 77", "0");
        // The date written: a calendar day from 1900 to 2099, short years completed, the date the
        // check saw whatever the focus does while a box is up.
        for (const bool receipt : {true, false}) {
            const QString s = receipt ? u"in"_s : u"count"_s, kind = receipt ? u"0"_s : u"9"_s;
            const QString log = receipt ? u"入庫処理"_s : u"在庫数調整"_s, missing = receipt ? kIn : kCount;
            for (auto [name, year, inBox, day] :
                 {std::tuple{"year 0 refused", "0", false, ""},
                  {"year 26 left: 2026", "26", false, "20260105"},
                  {"year 26, F5 in the box: 2026", "26", true, "20260105"},
                  {"year 1899 left: held at the first day", "1899", false, "19000101"},
                  {"year 1899, F5 in the box refused", "1899", true, ""},
                  {"year 2100 refused", "2100", true, ""},
                  {"changed year, F5 in the box", "2023", true, "20230105"}}) {
                const QString d = QString::fromLatin1(day);
                const QString shownDay = QDate::fromString(d, u"yyyyMMdd"_s).toString(u"yyyy/MM/dd"_s);
                row(qPrintable(s + u": "_s + QLatin1String(name)), s, "", "",
                    u"focusTakingBoxes;date:20240105;txtGcode=12;Enter;txtSuu=7;txtYy="_s + year +
                        (inBox ? u";yes;F5"_s : u";txtSuu=;yes;F5"_s),
                    d.isEmpty() ? missing : u"記録します (ＰＥＬＫＯ)"_s, "*",
                    d.isEmpty() ? QString() : d + u' ' + kind + u" 7"_s,
                    d.isEmpty() ? u"0"_s : u"0, 1 "_s + log + u":["_s + shownDay + u"][ 12]"_s);
            }
            // A row on a day the date boxes cannot show (another program wrote it) is refused with the
            // screen's date message and fills nothing in; today's row comes through F8 and F5 untouched.
            for (auto [name, day] : {std::pair{"29 Feb of a common year", "20230229"},
                                     {"month 13", "20231301"},
                                     {"day 00", "20230100"},
                                     {"day 0", "0"},
                                     {"before 1900", "18991231"},
                                     {"after 2099", "21000101"}}) {
                const QString d = QString::fromLatin1(day), early = d + u' ' + kind + u" 42"_s,
                              now = kToday + u' ' + kind + u" 3"_s, rows = early + u"; "_s + now;
                const QString kept = d.toInt() < kToday.toInt() ? rows : now + u"; "_s + early;
                row(qPrintable(s + u", command line: "_s + QLatin1String(name)), s, rows, d + u"|12"_s,
                    "yes;F8;F5", missing + u"/削除します (ＰＥＬＫＯ)/商品を入力してください"_s, "TODAY|||||",
                    kept, "*");
                if (d.startsWith(u"1899"_s) ||
                    d.startsWith(u"2100"_s)) // the list shows only what reads as a date
                    row(qPrintable(s + u", F4 list: "_s + QLatin1String(name)), s, rows, "",
                        u"txtMm=;list:"_s + d.left(4) + u'/' + d.mid(4, 2) + u'/' + d.mid(6) +
                            u";activate;yes;F8;F5"_s,
                        missing + u"/削除します (ＰＥＬＫＯ)/商品を入力してください"_s, "TODAY|||||", kept,
                        "*");
            }
        }
        // The quantity brought in, not typed, then saved: only what typing lets in is stored. "code"
        // brings it while the focus is still in the code box; "inactive": dragged from another program.
        // The window is activated again where a window system would (the offscreen one does not).
        for (auto [route, given, shown] : {std::tuple{"menu", "1e9", "19"},
                                           {"drop code", "1,5", "15"},
                                           {"ime", "inf", ""},
                                           {"drop inactive", "9,999,999", "999999"},
                                           {"drop inactive code", "1,234,567", "123456"}}) {
            const QString r = QString::fromLatin1(route), how = r.section(u' ', 0, 0);
            const bool fromCode = r.endsWith(u"code"_s), inactive = r.contains(u"inactive"_s);
            const QString stored = QString::fromLatin1(shown).isEmpty() ? u"0"_s : QString::fromLatin1(shown);
            row(qPrintable(r + u": "_s + QLatin1String(given)), "in", "", "",
                u"yes;date:20240105;txtGcode=12;"_s + (fromCode ? u""_s : u"Enter;?focus=txtSuu;"_s) +
                    (inactive ? u"otherWindow;"_s : u""_s) + u"paste:"_s + how + u":txtSuu:"_s + given +
                    (inactive || how == u"menu"_s ? u";activate"_s : u""_s) +
                    u";?focus=txtSuu;?lblGoodsName=みかん;?txtSuu="_s + shown +
                    (how == u"menu"_s ? u";F5"_s : u";?unselected;F5"_s),
                "記録します (ＰＥＬＫＯ)", "*", u"20240105 0 "_s + stored, "*");
        }
        // The category (two digits) and the code (no apostrophe, 12 bytes) brought in.
        for (auto [box, route, given, shown] : {std::tuple{"txtBunrui", "menu", "-1x", "1"},
                                                {"txtBunrui", "drop", "123", "12"},
                                                {"txtGcode", "menu", "1'2", "12"},
                                                {"txtGcode", "drop", "ABCDEFGHIJKLMN", "ABCDEFGHIJKL"},
                                                {"txtGcode", "ime", "Ａ12'", "12"}})
            row(qPrintable(QString::fromLatin1(box) + u' ' + QLatin1String(route) + u' ' +
                           QString::fromUtf8(given)),
                "in", "", "",
                QString::fromLatin1(box) + u"=;paste:"_s + route + u':' + box + u':' +
                    QString::fromUtf8(given) + u";?"_s + box + u'=' + QString::fromUtf8(shown),
                "", "*", "", "*");
        // Codes holding apostrophes (a goods master may have them) show their own goods' stock and row on
        // both screens, not those of 12, whose later count a code pasted into SQL unquoted would show; F8
        // deletes that row.
        for (const char* code : {"O'NEIL", "1' or ''='", "'"})
            for (const bool receipt : {true, false}) {
                const QString c = QString::fromLatin1(code), of = u" 0 0 "_s + c,
                              s = receipt ? u"in"_s : u"count"_s,
                              caption = receipt ? u"入庫処理"_s : u"在庫数調整"_s;
                const QString kept = "20240101 9 40" + of + "; 20240102 9 900; 20240103 0 2" + of;
                row(qPrintable(s + u": "_s + c), s,
                    kept + (receipt ? "; 20240105 0 7" : "; 20240105 9 50") + of, "20240105|" + c,
                    "?said=;?txtGcode=" + fnPadLeft(c, 12) +
                        (receipt ? ";?lblZaikoSuu=49;?txtSuu=7" : ";?lblZaikoSuu=42;?txtSuu=50") +
                        ";?lblGoodsName=クォート;yes;F8;?logged=" + caption + ":[" + fnPadLeft(c, 12) +
                        "]2024/01/05",
                    "削除します (ＰＥＬＫＯ)", "TODAY|||||", kept,
                    "0, 3 " + caption + ":[ " + c + "]2024/01/05");
            }
    }
    void scenario() {
        const auto get = [](const char* column) {
            return fetch<QString>(column).replace(u"TODAY"_s, kToday);
        };
        bench();
        if (get("args").contains(u'\''))
            b->dir.addGoods(get("args").section(u'|', 1), u"クォート"_s); // quoted codes
        addLedgerRows(b->dir, get("before"));
        open(get("screen") == u"in"_s, get("args"));
        QCOMPARE(b->play(get("steps")), QString());
        QVERIFY2(like(b->said(), get("said")), qPrintable(b->said()));
        QVERIFY2(like(shownOn(b->form.get()), get("shown")), qPrintable(shownOn(b->form.get())));
        QCOMPARE(ledgerRows(b->dir), get("after"));
        const QString logs = b->logs(get("screen") == u"in"_s ? u"入庫処理"_s : u"在庫数調整"_s);
        QVERIFY2(like(logs, get("logs")), qPrintable(logs));
        QVERIFY(b->form->isEnabled());
    }

    // The boxes' own form: the same-day question and the delete's default to No; a missing input's
    // box warns; the not-stock-managed one offers OK and Cancel.
    void boxes() {
        bench();
        addLedgerRows(b->dir, u"20240105 0 5"_s);
        open(true);
        QVERIFY(b->play(u"F5;date:20240105;txtGcode=31;F3;F5;no;txtGcode=12;Enter;no;F5;yes;F8"_s).isEmpty());
        QStringList forms; // icon|buttons|default|text
        for (const MessageRequest& m : b->dialogs.messages)
            forms << joined(int(m.icon), int(m.buttons), m.defaultButton, m.text);
        QCOMPARE(forms.join(u'/'),
                 u"2|0|1|商品を入力してください/2|1|1|入力された商品は在庫対象外です/3|2|7|"_s + kAsk +
                     u"/1|2|7|削除します"_s);
        // Eleven attempts, each waiting briefly for a lock, give up within about ten seconds.
        auto* picker = child<QDateEdit>(b->form.get(), "DTPicker");
        QCOMPARE(joined(frmSiiden().lockWait() * 11 <= 10000, picker->minimumDate(), picker->maximumDate()),
                 joined(true, QDate(1900, 1, 1), QDate(2099, 12, 31)));
    }

    // Told at start that the database lacks a column, the screen still opens, but no save of it
    // reaches the database, nor a log row.
    void nothingWrittenOnceTheStartCheckRefused() {
        bench();
        b->dir.exec(u"alter table sysfile drop column stankakbn"_s);
        const int logged = b->dir.count(u"select count(*) from operatlog"_s);
        QVERIFY(fnOpenDB());
        const QString where = gcnData->filePath();
        QVERIFY(!fnCheckDatabaseLayout());
        open(true);
        for (int round = 0; round < 3; ++round)
            QVERIFY(b->play(u"yes;yes;date:20240105;txtGcode=12;Enter;keys:5;F5"_s).isEmpty());
        b->form->close();
        QVERIFY(b->dialogs.messages.size() > 1);
        Connection::refuse(where, {}); // the test looks at what reached it
        QVERIFY(fnOpenDB());
        QCOMPARE(joined(ledgerRows(b->dir), b->dir.count(u"select count(*) from operatlog"_s)),
                 joined(u""_s, logged));
    }
};

QTEST_MAIN(TestEntry)
#include "tst_entry.moc"

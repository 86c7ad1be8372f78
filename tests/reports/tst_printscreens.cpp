// The two print screens, the receipt / count list (入庫処理／在庫数調整一覧表, frmPrintNTden) and the
// stock list (在庫一覧表, frmPrintZaiko), worked from the keyboard: each scenario one row of steps
// (ScreenBench::play) and what the boxes said, the preview listed and the log holds.

#include "popups/PopupDriver.h"
#include "reports/PrintScreenDriver.h"
#include "support/ScreenBench.h"
#include "ui/DataRows.h"

#include "core/basDateNumber.h"
#include "data/basDb.h"
#include "popups/frmPopupGoods.h"
#include "reports/PrintProgress.h"
#include "reports/frmPrintNTden.h"
#include "reports/frmPrintZaiko.h"
#include "reports/rptNyuuden.h"

#include <QDateEdit>
#include <QtTest>

using namespace screen;
using namespace Qt::Literals::StringLiterals;

namespace {

const QString kToday = QDate::currentDate().toString(u"yyyyMMdd"_s);

// The printed lines of the one open preview (printedLines), ',' between them.
QString previewLines(int columns = 0) {
    const QList<ReportPreview*> open = previews();
    if (open.size() != 1) return open.isEmpty() ? QString() : u"previews: %1"_s.arg(open.size());
    return printedLines(*open.first()->report(), columns).join(u',');
}

} // namespace

class TestPrintScreens : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<ScreenBench> b;
    std::unique_ptr<ModalDriver<frmPopupGoods>> lookup;
    std::unique_ptr<ScriptedPrinters> printer; // what a print wrote, read back
    QTemporaryDir out;

    FormBase* form() const { return static_cast<FormBase*>(b->form.get()); }
    int rowDay(int row) const {
        const QByteArray r = QByteArray::number(row);
        return text(form(), "txtYy_" + r).trimmed().toInt() * 10000 +
               text(form(), "txtMm_" + r).trimmed().toInt() * 100 +
               text(form(), "txtDd_" + r).trimmed().toInt();
    }
    QString codes() const {
        return text(form(), "txtCode_0").trimmed() + u'|' + text(form(), "lblGoodsName_0") + u'|' +
               text(form(), "txtCode_1").trimmed() + u'|' + text(form(), "lblGoodsName_1");
    }
    // Goods and rows both screens' cases read: March 2024 of every kind (one receipt of goods 99 that
    // does not exist), a receipt today; and January's stock of 10..50, each keeping 5 (30
    // discontinued, 40 not stock-managed).
    template <class F> void open() {
        closePreviews();
        lookup.reset();
        b.reset(); // the old folder gives the program folder back before the new one takes it
        b = std::make_unique<ScreenBench>();
        addGoodsRows(
            b->dir,
            u"10 みかん 1 0 0 5; 20 りんご 1 0 0 5; 30 ぶどう 1 0 1 5; 40 送料 1 1 0 5; 50 なし 1 0 0 5"_s);
        addLedgerRows(
            b->dir,
            u"20240301 0 1234 0 0 10; 20240301 0 5 0 0 20; 20240302 1 7 101 1 10; 20240303 2 2 102 1 10;"
            u"20240305 9 40 0 0 20; 20240304 0 8 0 0 99; 20240229 0 3 0 0 10; 20240306 9 9 0 0 10;"
            u"20240101 0 8 0 0 10; 20240101 0 5 0 0 20; 20240101 0 1 0 0 30; 20240101 0 5 0 0 50;"_s +
                kToday + u" 0 11 0 0 20"_s);
        b->extraStep = [this](const QString& s) { return step(s); };
        b->open<F>();
    }
    // Steps this file adds to the bench's; the checks among them fail the test where they stand.
    bool step(const QString& s) {
        bool known = true;
        [&] {
            const QString arg = s.section(u':', 1);
            if (s.startsWith(u"range:")) { // both date rows of the list typed, each left
                for (int row = 0; row < 2; ++row) {
                    const QByteArray r = QByteArray::number(row);
                    const int day = arg.section(u'-', row, row).toInt();
                    type(form(), "txtYy_" + r, QString::number(day / 10000));
                    type(form(), "txtMm_" + r, QString::number(day / 100 % 100));
                    type(form(), "txtDd_" + r, QString::number(day % 100));
                    type(form(), "txtYy_" + r, {});
                }
            } else if (s.startsWith(u"codes:")) { // both code fields typed and left with Enter
                for (int row = 0; row < 2; ++row) {
                    type(form(), row ? "txtCode_1" : "txtCode_0", arg.section(u'-', row, row));
                    press(Qt::Key_Return);
                }
            } else if (s.startsWith(u"empty:")) {
                child<QLineEdit>(form(), qPrintable(arg))->clear();
            } else if (s.startsWith(u"pick:")) {
                lookup = pickInGoodsLookup<frmPopupGoods>(arg);
                press(Qt::Key_F4);
            } else if (s == u"closeScreen") {
                form()->close();
                QVERIFY(!gcnData); // the screen closed the shared connection
                QVERIFY(fnOpenDB());
            } else if (s.startsWith(u"?codes=")) {
                QVERIFY2(like(codes(), s.mid(7)), qPrintable(codes()));
            } else if (s.startsWith(u"?rowDays=")) {
                QCOMPARE(u"%1-%2"_s.arg(rowDay(0)).arg(rowDay(1)), s.mid(9).replace(u"TODAY"_s, kToday));
            } else if (s == u"?ordered") { // the rows show the range in order, the pickers follow
                QVERIFY(rowDay(0) <= rowDay(1));
                QCOMPARE(child<QDateEdit>(form(), "dtpDay_0")->date(), fnNumberToDate(rowDay(0)));
            } else if (s.startsWith(u"?first=")) {
                QVERIFY2(
                    previews().size() == 1 &&
                        previews().first()->report()->Pages().value(0).texts().join(u' ').contains(s.mid(7)),
                    "header");
            } else if (s.startsWith(u"?tools=")) { // toolbar buttons: 1 enabled, 0 not
                for (const QString& t : s.mid(7).split(u','))
                    QVERIFY2(form()->isToolbarEnabled(t.section(u'=', 0, 0).toInt()) ==
                                 (t.section(u'=', 1) == u"1"_s),
                             qPrintable(t));
            } else if (s == u"printer") {
                printer = std::make_unique<ScriptedPrinters>();
                printer->outputFile = out.filePath(u"list.pdf"_s);
            } else if (s.startsWith(u"?orientation:")) {
                QCOMPARE(printer->requests.size(), 1);
                QCOMPARE(printer->requests.first().pageLayout.orientation() == QPageLayout::Portrait,
                         arg == u"portrait");
            } else if (s.startsWith(u"?pdf") && s.contains(u'=')) { // ?pdf=TEXT: printed; ?pdfNot=TEXT: not
                const QString pdf = poppler(u"pdftotext"_s, {u"-layout"_s, printer->outputFile, u"-"_s});
                QVERIFY2(pdf.contains(s.section(u'=', 1)) == s.startsWith(u"?pdf="),
                         qPrintable(s + u'\n' + pdf));
            } else if (s.startsWith(u"?rangeDay=")) { // the day the stock list is drawn for
                QCOMPARE(QString::number(static_cast<frmPrintZaiko*>(form())->range().day),
                         s.mid(10).replace(u"TODAY"_s, kToday));
            } else {
                known = false;
            }
        }();
        return known;
    }

private slots:
    void cleanup() {
        closePreviews();
        lookup.reset();
        printer.reset();
        b.reset();
    }

    // The screen by the row's name (nt: or zaiko:); lines: the preview's (previewLines; the stock list's
    // code and name only).
    void scenario_data() {
        cols<QString, QString, QString, QString>("steps", "said", "lines", "logs");
        const QString enabled = u"?enabled:cmdPrint;?enabled:txtYy_0;?lblMsg=;?ordered"_s;
        row("nt: opens",
            "?lblDay=入庫日;?rowDays=TODAY-TODAY;click:optKubun_1;?lblDay=調整日;?tools=1=1,12=1,2=0", "", "",
            "0");
        row("nt: the day box right-justified, the year completed",
            "txtDd_0=5;txtMm_1=;?txtDd_0= 5;txtYy_1=24;txtMm_1=;?txtYy_1=2024", "", "", "0");
        row("nt: receipts",
            "range:20240301-20240305;click:cmdPre;?first=入庫日 2024/03/01 ～ 2024/03/05;" + enabled, "",
            "2024/03/01|10|みかん|1,234,2024/03/01|20|りんご|5", "0, 4 入庫処理一覧表:確認");
        row("nt: adjustments",
            "click:optKubun_1;range:20240301-20240305;click:cmdPre;?first=調整日 2024/03/01 ～ 2024/03/05;" +
                enabled,
            "", "2024/03/05|20|りんご|40", "0, 4 在庫数調整一覧表:確認");
        row("nt: a backwards range swapped",
            "click:optKubun_1;range:20240331-20240301;click:cmdPre;?first=調整日 2024/03/01 ～ 2024/03/31;" +
                enabled,
            "", "2024/03/05|20|りんご|40,2024/03/06|10|みかん|9", "0, 4 在庫数調整一覧表:確認");
        row("nt: today by default", "click:cmdPre", "", "*|20|りんご|11", "0, 4 入庫処理一覧表:確認");
        row("nt: nothing in the range",
            "range:20200101-20200131;click:cmdPrint;?enabled:cmdPre;?enabled:cmdPrint;?enabled:txtYy_0;"
            "?enabled:txtDd_1;?enabled:dtpDay_0;?enabled:optKubun_1;?tools=12=1",
            "該当データがありません*", "", "0");
        row("nt: an empty field", "empty:txtMm_1;click:cmdPre;?focus=txtMm_1", "未記入項目があります*", "",
            "0");
        // Printed through the printer seam (the stock list landscape, the other portrait) and read back.
        row("nt: printed",
            "printer;range:20240301-20240305;click:cmdPrint;?orientation:portrait;?pdf=入庫処理一覧表;"
            "?pdf=2024/03/01;?pdf=1,234;?pdf=みかん;?pdf=1 / 1;?pdfNot=2024/03/04",
            "", "", "0, 4 入庫処理一覧表:印刷");
        row("nt: closed", "closeScreen", "", "", "0, 9");
        row("zaiko: opens",
            "?focus=optKubun_0;?rangeDay=TODAY;click:optKubun_1;?disabled:chkStop;click:optKubun_0;"
            "?enabled:chkStop",
            "", "", "0");
        // Code typed into field 0 and left with Enter.
        row("zaiko: blank, the smallest active code", "txtCode_0=;Enter;?codes=10|みかん|*;?focus=txtCode_1",
            "", "", "0");
        row("zaiko: registered", "txtCode_0=20;Enter;?codes=20|りんご|*;?focus=txtCode_1", "", "", "0");
        row("zaiko: unregistered", "txtCode_0=99;Enter;?codes=||*;?focus=txtCode_1", "*未登録です*", "", "0");
        row("zaiko: not stock-managed", "txtCode_0=40;Enter;?codes=||*;?focus=txtCode_1", "*在庫対象外*", "",
            "0");
        row("zaiko: discontinued, go on", "yes;txtCode_0=30;Enter;?codes=30|ぶどう|*;?focus=txtCode_1",
            "*中止*", "", "0");
        row("zaiko: discontinued, back to the field",
            "no;txtCode_0=30;Enter;?codes=30|ぶどう|*;?focus=txtCode_0", "*中止*", "", "0");
        // Past the trap behind the last code; back onto it: to the last code; forward from the last
        // button: round to the month.
        row("zaiko: blank range and traps",
            "codes:-;?codes=10|みかん|50|なし;?focus=cmdBtn_0;Up;?focus=txtCode_1;focusOn:cmdBtn_1;Enter;"
            "?focus=txtMm",
            "", "", "0");
        row("zaiko: F2 and F3 step over the discontinued and the not managed",
            "txtCode_0=10;F2;?codes=20|*;F2;?codes=50|なし|*;F3;?codes=20|*;?focus=txtCode_0", "", "", "0");
        row("zaiko: the goods lookup", "txtCode_1=1;pick:50;?codes=*|*|50|なし", "", "", "0");
        row("zaiko: the year completed",
            "txtYy=24;txtMm=3;txtDd=5;txtYy=24;txtMm=;?txtYy=2024;?rangeDay=20240305", "", "", "0");
        row("zaiko: a missing field", "txtCode_0=10;empty:txtDd;click:cmdBtn_1;?focus=txtDd",
            "未記入項目があります*", "", "0");
        // Option, switch and range: the goods listed; the screen usable again whichever list ran.
        const QString usable =
            u"?enabled:txtYy;?enabled:txtCode_0;?enabled:txtCode_1;?enabled:cmdBtn_0;?enabled:cmdBtn_1;"
            u"?enabled:chkStop;?lblMsg="_s;
        row("zaiko: current stock", "codes:10-50;click:cmdBtn_1;" + usable, "", "10|みかん,20|りんご,50|なし",
            "0, 4 現在庫一覧表:確認");
        row("zaiko: discontinued only", "click:chkStop;codes:10-50;click:cmdBtn_1;" + usable, "", "30|ぶどう",
            "0, 4 現在庫一覧表:確認");
        row("zaiko: a backwards range put in order",
            "codes:50-20;click:cmdBtn_1;?codes=20|りんご|50|なし;" + usable, "", "20|りんご,50|なし",
            "0, 4 現在庫一覧表:確認");
        row("zaiko: the shortage includes discontinued goods",
            "click:optKubun_1;codes:10-50;click:cmdBtn_1;" + usable, "", "30|ぶどう",
            "0, 4 確保割れ在庫一覧表:確認");
        row("zaiko: nothing to list", "click:chkStop;codes:10-20;click:cmdBtn_1;?enabled:cmdBtn_1",
            "該当データがありません*", "", "0");
        row("zaiko: a database error during the report",
            "codes:-;sql:drop table gdai;click:cmdBtn_1;?enabled:cmdBtn_1", "*gdai*", "", "*");
        row("zaiko: printed",
            "printer;codes:-;click:cmdBtn_0;?orientation:landscape;?pdf=みかん;?pdf=現在庫一覧表", "", "",
            "0, 4 現在庫一覧表:印刷");
        row("zaiko: closed", "closeScreen", "", "", "0, 9");
    }
    void scenario() {
        const bool z = QByteArray(QTest::currentDataTag()).startsWith("zaiko");
        if (z)
            open<frmPrintZaiko>();
        else
            open<frmPrintNTden>();
        const QString failure = b->play(fetch<QString>("steps"));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY2(like(b->said(), fetch<QString>("said")), qPrintable(b->said()));
        QVERIFY2(like(previewLines(z ? 2 : 0), fetch<QString>("lines")), qPrintable(previewLines(z ? 2 : 0)));
        const QString logs = b->logs(z ? u"在庫一覧表"_s : u"入庫処理／在庫数調整一覧表"_s);
        QVERIFY2(like(logs, fetch<QString>("logs")), qPrintable(logs));
    }

    // A long list is drawn while it is read: the busy label says only "処理中・・・", the bar beside
    // it counts; the stop button or Escape ends it with nothing shown, printed or logged.
    void progressAndStop_data() {
        cols<QString, QString, QString, QString>("screen", "play", "count", "stop");
        row("receipts counted", "ntden", "range:20230101-20230131;click:cmdPre", "50,000 / 100,000", "");
        row("stock list counted", "zaiko", "codes:100-1299;click:cmdBtn_1", "1,000 / 1,200", "");
        row("receipts stopped by Escape", "ntden", "range:20230101-20230131;click:cmdPre", "", "escape");
        row("stock list stopped by the button", "zaiko", "codes:100-1299;click:cmdBtn_1", "", "button");
        row("printing stopped between pages", "zaiko", "codes:100-1299;click:cmdBtn_0", "", "pages");
    }
    void progressAndStop() {
        const QString screen = fetch<QString>("screen"), stop = fetch<QString>("stop");
        if (screen == u"ntden") {
            open<frmPrintNTden>();
            b->dir.exec(u"with recursive n(i) as (select 1 union all select i + 1 from n where i < 100000) "
                        "insert into gdai (gcode, day, kubun, denno, line, suu) "
                        "select '          10', 20230101 + (i % 28), 0, 0, 0, i from n"_s);
        } else {
            open<frmPrintZaiko>();
            for (int i = 100; i < 1300; ++i)
                b->dir.addGoods(QString::number(i), u"品"_s);
        }
        const QString caption = screen == u"ntden" ? u"入庫処理／在庫数調整一覧表"_s : u"在庫一覧表"_s;
        const QString logged = b->logs(caption);
        ScriptedPrinters printer;
        const QTemporaryDir out;
        printer.outputFile = out.filePath(u"list.pdf"_s);
        PaintedTexts busy, count;
        child<QLabel>(form(), "lblMsg")->installEventFilter(&busy);
        PrintProgress::showAfterMs = 0;
        int steps = 0;
        bool stopped = false;
        // Once the bar is there (and, for a print, the pages are being painted), the user stops it.
        std::function<void()> watch = [&] {
            auto* bar = form()->findChild<PrintProgress*>();
            if (bar && !bar->findChild<QLabel*>(u"lblCount"_s)->text().isEmpty() && !stopped) {
                if (!count.parent()) bar->findChild<QLabel*>(u"lblCount"_s)->installEventFilter(&count);
                const bool painting = !printer.requests.isEmpty();
                if (!stop.isEmpty() && ++steps > 1 && (stop != u"pages" || painting)) {
                    stopped = true;
                    if (stop == u"button")
                        QTest::mouseClick(bar->findChild<QPushButton*>(u"cmdStop"_s), Qt::LeftButton);
                    else
                        QTest::keyClick(form(), Qt::Key_Escape);
                }
            }
            if (!stopped) QTimer::singleShot(0, form(), watch);
        };
        QTimer::singleShot(0, form(), watch);
        QCOMPARE(b->play(fetch<QString>("play")), QString());
        stopped = true;
        PrintProgress::showAfterMs = 1000;
        for (const QString& t : std::as_const(busy.texts))
            QVERIFY2(t.isEmpty() || t == u"処理中・・・"_s, qPrintable(t));
        QVERIFY2(busy.texts.contains(u"処理中・・・"_s), qPrintable(busy.texts.join(u',')));
        QVERIFY(!form()->findChild<PrintProgress*>());
        QCOMPARE(child<QLabel>(form(), "lblMsg")->text(), QString());
        if (stop.isEmpty()) {
            QVERIFY2(count.texts.contains(fetch<QString>("count")), qPrintable(count.texts.join(u',')));
            QCOMPARE(previews().size(), 1);
            closePreviews();
            return;
        }
        QVERIFY(previews().isEmpty());
        QCOMPARE(b->logs(caption), logged);
        for (const char* name : {"cmdBtn_0", "cmdBtn_1", "txtCode_0"})
            if (auto* w = form()->findChild<QWidget*>(QString::fromLatin1(name))) QVERIFY(w->isEnabled());
    }

    // The receipt list on its own: the counter ends the list; Mode relabels it.
    void receiptReport_data() {
        cols<int, int, QString, QString>("mode", "count", "title", "lines");
        row("the counter ends the list", 0, 1, "入庫処理一覧表", "2024/03/01|1,234");
        row("adjustments", 9, 2, "在庫数調整一覧表", "2024/03/01|1,234;2024/03/01|5");
        row("another mode keeps the labels", 5, 2, "入庫処理一覧表", "2024/03/01|1,234;2024/03/01|5");
        row("a counter past the rows stops at the last", 0, 9, "入庫処理一覧表",
            "2024/03/01|1,234;2024/03/01|5");
    }
    void receiptReport() {
        open<frmPrintNTden>();
        Recordset rec;
        fnOpenRecordset(rec, rptNyuuden::listSql(0, 20240301, 20240305)); // the receipts, whichever the mode
        rptNyuuden r;
        r.grecBuff = &rec, r.glngCnt = fetch<int>("count");
        r.setMode(fetch<int>("mode"));
        r.StartDay = 20240301, r.EndDay = 20240305;
        QVERIFY(r.Run());
        QStringList got;
        for (const QStringList& l : r.printedRows())
            got << l.value(0) + u'|' + l.value(3).trimmed();
        QCOMPARE(got.join(u';'), fetch<QString>("lines"));
        QCOMPARE(r.control(u"lblMenu"_s)->Caption, fetch<QString>("title"));
    }

    // Last: it runs the event loop to its end. The print screen closed first, the preview's F12
    // ends the program.
    void programEndsWithLastWindow() {
        open<frmPrintZaiko>();
        QCOMPARE(b->play(u"codes:-;click:cmdBtn_1"_s), QString());
        QCOMPARE(previews().size(), 1);
        QTimer::singleShot(0, this, [this] {
            form()->close();
            QTest::keyClick(previews().first(), Qt::Key_F12);
        });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(99); });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(previews().isEmpty());
    }
};

QTEST_MAIN(TestPrintScreens)
#include "tst_printscreens.moc"

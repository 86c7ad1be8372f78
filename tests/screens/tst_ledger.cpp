// The goods ledger (商品台帳) worked as a user works it, and its exports: codes and months typed,
// function keys, double-clicks on rows, the grid's menu writing the month shown as CSV or Excel;
// grid cells, labels, boxes, program starts, log rows and the files read back; the chart follows the grid.

#include "reports/XlsxReader.h"
#include "support/ScreenBench.h"
#include "ui/DataRows.h"

#include "app/basMain.h"
#include "core/basPadding.h"
#include "data/basDb.h"
#include "screens/frmGdai.h"
#include "ui/basInput.h"

#include <QAction>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QScreen>
#include <QStackedBarSeries>
#include <QTableWidget>
#include <QtTest>

using namespace screen;
using namespace Qt::Literals::StringLiterals;

namespace {
const QString kNoData = u"該当データがありません (ＰＥＬＫＯ)"_s;
const QString kShow = u"txtCode=1001;Enter;txtYy=2024;txtMm=05;Enter;"_s; // May 2024 of goods 1001
// Every kind of movement in May 2024 of 1001, April ending at 120; June's row and 1004's not shown.
const QString kMay =
    u"20240401 9 100; 20240410 0 20; 20240502 0 30; 20240507 1 15 5001 2; 20240507 1 5 5002 1;"
    u"20240515 2 3 6001 1; 20240520 9 140; 20240522 0 2000; 20240528 1 1500 5003 3;"
    u"20240601 0 7; 20240510 0 9 0 0 1004"_s;
const QStringList kMayGrid{u"2024/05/28|5003|3||1,500|||640"_s, u"2024/05/22|||2,000||||2,140"_s,
                           u"2024/05/20||||||140|140"_s,        u"2024/05/15|6001|1|||3||133"_s,
                           u"2024/05/07|5002|1||5|||130"_s,     u"2024/05/07|5001|2||15|||135"_s,
                           u"2024/05/02|||30||||150"_s};
} // namespace

class TestLedger : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<ScreenBench> b;
    QTemporaryDir m_out;

    QTableWidget* grid() const { return child<QTableWidget>(b->form.get(), "msgMei"); }
    QString totals() const {
        const QWidget* f = b->form.get();
        return joined(text(f, "lblNsuu"), text(f, "lblSsuu"), text(f, "lblHsuu"), text(f, "lblZsuu"));
    }
    // The chart: the days on its axis, then "D:stock receipts returns shipments[counts]" for each day
    // with a bar or a count ("" while nothing is shown).
    QString chartDays() const {
        QChart* chart = child<QChartView>(b->form.get(), "chtLedger")->chart();
        if (chart->series().isEmpty()) return {};
        const auto* stock = chart->findChild<QLineSeries*>(u"stock"_s);
        const auto* counts = chart->findChild<QScatterSeries*>(u"counts"_s);
        const auto* bars = chart->findChild<QStackedBarSeries*>(u"movements"_s);
        if (!stock || !counts || !bars) return u"no chart"_s;
        QStringList out{QString::number(stock->count() / 2)};
        for (int i = 0; i < stock->count() / 2; ++i) {
            QString day = QString::number(i + 1) + u':' + QString::number(stock->at(2 * i).y());
            bool shown = false;
            for (QBarSet* set : bars->barSets())
                day += u' ' + QString::number(set->at(i)), shown = shown || set->at(i) != 0;
            for (const QPointF& p : counts->points())
                if (p.x() == i) day += u'[' + QString::number(p.y()) + u']', shown = true;
            if (shown) out << day;
        }
        return out.join(u' ');
    }
    // Goods 1001, 1002 discontinued, 1003 not stock-managed, 1004; the ledger rows of 1001 unless named.
    void open(const QString& rows = {}) {
        b.reset(); // the old folder gives the program folder back before the new one takes it
        b = std::make_unique<ScreenBench>();
        addGoodsRows(b->dir, u"1001 テスト商品Ａ; 1002 中止品 1 0 1; 1003 在庫外品 1 1; 1004 テスト商品Ｄ"_s);
        addLedgerRows(b->dir, rows, u"1001"_s);
        b->extraStep = [this](const QString& s) { return step(s); };
        b->open<frmGdai>();
    }
    // Steps this file adds to the bench's; the checks among them fail the test where they stand.
    bool step(const QString& s) {
        bool known = true;
        [&] {
            const QString arg = s.section(u':', 1);
            if (s.startsWith(u"row:")) // a row double-clicked
                doubleClick(grid(), grid()->model()->index(arg.toInt(), frmGdai::ColDenno));
            else if (s.startsWith(u"keysTo:")) // typed into a box that need not have the focus
                QTest::keyClicks(child<QLineEdit>(b->form.get(), qPrintable(arg.section(u':', 0, 0))),
                                 arg.section(u':', 1));
            else if (s.startsWith(u"failStart:"))
                b->dialogs.failProgramStart(arg);
            else if (s.startsWith(u"goods:"))
                b->dir.addGoods(arg.section(u'|', 0, 0), arg.section(u'|', 1));
            else if (s == u"reopen")
                b->form.reset(), b->open<frmGdai>();
            else if (s == u"dclickEmpty") { // under the last row, and on the header
                QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
                QTest::mouseDClick(grid()->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
            } else if (s.startsWith(u"?inputMode="))
                QCOMPARE(inputMode(child<QLineEdit>(b->form.get(), "txtCode")), s.mid(11));
            else if (s.startsWith(u"?chart="))
                QCOMPARE(chartDays(), s.mid(7));
            else if (s.startsWith(u"?grid="))
                QCOMPARE(gridRows(grid()).join(u';'), s.mid(6));
            else if (s.startsWith(u"?totals="))
                QVERIFY2(like(totals(), s.mid(8)), qPrintable(totals()));
            else if (s.startsWith(u"?started=")) { // the command line after the program folder and '\'
                const ProgramStart p = b->dialogs.starts.value(0);
                const QString run = s.mid(9), at = b->dir.path();
                QCOMPARE(
                    joined(b->dialogs.starts.size(), p.commandLine, p.program, p.args.join(u' ')),
                    joined(1, at + u'\\' + run, at + u'/' + run.section(u' ', 0, 0), run.section(u' ', 1)));
            } else
                known = false;
        }();
        return known;
    }

private slots:
    void cleanup() { b.reset(); }

    // before: ledger rows (goods 1001 unless named); the code box, the name, the grid's rows (';'
    // between) and the four figures under it after the steps; '*' for any text.
    void scenario_data() {
        cols<QString, QString, QString, QString, QString, QString>("before", "steps", "code", "grid",
                                                                   "totals", "said");
        const QString a = u"        1001|テスト商品Ａ"_s;
        // The code's Enter first shows today's month, which has no rows.
        row("every kind", kMay, kShow + "?focus=msgMei", a, kMayGrid.join(u';'), "2,030|1,520|3|640",
            kNoData);
        row("oldest row a count", "20240420 0 50; 20240501 9 10; 20240503 1 4 7001 1", kShow, a,
            "2024/05/03|7001|1||4|||6;2024/05/01||||||10|10", "0|4|0|6", kNoData);
        // The receipt is listed above the count and applied after it; the stock engine counts the
        // count's own day inside the count: the month-end figure differs by design.
        row("receipt and count on one day", "20240405 0 8; 20240510 9 40; 20240510 0 5", kShow, a,
            "2024/05/10|||5||||45;2024/05/10||||||40|40", "5|0|0|40", kNoData);
        row("kind 3 keeps the stock", "20240501 0 10; 20240505 3 99 8001 4; 20240506 1 2 8002 1", kShow, a,
            "2024/05/06|8002|1||2|||8;2024/05/05|8001|4|||||10;2024/05/01|||10||||10", "10|2|0|8", kNoData);
        row("no rows", "20240415 9 77; 20240601 0 5", kShow, a, "", "0|0|0|77", kNoData + u'/' + kNoData);
        // The month-end stock comes from the stock engine, which stops at 32 bits: not compared.
        row("beyond 32 bits", "20240502 0 2000000000; 20240503 0 1500000000", kShow, a,
            "2024/05/03|||1,500,000,000||||3,500,000,000;2024/05/02|||2,000,000,000||||2,000,000,000",
            "3,500,000,000|0|0|*", kNoData);
        // Straight from the code to the month skips the goods check: the code stays as typed, the
        // stored (blank-padded) code's rows are found all the same.
        row("untyped blanks", "20240502 0 30",
            "keysTo:txtCode:1001;keysTo:txtMm:05;?focus=txtMm;?said=;keysTo:txtYy:2024;F5",
            "1001|テスト商品Ａ", "2024/05/02|||30||||30", "*", "*");
        // Codes holding apostrophes (accepted with Sysfile.gno 2): that goods' ledger and stock, not
        // 1001's, whose later count a code pasted into SQL unquoted would show.
        for (const char* code : {"O'NEIL", "1' or ''='", "'"}) {
            const QString c = QString::fromLatin1(code);
            row(code,
                "20240415 9 900; 20240503 0 1; 20240531 9 700; 20240401 9 100 0 0 " + c +
                    "; 20240502 0 30 0 0 " + c + "; 20240510 1 4 5001 1 " + c,
                "sql:update sysfile set gno = 2 where id = 1;goods:" + c + "|クォート;reopen;txtCode=" + c +
                    ";Enter;txtYy=2024;txtMm=05;Enter",
                fnPadLeft(c, 12) + "|クォート", "2024/05/10|5001|1||4|||126;2024/05/02|||30||||130",
                "30|4|0|126", kNoData);
        }
        // The code left with Enter: checked, the grid shown for this month or nothing.
        const QString month = QDate::currentDate().toString(u"yyyyMM01"_s);
        const QString here = month + u" 0 3 0 0 1002; "_s + month + u" 0 3 0 0 1003"_s;
        const QString stop = u"この商品は中止商品です。入力を行いますか？"_s;
        const QString first = QDate::currentDate().toString(u"yyyy/MM/01"_s) + u"|||3||||3"_s;
        row("unknown", here, "txtCode=9999;Enter;?focus=txtCode", "*|", "", "*", "未登録です (ＰＥＬＫＯ)");
        row("discontinued, No", here, "no;txtCode=1002;Enter;?focus=txtCode", "*|中止品", first, "*",
            stop + " (ＰＥＬＫＯ)");
        row("discontinued, Yes", here, "yes;txtCode=1002;Enter;?focus=msgMei", "*|中止品", first, "*",
            stop + " (ＰＥＬＫＯ)");
        row("not stock-managed", here, "txtCode=1003;Enter;?focus=txtCode", "*|", "", "*",
            "この商品は在庫対象外です (ＰＥＬＫＯ)");
        // A code changed and left straight for the month (a click: no check): its own rows, or none.
        const QString mixed =
            u"20240502 0 30; 20240503 0 4 0 0 1004; 20240503 0 5 0 0 1003; 20240503 0 6 0 0 9999"_s;
        for (auto [code, name, rows] :
             {std::tuple{"1004", "テスト商品Ｄ", "2024/05/03|||4||||4"}, {"1003", "", ""}, {"9999", "", ""}})
            row(code, mixed,
                kShow + "?lblName=テスト商品Ａ;clear;txtCode=" + QString::fromLatin1(code) + ";txtMm=;Enter",
                QString::fromUtf8("*|") + QString::fromUtf8(name), QString::fromLatin1(rows), "*",
                QString::fromLatin1(rows).isEmpty() ? kNoData : QString());
        // The year emptied, then F5 from the month: nothing shown, the year gets the focus.
        row("blank year", "20240502 0 30", kShow + "clear;txtYy=;Delete;txtMm=06;F5;?focus=txtYy", a,
            "2024/05/02|||30||||30", "*", "未記入項目があります (ＰＥＬＫＯ)*");
        // F2/F3 step the month in the grid and the code (1002 discontinued and 1003 not stock-managed
        // passed over) in the code box; at either end nothing changes. January opens with all of December.
        const QString dec = u"2024/12/05|||10||||10"_s;
        row("stepping", "20241205 0 10; 20250103 1 4 9001 2; 20241203 0 12 0 0 1004",
            "txtCode=1001;Enter;txtYy=2024;txtMm=12;Enter;clear;F2;?focus=msgMei;?grid=2025/01/"
            "03|9001|2||4|||6;F3;?grid=" +
                dec + ";F3;?txtMm=11;?grid=;?said=" + kNoData +
                ";clear;F2;?txtMm=12;click:txtCode;F2;?txtCode=        "
                "1004;?grid=2024/12/03|||12||||12;F2;?lblName=テスト商品Ｄ;F3;F3;?focus=txtCode;?txtYy=2024",
            a, dec, "*", "");
        // A double-click on a row starts the program that wrote it: vouchers, the two entry screens.
        const QString a7 =
            u"20240510 9 50 0 0 A-7; 20240512 0 5 0 0 A-7; 20240520 2 1 6001 1 A-7; 20240525 1 2 5001 3 A-7"_s;
        const QString showA7 = u"goods:A-7|記号コード;txtCode=A-7;Enter;txtYy=2024;txtMm=05;Enter;clear;"_s;
        for (auto [r, started] : {std::pair{"0", "denpyo 1 5001"},
                                  {"1", "denpyo 6 6001"},
                                  {"2", "zanmo 1 20240512 A-7"},
                                  {"3", "zanmo 2 20240510 A-7"}})
            row(started, a7, showA7 + "row:" + r + ";?started=" + started, "*", "*", "*", "");
        row("start fails", a7, showA7 + "failStart:ファイルが見つかりません。;row:0;?started=denpyo 1 5001",
            "*", "*", "*", "プログラムの呼び出しエラーです\r\nファイルが見つかりません。*");
        // Nor on no row, nor while an unknown code waits in its box: each try to leave it says so.
        row("no row to start", "20240502 0 30",
            "txtCode=1001;Enter;txtYy=2024;txtMm=06;Enter;dclickEmpty;F3;clear;click:txtCode;keys:9999;row:0;"
            "?focus=txtCode",
            "*", "*", "*", "未登録です (ＰＥＬＫＯ)*");
        // What the code box lets in follows Sysfile.gno.
        for (auto [gno, mode, kept] : {std::tuple{"0", "4", "A-1x"}, {"1", "6", "1"}, {"2", "", "A-1'x"}})
            row(qPrintable(u"gno "_s + gno), "",
                u"sql:update sysfile set gno = "_s + gno + u" where id = 1;reopen;?inputMode="_s + mode +
                    u";keysTo:txtCode:A-1'x;?txtCode="_s + kept,
                "*", "*", "*", "*");
        // Rows on days that are no dates (another program wrote them) are listed as they are.
        row("impossible days listed", "20230231 9 8; 20230229 0 5; 20230200 0 1; 20230301 0 2",
            "txtCode=1001;Enter;txtYy=2023;txtMm=02;Enter;clear;row:0;?started=zanmo 2 20230231 1001", a,
            "2023/02/31||||||8|8;2023/02/29|||5||||6;2023/02/00|||1||||1", "*", "");
        // The chart shows the month and goods the grid shows, after F2 and F3 in the grid and in the code.
        const QString chart = u"20240430 0 40; 20240503 0 10; 20240510 1 4 7001 1; 20240515 2 2 7002 1;"
                              u"20240520 9 30; 20240520 0 5; 20240602 1 1200 7003 1; 20240507 0 3 0 0 1004"_s;
        const QString may = u";?txtMm=05;?chart=31 3:50 10 0 0 10:46 0 0 -4 15:48 0 2 0 20:35 5 0 0[30]"_s;
        const QString mayGrid = u"2024/05/20|||5||||35;2024/05/20||||||30|30;2024/05/15|7002|1|||2||48;"
                                u"2024/05/10|7001|1||4|||46;2024/05/03|||10||||50"_s;
        row("chart before a month", chart, "?chart=", "*", "", "*", "");
        row("chart of the month", chart, kShow + may, a, mayGrid, "*", "*");
        row("chart, month stepped", chart,
            kShow +
                "click:msgMei;F2;?txtMm=06;?grid=2024/06/02|7003|1||1,200|||-1,170;?chart=30 2:-1170 0 0 "
                "-1200;F3" +
                may,
            a, mayGrid, "*", "*");
        row("chart, goods stepped", chart,
            kShow +
                "click:txtCode;F2;?txtCode=        1004;?grid=2024/05/07|||3||||3;?chart=31 7:3 3 0 0;F3" +
                may,
            a, mayGrid, "*", "*");
    }
    void scenario() {
        open(fetch<QString>("before"));
        QCOMPARE(b->play(fetch<QString>("steps")), QString());
        const QString got = joined(text(b->form.get(), "txtCode"), text(b->form.get(), "lblName")) + u'#' +
                            gridRows(grid()).join(u';') + u'#' + totals() + u'#' + b->said();
        QVERIFY2(like(got, QStringList{fetch<QString>("code"), fetch<QString>("grid"),
                                       fetch<QString>("totals"), fetch<QString>("said")}
                               .join(u'#')),
                 qPrintable(got));
        QVERIFY(b->form->isEnabled());
        if (!fetch<QString>("steps").contains(u"?started"_s)) QCOMPARE(b->dialogs.starts.size(), 0);
        if (QByteArray(QTest::currentDataTag()) == "every kind") // the newest row current, selected across
            QCOMPARE(joined(grid()->item(0, frmGdai::ColStock)->textAlignment(), grid()->currentRow(),
                            grid()->selectionModel()->selectedIndexes().size()),
                     joined(int(Qt::AlignRight | Qt::AlignVCenter), 0, 8));
    }

    // A database error is shown and the screen goes on; the ledger ends the shared connection.
    void openDatabaseErrorAndClose() {
        open();
        QVERIFY(b->form->frameGeometry().height() <= b->form->screen()->availableGeometry().height());
        QCOMPARE(child<QChartView>(b->form.get(), "chtLedger")->focusPolicy(), Qt::NoFocus);
        QCOMPARE(text(b->form.get(), "txtYy") + text(b->form.get(), "txtMm"),
                 QDate::currentDate().toString(u"yyyyMM"_s));
        fnCloseDB();
        QCOMPARE(b->play(u"txtCode=1001;Enter"_s), QString());
        QCOMPARE(joined(b->dialogs.messages.size(), int(b->dialogs.lastMessage().icon),
                        b->dialogs.lastMessage().text.isEmpty(), b->form->isEnabled()),
                 joined(1, int(MsgIcon::Critical), false, true));
        QVERIFY(fnOpenDB());
        QCOMPARE(b->play(u"click:txtCode;Enter;?lblName=テスト商品Ａ;F12"_s), QString());
        QVERIFY(!b->form->isVisible() && gcnData == nullptr);
        QVERIFY(fnOpenDB());
        QCOMPARE(b->logs(u"商品台帳"_s), u"0, 9"_s);
    }

    // The grid's own menu, enabled while a month is shown, writes it as CSV (the second time appended
    // without a caption line) or Excel, or nothing when the dialog is cancelled; the screen stays as it
    // was, and F6 answered Yes empties it. The writers' encodings and failures are the report exports'
    // (tst_reportexport).
    void exports_data() {
        cols<QString, QString, QString>("menu", "filter", "said");
        row("Excel", "mnuXlsx", "", "出力しました。");
        row("CSV", "mnuCsv", "CSV UTF-8 (*.csv)", "保存しました (ＰＥＬＫＯ)");
        row("Excel cancelled", "mnuXlsx", "cancel", "");
        row("CSV cancelled", "mnuCsv", "cancel", "");
    }
    void exports() {
        const QString filter = fetch<QString>("filter");
        open(kMay);
        QAction* menu = b->form->findChild<QAction*>(fetch<QString>("menu"));
        const auto menus = [&] {
            QStringList texts{QString::number(grid()->contextMenuPolicy())};
            for (QAction* a : grid()->actions())
                texts << a->text() + u':' + QString::number(a->isEnabled());
            return texts.join(u'|');
        };
        QCOMPARE(menus(), u"2|CSV出力:0|Excel出力:0"_s);
        QCOMPARE(b->play(kShow + u"clear"_s), QString());
        QCOMPARE(menus(), u"2|CSV出力:1|Excel出力:1"_s);
        const QString file = m_out.filePath(filter.isEmpty() ? u"台帳.xlsx"_s : u"台帳.csv"_s);
        QFile::remove(file);
        if (filter != u"cancel"_s) b->dialogs.answerSaveFile(file, filter);
        menu->trigger();
        QVERIFY2(like(b->said(), fetch<QString>("said")), qPrintable(b->said()));
        QCOMPARE(joined(b->dialogs.saveRequests.size(), gridRows(grid()).join(u';'), QFile::exists(file)),
                 joined(1, kMayGrid.join(u';'), filter != u"cancel"_s));
        if (filter == u"cancel"_s) {
            QCOMPARE(b->play(u"yes;F6;?grid="_s), QString());
            QCOMPARE(menus(), u"2|CSV出力:0|Excel出力:0"_s);
            return;
        }
        const QString rows =
            u"2024/05/28,5003,3,,\"1,500\",,,640|2024/05/22,,,\"2,000\",,,,\"2,140\"|2024/05/20,,,,,,140,140|"
            u"2024/05/15,6001,1,,,3,,133|2024/05/07,5002,1,,5,,,130|2024/05/07,5001,2,,15,,,135|"
            u"2024/05/02,,,30,,,,150|入庫合計,\"2,030\"|出庫合計,\"1,520\"|返品入庫合計,3|現在庫数,640"_s;
        const QStringList captions = listed(grid()).first().split(u'|'); // the grid's own
        if (!filter.isEmpty()) {
            QCOMPARE(csvFile(file), captions.join(u',') + u'|' + rows);
            b->dialogs.answerSaveFile(file, filter);
            b->dialogs.answerMessage(MsgNo); // not over it: appended
            menu->trigger();
            QCOMPARE(csvFile(file), captions.join(u',') + u'|' + rows + u'|' + rows);
            return;
        }
        QCOMPARE(b->dialogs.saveRequests.value(0).title, u"商品台帳Excel出力ﾌｧｲﾙ"_s);
        // The heading, captions on row 6, a date as a date, a figure as a number, an empty cell as
        // none; the figures under a blank row.
        const XlsxReader sheet(file);
        QVERIFY2(sheet.isValid(), qPrintable(sheet.error()));
        const QStringList wrong = sheet.mismatches(
            u"A1=s:商品台帳:General|A2=s:商品コード 1001:General|A3=s:名称 テスト商品Ａ:General|"
            u"A4=s:2024年05月分:General|A7=d:2024/05/28:yyyy/mm/dd|"
            u"B7=n:5003:0|C7=n:3:0|D7=-|E7=n:1500:#,##0|H7=n:640:#,##0|A13=d:2024/05/02:yyyy/mm/dd|"
            u"D13=n:30:#,##0|A14=-|A15=s:入庫合計:General|B15=n:2030:#,##0|A18=s:現在庫数:General|"
            u"B18=n:640:#,##0|A19=-"_s);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
        for (int c = 0; c < captions.size(); ++c)
            QCOMPARE(sheet.cell(XlsxReader::ref(6, c + 1)).text, captions.at(c));
        QCOMPARE(sheet.frozenRows(), 6);
    }
};

QTEST_MAIN(TestLedger)
#include "tst_ledger.moc"

#include "reports/ScriptedPrinters.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"
#include "ui/DataRows.h"

#include "core/basPadding.h"
#include "reports/ReportCsvExport.h"
#include "reports/ReportPdfExport.h"
#include "reports/rptKakuhoZaiko.h"
#include "reports/rptZaiko.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const int kDay = 20240305;

// Ledger rows "[goods@]day:kind:quantity[:voucher]" (goods 1 unless named).
void addRows(const TempProgramDir& dir, const QString& ledger) {
    for (const QString& r : ledger.split(u' ', Qt::SkipEmptyParts)) {
        const QString goods = r.contains(u'@') ? r.section(u'@', 0, 0) : u"1"_s;
        const QStringList f = r.section(u'@', -1).split(u':');
        dir.addLedger(goods, f[0].toInt(), f[1].toInt(), f[2].toDouble(), f.value(3).toInt());
    }
}

StockListRange wholeRange(int day = kDay) {
    StockListRange r;
    r.day = day;
    r.code0 = fnPadLeft(u""_s, 12);
    r.code1 = fnPadLeft(u"ZZZZZZZZZZZZ"_s, 12);
    return r;
}

// The printed detail lines, columns trimmed (a code prints with its blanks) and joined with '|'.
QStringList lines(const ActiveReport& r) {
    QStringList out;
    for (const QStringList& row : r.printedRows()) {
        QStringList cells;
        for (const QString& cell : row)
            cells << cell.trimmed();
        out << cells.join(u'|');
    }
    return out;
}

QString tool(const QStringList& args, int* status = nullptr) {
    QProcess p;
    p.start(qEnvironmentVariable("ZANMO_TOOL"), args);
    p.waitForFinished(60000);
    if (status) *status = p.exitCode();
    return QString::fromUtf8(p.readAllStandardError());
}

} // namespace

class tst_StockReports : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;

private slots:
    void init() {
        m_dir = std::make_unique<TempProgramDir>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
    }
    void cleanup() {
        m_dialogs.reset();
        m_dir.reset();
    }

    // One goods "1"; the line of the current-stock list as of D.
    void zaikoLine_data() {
        cols<QString, int, QString>("ledger", "day", "line");
        row("count dated D: Z is the count, D's movements still shown, P from the count before",
            "20240301:9:50 20240302:0:4 20240305:9:40 20240305:0:7 20240305:1:3 20240305:2:2", kDay,
            "54|7|3|2|40|0|40");
        row("count dated D - 1 is P", "20240201:0:99 20240304:9:30 20240304:0:8 20240305:0:5", kDay,
            "30|5|0|0|0|0|35");
        row("no count: every earlier receipt and return less shipments",
            "20230101:0:10 20240201:1:3 20240202:2:1 20240305:0:2", kDay, "8|2|0|0|0|0|10");
        row("shipments after D only planned", "20240101:0:10 20240306:1:4 20250101:1:1 20240306:0:50", kDay,
            "10|0|0|0|0|5|10");
        row("two counts on D: the higher voucher", "20240305:9:12:1 20240305:9:15:2", kDay,
            "0|0|0|0|15|0|15");
        row("month end to the first", "20240229:9:20 20240229:0:5 20240301:1:1", 20240301, "20|0|1|0|0|0|19");
        row("year end", "20231231:9:7 20240101:0:1", 20240101, "7|1|0|0|0|0|8");
        row("sums rounded halves to even", "20240101:0:2.5 20240305:0:3.5", kDay, "2|4|0|0|0|0|6");
        row("negative stock keeps its sign", "20240101:1:5", kDay, "-5|0|0|0|0|0|-5");
        row("kinds other than 0, 1, 2, 9 change nothing", "20240101:0:5 20240102:3:100 20240305:5:1", kDay,
            "5|0|0|0|0|0|5");
    }
    void zaikoLine() {
        m_dir->addGoods(u"1"_s, u"みかん"_s);
        addRows(*m_dir, fetch<QString>("ledger"));
        rptZaiko r;
        r.Range = wholeRange(fetch<int>("day"));
        QVERIFY(r.Run());
        const QStringList got = lines(r);
        QCOMPARE(got.size(), 1);
        // Quantities: the sign's blank of Str$ is there before the CSV trims it.
        QVERIFY(r.control(u"txtzenzai"_s)->Text.startsWith(u' ') ||
                r.control(u"txtzenzai"_s)->Text.startsWith(u'-'));
        QCOMPARE(got.first().section(u'|', 2, 8), fetch<QString>("line"));
    }

    void zaikoAmount_data() {
        cols<int, QString>("stankaKbn", "costAndAmount");
        row("whole yen", 0, "1,235|3,704");
        row("two decimals", 1, "1,234.56|3,703.68");
        row("any non-zero flag", -1, "1,234.56|3,703.68");
    }
    void zaikoAmount() {
        m_dir->addGoods(u"1"_s, u"みかん"_s);
        m_dir->exec(u"update goods set stanka = 1234.56"_s);
        addRows(*m_dir, u"20240101:0:3"_s);
        rptZaiko r;
        r.StankaKbn = fetch<int>("stankaKbn");
        r.Range = wholeRange();
        QVERIFY(r.Run());
        QCOMPARE(lines(r).value(0).section(u'|', 9, 10), fetch<QString>("costAndAmount"));
    }

    // Which goods the current-stock list prints: stock-managed goods of the range, active ones or,
    // with the switch, discontinued ones only; a goods kind (gkubun) other than 0 never.
    void zaikoSelection_data() {
        cols<bool, QString, QString, QString>("stopOnly", "from", "to", "codes");
        row("active goods", false, "", "ZZZZ", "1,2,5");
        row("discontinued only", true, "", "ZZZZ", "3");
        row("a range", false, "2", "4", "2");
    }
    void zaikoSelection() {
        m_dir->addGoods(u"1"_s, u"一"_s);
        m_dir->addGoods(u"2"_s, u"二"_s);
        m_dir->addGoods(u"3"_s, u"三"_s, 1, 0, /*stop*/ 1);
        m_dir->addGoods(u"4"_s, u"四"_s, 1, /*zkubun*/ 1);
        m_dir->addGoods(u"5"_s, u"五"_s);
        m_dir->addGoods(u"6"_s, u"六"_s);
        m_dir->exec(u"update goods set gkubun = 1 where code = '           6'"_s);
        rptZaiko r;
        r.Range = wholeRange();
        r.Range.stopOnly = fetch<bool>("stopOnly");
        r.Range.code0 = fnPadLeft(fetch<QString>("from"), 12);
        r.Range.code1 = fnPadLeft(fetch<QString>("to"), 12);
        QVERIFY(r.Run());
        QStringList codes;
        for (const QString& l : lines(r))
            codes << l.section(u'|', 0, 0);
        QCOMPARE(codes.join(u','), fetch<QString>("codes"));
    }

    // Goods "code:kakuho:stop" with ledger rows; the codes the shortage list prints.
    void kakuho_data() {
        cols<QString, QString, QString>("goods", "ledger", "printed");
        row("equal is not short", "1:5:0 2:6:0", "1@20240101:0:5 2@20240101:0:5", "2");
        row("kakuho 0: negative printed, zero not", "1:0:0 2:0:0", "1@20240101:1:1", "1");
        row("a discontinued goods is printed", "1:10:1 2:1:0", "1@20240101:0:3 2@20240101:0:3", "1");
        row("a count on D sets the stock", "1:10:0", "1@20240305:0:50 1@20240305:9:4", "1");
    }
    void kakuho() {
        for (const QString& g : fetch<QString>("goods").split(u' ')) {
            const QStringList f = g.split(u':');
            m_dir->addGoods(f[0], u"品"_s + f[0], 1, 0, f[2].toInt());
            m_dir->exec(u"update goods set kakuho = %1 where code = '%2'"_s.arg(f[1], fnPadLeft(f[0], 12)));
        }
        addRows(*m_dir, fetch<QString>("ledger"));
        rptKakuhoZaiko r;
        r.Range = wholeRange();
        QVERIFY(r.Run());
        QStringList codes;
        for (const QString& l : lines(r))
            codes << l.section(u'|', 0, 0);
        QCOMPARE(codes.join(u','), fetch<QString>("printed"));
        QCOMPARE(r.printedLines(), int(codes.size()));
        QVERIFY(m_dialogs->messages.isEmpty());
    }

    void kakuhoNothingShort() {
        m_dir->addGoods(u"1"_s, u"品"_s);
        m_dir->exec(u"update goods set kakuho = 2"_s);
        addRows(*m_dir, u"20240101:0:2"_s);
        auto r = std::make_unique<rptKakuhoZaiko>();
        r->Range = wholeRange();
        QPointer<rptKakuhoZaiko> alive(r.get());
        ActiveReport::Show(std::move(r));
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(m_dialogs->lastMessage().text, u"該当データがありません"_s);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!alive); // the preview closed and the report went with it
    }

    void headerAndPdf() {
        m_dir->addGoods(u"1"_s, u"みかん"_s);
        m_dir->addGoods(u"2"_s, u"りんご"_s);
        addRows(*m_dir, u"20240101:0:12 2@20240305:1:3"_s);
        rptZaiko r;
        r.Range = wholeRange();
        r.Range.code0 = fnPadLeft(u"1"_s, 12), r.Range.name0 = u"みかん"_s;
        r.Range.code1 = fnPadLeft(u"2"_s, 12), r.Range.name1 = u"りんご"_s;
        QVERIFY(r.Run());
        QCOMPARE(r.PageSettings.Orientation, int(ReportPageSettings::ddOLandscape));
        const QTemporaryDir out;
        ReportPdfExport pdf;
        pdf.FileName = out.filePath(u"zaiko.pdf"_s);
        QVERIFY(pdf.Export(r));
        const QString text = poppler(u"pdftotext"_s, {u"-layout"_s, pdf.FileName, u"-"_s});
        for (const QString& s : {u"現在庫一覧表"_s, u"2024/03/05"_s, u"現在"_s, u"みかん"_s, u"りんご"_s,
                                 u"前日在庫"_s, u"出庫予定"_s, u"1 / 1"_s})
            QVERIFY2(text.contains(s), qPrintable(s + u" missing in:\n"_s + text));
        QVERIFY(text.contains(QRegularExpression(u"りんご\\s+0\\s+0\\s+3\\s+0\\s+0\\s+0\\s+-3"_s)));
    }

    void csv_data() {
        cols<bool, bool, QString, bool>("kakuho", "sjis", "name", "refused");
        row("current stock, UTF-8", false, false, "みかん, 大", false);
        row("current stock, Shift-JIS", false, true, "みかん, 大", false);
        row("shortage, UTF-8", true, false, "みかん, 大", false);
        row("UTF-8 holds any name", false, false, "みかん🍊, 大", false);
        row("a name Shift-JIS cannot hold", false, true, "みかん🍊, 大", true);
        row("nor a kanji outside it", true, true, "𠮷野家, 大", true);
    }
    void csv() {
        const QString name = fetch<QString>("name");
        m_dir->addGoods(u"1"_s, name);
        m_dir->exec(u"update goods set kakuho = 2000, stanka = 1000"_s);
        addRows(*m_dir, u"20240101:0:1234"_s);
        std::unique_ptr<StockListReport> r;
        if (fetch<bool>("kakuho"))
            r = std::make_unique<rptKakuhoZaiko>();
        else
            r = std::make_unique<rptZaiko>();
        r->Range = wholeRange();
        const QTemporaryDir out;
        ReportCsvExport csv;
        csv.FileName = out.filePath(u"list.csv"_s);
        csv.ShiftJis = fetch<bool>("sjis");
        if (fetch<bool>("refused")) {
            // Refused, never written with '?' in its place.
            QVERIFY(!csv.Export(*r));
            QCOMPARE(csv.errorDescription(), u"Shift-JIS で表せない文字があります。"_s);
            QVERIFY(!QFile::exists(csv.FileName));
            return;
        }
        QVERIFY2(csv.Export(*r), qPrintable(csv.errorDescription()));
        QFile f(csv.FileName);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QString text;
        if (csv.ShiftJis) {
            QStringDecoder sjis("Shift_JIS");
            text = sjis.decode(bytes);
        } else {
            QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
            text = QString::fromUtf8(bytes.mid(3));
        }
        const QString expected =
            fetch<bool>("kakuho")
                ? u"商品コード,商品名称,最小確保数,現在庫\r\n1,\"%1\",2000,1234\r\n"_s.arg(name)
                : u"商品コード,商品名称,前日在庫,当日入庫,当日出庫,当日返品,当日棚卸,出庫予定,現在庫,原価,"
                  u"金額\r\n"
                  u"1,\"%1\",1234,0,0,0,0,0,1234,\"1,000\",\"1,234,000\"\r\n"_s.arg(name);
        QCOMPARE(text, expected);
    }

    // The tool writes the same lists from the command line.
    void toolReports_data() {
        cols<QString, QString>("args", "expected");
        row("current stock, blank range: the active goods", "zaiko --day 20240305",
            "1,みかん,12|2,りんご,-3");
        row("from a code", "zaiko --day 20240305 --from 2", "2,りんご,-3");
        row("a range typed backwards is put in order", "zaiko --day 20240305 --from 2 --to 1",
            "1,みかん,12|2,りんご,-3");
        row("discontinued only", "zaiko --day 20240305 --to 3 --stop", "3,なし,0");
        row("shortage", "kakuho --day 20240305", "2,りんご,1,-3");
    }
    void toolReports() {
        m_dir->addGoods(u"1"_s, u"みかん"_s);
        m_dir->addGoods(u"2"_s, u"りんご"_s);
        m_dir->addGoods(u"3"_s, u"なし"_s, 1, 0, 1);
        m_dir->exec(u"update goods set kakuho = 1"_s);
        addRows(*m_dir, u"20240101:0:12 2@20240305:1:3"_s);
        QStringList args = fetch<QString>("args").split(u' ');
        const QString file = m_dir->path() + u"/out.csv"_s;
        args.insert(1, m_dir->path());
        args.prepend(u"report"_s);
        args << u"--csv"_s << file;
        int status = -1;
        const QString err = tool(args, &status);
        QVERIFY2(status == 0, qPrintable(err));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QStringList got;
        const QStringList rows = QString::fromUtf8(f.readAll().mid(3)).split(u"\r\n"_s, Qt::SkipEmptyParts);
        for (const QString& l : rows.mid(1)) {
            const QStringList c = l.split(u',');
            got << (args.at(1) == u"kakuho"_s ? c.mid(0, 4) : QStringList{c[0], c[1], c[8]}).join(u',');
        }
        QCOMPARE(got.join(u'|'), fetch<QString>("expected"));
    }

    void toolRefuses_data() {
        cols<QString, QString>("args", "error");
        row("no such goods", "zaiko --day 20240305 --from 99 --pdf x.pdf", "未登録");
        row("not stock-managed", "zaiko --day 20240305 --to 4 --pdf x.pdf", "在庫対象外");
        row("not a day", "zaiko --day 20240231 --pdf x.pdf", "calendar day");
        row("no output", "kakuho --day 20240305", "--pdf");
        row("nothing in the range", "zaiko --day 20240305 --stop --csv x.csv", "ﾃﾞｰﾀなし");
    }
    void toolRefuses() {
        m_dir->addGoods(u"1"_s, u"みかん"_s);
        m_dir->addGoods(u"4"_s, u"送料"_s, 1, 1);
        QStringList args = fetch<QString>("args").split(u' ');
        args.insert(1, m_dir->path());
        args.prepend(u"report"_s);
        int status = 0;
        const QString err = tool(args, &status);
        QCOMPARE(status, 2);
        QVERIFY2(err.contains(fetch<QString>("error")), qPrintable(err));
        QVERIFY(!QFile::exists(u"x.pdf"_s) && !QFile::exists(u"x.csv"_s));
    }
};

QTEST_MAIN(tst_StockReports)
#include "tst_stockreports.moc"

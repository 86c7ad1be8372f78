#include "reports/ScriptedPrinters.h"
#include "support/ScreenBench.h"
#include "support/ScriptedDialogs.h"
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

} // namespace

class TestStockReports : public QObject, DataRows {
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
            "20240301 9 50; 20240302 0 4; 20240305 9 40; 20240305 0 7; 20240305 1 3; 20240305 2 2", kDay,
            "54|7|3|2|40|0|40");
        row("shipments after D only planned", "20240101 0 10; 20240306 1 4; 20250101 1 1; 20240306 0 50",
            kDay, "10|0|0|0|0|5|10");
        row("negative stock keeps its sign", "20240101 1 5", kDay, "-5|0|0|0|0|0|-5");
        row("kinds other than 0, 1, 2, 9 change nothing", "20240101 0 5; 20240102 3 100; 20240305 5 1", kDay,
            "5|0|0|0|0|0|5");
    }
    void zaikoLine() {
        m_dir->addGoods(u"1"_s, u"みかん"_s);
        addLedgerRows(*m_dir, fetch<QString>("ledger"), u"1"_s);
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
        addLedgerRows(*m_dir, u"20240101 0 3"_s, u"1"_s);
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

    // Goods and ledger rows (ScreenBench notation); the codes the shortage list prints.
    void kakuho_data() {
        cols<QString, QString, QString>("goods", "ledger", "printed");
        row("equal is not short", "1 品1 1 0 0 5; 2 品2 1 0 0 6", "20240101 0 5 0 0 1; 20240101 0 5 0 0 2",
            "2");
        row("kakuho 0: negative printed, zero not", "1 品1 1 0 0 0; 2 品2 1 0 0 0", "20240101 1 1 0 0 1",
            "1");
        row("a discontinued goods is printed", "1 品1 1 0 1 10; 2 品2 1 0 0 1",
            "20240101 0 3 0 0 1; 20240101 0 3 0 0 2", "1");
        row("a count on D sets the stock", "1 品1 1 0 0 10", "20240305 0 50 0 0 1; 20240305 9 4 0 0 1", "1");
    }
    void kakuho() {
        addGoodsRows(*m_dir, fetch<QString>("goods"));
        addLedgerRows(*m_dir, fetch<QString>("ledger"), u"1"_s);
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
        addLedgerRows(*m_dir, u"20240101 0 2"_s, u"1"_s);
        auto r = std::make_unique<rptKakuhoZaiko>();
        r->Range = wholeRange();
        QPointer<rptKakuhoZaiko> alive(r.get());
        ActiveReport::Show(std::move(r));
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(m_dialogs->lastMessage().text, u"該当データがありません"_s);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!alive); // the preview closed and the report went with it
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
        addLedgerRows(*m_dir, u"20240101 0 1234"_s, u"1"_s);
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
        // The list's title and header lines, a blank line, then the table.
        QVERIFY2(text.startsWith(r->exportTitle() + u"\r\n日付 "_s), qPrintable(text.left(80)));
        QCOMPARE(text.section(u"\r\n\r\n"_s, 1), expected);
    }
};

QTEST_MAIN(TestStockReports)
#include "tst_stockreports.moc"

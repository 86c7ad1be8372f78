#include "reports/GoodsListReport.h"
#include "reports/PrintScreenDriver.h"
#include "support/ScreenBench.h"
#include "support/ScriptedDialogs.h"
#include "ui/DataRows.h"

#include "core/basPadding.h"
#include "reports/ReportCsvExport.h"
#include "reports/rptKakuhoZaiko.h"
#include "reports/rptZaiko.h"

#include <QtTest>

namespace {

template <class R> std::unique_ptr<R> wholeRange() {
    auto r = std::make_unique<R>();
    r->Range.day = 20240305;
    r->Range.code0 = fnPadLeft(u""_s, 12);
    r->Range.code1 = fnPadLeft(u"ZZZZZZZZZZZZ"_s, 12);
    return r;
}

} // namespace

// The stock lists on their own. The figures are the stock engine's (its own tests); here where they
// go, which goods are listed and what the CSV refuses.
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

    // One goods "1" of unit cost 1234.56; its current-stock line as of 2024/03/05 from the stock on:
    // P, in, out, returns, count, planned, Z, cost, amount.
    void zaikoLine_data() {
        cols<QString, int, QString>("ledger", "stankaKbn", "line");
        row("each figure in its column, whole yen",
            "20240301 9 50; 20240302 0 4; 20240305 9 40; 20240305 0 7; 20240305 1 3; 20240305 2 2; 20240306 "
            "1 6",
            0, "54|7|3|2|40|6|40|1,235|49,382");
        row("negative stock keeps its sign, two decimals", "20240101 1 3", 1,
            "-3|0|0|0|0|0|-3|1,234.56|-3,703.68");
        row("any non-zero flag", "20240101 0 3", -1, "3|0|0|0|0|0|3|1,234.56|3,703.68");
    }
    void zaikoLine() {
        m_dir->addGoods(u"1"_s, u"みかん"_s);
        m_dir->exec(u"update goods set stanka = 1234.56"_s);
        addLedgerRows(*m_dir, fetch<QString>("ledger"), u"1"_s);
        auto r = wholeRange<rptZaiko>();
        r->StankaKbn = fetch<int>("stankaKbn");
        QVERIFY(r->Run());
        QCOMPARE(printedLines(*r).size(), 1);
        // Quantities: the sign's blank of Str$ is there before the CSV trims it.
        QVERIFY(QStringList({u" "_s, u"-"_s}).contains(r->control(u"txtzenzai"_s)->Text.left(1)));
        QCOMPARE(printedLines(*r).first().section(u'|', 2), fetch<QString>("line"));
    }

    // Stock-managed active goods of the range; discontinued ones, other kinds (zkubun, gkubun) not.
    void zaikoSelection() {
        addGoodsRows(*m_dir, u"1 一; 2 二; 3 三 1 0 1; 4 四 1 1; 5 五; 6 六"_s);
        m_dir->exec(u"update goods set gkubun = 1 where code = '           6'"_s);
        auto r = wholeRange<rptZaiko>();
        QVERIFY(r->Run());
        QCOMPARE(printedLines(*r, 1).join(u','), u"1,2,5"_s);
    }

    // Goods and ledger rows (ScreenBench notation); the codes the shortage list prints, none: the
    // message and the preview closed.
    void kakuho_data() {
        cols<QString, QString, QString>("goods", "ledger", "printed");
        row("equal is not short", "1 品1 1 0 0 5; 2 品2 1 0 0 6", "20240101 0 5 0 0 1; 20240101 0 5 0 0 2",
            "2");
        row("kakuho 0: negative printed, zero not", "1 品1 1 0 0 0; 2 品2 1 0 0 0", "20240101 1 1 0 0 1",
            "1");
        row("a count on D sets the stock", "1 品1 1 0 0 10", "20240305 0 50 0 0 1; 20240305 9 4 0 0 1", "1");
        row("nothing short", "1 品 1 0 0 2", "20240101 0 2 0 0 1", "");
    }
    void kakuho() {
        addGoodsRows(*m_dir, fetch<QString>("goods"));
        addLedgerRows(*m_dir, fetch<QString>("ledger"), u"1"_s);
        auto owned = wholeRange<rptKakuhoZaiko>();
        QPointer<rptKakuhoZaiko> r(owned.get());
        ActiveReport::Show(std::move(owned));
        if (fetch<QString>("printed").isEmpty()) {
            QCOMPARE(m_dialogs->messages.size(), 1);
            QCOMPARE(m_dialogs->lastMessage().text, u"該当データがありません"_s);
            settle();
            QVERIFY(!r); // the preview closed and the report went with it
            return;
        }
        QCOMPARE(printedLines(*r, 1).join(u','), fetch<QString>("printed"));
        QCOMPARE(r->printedLines(), int(printedLines(*r).size()));
        QVERIFY(m_dialogs->messages.isEmpty());
        r->Unload();
        settle();
    }

    // A name the file's encoding cannot hold is refused, never written with '?' in its place.
    void csv_data() {
        cols<bool, bool, QString, bool>("kakuho", "sjis", "name", "refused");
        row("UTF-8 holds any name", false, false, "みかん🍊, 大", false);
        row("a name Shift-JIS cannot hold", false, true, "みかん🍊, 大", true);
        row("nor a kanji outside it", true, true, "𠮷野家, 大", true);
    }
    void csv() {
        const QString name = fetch<QString>("name");
        m_dir->addGoods(u"1"_s, name);
        m_dir->exec(u"update goods set kakuho = 1"_s); // short: on the shortage list
        std::unique_ptr<StockListReport> r;
        if (fetch<bool>("kakuho"))
            r = wholeRange<rptKakuhoZaiko>();
        else
            r = wholeRange<rptZaiko>();
        const QTemporaryDir out;
        ReportCsvExport csv;
        csv.FileName = out.filePath(u"list.csv"_s);
        csv.ShiftJis = fetch<bool>("sjis");
        QCOMPARE(csv.Export(*r), !fetch<bool>("refused"));
        if (fetch<bool>("refused")) {
            QCOMPARE(csv.errorDescription(), u"Shift-JIS で表せない文字があります。"_s);
            QVERIFY(!QFile::exists(csv.FileName));
        } else {
            QVERIFY2(csvFile(csv.FileName).contains(u"|1,\"%1\",0,"_s.arg(name)),
                     qPrintable(csvFile(csv.FileName)));
        }
    }
};

QTEST_MAIN(TestStockReports)
#include "tst_stockreports.moc"

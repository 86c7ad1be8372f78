#include "support/ScreenBench.h"
#include "ui/DataRows.h"

#include "core/basPadding.h"
#include "data/DbError.h"
#include "stock/basStock.h"
#include "stock/basStockFigures.h"

#include <QtTest>
#include <optional>

using namespace Qt::Literals::StringLiterals;

// The stock engine on a real ledger file.
class TestStock : public QObject, DataRows {
    Q_OBJECT
    std::optional<TempProgramDir> m_dir;
    static QString code(const QString& c) { return fnPadLeft(c, 12, u" "_s); }
private slots:
    void init() { m_dir.emplace(); }
    void cleanup() { m_dir.reset(); }
    // Ledger rows (ScreenBench notation, goods A1 unless named, -999 for no quantity), then
    // "[goods@]S<day>=n" for fnGetStock and "B<day>=n" for fnGetStockBefore, and for the latter the
    // whole-ledger pass of the stocktake (fnGetStocksBefore) alike.
    void stock_data() {
        cols<QString, QString>("ledger", "expected");
        row("counts on the 10th and the 20th",
            "20240110 9 50; 20240110 0 7; 20240120 9 30; 20240120 0 5; 20240125 1 2",
            "S20240125=28 B20240120=55 B20240125=28 S20240120=30 S20240115=50 S20240110=50 B20240110=7 "
            "B20240111=50 S20240109=0");
        row("two counts on one day: the higher voucher wins",
            "20240301 9 45 2 0; 20240301 9 40 1 0; 20240302 0 1", "S20240302=46 B20240302=46");
        row("count on 31 Jan", "20240131 9 10; 20240131 0 3; 20240201 0 4",
            "S20240131=10 S20240201=14 S20240229=14 B20240201=14");
        row("count on 31 Dec", "20231231 9 10; 20231231 1 7; 20240101 0 2",
            "S20231231=10 S20240101=12 B20240101=12");
        row("kinds 3 and 5 ignored",
            "20240401 0 10; 20240402 3 100; 20240403 5 50; 20240404 1 1; 20240405 2 4",
            "S20240405=13 B20240405=13 S20240404=9");
        row("no count: sum from 0", "20200101 0 8; 20240101 1 3; 20250101 0 100", "S20241231=5 B20241231=5");
        row("no rows", "", "S20241231=0 B20241231=0");
        row("negative, no floor", "20240501 9 1; 20240502 1 5", "S20240502=-4");
        row("day 0", "20240101 0 5", "S0=0"), row("a row on day 0", "20240101 0 5; 0 0 3", "S0=3");
        row("other goods", "20240101 0 5; 20240101 0 50 0 0 A10; 20240101 9 70 0 0 B1",
            "S20240101=5 A10@S20240101=50");
        row("codes compare without letter case", "20240101 0 5; 20240102 0 4 0 0 a1", "S20240102=9 B20240103=9");
        row("no quantity counts 0", "20240101 0 5; 20240102 0 -999", "S20240102=5");
        row("count 2.5 to 2", "20240601 9 2.5", "S20240601=2 B20240602=2");
        row("count 3.5 to 4", "20240601 9 3.5", "S20240601=4 B20240602=4");
        row("count -2.5 to -2", "20240601 9 -2.5", "S20240601=-2 B20240602=-2");
        row("count 2.6 to 3", "20240601 9 2.6", "S20240601=3 B20240602=3");
        row("rounded after every step: two halves leave 0", "20240701 0 0.5; 20240702 0 0.5", "S20240702=0");
        row("3 - 0.5 = 2.5 -> 2; + 1.5 = 3.5 -> 4", "20240701 9 3; 20240702 1 0.5; 20240703 2 1.5",
            "S20240702=2 S20240703=4 B20240703=4");
    }
    void stock() {
        const QString expected = fetch<QString>("expected");
        const auto goods = [](QString& s) { return s.contains(u'@') ? s.section(u'@', 0, 0) : u"A1"_s; };
        addLedgerRows(*m_dir, fetch<QString>("ledger"), u"A1"_s);
        m_dir->exec(u"update gdai set suu = null where suu = -999"_s); // "null": no quantity
        QStringList actual;
        for (QString check : expected.split(u' ')) {
            const QString g = goods(check), c = check.section(u'@', -1);
            const int day = c.mid(1).section(u'=', 0, 0).toInt();
            const int n = c[0] == u'S' ? fnGetStock(code(g), day) : fnGetStockBefore(code(g), day);
            if (c[0] == u'B')
                QVERIFY2(fnGetStocksBefore(day).value(StockFigureTable::key(code(g))) == n, qPrintable(check));
            actual << check.section(u'=', 0, 0) + u'=' + QString::number(n);
        }
        QCOMPARE(actual.join(u' '), expected);
    }
    void databaseErrorRises() {
        m_dir->exec(u"drop table gdai"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, fnGetStock(code(u"A1"_s), 20240101));
        QVERIFY_THROWS_EXCEPTION(DbError, fnGetStockBefore(code(u"A1"_s), 20240101));
    }
    // Codes holding apostrophes (a goods master may have them): each gives its own goods' stock,
    // never an SQL error nor the stock of 12, whose later count 900 an unquoted code would reach.
    // The code is given as typed and as stored.
    void quotedCodes_data() {
        cols<QString>("code");
        row("O'NEIL", u"O'NEIL"_s);
        row("1' or ''='", u"1' or ''='"_s);
        row("a lone quote", u"'"_s);
        row("quotes around", u"'12'"_s);
    }
    void quotedCodes() {
        const QString typed = fetch<QString>("code");
        m_dir->addGoods(typed, u"クォート"_s);
        m_dir->addGoods(u"12"_s, u"みかん"_s);
        m_dir->addLedger(typed, 20240110, 9, 50);
        m_dir->addLedger(typed, 20240120, 0, 5);
        m_dir->addLedger(typed, 20240125, 1, 2);
        m_dir->addLedger(u"12"_s, 20240115, 9, 900);
        m_dir->addLedger(u"12"_s, 20240121, 0, 1);
        for (const QString& g : {typed, code(typed)}) {
            QCOMPARE(fnGetStock(g, 20240125), 53);
            QCOMPARE(fnGetStock(g, 20240115), 50);
            QCOMPARE(fnGetStockBefore(g, 20240120), 55);
        }
        // The stock lists' figures over a range of just that code.
        StockFigureTable table;
        table.load(code(typed), code(typed), 20240120);
        QCOMPARE(table.size(), 1);
        QCOMPARE(table.figures(code(typed)).Z, 55);
        QCOMPARE(table.figures(code(typed)).P, 50);
    }
};

QTEST_MAIN(TestStock)
#include "tst_stock.moc"

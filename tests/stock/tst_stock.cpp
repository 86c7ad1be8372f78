#include "support/ScreenBench.h"
#include "ui/DataRows.h"

#include "core/basDateNumber.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "data/DbError.h"
#include "data/basDb.h"
#include "stock/basStock.h"
#include "stock/basStockFigures.h"

#include <QRandomGenerator>
#include <QtTest>
#include <cmath>
#include <optional>

using namespace Qt::Literals::StringLiterals;

// The stock engine on a real ledger file: single stocks, and the stock lists' grouped figures against
// the same figures worked out in C++ from each product's ledger rows.
class TestStock : public QObject, DataRows {
    Q_OBJECT
    std::optional<TempProgramDir> m_dir;
    const QStringList m_goods = {u"1"_s, u"2"_s, u"a5"_s, u"3"_s,  u"4"_s,  u"5"_s, u"6"_s,
                                 u"7"_s, u"8"_s, u"9"_s,  u"10"_s, u"11"_s, u"12"_s};

    static QString code(const QString& c) { return fnPadLeft(c, 12); }
    // "P R H T F Z count".
    static QString text(const StockDayFigures& f) {
        return u"%1 %2 %3 %4 %5 %6 %7"_s.arg(f.P).arg(f.R).arg(f.H).arg(f.T).arg(f.F).arg(f.Z).arg(f.count);
    }

    struct Row {
        qint32 day;
        int kind, denno;
        double suu;
    };
    // The whole ledger read once, by goods code in either letter case.
    QHash<QString, QList<Row>> ledger() const {
        QHash<QString, QList<Row>> out;
        Recordset rec;
        fnOpenRecordset(rec, u"select gcode, day, kubun, denno, suu from gdai"_s);
        for (; !rec.Eof(); rec.MoveNext())
            out[rec.Fields(0).toString().toLower()]
                << Row{rec.Fields(1).toInt(), rec.Fields(2).toInt(), rec.Fields(3).toInt(),
                       fnVal(rec.Fields(4).toString())};
        rec.Close();
        return out;
    }
    // One product's figures worked out from its rows: the latest count before the day (the highest
    // voucher of its day) plus the movements since; each sum whole units, halves to even.
    static StockDayFigures oracle(const QList<Row>& rows, qint32 day) {
        const Row none{0, 9, -1, 0};
        const Row *before = &none, *onDay = nullptr;
        for (const Row& r : rows) {
            if (r.kind != 9 || r.day > day) continue;
            const Row*& c = r.day == day ? onDay : before;
            if (!c || r.day > c->day || (r.day == c->day && r.denno > c->denno)) c = &r;
        }
        double since[3] = {}, on[3] = {}, later = 0;
        for (const Row& r : rows) {
            if (r.kind > 2) continue;
            if (r.day > before->day && r.day < day) since[r.kind] += r.suu;
            if (r.day == day) on[r.kind] += r.suu;
            if (r.day > day && r.kind == 1) later += r.suu;
        }
        const auto whole = [](double v) { return qint64(std::nearbyint(v)); };
        StockDayFigures f;
        f.P = whole(before->suu) + whole(since[0] + since[2]) - whole(since[1]);
        f.R = whole(on[0]), f.H = whole(on[1]), f.T = whole(on[2]), f.F = whole(later);
        f.count = onDay ? whole(onDay->suu) : 0;
        f.Z = onDay ? f.count : f.P + f.R - f.H + f.T;
        return f;
    }

    // About 300 rows over 2023 and 2024, a quarter of them on month ends; goods a5 is stored in both
    // letter cases. Returns the days worth looking at.
    QList<qint32> fillRandom(quint32 seed) const {
        QRandomGenerator rng(seed);
        const QDate first(2023, 1, 1);
        const int kinds[] = {0, 0, 0, 1, 1, 1, 2, 9, 9, 3};
        QSet<QString> vouchers; // goods/day/voucher already taken
        QSet<qint32> days = {20221231, 20230101, 20231231, 20240101, 20240131, 20240229, 20240301, 20250101};
        for (int m = 0; m < 24; ++m) {
            const QDate d = first.addMonths(m);
            days << fnDateToNumber(QDate(d.year(), d.month(), d.daysInMonth()));
        }
        qint32 firstDay = 99999999;
        m_dir->exec(u"begin"_s);
        for (int i = 0; i < 300; ++i) {
            QString g = m_goods[qMin(rng.bounded(m_goods.size()), rng.bounded(m_goods.size()))];
            if (g == u"a5"_s && rng.bounded(2)) g = u"A5"_s;
            const QDate md = first.addMonths(rng.bounded(24));
            const qint32 day =
                fnDateToNumber(rng.bounded(4) ? first.addDays(rng.bounded(731))
                                              : QDate(md.year(), md.month(), md.daysInMonth()));
            const int kind = kinds[rng.bounded(10)];
            // A count now and then gets a second one on its day.
            for (int n = kind == 9 && rng.bounded(3) == 0 ? 2 : 1; n > 0; --n) {
                int denno;
                do
                    denno = 1 + rng.bounded(99);
                while (vouchers.contains(u"%1/%2/%3"_s.arg(g.toLower()).arg(day).arg(denno)));
                vouchers << u"%1/%2/%3"_s.arg(g.toLower()).arg(day).arg(denno);
                m_dir->addLedger(g, day, kind, (rng.bounded(261) - 20) * 0.25, denno);
            }
            firstDay = qMin(firstDay, day);
            if (kind == 9) days << day << fnAddDate(day, 0, 1, true);
        }
        m_dir->exec(u"commit"_s);
        days << firstDay;
        QList<qint32> sorted(days.begin(), days.end());
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }

    static void compare(const StockFigureTable& table, const QHash<QString, QList<Row>>& rows,
                        const QString& g, qint32 day) {
        const StockDayFigures want = oracle(rows.value(code(g).toLower()), day), got = table.figures(code(g));
        QVERIFY2(got == want, qPrintable(u"goods %1 on %2: grouped %3, worked out %4"_s.arg(g).arg(day).arg(
                                  text(got), text(want))));
    }

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
        row("codes compare without letter case", "20240101 0 5; 20240102 0 4 0 0 a1",
            "S20240102=9 B20240103=9");
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
                QVERIFY2(fnGetStocksBefore(day).value(StockFigureTable::key(code(g))) == n,
                         qPrintable(check));
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
        addLedgerRows(*m_dir, u"20240110 9 50; 20240120 0 5; 20240125 1 2"_s, typed);
        addLedgerRows(*m_dir, u"20240115 9 900; 20240121 0 1"_s);
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

    void randomLedgers_data() {
        cols<quint32>("seed");
        row("seed 1", 1u), row("seed 2024", 2024u), row("seed 77", 77u), row("seed 31337", 31337u);
    }
    void randomLedgers() {
        const QList<qint32> days = fillRandom(fetch<quint32>("seed"));
        QVERIFY(m_dir->count(u"select count(*) from (select gcode from gdai where kubun = 9 "
                             "group by gcode, day having count(*) > 1)"_s) > 0);
        const int withRows = m_dir->count(u"select count(distinct gcode) from gdai"_s);
        const auto rows = ledger();
        StockFigureTable table;
        for (const qint32 day : days) {
            table.load(code(u""_s), code(u"zzzzzzzzzzzz"_s), day);
            QCOMPARE(table.size(), withRows);
            for (const QString& g : m_goods) {
                compare(table, rows, g, day);
                if (QTest::currentTestFailed()) return;
            }
            QCOMPARE(table.figures(code(u"A5"_s)), table.figures(code(u"a5"_s)));
            QCOMPARE(table.figures(code(u"999"_s)), StockDayFigures{});
        }
    }

    void noRows() {
        StockFigureTable table;
        table.load(code(u""_s), code(u"zzzzzzzzzzzz"_s), 20240229);
        QCOMPARE(table.size(), 0);
        m_dir->addLedger(u"1"_s, 20240101, 0, 5);
        table.load(code(u""_s), code(u"zzzzzzzzzzzz"_s), 20240229);
        QCOMPARE(table.size(), 1);
        QCOMPARE(table.figures(code(u"2"_s)), StockDayFigures{});
    }

    void rangeLimits_data() {
        cols<QString, QString, QString>("from", "to", "included");
        row("2 to 5", "2", "5", "2 3 4 5");
        row("two-digit codes", "10", "12", "10 11 12");
        row("one code", "7", "7", "7");
        row("letters, either case", "A5", "a5", "a5");
    }
    void rangeLimits() {
        fillRandom(7);
        const auto rows = ledger();
        const QStringList included = fetch<QString>("included").split(u' ');
        StockFigureTable table;
        for (const qint32 day : {20230101, 20240229, 20240615, 20250101}) {
            table.load(code(fetch<QString>("from")), code(fetch<QString>("to")), day);
            QCOMPARE(table.size(),
                     m_dir->count(u"select count(distinct gcode) from gdai where gcode between '"_s +
                                  code(fetch<QString>("from")) + u"' and '"_s + code(fetch<QString>("to")) +
                                  u"'"_s));
            for (const QString& g : m_goods) {
                if (included.contains(g)) {
                    compare(table, rows, g, day);
                    if (QTest::currentTestFailed()) return;
                } else
                    QCOMPARE(table.figures(code(g)), StockDayFigures{});
            }
        }
    }

    // Ledger rows (ScreenBench notation, goods 1 unless named); figures of goods 1.
    void handWritten_data() {
        cols<QString, int, QString>("ledger", "day", "expected");
        row("count on D",
            "20240110 9 50; 20240115 0 5; 20240120 0 7; 20240120 1 3; 20240120 2 1; 20240120 9 40; 20240125 "
            "1 4",
            20240120, "55 7 3 1 4 40 40");
        row("count on D and D-1", "20240119 9 30; 20240119 0 9; 20240120 0 2; 20240120 9 25", 20240120,
            "30 2 0 0 0 25 25");
        row("count on D-1", "20240115 0 9; 20240119 9 30; 20240119 0 5; 20240120 0 2; 20240120 1 1", 20240120,
            "30 2 1 0 0 31 0");
        row("no count", "20231201 0 10; 20240105 2 3; 20240110 1 4; 20240120 0 1; 20240121 1 2", 20240120,
            "9 1 0 0 2 10 0");
        row("later shipments only in F",
            "20240101 0 20; 20240201 1 5; 20240301 1 6; 20240301 0 100; 20240301 2 1", 20240131,
            "20 0 0 0 11 20 0");
        row("two counts: the higher voucher", "20240110 9 8 2 0; 20240110 9 5 1 0; 20240110 0 3", 20240110,
            "0 3 0 0 0 8 8");
        row("two counts the day before", "20240110 9 5 3 0; 20240110 9 8 7 0; 20240111 1 1", 20240111,
            "8 0 1 0 0 7 0");
        row("count on 31 Dec", "20231231 9 10; 20231231 0 3; 20240101 0 4", 20240101, "10 4 0 0 0 14 0");
        row("2.5 to 2", "20240101 0 1.25; 20240102 0 1.25; 20240103 0 1.5; 20240103 0 1", 20240103,
            "2 2 0 0 0 4 0");
        row("3.5 to 4", "20240101 0 1.75; 20240102 0 1.75; 20240103 1 2; 20240103 1 1.5", 20240103,
            "4 0 4 0 0 0 0");
        row("kind 3 and other goods left out",
            "20240101 0 5; 20240102 3 50; 20240101 0 7 0 0 2; 20240102 9 1 0 0 2", 20240102, "5 0 0 0 0 5 0");
    }
    void handWritten() {
        addLedgerRows(*m_dir, fetch<QString>("ledger"), u"1"_s);
        const int day = fetch<int>("day");
        StockFigureTable table;
        table.load(code(u"1"_s), code(u"1"_s), day);
        QCOMPARE(text(oracle(ledger().value(code(u"1"_s)), day)), fetch<QString>("expected"));
        QCOMPARE(text(table.figures(code(u"1"_s))), fetch<QString>("expected"));
    }
};

QTEST_MAIN(TestStock)
#include "tst_stock.moc"

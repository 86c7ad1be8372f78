#include "support/TempProgramDir.h"

#include "data/DbError.h"
#include "stock/basStock.h"
#include "ui/basInput.h"

#include <QProcess>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// The stock engine on a real ledger file.
class TestStock : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void countsOnTheTenthAndTwentieth_data();
    void countsOnTheTenthAndTwentieth();
    void twoCountsOnOneDay();
    void countOnTheLastDayOfAMonth();
    void countOnTheLastDayOfAYear();
    void onlyReceiptsShipmentsAndReturnsCount();
    void noCountStartsFromZero();
    void noRowsGiveZero();
    void noFloor();
    void dayZero();
    void otherGoodsDoNotCount();
    void emptyQuantityCountsZero();
    void countRoundedHalvesToEven_data();
    void countRoundedHalvesToEven();
    void roundedAfterEveryStep();
    void databaseErrorRises();
    void toolPrintsTheStock_data();
    void toolPrintsTheStock();
    void toolRefusesBadArguments_data();
    void toolRefusesBadArguments();

private:
    static QString code(const QString& c = u"A1"_s) { return fnPadLeft(c, 12, u" "_s); }
    TempProgramDir* m_dir = nullptr;
};

void TestStock::init() {
    m_dir = new TempProgramDir;
}

void TestStock::cleanup() {
    delete m_dir;
    m_dir = nullptr;
}

void TestStock::countsOnTheTenthAndTwentieth_data() {
    QTest::addColumn<bool>("before");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("expected");

    QTest::newRow("stock on the 25th: the 20th's count, its receipt inside") << false << 20240125 << 28;
    QTest::newRow("before the 20th: the 10th's count and all up to the 20th") << true << 20240120 << 55;
    QTest::newRow("before the 25th") << true << 20240125 << 28;
    QTest::newRow("stock on the 20th is its count") << false << 20240120 << 30;
    QTest::newRow("stock on the 15th") << false << 20240115 << 50;
    QTest::newRow("stock on the 10th, its receipt inside") << false << 20240110 << 50;
    QTest::newRow("before the 10th: its count ignored, its receipt counted") << true << 20240110 << 7;
    QTest::newRow("before the 11th skips the count day's receipt") << true << 20240111 << 50;
    QTest::newRow("stock on the 9th: no count yet") << false << 20240109 << 0;
}

void TestStock::countsOnTheTenthAndTwentieth() {
    QFETCH(bool, before);
    QFETCH(int, day);
    QFETCH(int, expected);
    m_dir->addLedger(u"A1"_s, 20240110, 9, 50);
    m_dir->addLedger(u"A1"_s, 20240110, 0, 7); // inside the 10th's count
    m_dir->addLedger(u"A1"_s, 20240120, 9, 30);
    m_dir->addLedger(u"A1"_s, 20240120, 0, 5);
    m_dir->addLedger(u"A1"_s, 20240125, 1, 2);
    QCOMPARE(before ? fnGetStockBefore(code(), day) : fnGetStock(code(), day), expected);
}

void TestStock::twoCountsOnOneDay() {
    // The higher voucher number is the starting point, whatever order the rows were written in.
    m_dir->addLedger(u"A1"_s, 20240301, 9, 45, 2);
    m_dir->addLedger(u"A1"_s, 20240301, 9, 40, 1);
    m_dir->addLedger(u"A1"_s, 20240302, 0, 1);
    QCOMPARE(fnGetStock(code(), 20240302), 46);
    QCOMPARE(fnGetStockBefore(code(), 20240302), 46);
}

void TestStock::countOnTheLastDayOfAMonth() {
    m_dir->addLedger(u"A1"_s, 20240131, 9, 10);
    m_dir->addLedger(u"A1"_s, 20240131, 0, 3);
    m_dir->addLedger(u"A1"_s, 20240201, 0, 4);
    QCOMPARE(fnGetStock(code(), 20240131), 10);
    QCOMPARE(fnGetStock(code(), 20240201), 14);
    QCOMPARE(fnGetStock(code(), 20240229), 14);
    QCOMPARE(fnGetStockBefore(code(), 20240201), 14);
}

void TestStock::countOnTheLastDayOfAYear() {
    m_dir->addLedger(u"A1"_s, 20231231, 9, 10);
    m_dir->addLedger(u"A1"_s, 20231231, 1, 7);
    m_dir->addLedger(u"A1"_s, 20240101, 0, 2);
    QCOMPARE(fnGetStock(code(), 20231231), 10);
    QCOMPARE(fnGetStock(code(), 20240101), 12);
    QCOMPARE(fnGetStockBefore(code(), 20240101), 12);
}

void TestStock::onlyReceiptsShipmentsAndReturnsCount() {
    m_dir->addLedger(u"A1"_s, 20240401, 0, 10);
    m_dir->addLedger(u"A1"_s, 20240402, 3, 100);
    m_dir->addLedger(u"A1"_s, 20240403, 5, 50);
    m_dir->addLedger(u"A1"_s, 20240404, 1, 1);
    m_dir->addLedger(u"A1"_s, 20240405, 2, 4);
    QCOMPARE(fnGetStock(code(), 20240405), 13);
    QCOMPARE(fnGetStockBefore(code(), 20240405), 13);
    QCOMPARE(fnGetStock(code(), 20240404), 9);
}

void TestStock::noCountStartsFromZero() {
    m_dir->addLedger(u"A1"_s, 20200101, 0, 8);
    m_dir->addLedger(u"A1"_s, 20240101, 1, 3);
    m_dir->addLedger(u"A1"_s, 20250101, 0, 100); // after the day
    QCOMPARE(fnGetStock(code(), 20241231), 5);
    QCOMPARE(fnGetStockBefore(code(), 20241231), 5);
}

void TestStock::noRowsGiveZero() {
    QCOMPARE(fnGetStock(code(u"NOTHING"_s), 20241231), 0);
    QCOMPARE(fnGetStockBefore(code(u"NOTHING"_s), 20241231), 0);
}

void TestStock::noFloor() {
    m_dir->addLedger(u"A1"_s, 20240501, 9, 1);
    m_dir->addLedger(u"A1"_s, 20240502, 1, 5);
    QCOMPARE(fnGetStock(code(), 20240502), -4);
}

void TestStock::dayZero() {
    m_dir->addLedger(u"A1"_s, 20240101, 0, 5);
    QCOMPARE(fnGetStock(code(), 0), 0);
    m_dir->addLedger(u"A1"_s, 0, 0, 3);
    QCOMPARE(fnGetStock(code(), 0), 3);
}

void TestStock::otherGoodsDoNotCount() {
    m_dir->addLedger(u"A1"_s, 20240101, 0, 5);
    m_dir->addLedger(u"A10"_s, 20240101, 0, 50);
    m_dir->addLedger(u"B1"_s, 20240101, 9, 70);
    QCOMPARE(fnGetStock(code(), 20240101), 5);
    QCOMPARE(fnGetStock(code(u"A10"_s), 20240101), 50);
}

void TestStock::emptyQuantityCountsZero() {
    m_dir->addLedger(u"A1"_s, 20240101, 0, 5);
    m_dir->exec(
        u"insert into gdai (gcode, day, kubun, denno, line, suu) values ('%1', 20240102, 0, 0, 0, null)"_s
            .arg(code()));
    QCOMPARE(fnGetStock(code(), 20240102), 5);
}

void TestStock::countRoundedHalvesToEven_data() {
    QTest::addColumn<double>("count");
    QTest::addColumn<int>("expected");

    QTest::newRow("2.5 to 2") << 2.5 << 2;
    QTest::newRow("3.5 to 4") << 3.5 << 4;
    QTest::newRow("-2.5 to -2") << -2.5 << -2;
    QTest::newRow("2.6 to 3") << 2.6 << 3;
}

void TestStock::countRoundedHalvesToEven() {
    QFETCH(double, count);
    QFETCH(int, expected);
    m_dir->addLedger(u"A1"_s, 20240601, 9, count);
    QCOMPARE(fnGetStock(code(), 20240601), expected);
    QCOMPARE(fnGetStockBefore(code(), 20240602), expected);
}

void TestStock::roundedAfterEveryStep() {
    // Two halves, each rounded to even on its own, leave 0 (the exact sum would be 1).
    m_dir->addLedger(u"B1"_s, 20240701, 0, 0.5);
    m_dir->addLedger(u"B1"_s, 20240702, 0, 0.5);
    QCOMPARE(fnGetStock(code(u"B1"_s), 20240702), 0);
    // 3 - 0.5 = 2.5 -> 2; + 1.5 = 3.5 -> 4.
    m_dir->addLedger(u"C1"_s, 20240701, 9, 3);
    m_dir->addLedger(u"C1"_s, 20240702, 1, 0.5);
    QCOMPARE(fnGetStock(code(u"C1"_s), 20240702), 2);
    m_dir->addLedger(u"C1"_s, 20240703, 2, 1.5);
    QCOMPARE(fnGetStock(code(u"C1"_s), 20240703), 4);
    QCOMPARE(fnGetStockBefore(code(u"C1"_s), 20240703), 4);
}

void TestStock::databaseErrorRises() {
    m_dir->exec(u"drop table gdai"_s);
    bool thrown = false;
    try {
        fnGetStock(code(), 20240101);
    } catch (const DbError&) {
        thrown = true;
    }
    QVERIFY(thrown);
    thrown = false;
    try {
        fnGetStockBefore(code(), 20240101);
    } catch (const DbError&) {
        thrown = true;
    }
    QVERIFY(thrown);
}

void TestStock::toolPrintsTheStock_data() {
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("expected");

    QTest::newRow("on the 25th") << QStringList() << u"20240125"_s << u"28"_s;
    QTest::newRow("before the 20th") << QStringList{u"--before"_s} << u"20240120"_s << u"55"_s;
    QTest::newRow("on the 20th") << QStringList() << u"20240120"_s << u"30"_s;
}

void TestStock::toolPrintsTheStock() {
    QFETCH(QStringList, extra);
    QFETCH(QString, day);
    QFETCH(QString, expected);
    const QString tool = qEnvironmentVariable("ZANMO_TOOL");
    if (tool.isEmpty()) QSKIP("ZANMO_TOOL is not set (run through CTest)");
    m_dir->addLedger(u"12"_s, 20240110, 9, 50);
    m_dir->addLedger(u"12"_s, 20240120, 9, 30);
    m_dir->addLedger(u"12"_s, 20240120, 0, 5);
    m_dir->addLedger(u"12"_s, 20240125, 1, 2);
    QProcess p;
    // The code as typed: the tool pads it to the stored form.
    p.start(tool, QStringList{u"stock"_s, m_dir->path(), u"12"_s, day} + extra);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), expected + u"\n"_s);
}

void TestStock::toolRefusesBadArguments_data() {
    QTest::addColumn<QStringList>("args");

    QTest::newRow("missing day") << QStringList{u"stock"_s, u"DIR"_s, u"12"_s};
    QTest::newRow("no such day") << QStringList{u"stock"_s, u"DIR"_s, u"12"_s, u"20240230"_s};
    QTest::newRow("quote in the code") << QStringList{u"stock"_s, u"DIR"_s, u"1'2"_s, u"20240101"_s};
    QTest::newRow("no database there") << QStringList{u"stock"_s, u"NODB"_s, u"12"_s, u"20240101"_s};
}

void TestStock::toolRefusesBadArguments() {
    QFETCH(QStringList, args);
    const QString tool = qEnvironmentVariable("ZANMO_TOOL");
    if (tool.isEmpty()) QSKIP("ZANMO_TOOL is not set (run through CTest)");
    QTemporaryDir empty;
    args.replaceInStrings(u"NODB"_s, empty.path());
    args.replaceInStrings(u"DIR"_s, m_dir->path());
    QProcess p;
    p.start(tool, args);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardOutput().isEmpty());
    QVERIFY(!p.readAllStandardError().isEmpty());
}

QTEST_MAIN(TestStock)
#include "tst_stock.moc"

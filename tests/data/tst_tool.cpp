#include "data/basDb.h"
#include "data/basSettings.h"
#include "support/TempProgramDir.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

// zanmo-tool as a user runs it: exit status, messages, and the database it leaves.
class tst_tool : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void help();
    void usageErrors_data();
    void usageErrors();
    void initCreatesTables();
    void initRefusesExistingFile();
    void demoData();
    void demoIsDeterministic();
    void generate();

private:
    struct Result {
        int status;
        QByteArray out, err;
    };
    Result run(const QStringList& args);
    QString m_tool;
};

void tst_tool::initTestCase() {
    m_tool = qEnvironmentVariable("ZANMO_TOOL");
    if (m_tool.isEmpty()) QSKIP("ZANMO_TOOL is not set (run through CTest)");
}

tst_tool::Result tst_tool::run(const QStringList& args) {
    QProcess p;
    p.start(m_tool, args);
    if (!p.waitForFinished(120000)) return {-1, {}, "did not finish"};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

void tst_tool::help() {
    const Result r = run({"--help"});
    QCOMPARE(r.status, 0);
    for (const char* word :
         {"init DIR", "init --demo DIR", "generate DIR --goods N --rows M", "stock DIR CODE"})
        QVERIFY2(r.out.contains(word), word);
    QVERIFY(r.err.isEmpty());
}

void tst_tool::usageErrors_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"frobnicate"};
    QTest::newRow("init without dir") << QStringList{"init"};
    QTest::newRow("init two dirs") << QStringList{"init", "/tmp/a", "/tmp/b"};
    QTest::newRow("init bad option") << QStringList{"init", "--fast", "/tmp/a"};
    QTest::newRow("init bad today") << QStringList{"init", "--demo", "/tmp/a", "--today", "20240230"};
    QTest::newRow("generate without rows") << QStringList{"generate", "/tmp/a", "--goods", "10"};
    QTest::newRow("generate bad goods") << QStringList{"generate", "/tmp/a", "--goods", "x", "--rows", "5"};
}

void tst_tool::usageErrors() {
    QFETCH(QStringList, args);
    const Result r = run(args);
    QCOMPARE(r.status, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY(!r.err.isEmpty());
    QVERIFY(!QFile::exists("/tmp/a/data1.dat") || args.size() < 2);
}

void tst_tool::initCreatesTables() {
    TempProgramDir dir(false, false);
    const Result r = run({"init", dir.path()});
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.contains(dir.dataFile().toUtf8()));
    QVERIFY(fnOpenDB());
    QCOMPARE(
        dir.scalar("select group_concat(name, ',') from (select name from sqlite_master where type = 'table' "
                   "order by name)"),
        QStringLiteral("bunrui,gdai,goods,operatlog,sysfile"));
    QCOMPARE(dir.scalar("select gno || ':' || maxline || ':' || stankakbn from sysfile where id = 1"),
             QStringLiteral("0:1000:0"));
    QCOMPARE(dir.count("select count(*) from goods"), 0);
}

void tst_tool::initRefusesExistingFile() {
    TempProgramDir dir;
    dir.addCategory(7, "残す");
    fnCloseDB();
    for (const QStringList& args :
         {QStringList{"init", dir.path()}, QStringList{"init", "--demo", dir.path()},
          QStringList{"generate", dir.path(), "--goods", "1", "--rows", "1"}}) {
        const Result r = run(args);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(dir.dataFile().toUtf8()), r.err.constData());
    }
    QVERIFY(fnOpenDB());
    QCOMPARE(dir.scalar("select name from bunrui"), QStringLiteral("残す"));
    QCOMPARE(dir.count("select count(*) from goods"), 0);
}

void tst_tool::demoData() {
    TempProgramDir dir(false, false);
    QCOMPARE(run({"init", "--demo", dir.path(), "--today", "20240615"}).status, 0);
    QVERIFY(fnOpenDB());
    const int goods = dir.count("select count(*) from goods");
    QVERIFY2(goods >= 150 && goods <= 250, qPrintable(QString::number(goods)));
    const int categories = dir.count("select count(*) from bunrui where kubun = 4");
    QVERIFY(categories >= 8 && categories <= 12);
    QCOMPARE(
        dir.count("select count(*) from goods where bunrui not in (select code from bunrui where kubun = 4)"),
        0);
    QCOMPARE(dir.count(
                 "select count(*) from goods where length(code) <> 12 or code <> printf('%12s', trim(code))"),
             0);
    QCOMPARE(
        dir.count(
            "select count(*) from goods where kana = '' or unit = '' or sname <> replace(name, '-', '')"),
        0);
    QVERIFY(dir.count("select count(*) from goods where stop = 1") > 0);
    QVERIFY(dir.count("select count(*) from goods where zkubun <> 0 and gkubun = 0") > 0);
    QCOMPARE(dir.count("select count(distinct gkubun) from goods"), 4);
    QVERIFY(dir.count("select count(*) from goods where tanka1 > 0 and stanka > 0 and stanka < tanka1") >
            150);

    // About a year of movements up to the given day, every kind present.
    QCOMPARE(dir.scalar("select max(day) <= 20240615 and min(day) >= 20230615 from gdai"),
             QStringLiteral("1"));
    QCOMPARE(dir.count("select count(distinct kubun) from gdai"), 4);
    QVERIFY(dir.count("select count(*) from gdai where kubun = 1") > 1000);
    // Receipts and counts as this program writes them: voucher 0, line 0, one per goods, day and kind.
    QCOMPARE(dir.count("select count(*) from gdai where kubun in (0, 9) and (denno <> 0 or line <> 0)"), 0);
    QCOMPARE(
        dir.count("select count(*) from (select 1 from gdai where kubun in (0, 9) group by gcode, day, kubun "
                  "having count(*) > 1)"),
        0);
    // Shipments and returns as the voucher program writes them.
    QCOMPARE(dir.count("select count(*) from gdai where kubun in (1, 2) and (denno = 0 or line = 0)"), 0);
    QVERIFY(dir.count(
                "select count(*) from (select denno from gdai where kubun = 1 group by denno having count(*) "
                "> 1)") > 0);
    QCOMPARE(
        dir.count("select count(*) from gdai where gcode not in (select code from goods where zkubun = 0)"),
        0);
    QCOMPARE(dir.count("select count(*) from gdai where suu <> round(suu) or suu < 0"), 0);
}

void tst_tool::demoIsDeterministic() {
    TempProgramDir a(false, false), b(false, false), c(false, false);
    QCOMPARE(run({"init", "--demo", a.path(), "--today", "20240301", "--seed", "5"}).status, 0);
    QCOMPARE(run({"init", "--demo", b.path(), "--today", "20240301", "--seed", "5"}).status, 0);
    QCOMPARE(run({"init", "--demo", c.path(), "--today", "20240301", "--seed", "6"}).status, 0);
    const QString digest =
        "select count(*) || ':' || sum(day * 7 + kubun * 3 + denno + line + suu) || ':' || "
        "(select group_concat(code || name || stop || zkubun, '|') from goods) from gdai";
    fnSetProgramFolder(a.path());
    QVERIFY(fnOpenDB());
    const QString first = a.scalar(digest);
    fnSetProgramFolder(b.path());
    QVERIFY(fnOpenDB());
    QCOMPARE(b.scalar(digest), first);
    fnSetProgramFolder(c.path());
    QVERIFY(fnOpenDB());
    QVERIFY(c.scalar(digest) != first);
}

void tst_tool::generate() {
    TempProgramDir dir(false, false);
    const Result r = run(
        {"generate", dir.path(), "--goods", "40", "--rows", "2001", "--seed", "3", "--today", "20241231"});
    QCOMPARE(r.status, 0);
    QVERIFY(fnOpenDB());
    QCOMPARE(dir.count("select count(*) from goods"), 40);
    QCOMPARE(dir.count("select count(*) from gdai"), 2001);
    QCOMPARE(dir.count("select count(distinct gcode) from gdai"), 40);
    QCOMPARE(
        dir.count("select count(*) from (select 1 from gdai where kubun in (0, 9) group by gcode, day, kubun "
                  "having count(*) > 1)"),
        0);
    QCOMPARE(dir.count("select count(*) from gdai where kubun in (1, 2) and denno = 0"), 0);
    QCOMPARE(dir.scalar("select max(day) <= 20241231 from gdai"), QStringLiteral("1"));
    QCOMPARE(dir.scalar("pragma journal_mode"), QStringLiteral("wal"));
}

QTEST_MAIN(tst_tool)
#include "tst_tool.moc"

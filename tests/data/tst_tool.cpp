#include "data/DbError.h"
#include "data/Schema.h"
#include "data/basDb.h"
#include "support/TempProgramDir.h"

#include <QProcess>
#include <QtTest>

// The database file as the program creates it, and zanmo-tool as a user runs it.
class tst_tool : public QObject {
    Q_OBJECT

private slots:
    void init();
    void schema();
    void usage();
    void initCreatesTables();
    void demoData();
    void deterministic_data();
    void deterministic();
};

// Tables with their columns in order (written by position: the order is part of the contract).
static const QString kTables = "bunrui:kubun,code,name,jun gdai:gcode,day,kubun,denno,line,suu "
                               "goods:code,name,kana,sname,skana,unit,tanka1,"
                               "tanka2,tanka3,bunrui,gkubun,tkubun,zkubun,stop,stanka,kakuho "
                               "operatlog:pcname,username,naiyou,kubun,nitiji,"
                               "syousai sysfile:id,gno,maxline,stankakbn";
static const QString kLayout =
    "select group_concat(t, ' ') from (select name || ':' || (select group_concat(name) "
    "from pragma_table_info(m.name)) as t from sqlite_master m where type = 'table' "
    "order by name)";
static const QString kSysfile =
    "select group_concat(id || ':' || gno || ':' || maxline || ':' || stankakbn) from sysfile";

struct Run {
    int status;
    QByteArray out, err;
};

static Run tool(const QStringList& args) {
    QProcess p;
    p.start(qEnvironmentVariable("ZANMO_TOOL"), args);
    if (!p.waitForFinished(120000)) return {-1, {}, "did not finish"};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

void tst_tool::init() {
    if (QTest::currentTestFunction() != QByteArray("schema") && qEnvironmentVariableIsEmpty("ZANMO_TOOL"))
        QSKIP("ZANMO_TOOL is not set (run through CTest)");
}

void tst_tool::schema() {
    TempProgramDir dir;
    QCOMPARE(dir.scalar("select group_concat(name) from pragma_index_info('gdai_gcode_kubun_day')"),
             QStringLiteral("gcode,kubun,day,denno,suu"));
    Recordset rec; // the stock engine's sums read the covering index only
    fnOpenRecordset(rec,
                    "explain query plan select sum(suu) from gdai where gcode = '           1' and kubun = 1 "
                    "and day between 1 and 2");
    QVERIFY2(rec.Fields("detail").toString().contains("COVERING INDEX"),
             qPrintable(rec.Fields("detail").toString()));
    QVERIFY_THROWS_EXCEPTION(DbError, Schema::createDatabase(dir.path() + "/no/data1.dat"));
    TempProgramDir given(false, false); // the sysfile row as asked for
    Schema::createDatabase(given.dataFile(), 1, 250, 2);
    QVERIFY(fnOpenDB());
    QCOMPARE(given.scalar(kSysfile), QStringLiteral("1:1:250:2"));
}

void tst_tool::usage() {
    const Run r = tool({"--help"});
    QCOMPARE(r.status, 0);
    for (const char* word :
         {"init DIR", "init --demo DIR", "generate DIR --goods N --rows M", "stock DIR CODE"})
        QVERIFY2(r.out.contains(word), word);
    QVERIFY(r.err.isEmpty());
    // Wrong use: status 2 and a message on stderr only, nothing created.
    for (const QStringList& args : {QStringList{},
                                    {"frobnicate"},
                                    {"init"},
                                    {"init", "/tmp/a", "/tmp/b"},
                                    {"init", "--fast", "/tmp/a"},
                                    {"init", "--demo", "/tmp/a", "--today", "20240230"},
                                    {"generate", "/tmp/a", "--goods", "10"},
                                    {"generate", "/tmp/a", "--goods", "x", "--rows", "5"}}) {
        const Run bad = tool(args);
        QVERIFY2(bad.status == 2 && bad.out.isEmpty() && !bad.err.isEmpty(), qPrintable(args.join(' ')));
    }
    QVERIFY(!QFile::exists("/tmp/a/data1.dat"));
}

void tst_tool::initCreatesTables() {
    TempProgramDir dir(false, false);
    const Run r = tool({"init", dir.path()});
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.contains(dir.dataFile().toUtf8()));
    QVERIFY(fnOpenDB());
    QCOMPARE(dir.scalar(kLayout), kTables);
    QCOMPARE(dir.scalar(kSysfile), QStringLiteral("1:0:1000:0"));
    dir.addCategory(7, "残す");
    fnCloseDB();
    // An existing file is never overwritten.
    for (const QStringList& args :
         {QStringList{"init", dir.path()}, QStringList{"init", "--demo", dir.path()},
          QStringList{"generate", dir.path(), "--goods", "1", "--rows", "1"}}) {
        const Run again = tool(args);
        QCOMPARE(again.status, 2);
        QVERIFY2(again.err.contains(dir.dataFile().toUtf8()), again.err.constData());
    }
    QVERIFY(fnOpenDB());
    QCOMPARE(dir.scalar("select group_concat(name) || (select count(*) from goods) from bunrui"),
             QStringLiteral("残す0"));
}

void tst_tool::demoData() {
    TempProgramDir dir(false, false);
    QCOMPARE(tool({"init", "--demo", dir.path(), "--today", "20240615"}).status, 0);
    QVERIFY(fnOpenDB());
    QCOMPARE(dir.scalar("select count(*) between 150 and 250 from goods"), QStringLiteral("1"));
    QCOMPARE(dir.scalar("select count(*) between 8 and 12 from bunrui where kubun = 4"), QStringLiteral("1"));
    QCOMPARE(dir.count("select count(distinct gkubun) from goods"), 4);
    QCOMPARE(dir.count("select count(distinct kubun) from gdai"), 4); // every kind of movement
    // About a year of movements up to the given day.
    QCOMPARE(dir.scalar("select max(day) <= 20240615 and min(day) >= 20230615 from gdai"),
             QStringLiteral("1"));
    for (const char* some :
         {"select count(*) from goods where stop = 1",
          "select count(*) from goods where zkubun <> 0 and gkubun = 0",
          "select count(*) > 150 from goods where tanka1 > 0 and stanka > 0 and stanka < tanka1",
          "select count(*) > 1000 from gdai where kubun = 1",
          // shipments share vouchers as the voucher program writes them
          "select count(*) from (select denno from gdai where kubun = 1 group by denno "
          "having count(*) > 1)"})
        QVERIFY2(dir.count(some) > 0, some);
    for (const char* none :
         {"select count(*) from goods where bunrui not in (select code from bunrui where kubun = 4)",
          "select count(*) from goods where length(code) <> 12 or code <> printf('%12s', trim(code))",
          "select count(*) from goods where kana = '' or unit = '' or sname <> replace(name, '-', '')",
          // receipts and counts as this program writes them: voucher 0, line 0, one per goods, day and kind
          "select count(*) from gdai where kubun in (0, 9) and (denno <> 0 or line <> 0)",
          "select count(*) from (select 1 from gdai where kubun in (0, 9) group by gcode, day, kubun "
          "having count(*) > 1)",
          "select count(*) from gdai where kubun in (1, 2) and (denno = 0 or line = 0)",
          "select count(*) from gdai where gcode not in (select code from goods where zkubun = 0)",
          "select count(*) from gdai where suu <> round(suu) or suu < 0"})
        QVERIFY2(dir.count(none) == 0, none);
}

void tst_tool::deterministic_data() {
    QTest::addColumn<QStringList>("args"); // DIR is the target folder
    QTest::newRow("demo") << QStringList{"init", "--demo", "DIR", "--today", "20240301", "--seed"};
    QTest::newRow("generate") << QStringList{"generate", "DIR",     "--goods",  "40",    "--rows",
                                             "2001",     "--today", "20241231", "--seed"};
}

void tst_tool::deterministic() {
    QFETCH(QStringList, args);
    const QString digest =
        "select count(*) || ':' || sum(day * 7 + kubun * 3 + denno + line + suu) || ':' || "
        "(select group_concat(code || name || stop || zkubun, '|') from goods) from gdai";
    QStringList digests;
    for (const char* seed : {"5", "5", "6"}) {
        TempProgramDir dir(false, false);
        QCOMPARE(tool(QStringList(args).replaceInStrings("DIR", dir.path()) << seed).status, 0);
        QVERIFY(fnOpenDB());
        digests << dir.scalar(digest);
        QCOMPARE(dir.scalar("pragma journal_mode"), QStringLiteral("wal"));
        // The rows asked for, over all goods, with receipts and counts unique and shipments on vouchers.
        if (args[0] == "generate")
            QCOMPARE(
                dir.scalar(
                    "select count(*) || ':' || count(distinct gcode) || ':' || (select count(*) from goods) "
                    "|| ':' || (max(day) <= 20241231) || ':' || (select count(*) from gdai where kubun in "
                    "(1, 2) and denno = 0) || ':' || (select count(*) from (select 1 from gdai where kubun "
                    "in (0, 9) group by gcode, day, kubun having count(*) > 1)) from gdai"),
                QStringLiteral("2001:40:40:1:0:0"));
    }
    QCOMPARE(digests[1], digests[0]); // the same seed gives the same data
    QVERIFY(digests[2] != digests[0]);
}

QTEST_MAIN(tst_tool)
#include "tst_tool.moc"

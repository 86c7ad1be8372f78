#include "data/basDb.h"
#include "support/TempProgramDir.h"
#include "support/ToolRun.h"

#include <QProcess>
#include <QtTest>

// zanmo-tool as a user runs it: exit status, messages, and the database it leaves.
class tst_tool : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void usage();
    void initCreatesTables();
    void demoData();
    void deterministic_data();
    void deterministic();
    void optimizeAddsIndexesOnly();
};

// Tables with their columns in order (written by position: the order is part of the contract).
static const QString kTables =
    "bunrui:kubun,code,name,jun gdai:gcode,day,kubun,denno,line,suu goods:code,name,kana,sname,skana,unit,"
    "tanka1,tanka2,tanka3,bunrui,gkubun,tkubun,zkubun,stop,stanka,kakuho operatlog:pcname,username,naiyou,"
    "kubun,nitiji,syousai sysfile:id,gno,maxline,stankakbn";
static const QString kLayout =
    "select group_concat(t, ' ') from (select name || ':' || (select group_concat(name) "
    "from pragma_table_info(m.name)) as t from sqlite_master m where type = 'table' "
    "order by name)";

using Run = ToolRun;

static Run tool(const QStringList& args) {
    return runTool(args);
}

void tst_tool::initTestCase() {
    if (qEnvironmentVariableIsEmpty("ZANMO_TOOL")) QSKIP("ZANMO_TOOL is not set (run through CTest)");
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
    QCOMPARE(dir.scalar(
                 "select group_concat(id || ':' || gno || ':' || maxline || ':' || stankakbn) from sysfile"),
             QStringLiteral("1:0:1000:0"));
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
    // Each query holds for the demo data: goods and categories in number, every kind of goods and movement,
    // about a year of movements up to the given day, stored as the program writes them.
    for (const char* holds :
         {"select count(*) between 150 and 250 from goods",
          "select count(*) between 8 and 12 from bunrui where kubun = 4",
          "select count(distinct gkubun) = 4 from goods", "select count(distinct kubun) = 4 from gdai",
          "select max(day) <= 20240615 and min(day) >= 20230615 from gdai",
          "select count(*) > 0 from goods where stop = 1",
          "select count(*) > 0 from goods where zkubun <> 0 and gkubun = 0",
          "select count(*) > 150 from goods where tanka1 > 0 and stanka > 0 and stanka < tanka1",
          "select count(*) > 1000 from gdai where kubun = 1",
          "select count(*) > 0 from (select 1 from gdai where kubun = 1 group by denno having count(*) > 1)",
          "select count(*) = 0 from goods where bunrui not in (select code from bunrui where kubun = 4)",
          "select count(*) = 0 from goods where length(code) <> 12 or code <> printf('%12s', trim(code))",
          "select count(*) = 0 from goods where kana = '' or unit = '' or sname <> replace(name, '-', '')",
          "select count(*) = 0 from gdai where kubun in (0, 9) and (denno <> 0 or line <> 0)",
          "select count(*) = 0 from (select 1 from gdai where kubun in (0, 9) group by gcode, day, kubun "
          "having count(*) > 1)",
          "select count(*) = 0 from gdai where kubun in (1, 2) and (denno = 0 or line = 0)",
          "select count(*) = 0 from gdai where gcode not in (select code from goods where zkubun = 0)",
          "select count(*) = 0 from gdai where suu <> round(suu) or suu < 0"})
        QVERIFY2(dir.count(holds) == 1, holds);
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

// An older suite database without the program's indexes gets them; its rows stay as they were.
void tst_tool::optimizeAddsIndexesOnly() {
    TempProgramDir dir(false, false);
    QCOMPARE(tool({"init", "--demo", dir.path()}).status, 0);
    QVERIFY(fnOpenDB());
    dir.exec(QStringList{"drop index goods_name", "drop index gdai_gcode_kubun_day"});
    const QString rows =
        "select (select group_concat(gcode || day || kubun || denno || line || suu) from gdai) || "
        "(select group_concat(code || name || kakuho) from goods) || (select count(*) from "
        "sqlite_master where type = 'table')";
    const QString before = dir.scalar(rows);
    fnCloseDB();
    Run r = tool({"optimize", dir.path()});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, QByteArray("added index gdai_gcode_kubun_day\nadded index goods_name\n"));
    r = tool({"optimize", dir.path()});
    QCOMPARE(r.out, QByteArray("every index is there\n"));
    QVERIFY(fnOpenDB());
    QCOMPARE(dir.scalar(rows), before);
    QCOMPARE(dir.scalar("select count(*) from sqlite_master where type = 'index' and name = 'goods_name'"),
             "1");
    fnCloseDB();
}

QTEST_MAIN(tst_tool)
#include "tst_tool.moc"

#include "data/DbError.h"
#include "data/Schema.h"
#include "data/basDb.h"
#include "data/basSettings.h"
#include "support/TempProgramDir.h"

#include <QFile>
#include <QtTest>

class tst_schema : public QObject {
    Q_OBJECT

private slots:
    void tablesAndColumns_data();
    void tablesAndColumns();
    void sysfileRow();
    void indexes();
    void refusesExistingFile();
    void refusesMissingFolder();
    void fieldTypes_data();
    void fieldTypes();
};

void tst_schema::tablesAndColumns_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("columns");
    QTest::newRow("gdai") << "gdai"
                          << "gcode,day,kubun,denno,line,suu";
    QTest::newRow("goods")
        << "goods"
        << "code,name,kana,sname,skana,unit,tanka1,tanka2,tanka3,bunrui,gkubun,tkubun,zkubun,stop,"
           "stanka,kakuho";
    QTest::newRow("bunrui") << "bunrui"
                            << "kubun,code,name,jun";
    QTest::newRow("sysfile") << "sysfile"
                             << "id,gno,maxline,stankakbn";
    // Written by position: the order is part of the contract.
    QTest::newRow("operatlog") << "operatlog"
                               << "pcname,username,naiyou,kubun,nitiji,syousai";
}

void tst_schema::tablesAndColumns() {
    QFETCH(QString, table);
    QFETCH(QString, columns);
    TempProgramDir dir;
    QCOMPARE(dir.scalar("select group_concat(name, ',') from pragma_table_info('" + table + "')"), columns);
}

void tst_schema::sysfileRow() {
    TempProgramDir dir(false, false);
    Schema::createDatabase(dir.dataFile(), 1, 250, 2);
    QVERIFY(fnOpenDB());
    QCOMPARE(
        dir.scalar("select count(*) || ':' || id || ':' || gno || ':' || maxline || ':' || stankakbn from "
                   "sysfile"),
        QStringLiteral("1:1:1:250:2"));
    TempProgramDir defaults;
    QCOMPARE(defaults.scalar("select gno || ':' || maxline || ':' || stankakbn from sysfile where id = 1"),
             QStringLiteral("0:1000:0"));
}

void tst_schema::indexes() {
    TempProgramDir dir;
    QCOMPARE(
        dir.scalar("select group_concat(name, ',') from (select name from sqlite_master where type = 'index' "
                   "order by name)"),
        QStringLiteral("bunrui_kubun_code,gdai_gcode_day_kubun,gdai_gcode_kubun_day,goods_code"));
    QCOMPARE(dir.scalar("select group_concat(name, ',') from pragma_index_info('gdai_gcode_kubun_day')"),
             QStringLiteral("gcode,kubun,day,denno,suu"));
    // The stock engine's sums read the covering index only.
    Recordset rec;
    fnOpenRecordset(rec,
                    "explain query plan select sum(suu) from gdai where gcode = '           1' and kubun = 1 "
                    "and day between 1 and 2");
    QString plan;
    for (; !rec.Eof(); rec.MoveNext())
        plan += rec.Fields("detail").toString() + " / ";
    QVERIFY2(plan.contains("COVERING INDEX"), qPrintable(plan));
}

void tst_schema::refusesExistingFile() {
    TempProgramDir dir;
    dir.addCategory(1, "文具");
    try {
        Schema::createDatabase(dir.dataFile());
        QFAIL("overwrote");
    } catch (const DbError& e) {
        QVERIFY2(e.description().contains(dir.dataFile()), qPrintable(e.description()));
    }
    QCOMPARE(dir.count("select count(*) from bunrui"), 1);
}

void tst_schema::refusesMissingFolder() {
    TempProgramDir dir(false, false);
    const QString file = dir.path() + "/no/data1.dat";
    QVERIFY_THROWS_EXCEPTION(DbError, Schema::createDatabase(file));
    QVERIFY(!QFile::exists(file));
}

void tst_schema::fieldTypes_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("type");
    QTest::newRow("gcode text") << "gcode" << 202;
    QTest::newRow("day integer") << "day" << 3;
    QTest::newRow("kubun integer") << "kubun" << 3;
    QTest::newRow("denno integer") << "denno" << 3;
    QTest::newRow("suu double") << "suu" << 5;
    QTest::newRow("byte") << "t_byte" << 17;
    QTest::newRow("smallint") << "t_short" << 2;
    QTest::newRow("single") << "t_single" << 4;
    QTest::newRow("currency") << "t_money" << 6;
    QTest::newRow("varchar") << "t_text" << 202;
}

void tst_schema::fieldTypes() {
    QFETCH(QString, field);
    QFETCH(int, type);
    TempProgramDir dir;
    dir.exec("create table typed (t_byte TINYINT, t_short SMALLINT, t_single SINGLE, t_money CURRENCY, "
             "t_text VARCHAR(10))");
    Connection cn;
    cn.Open(fnConnectString(0, "data1.dat"));
    Recordset rec;
    rec.openEditable(cn, field.startsWith("t_") ? "select * from typed" : "select * from gdai");
    QCOMPARE(rec.fieldType(field), type);
    QCOMPARE(rec.fieldType(field.toUpper()), type);
    // An empty value: 0 for the four numeric kinds the rule names, refused by the other numbers.
    rec.AddNew();
    if (type == 3 || type == 4 || type == 5 || type == 17 || type == 202) {
        fnSetFieldValue(rec, field, "");
        QCOMPARE(rec.Fields(field).toString(), type == 202 ? QString() : QStringLiteral("0"));
    } else {
        QVERIFY_THROWS_EXCEPTION(DbError, fnSetFieldValue(rec, field, ""));
    }
    rec.CancelUpdate();
}

QTEST_MAIN(tst_schema)
#include "tst_schema.moc"

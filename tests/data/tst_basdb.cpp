#include "data/DbError.h"
#include "data/basDb.h"
#include "data/basSettings.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include <QFile>
#include <QtTest>

class tst_basdb : public QObject {
    Q_OBJECT

private slots:
    void openDbQuietOnSuccess();
    void openDbMissingFileShowsCriticalBox();
    void openDbModeTwo();
    void queriesAfterCloseRaise();
    void openRecordsetStaticList();
    void openRecordsetRaises();
    void executeSql();
    void fieldValue_data();
    void fieldValue();
    void fieldValueNullIsEmpty();
    void setFieldValueEmpty_data();
    void setFieldValueEmpty();
    void setFieldValueRefusesTextInNumber();
    void updateRecordsetFailureCancels();
};

void tst_basdb::openDbQuietOnSuccess() {
    ScriptedDialogs dialogs;
    TempProgramDir dir;
    QVERIFY(gcnData);
    QCOMPARE(gcnData->State(), 1);
    QVERIFY(dialogs.messages.isEmpty());
    // Opening again replaces the connection.
    QVERIFY(fnOpenDB());
    QCOMPARE(gcnData->State(), 1);
}

void tst_basdb::openDbMissingFileShowsCriticalBox() {
    ScriptedDialogs dialogs;
    TempProgramDir dir(false, false);
    QVERIFY(!fnOpenDB());
    QCOMPARE(dialogs.messages.size(), 1);
    const MessageRequest& box = dialogs.lastMessage();
    QCOMPARE(box.title, QStringLiteral("ＰＥＬＫＯ"));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.buttons, MsgButtons::Ok);
    QCOMPARE(box.text, "ファイル '" + dir.dataFile() + "' が見つかりません。");
    QVERIFY(!QFile::exists(dir.dataFile()));
    // The screen still runs; its queries fail with an error instead of crashing.
    QVERIFY(gcnData);
    QCOMPARE(gcnData->State(), 0);
    Recordset rec;
    QVERIFY_THROWS_EXCEPTION(DbError, fnOpenRecordset(rec, "select * from goods"));
    QVERIFY(!fnExecuteSql(rec, "insert into operatlog values('a','b','c',0,'d','e')").isEmpty());
}

void tst_basdb::openDbModeTwo() {
    ScriptedDialogs dialogs;
    TempProgramDir dir(false);
    dir.writeIni("[zanmo]\ndbmode=2\n");
    QVERIFY(!fnOpenDB());
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.lastMessage().icon, MsgIcon::Critical);
    QVERIFY(dialogs.lastMessage().text.contains(QStringLiteral("データ ソース名")));
}

void tst_basdb::queriesAfterCloseRaise() {
    TempProgramDir dir;
    fnCloseDB();
    QVERIFY(!gcnData);
    Recordset rec;
    QVERIFY_THROWS_EXCEPTION(DbError, fnOpenRecordset(rec, "select * from goods"));
    QVERIFY(!fnExecuteSql(rec, "delete from gdai").isEmpty());
    fnCloseDB(); // twice is harmless
}

void tst_basdb::openRecordsetStaticList() {
    TempProgramDir dir;
    dir.addGoods("2", "二番");
    dir.addGoods("10", "十番");
    dir.addGoods("1", "一番");
    Recordset rec;
    fnOpenRecordset(rec, "SELECT code,name FROM Goods WHERE Code > '           1' ORDER BY Code");
    QCOMPARE(rec.RecordCount(), 2);
    // Right-justified codes sort in numeric order.
    QCOMPARE(rec.Fields("Code").toString(), QStringLiteral("           2"));
    QCOMPARE(rec.Fields("NAME").toString(), QStringLiteral("二番"));
    rec.MoveNext();
    QCOMPARE(rec.Fields("code").toString(), QStringLiteral("          10"));
    rec.MoveNext();
    QVERIFY(rec.Eof());
    QVERIFY_THROWS_EXCEPTION(DbError, rec.Fields("code"));
    // Reopening on an open recordset closes it first.
    fnOpenRecordset(rec, "select * from goods");
    QCOMPARE(rec.RecordCount(), 3);
    QVERIFY_THROWS_EXCEPTION(DbError, rec.Fields("nosuchcolumn"));
    QVERIFY_THROWS_EXCEPTION(DbError, rec.setField("name", "x"));
}

void tst_basdb::openRecordsetRaises() {
    TempProgramDir dir;
    Recordset rec;
    try {
        fnOpenRecordset(rec, "select * from nosuch");
        QFAIL("no error");
    } catch (const DbError& e) {
        QVERIFY2(e.description().contains("nosuch"), qPrintable(e.description()));
    }
    QCOMPARE(rec.State(), 0);
}

void tst_basdb::executeSql() {
    TempProgramDir dir;
    Recordset rec;
    QCOMPARE(
        fnExecuteSql(rec, "insert into operatlog values('PC1','taro','入庫処理',0,'2024-01-05 10:00:00','')"),
        QString());
    QCOMPARE(rec.State(), 0);
    QCOMPARE(dir.count("select count(*) from operatlog"), 1);
    const QString error = fnExecuteSql(rec, "insert into operatlog values('too few')");
    QVERIFY2(error.contains(QStringLiteral("operatlog")), qPrintable(error));
    QCOMPARE(fnExecuteSql(rec, "select naiyou from operatlog"), QString());
    QCOMPARE(rec.State(), 1);
    QCOMPARE(rec.Fields("naiyou").toString(), QStringLiteral("入庫処理"));
}

void tst_basdb::fieldValue_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("expected");
    const QString both = "select max(day), sum(suu) from gdai";
    QTest::newRow("sum( position 1") << "select sum(suu) from gdai"
                                     << "sum(suu)" << 1 << "12";
    QTest::newRow("Sum( position 1") << "select Sum(suu) from gdai"
                                     << "Sum(suu)" << 1 << "12";
    QTest::newRow("SUM( reads Expr1000") << "select sum(suu) as total from gdai"
                                         << "SUM(suu)" << 1 << "12";
    QTest::newRow("count(") << "select count(*) from gdai"
                            << "count(*)" << 1 << "3";
    QTest::newRow("Count( position 2") << "select day, count(*) from gdai group by day order by day"
                                       << "Count(*)" << 2 << "2";
    QTest::newRow("max( position 1 of 2") << both << "max(day)" << 1 << "20240110";
    QTest::newRow("sum( position 2 of 2") << both << "sum(suu)" << 2 << "12";
    QTest::newRow("MIN(") << "select MIN(day) from gdai"
                          << "MIN(day)" << 1 << "20240105";
    QTest::newRow("plain name") << "select day, suu from gdai where kubun = 9"
                                << "suu" << 1 << "7";
    QTest::newRow("Expr1000 direct") << "select sum(suu) from gdai"
                                     << "Expr1000" << 1 << "12";
    QTest::newRow("fraction") << "select suu / 2.0 from gdai where kubun = 9"
                              << "Expr1000" << 1 << "3.5";
    QTest::newRow("text") << "select gcode from gdai where kubun = 9"
                          << "GCODE" << 1 << "           5";
}

void tst_basdb::fieldValue() {
    QFETCH(QString, sql);
    QFETCH(QString, name);
    QFETCH(int, position);
    QFETCH(QString, expected);
    TempProgramDir dir;
    dir.addLedger("5", 20240105, 0, 2);
    dir.addLedger("5", 20240105, 1, 3, 100, 1);
    dir.addLedger("5", 20240110, 9, 7);
    Recordset rec;
    fnOpenRecordset(rec, sql);
    QCOMPARE(fnGetFieldValue(rec, name, position), expected);
}

void tst_basdb::fieldValueNullIsEmpty() {
    TempProgramDir dir;
    Recordset rec;
    fnOpenRecordset(rec, "select sum(suu) from gdai where gcode = '           1'");
    QCOMPARE(rec.RecordCount(), 1);
    QCOMPARE(fnGetFieldValue(rec, "sum(suu)", 1), QString());
    // A letter case the rule does not know is taken as a name.
    fnOpenRecordset(rec, "select sum(suu) as total from gdai");
    QVERIFY_THROWS_EXCEPTION(DbError, fnGetFieldValue(rec, "sUm(suu)", 1));
}

void tst_basdb::setFieldValueEmpty_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("stored"); // typeof and value
    QTest::newRow("double column") << "suu"
                                   << "real:0.0";
    QTest::newRow("integer column") << "day"
                                    << "integer:0";
    QTest::newRow("text column") << "gcode"
                                 << "text:";
}

void tst_basdb::setFieldValueEmpty() {
    QFETCH(QString, field);
    QFETCH(QString, stored);
    TempProgramDir dir;
    Connection cn;
    cn.Open(fnConnectString(0, "data1.dat"));
    Recordset rec;
    rec.openEditable(cn, "select * from gdai where gcode = '           1'");
    rec.AddNew();
    fnSetFieldValue(rec, field, "");
    QCOMPARE(fnUpdateRecordset(rec), QString());
    QCOMPARE(dir.scalar("select typeof(" + field + ") || ':' || " + field + " from gdai"), stored);
}

void tst_basdb::setFieldValueRefusesTextInNumber() {
    TempProgramDir dir;
    Connection cn;
    cn.Open(fnConnectString(0, "data1.dat"));
    Recordset rec;
    rec.openEditable(cn, "select * from gdai where gcode = '           1'");
    rec.AddNew();
    QVERIFY_THROWS_EXCEPTION(DbError, fnSetFieldValue(rec, "suu", "1,234"));
    fnSetFieldValue(rec, "suu", " 1234 ");
    fnSetFieldValue(rec, "kubun", "0");
    QCOMPARE(fnUpdateRecordset(rec), QString());
    QCOMPARE(dir.scalar("select suu from gdai"), QStringLiteral("1234"));
}

void tst_basdb::updateRecordsetFailureCancels() {
    TempProgramDir dir;
    dir.exec("create trigger refuse before insert on gdai begin select raise(abort, 'refused'); end");
    Connection cn;
    cn.Open(fnConnectString(0, "data1.dat"));
    Recordset rec;
    rec.openEditable(cn, "select * from gdai where gcode = '           1'");
    rec.AddNew();
    fnSetFieldValue(rec, "suu", "3");
    const QString error = fnUpdateRecordset(rec);
    QVERIFY2(error.contains("refused"), qPrintable(error));
    QCOMPARE(rec.EditMode(), int(Recordset::adEditNone));
    QVERIFY(rec.Eof());
    QCOMPARE(dir.count("select count(*) from gdai"), 0);
}

QTEST_MAIN(tst_basdb)
#include "tst_basdb.moc"

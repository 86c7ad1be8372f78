#include "DataTest.h"
#include "data/basDb.h"
#include "support/TempProgramDir.h"

#include <QDir>
#include <QtTest>

// The connection and cursor the data layer is built on, against real data1.dat files.
class tst_connection : public QObject {
    Q_OBJECT

private slots:
    void openFailures_data();
    void openFailures();
    void openAndClose();
    void transactions();
    void recordsetOutlivesConnection();
    void editableNeedsOneTable_data();
    void editableNeedsOneTable();
    void addNewAndLocks();
    void storedValues_data();
    void storedValues();
    void moveAssignmentRollsBack();
};

static void openRow(const char* name, const QString& connect, const char* message) {
    QTest::newRow(name) << connect << QString::fromUtf8(message);
}

void tst_connection::openFailures_data() {
    QTest::addColumn<QString>("connect"); // <dir> is the temporary folder holding data1.dat
    QTest::addColumn<QString>("message");
    openRow("empty", "", "データ ソース名");
    openRow("missing file", jet("<dir>\\nothere.dat"), "<dir>/nothere.dat' が見つかりません");
    openRow("missing folder", jet("<dir>\\no\\data1.dat"), "<dir>/no' は正しいパスではありません");
    openRow("other provider", "provider=SQLOLEDB;Data Source=<dir>\\data1.dat", "プロバイダが見つかりません");
    openRow("no provider", "Data Source=<dir>\\data1.dat", "データ ソース名");
    openRow("malformed part", "provider=Microsoft.Jet.OLEDB.4.0;Data Source", "引数が間違った型");
    openRow("password too long", jet("<dir>\\data1.dat", QString(21, 'x')), "パスワードが無効です");
    openRow("not a database", jet("<dir>\\zanmo.ini"), "認識できないデータベース形式");
}

void tst_connection::openFailures() {
    QFETCH(QString, connect);
    QFETCH(QString, message);
    TempProgramDir dir(false);
    dir.writeIni(QString(200, 'x'));
    Connection cn;
    try {
        cn.Open(connect.replace("<dir>", dir.path()));
        QFAIL("opened");
    } catch (const DbError& e) {
        QVERIFY2(e.description().contains(message.replace("<dir>", dir.path())), qPrintable(e.description()));
    }
    QCOMPARE(cn.State(), 0);
    // Nothing is created by a failed open.
    QVERIFY(!QFile::exists(dir.path() + "/nothere.dat") && !QDir(dir.path() + "/no").exists());
}

void tst_connection::openAndClose() {
    TempProgramDir dir(false);
    QDir(dir.path()).mkdir("sub");
    Connection cn;
    Recordset rec;
    QVERIFY_THROWS_EXCEPTION(DbError, cn.Execute("select 1"));
    cn.setBusyTimeout(1234);
    // A dbpath written with a trailing backslash doubles it; both forms name the same file.
    cn.Open(jet(dir.path() + "\\sub\\..\\\\data1.dat"));
    QCOMPARE(cn.filePath(), dir.dataFile());
    QCOMPARE(cn.Execute("insert into bunrui values (4, 1, 'x', 1)"), 1);
    rec.openStatic(cn, "PRAGMA journal_mode");
    QCOMPARE(rows(rec), QStringLiteral("wal"));
    for (const char* ms : {"1234", "20"}) { // set before opening, then on the open connection
        rec.openStatic(cn, "PRAGMA busy_timeout");
        QCOMPARE(rows(rec), QString(ms));
        cn.setBusyTimeout(20);
    }
    cn.Close();
    QVERIFY_THROWS_EXCEPTION(DbError, cn.Execute("select 1"));
    QVERIFY_THROWS_EXCEPTION(DbError, rec.openStatic(cn, "select 1"));
    // A closed cursor refuses work instead of crashing.
    QVERIFY(rec.State() == 0 && rec.Eof() && rec.RecordCount() == 0);
    QVERIFY_THROWS_EXCEPTION(DbError, rec.Fields("x"));
    QVERIFY_THROWS_EXCEPTION(DbError, rec.MoveNext());
    QVERIFY_THROWS_EXCEPTION(DbError, rec.AddNew());
    cn.Open(jet(dir.dataFile())); // reopening works
    QCOMPARE(cn.Execute("delete from bunrui"), 1);
}

void tst_connection::transactions() {
    TempProgramDir dir(false);
    Connection cn;
    cn.Open(jet(dir.dataFile()));
    cn.BeginTrans();
    cn.Execute("insert into bunrui values (4, 1, 'a', 1)");
    cn.RollbackTrans();
    cn.BeginTrans();
    cn.Execute("insert into bunrui values (4, 2, 'b', 2)");
    // An editable cursor inside the caller's transaction nests in it.
    Recordset rec;
    rec.openEditable(cn, "select * from bunrui where kubun = 4 and code = 3");
    rec.AddNew();
    set(rec, {"kubun", "4", "code", "3"});
    rec.Update();
    QVERIFY(cn.inTransaction());
    cn.CommitTrans();
    QVERIFY(!cn.inTransaction());
    rec.openStatic(cn, "select code from bunrui order by code");
    QCOMPARE(rows(rec), QStringLiteral("2|3"));
}

void tst_connection::recordsetOutlivesConnection() {
    TempProgramDir dir(false);
    Recordset rec;
    {
        Editor e;
        e.rec.AddNew();
        e.rec.setField("gcode", "           1");
        rec = std::move(e.rec);
    } // the connection goes first and takes the uncommitted row with it
    rec.Close();
    Connection other;
    other.setBusyTimeout(50);
    other.Open(jet(dir.dataFile()));
    QCOMPARE(other.Execute("insert into gdai (gcode) values ('           2')"), 1);
    rec.openStatic(other, "select count(*) from gdai");
    QCOMPARE(rows(rec), QStringLiteral("1"));
}

void tst_connection::editableNeedsOneTable_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("editable");
    QTest::newRow("star") << kCode1 << true;
    QTest::newRow("columns") << "select suu, kubun from gdai where day = 1" << true;
    QTest::newRow("alias") << "select * from gdai as d where d.day = 1" << true;
    QTest::newRow("alias without as") << "select * from gdai d order by day" << true;
    QTest::newRow("comma join") << "select * from gdai as d,goods as g where d.gcode=g.code" << false;
    QTest::newRow("join") << "select * from gdai join goods on gdai.gcode = goods.code" << false;
    QTest::newRow("distinct") << "select distinct gcode from gdai" << false;
    QTest::newRow("not a select") << "delete from gdai" << false;
}

void tst_connection::editableNeedsOneTable() {
    QFETCH(QString, sql);
    QFETCH(bool, editable);
    TempProgramDir dir;
    Connection cn;
    cn.Open(fnConnectString(0, "data1.dat"));
    Recordset rec;
    if (editable)
        rec.openEditable(cn, sql);
    else
        QVERIFY_THROWS_EXCEPTION(DbError, rec.openEditable(cn, sql));
    QCOMPARE(rec.State(), editable ? 1 : 0);
    rec.Close();
    dir.addLedger("1", 20240101, 0, 1); // whatever happened, no lock stays behind
}

void tst_connection::addNewAndLocks() {
    TempProgramDir dir;
    dir.addLedger("1", 20240101, 0, 1);
    Editor e("select gcode, day, kubun, suu, suu * 2 as twice from gdai order by day");
    Recordset& rec = e.rec;
    rec.Update();                        // nothing changed: releases the lock
    dir.exec("update gdai set suu = 3"); // would wait for the lock otherwise
    QVERIFY_THROWS_EXCEPTION(DbError, rec.setField("twice", "4"));
    QVERIFY_THROWS_EXCEPTION(DbError, rec.setField("denno", "4")); // not selected
    rec.AddNew();
    QCOMPARE(rec.RecordCount(), 2);
    QVERIFY(!rec.Eof() && rec.Fields("suu").isNull());
    set(rec, {"gcode", "           1", "day", "20240102", "SUU", "9"});
    QCOMPARE(rec.Fields("suu").toInt(), 9);
    rec.Update();
    // After the insert the new row is the current one, with the values as stored.
    QVERIFY(rec.Fields("kubun").isNull());
    QCOMPARE(rows(rec).section(',', 0, 3), QStringLiteral("           1,20240102,,9"));
    rec.MoveFirst();
    rec.setField("suu", "10");
    rec.MoveNext(); // moving off a changed row saves it
    QCOMPARE(rec.EditMode(), 0);
    rec.setField("suu", "20");
    rec.Close(); // closing without Update discards the second change
    QCOMPARE(dir.scalar("select group_concat(suu, ',') from (select suu from gdai order by day)"),
             QStringLiteral("10.0,9.0"));
}

static void storedRow(const char* name, const char* field, const QVariant& value, bool module,
                      const char* stored) {
    QTest::newRow(name) << QString(field) << value << module << QString(stored);
}

void tst_connection::storedValues_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("module");    // through fnSetFieldValue / fnUpdateRecordset
    QTest::addColumn<QString>("stored"); // typeof:value; empty: refused
    storedRow("integer text", "day", "20240105", false, "integer:20240105");
    storedRow("integer with blanks", "kubun", " 9 ", false, "integer:9");
    storedRow("half rounds to even", "denno", "2.5", false, "integer:2");
    storedRow("negative quantity", "suu", "-12", false, "real:-12.0");
    storedRow("fraction", "suu", "1.25", false, "real:1.25");
    storedRow("int value", "line", 3, false, "integer:3");
    storedRow("code keeps blanks", "gcode", "         123", false, "text:         123");
    storedRow("digits into text stay text", "gcode", 123, false, "text:123");
    storedRow("null", "suu", QVariant(), false, "null:");
    storedRow("empty into double", "suu", "", true, "real:0.0");
    storedRow("empty into integer", "day", "", true, "integer:0");
    storedRow("empty into text", "gcode", "", true, "text:");
    storedRow("number with blanks", "suu", " 1234 ", true, "real:1234.0");
    storedRow("separator refused", "suu", "1,234", true, "");
}

void tst_connection::storedValues() {
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(bool, module);
    QFETCH(QString, stored);
    TempProgramDir dir;
    Editor e;
    e.rec.AddNew();
    if (stored.isEmpty()) QVERIFY_THROWS_EXCEPTION(DbError, fnSetFieldValue(e.rec, field, value.toString()));
    if (stored.isEmpty()) return;
    if (module) {
        fnSetFieldValue(e.rec, field, value.toString());
        QCOMPARE(fnUpdateRecordset(e.rec), QString());
    } else {
        e.rec.setField(field, value);
        e.rec.Update();
    }
    QCOMPARE(dir.scalar("select typeof(" + field + ") || ':' || ifnull(" + field + ", '') from gdai"),
             stored);
}

void tst_connection::moveAssignmentRollsBack() {
    TempProgramDir dir;
    Editor e;
    e.rec.AddNew();
    e.rec.setField("suu", "1");
    e.rec = Recordset();
    QCOMPARE(dir.count("select count(*) from gdai"), 0);
    dir.addLedger("1", 20240101, 0, 1);
    e.rec.openEditable(e.cn, kCode1);
    Recordset target(std::move(e.rec));
    QCOMPARE(e.rec.State(), 0);
    target.setField("suu", "7");
    target.Update();
    QCOMPARE(dir.scalar("select suu from gdai"), QStringLiteral("7"));
}

QTEST_MAIN(tst_connection)
#include "tst_connection.moc"

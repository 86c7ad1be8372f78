#include "data/Connection.h"
#include "data/DbError.h"
#include "data/Recordset.h"
#include "data/basSettings.h"
#include "support/TempProgramDir.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class tst_connection : public QObject {
    Q_OBJECT

private slots:
    void openFailures_data();
    void openFailures();
    void opensWithBackslashSeparators();
    void walAndBusyTimeout();
    void closedConnectionRefusesWork();
    void recordsetOutlivesConnection();
    void transactions();
};

static QString jet(const QString& source, const QString& password = QStringLiteral("QelMorvan")) {
    return "provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + source +
           ";Jet OLEDB:Database Password=" + password;
}

void tst_connection::openFailures_data() {
    QTest::addColumn<QString>("connect"); // <dir> is the temporary folder holding data1.dat
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << ""
                           << "データ ソース名";
    QTest::newRow("missing file") << jet("<dir>\\nothere.dat") << "<dir>/nothere.dat' が見つかりません";
    QTest::newRow("missing folder") << jet("<dir>\\no\\data1.dat") << "<dir>/no' は正しいパスではありません";
    QTest::newRow("other provider") << "provider=SQLOLEDB;Data Source=<dir>\\data1.dat"
                                    << "プロバイダが見つかりません";
    QTest::newRow("no provider") << "Data Source=<dir>\\data1.dat"
                                 << "データ ソース名";
    QTest::newRow("malformed part") << "provider=Microsoft.Jet.OLEDB.4.0;Data Source"
                                    << "引数が間違った型";
    QTest::newRow("password too long") << jet("<dir>\\data1.dat", QString(21, 'x')) << "パスワードが無効です";
    QTest::newRow("not a database") << jet("<dir>\\zanmo.ini") << "認識できないデータベース形式";
}

void tst_connection::openFailures() {
    QFETCH(QString, connect);
    QFETCH(QString, message);
    TempProgramDir dir(false);
    dir.writeIni(QString(200, 'x'));
    Connection cn;
    try {
        cn.Open(QString(connect).replace("<dir>", dir.path()));
        QFAIL("opened");
    } catch (const DbError& e) {
        QVERIFY2(e.description().contains(QString(message).replace("<dir>", dir.path())),
                 qPrintable(e.description()));
    }
    QCOMPARE(cn.State(), 0);
    // Nothing is created by a failed open.
    QVERIFY(!QFile::exists(dir.path() + "/nothere.dat"));
    QVERIFY(!QDir(dir.path() + "/no").exists());
}

void tst_connection::opensWithBackslashSeparators() {
    TempProgramDir dir(false);
    QDir(dir.path()).mkdir("sub");
    Connection cn;
    // A dbpath written with a trailing backslash doubles it; both forms name the same file.
    cn.Open(jet(dir.path() + "\\sub\\..\\\\data1.dat"));
    QCOMPARE(cn.State(), 1);
    QCOMPARE(cn.filePath(), dir.dataFile());
    QCOMPARE(cn.Execute("insert into bunrui values (4, 1, 'x', 1)"), 1);
}

void tst_connection::walAndBusyTimeout() {
    TempProgramDir dir(false);
    Connection cn;
    cn.setBusyTimeout(1234);
    cn.Open(jet(dir.dataFile()));
    Recordset rec;
    rec.openStatic(cn, "PRAGMA journal_mode");
    QCOMPARE(rec.Fields(0).toString(), QStringLiteral("wal"));
    rec.openStatic(cn, "PRAGMA busy_timeout");
    QCOMPARE(rec.Fields(0).toInt(), 1234);
    cn.setBusyTimeout(20);
    rec.openStatic(cn, "PRAGMA busy_timeout");
    QCOMPARE(rec.Fields(0).toInt(), 20);
    QCOMPARE(cn.busyTimeout(), 20);
}

void tst_connection::closedConnectionRefusesWork() {
    TempProgramDir dir(false);
    Connection cn;
    QVERIFY_THROWS_EXCEPTION(DbError, cn.Execute("select 1"));
    cn.Open(jet(dir.dataFile()));
    cn.Close();
    QCOMPARE(cn.State(), 0);
    QVERIFY_THROWS_EXCEPTION(DbError, cn.Execute("select 1"));
    Recordset rec;
    QVERIFY_THROWS_EXCEPTION(DbError, rec.openStatic(cn, "select 1"));
    // Reopening works.
    cn.Open(jet(dir.dataFile()));
    QCOMPARE(cn.Execute("delete from gdai"), 0);
}

void tst_connection::recordsetOutlivesConnection() {
    TempProgramDir dir(false);
    Recordset rec;
    {
        Connection cn;
        cn.Open(jet(dir.dataFile()));
        rec.openEditable(cn, "select * from gdai where gcode='           1'");
        rec.AddNew();
        rec.setField("gcode", "           1");
    } // the connection goes first and takes the uncommitted row with it
    rec.Close();
    Connection other;
    other.setBusyTimeout(50);
    other.Open(jet(dir.dataFile()));
    QCOMPARE(other.Execute("insert into gdai (gcode) values ('           2')"), 1);
    Recordset count;
    count.openStatic(other, "select count(*) from gdai");
    QCOMPARE(count.Fields(0).toInt(), 1);
}

void tst_connection::transactions() {
    TempProgramDir dir(false);
    Connection cn;
    cn.Open(jet(dir.dataFile()));
    cn.BeginTrans();
    QVERIFY(cn.inTransaction());
    cn.Execute("insert into bunrui values (4, 1, 'a', 1)");
    cn.RollbackTrans();
    QVERIFY(!cn.inTransaction());
    cn.BeginTrans();
    cn.Execute("insert into bunrui values (4, 2, 'b', 2)");
    // An editable cursor inside the caller's transaction nests in it.
    Recordset rec;
    rec.openEditable(cn, "select * from bunrui where kubun = 4 and code = 3");
    rec.AddNew();
    rec.setField("kubun", "4");
    rec.setField("code", "3");
    rec.Update();
    cn.CommitTrans();
    Recordset all;
    all.openStatic(cn, "select code from bunrui order by code");
    QCOMPARE(all.RecordCount(), 2);
    QCOMPARE(all.Fields("code").toInt(), 2);
}

QTEST_MAIN(tst_connection)
#include "tst_connection.moc"

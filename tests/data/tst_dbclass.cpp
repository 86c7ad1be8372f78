#include "DataTest.h"
#include "data/basDb.h"
#include "data/clsDbClass.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

// The two ways screens reach the data: the clsDbClass object and the basDb routines on gcnData.
class tst_dbclass : public QObject {
    Q_OBJECT

private slots:
    void openFailures_data();
    void openFailures();
    void dbSql();
    void dbSqlEdit();
    void dbSqlExec();
    void secondEditorWaitsForFirstLock();
    void failedUpdateLeavesNoHalfWrittenRow();
    void moduleRoutines();
    void fieldValue_data();
    void fieldValue();
};

static const QString kReceiptSql =
    QStringLiteral("select *  from gdai where gcode='         123'   and day=20240105"
                   "   and kubun=0   and denno=0   and line=0");

void tst_dbclass::openFailures_data() {
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("message"); // <file> is the data file
    QTest::newRow("missing file") << QString() << "ファイル '<file>' が見つかりません。";
    QTest::newRow("mode 2: empty connection text")
        << "[zanmo]\ndbmode=2\n"
        << "[Microsoft][ODBC Driver Manager] データ ソース名および指定された既定のドライバが見つかりません。";
}

void tst_dbclass::openFailures() {
    QFETCH(QString, ini);
    QFETCH(QString, message);
    ScriptedDialogs dialogs;
    TempProgramDir dir(false, !ini.isNull());
    if (!ini.isNull()) dir.writeIni(ini);
    message.replace("<file>", dir.dataFile());
    clsDbClass db, unopened;
    Recordset rec;
    QVERIFY(!db.OpenDb());
    QCOMPARE(db.ErrMsg(), message);
    for (clsDbClass* c : {&db, &unopened}) {
        QVERIFY(!c->DbSql("select * from gdai", rec) && !c->ErrMsg().isEmpty());
        QVERIFY(!c->DbSqlExec("delete from gdai") && !c->DbSqlEdit(kReceiptSql, rec));
    }
    // The shared connection shows one box; the screen still runs and its queries fail instead of crashing.
    QVERIFY(!fnOpenDB());
    QCOMPARE(dialogs.messages.size(), 1);
    const MessageRequest& box = dialogs.lastMessage();
    QCOMPARE(box.title + box.text, "ＰＥＬＫＯ" + message);
    QVERIFY(box.icon == MsgIcon::Critical && box.buttons == MsgButtons::Ok);
    QVERIFY(gcnData && gcnData->State() == 0);
    QVERIFY_THROWS_EXCEPTION(DbError, fnOpenRecordset(rec, "select * from goods"));
    QVERIFY(!fnExecuteSql(rec, "insert into operatlog values('a','b','c',0,'d','e')").isEmpty());
    QCOMPARE(QFile::exists(dir.dataFile()), !ini.isNull()); // nothing created
}

void tst_dbclass::dbSql() {
    TempProgramDir dir;
    dir.addLedger("123", 20240105, 0, 5);
    dir.addLedger("123", 20240106, 1, 2, 77, 1);
    clsDbClass db;
    QVERIFY(db.OpenDb());
    Recordset rec;
    QVERIFY(db.DbSql("select day,suu from gdai where gcode = '         123' order by day", rec));
    QCOMPARE(db.RecCnt(), 2);
    QCOMPARE(rec.Fields("DAY").toInt(), 20240105);
    QCOMPARE(rows(rec), QStringLiteral("20240105,5|20240106,2"));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    const QString bad = QStringLiteral("selec day from gdai where");
    QVERIFY(!db.DbSql(bad, rec));
    QVERIFY2(db.ErrMsg().contains(QStringLiteral("構文エラー")), qPrintable(db.ErrMsg()));
    QCOMPARE(db.RecCnt(), 2);
    QCOMPARE(QGuiApplication::clipboard()->text(), bad);
    QCOMPARE(rec.State(), int(Recordset::adStateClosed));
    QVERIFY(db.DbSql("select * from gdai", rec)); // the next good query clears the message
    QCOMPARE(db.ErrMsg(), QString());
}

void tst_dbclass::dbSqlEdit() {
    TempProgramDir dir;
    clsDbClass db, other;
    QVERIFY(db.OpenDb() && other.OpenDb());
    other.connection()->setBusyTimeout(50);
    Recordset rec;
    // Cancelled: nothing written, and the lock goes with the cursor.
    QVERIFY(db.DbSqlEdit(kReceiptSql, rec));
    rec.setField("gcode", QStringLiteral("         123"));
    rec.CancelUpdate();
    rec.Close();
    dir.addLedger("123", 20240105, 9, 40);
    // Nothing found: a new row.
    QVERIFY(db.DbSqlEdit(kReceiptSql, rec));
    QVERIFY(!rec.Eof());
    QCOMPARE(rec.EditMode(), int(Recordset::adEditAdd));
    set(rec,
        {"gcode", "         123", "day", "20240105", "kubun", "0", "denno", "0", "line", "0", "suu", "12"});
    rec.Update();
    QCOMPARE(rec.EditMode(), int(Recordset::adEditNone));
    QCOMPARE(dir.scalar("select typeof(day) || typeof(kubun) || typeof(suu) || suu from gdai where kubun=0"),
             QStringLiteral("integerintegerreal12.0"));
    // Found: that row is edited; reading it again and again leaves one lock, gone with the cursor.
    for (int attempt = 0; attempt < 3; ++attempt)
        QVERIFY2(db.DbSqlEdit(kReceiptSql, rec), qPrintable(db.ErrMsg()));
    QCOMPARE(rec.EditMode(), int(Recordset::adEditNone));
    QCOMPARE(rec.Fields("suu").toDouble(), 12.0);
    rec.setField("suu", QStringLiteral("8"));
    QCOMPARE(rec.EditMode(), int(Recordset::adEditInProgress));
    rec.Update();
    QCOMPARE(dir.scalar("select group_concat(suu) from (select suu from gdai order by kubun)"),
             QStringLiteral("8.0,40.0"));
    QVERIFY(db.DbSqlEdit(kReceiptSql, rec));
    QVERIFY(!other.DbSqlExec("delete from operatlog"));
    { Recordset gone = std::move(rec); }
    QVERIFY2(other.DbSqlExec("delete from operatlog"), qPrintable(other.ErrMsg()));
}

void tst_dbclass::dbSqlExec() {
    TempProgramDir dir;
    for (int d = 1; d <= 3; ++d)
        dir.addLedger("123", 20240100 + d, 0, d);
    dir.addLedger("123", 20240101, 1, 4, 10, 1);
    clsDbClass db;
    QVERIFY(db.OpenDb());
    for (int deleted : {3, 0}) {
        QVERIFY(db.DbSqlExec("delete * from gdai where gcode='         123' and kubun=0"));
        QCOMPARE(db.RecCnt(), deleted);
    }
    QCOMPARE(dir.count("select count(*) from gdai"), 1);
    QVERIFY(db.DbSqlExec("update gdai set suu = 2"));
    QVERIFY(!db.DbSqlExec("update nosuchtable set suu = 2"));
    QVERIFY2(db.ErrMsg().contains(QStringLiteral("nosuchtable")), qPrintable(db.ErrMsg()));
    QCOMPARE(db.RecCnt(), 1);
    // The Jet form inside a literal is data, not a statement; a success leaves the message as it was.
    QVERIFY(db.DbSqlExec(
        "insert into operatlog values('pc','user','delete * from x',0,'2024-01-01 00:00:00','')"));
    QVERIFY(db.ErrMsg().contains(QStringLiteral("nosuchtable")));
    QCOMPARE(dir.scalar("select naiyou from operatlog"), QStringLiteral("delete * from x"));
    QVERIFY(db.DbSqlExec("Delete *  From gdai where day=20240101"));
    QCOMPARE(db.RecCnt(), 1);
}

void tst_dbclass::secondEditorWaitsForFirstLock() {
    TempProgramDir dir;
    dir.addLedger("123", 20240105, 0, 5);
    clsDbClass first, second;
    QVERIFY(first.OpenDb() && second.OpenDb());
    second.connection()->setBusyTimeout(50);
    Recordset a, b;
    QVERIFY(first.DbSqlEdit(kReceiptSql, a));
    QVERIFY(!second.DbSqlEdit(kReceiptSql, b));
    QVERIFY2(second.ErrMsg().contains(QStringLiteral("ロック")), qPrintable(second.ErrMsg()));
    QCOMPARE(dir.scalar("select suu from gdai"), QStringLiteral("5")); // readers are not held up
    a.setField("suu", QStringLiteral("6"));
    a.Update();
    QVERIFY(second.DbSqlEdit(kReceiptSql, b));
    QCOMPARE(b.Fields("suu").toDouble(), 6.0);
    b.setField("suu", QStringLiteral("7"));
    b.Update();
    QCOMPARE(dir.scalar("select suu from gdai"), QStringLiteral("7"));
}

void tst_dbclass::failedUpdateLeavesNoHalfWrittenRow() {
    TempProgramDir dir;
    // A write the database refuses after part of it has happened.
    dir.exec("create table audit (x integer)");
    dir.exec("create trigger refuse after insert on gdai when new.suu = 13 begin "
             "insert into audit values (1); select raise(abort, 'refused'); end");
    clsDbClass db, other;
    QVERIFY(db.OpenDb() && other.OpenDb());
    other.connection()->setBusyTimeout(50);
    Recordset rec;
    QVERIFY(db.DbSqlEdit(kReceiptSql, rec));
    set(rec, {"gcode", "         123", "suu", "13"});
    QVERIFY_THROWS_EXCEPTION(DbError, rec.Update());
    rec.CancelUpdate();
    QCOMPARE(dir.scalar("select count(*) || (select count(*) from audit) from gdai"), QStringLiteral("00"));
    QVERIFY(other.DbSqlExec("delete from audit")); // the lock is gone although the cursor is still open
    QVERIFY(db.DbSqlEdit(kReceiptSql, rec));       // and the next attempt goes through
    set(rec, {"gcode", "         123", "suu", "12"});
    rec.Update();
    QCOMPARE(dir.count("select count(*) from gdai"), 1);
    // Through the module routine the failure comes back as text and the added row is dropped.
    Editor e;
    e.rec.AddNew();
    fnSetFieldValue(e.rec, "suu", "13");
    QVERIFY(fnUpdateRecordset(e.rec).contains("refused"));
    QVERIFY(e.rec.EditMode() == Recordset::adEditNone && e.rec.Eof());
    QCOMPARE(dir.count("select count(*) from gdai"), 1);
}

void tst_dbclass::moduleRoutines() {
    ScriptedDialogs dialogs;
    TempProgramDir dir;
    QVERIFY(fnOpenDB()); // opening again replaces the connection, quietly
    QVERIFY(gcnData->State() == 1 && dialogs.messages.isEmpty());
    for (const char* code : {"2", "10", "1"})
        dir.addGoods(code, QString("番") + code);
    Recordset rec;
    fnOpenRecordset(rec, "SELECT code,name FROM Goods WHERE Code > '           1' ORDER BY Code");
    QCOMPARE(rec.RecordCount(), 2);
    QCOMPARE(rec.Fields("NAME").toString(), QStringLiteral("番2"));
    // Right-justified codes sort in numeric order.
    QCOMPARE(rows(rec), QStringLiteral("           2,番2|          10,番10"));
    QVERIFY_THROWS_EXCEPTION(DbError, rec.Fields("code"));
    fnOpenRecordset(rec, "select * from goods"); // reopening closes first; the list is read-only
    QCOMPARE(rec.RecordCount(), 3);
    QVERIFY_THROWS_EXCEPTION(DbError, rec.Fields("nosuchcolumn"));
    QVERIFY_THROWS_EXCEPTION(DbError, rec.setField("name", "x"));
    QVERIFY_THROWS_EXCEPTION(DbError, fnOpenRecordset(rec, "select * from nosuch"));
    QCOMPARE(rec.State(), 0);
    QCOMPARE(
        fnExecuteSql(rec, "insert into operatlog values('PC1','taro','入庫処理',0,'2024-01-05 10:00:00','')"),
        QString());
    QCOMPARE(rec.State(), 0);
    QVERIFY(fnExecuteSql(rec, "insert into operatlog values('too few')").contains("operatlog"));
    QCOMPARE(fnExecuteSql(rec, "select naiyou from operatlog"), QString());
    QCOMPARE(rows(rec), QStringLiteral("入庫処理"));
    fnCloseDB();
    QVERIFY(!gcnData);
    QVERIFY_THROWS_EXCEPTION(DbError, fnOpenRecordset(rec, "select * from goods"));
    QVERIFY(!fnExecuteSql(rec, "delete from gdai").isEmpty());
    fnCloseDB(); // twice is harmless
}

static void valueRow(const char* name, const QString& sql, const char* field, int position,
                     const char* expected) {
    QTest::newRow(name) << sql << QString(field) << position << QString(expected);
}

void tst_dbclass::fieldValue_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("expected"); // null: the read raises
    const QString both = "select max(day), sum(suu) from gdai";
    const QString four = "select gcode, max(day), sum(suu), count(*) from gdai group by gcode";
    valueRow("sum( position 1", "select sum(suu) from gdai", "sum(suu)", 1, "12");
    valueRow("Sum( position 1", "select Sum(suu) from gdai", "Sum(suu)", 1, "12");
    valueRow("SUM( reads Expr1000", "select sum(suu) as total from gdai", "SUM(suu)", 1, "12");
    valueRow("count(", "select count(*) from gdai", "count(*)", 1, "3");
    valueRow("Count( position 2", "select day, count(*) from gdai group by day order by day", "Count(*)", 2,
             "2");
    valueRow("max( position 1 of 2", both, "max(day)", 1, "20240110");
    valueRow("sum( position 2 of 2", both, "sum(suu)", 2, "12");
    valueRow("MIN(", "select MIN(day) from gdai", "MIN(day)", 1, "20240105");
    valueRow("plain name", "select day, suu from gdai where kubun = 9", "suu", 1, "7");
    valueRow("fraction", "select suu / 2.0 from gdai where kubun = 9", "Expr1000", 1, "3.5");
    valueRow("text", "select gcode from gdai where kubun = 9", "GCODE", 1, "           5");
    valueRow("Expr1000 direct", "select sum(suu) from gdai", "Expr1000", 1, "12");
    valueRow("Expr1000 first column", four, "Expr1000", 1, "           5");
    valueRow("Expr1001", four, "Expr1001", 1, "20240110");
    valueRow("expr1002", four, "expr1002", 1, "12");
    valueRow("EXPR1003", four, "EXPR1003", 1, "3");
    valueRow("Expr past the end", four, "Expr1004", 1, nullptr);
    valueRow("Expr999", four, "Expr999", 1, nullptr);
    valueRow("null sum is empty", "select sum(suu) from gdai where gcode = '           1'", "sum(suu)", 1,
             "");
    // A letter case the rule does not know is taken as a name.
    valueRow("sUm( is a name", "select sum(suu) as total from gdai", "sUm(suu)", 1, nullptr);
}

void tst_dbclass::fieldValue() {
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
    if (expected.isNull())
        QVERIFY_THROWS_EXCEPTION(DbError, fnGetFieldValue(rec, name, position));
    else
        QCOMPARE(fnGetFieldValue(rec, name, position), expected);
}

QTEST_MAIN(tst_dbclass)
#include "tst_dbclass.moc"

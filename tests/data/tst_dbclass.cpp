#include "data/DbError.h"
#include "data/clsDbClass.h"
#include "support/TempProgramDir.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

class tst_dbclass : public QObject {
    Q_OBJECT

private slots:
    void dbSqlListsRowsWithCount();
    void dbSqlSyntaxError();
    void dbSqlBeforeOpenDb();
    void dbSqlEditAddsWhenNothingFound();
    void dbSqlEditEditsFoundRow();
    void cancelUpdateWritesNothing();
    void dbSqlExecCountsAffectedRows();
    void dbSqlExecFailureKeepsCount();
    void deleteStarFromRuns();
    void secondEditorWaitsForFirstLock();
    void failedUpdateLeavesNoHalfWrittenRow();
    void rereadingReleasesPreviousLock();
    void openDbModeTwoFails();
    void openDbMissingFile();
};

static const QString kReceiptSql =
    QStringLiteral("select *  from gdai where gcode='         123'   and day=20240105"
                   "   and kubun=0   and denno=0   and line=0");

void tst_dbclass::dbSqlListsRowsWithCount() {
    TempProgramDir dir;
    dir.addLedger("123", 20240105, 0, 5);
    dir.addLedger("123", 20240106, 1, 2, 77, 1);
    clsDbClass db;
    QVERIFY(db.OpenDb());
    QCOMPARE(db.ErrMsg(), QString());
    Recordset rec;
    QVERIFY(db.DbSql("select day,suu from gdai where gcode = '         123' order by day", rec));
    QCOMPARE(db.RecCnt(), 2);
    QCOMPARE(rec.RecordCount(), 2);
    QCOMPARE(rec.Fields("DAY").toInt(), 20240105);
    rec.MoveNext();
    QCOMPARE(rec.Fields("Suu").toDouble(), 2.0);
    rec.MoveNext();
    QVERIFY(rec.Eof());
    db.CloseDb();
}

void tst_dbclass::dbSqlSyntaxError() {
    TempProgramDir dir;
    dir.addLedger("1", 20240101, 0, 1);
    clsDbClass db;
    QVERIFY(db.OpenDb());
    Recordset rec;
    QVERIFY(db.DbSql("select * from gdai", rec));
    QCOMPARE(db.RecCnt(), 1);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    const QString bad = QStringLiteral("selec day from gdai where");
    QVERIFY(!db.DbSql(bad, rec));
    QVERIFY2(db.ErrMsg().contains(QStringLiteral("構文エラー")), qPrintable(db.ErrMsg()));
    QCOMPARE(db.RecCnt(), 1);
    QCOMPARE(QGuiApplication::clipboard()->text(), bad);
    QCOMPARE(rec.State(), int(Recordset::adStateClosed));
    // The next good query clears the message.
    QVERIFY(db.DbSql("select * from gdai", rec));
    QCOMPARE(db.ErrMsg(), QString());
}

void tst_dbclass::dbSqlBeforeOpenDb() {
    TempProgramDir dir(false);
    clsDbClass db;
    Recordset rec;
    QVERIFY(!db.DbSql("select * from gdai", rec));
    QVERIFY(!db.ErrMsg().isEmpty());
    QVERIFY(!db.DbSqlExec("delete from gdai"));
    QVERIFY(!db.DbSqlEdit(kReceiptSql, rec));
}

void tst_dbclass::dbSqlEditAddsWhenNothingFound() {
    TempProgramDir dir;
    clsDbClass db;
    QVERIFY(db.OpenDb());
    Recordset rec;
    QVERIFY(db.DbSqlEdit(kReceiptSql, rec));
    QVERIFY(!rec.Eof());
    QCOMPARE(rec.EditMode(), int(Recordset::adEditAdd));
    rec.setField("gcode", QStringLiteral("         123"));
    rec.setField("day", QStringLiteral("20240105"));
    rec.setField("kubun", QStringLiteral("0"));
    rec.setField("denno", QStringLiteral("0"));
    rec.setField("line", QStringLiteral("0"));
    rec.setField("suu", QStringLiteral("12"));
    rec.Update();
    QCOMPARE(rec.EditMode(), int(Recordset::adEditNone));
    QCOMPARE(dir.count("select count(*) from gdai"), 1);
    QCOMPARE(dir.scalar("select typeof(day) || typeof(kubun) || typeof(suu) from gdai"),
             QStringLiteral("integerintegerreal"));
    QCOMPARE(dir.scalar("select suu from gdai"), QStringLiteral("12"));
}

void tst_dbclass::dbSqlEditEditsFoundRow() {
    TempProgramDir dir;
    dir.addLedger("123", 20240105, 0, 5);
    dir.addLedger("123", 20240105, 9, 40);
    clsDbClass db;
    QVERIFY(db.OpenDb());
    Recordset rec;
    QVERIFY(db.DbSqlEdit(kReceiptSql, rec));
    QCOMPARE(rec.EditMode(), int(Recordset::adEditNone));
    QCOMPARE(rec.Fields("suu").toDouble(), 5.0);
    rec.setField("suu", QStringLiteral("8"));
    QCOMPARE(rec.EditMode(), int(Recordset::adEditInProgress));
    rec.Update();
    QCOMPARE(dir.count("select count(*) from gdai"), 2);
    QCOMPARE(dir.scalar("select suu from gdai where kubun=0"), QStringLiteral("8"));
    QCOMPARE(dir.scalar("select suu from gdai where kubun=9"), QStringLiteral("40"));
}

void tst_dbclass::cancelUpdateWritesNothing() {
    TempProgramDir dir;
    clsDbClass db;
    QVERIFY(db.OpenDb());
    Recordset rec;
    QVERIFY(db.DbSqlEdit(kReceiptSql, rec));
    rec.setField("gcode", QStringLiteral("         123"));
    rec.CancelUpdate();
    rec.Close();
    QCOMPARE(dir.count("select count(*) from gdai"), 0);
    // The lock went with it: the shared connection can write.
    dir.addLedger("9", 20240101, 0, 1);
}

void tst_dbclass::dbSqlExecCountsAffectedRows() {
    TempProgramDir dir;
    for (int d = 1; d <= 3; ++d)
        dir.addLedger("123", 20240100 + d, 0, d);
    dir.addLedger("123", 20240101, 1, 4, 10, 1);
    clsDbClass db;
    QVERIFY(db.OpenDb());
    QVERIFY(db.DbSqlExec("delete * from gdai where gcode='         123' and kubun=0"));
    QCOMPARE(db.RecCnt(), 3);
    QCOMPARE(dir.count("select count(*) from gdai"), 1);
    QVERIFY(db.DbSqlExec("delete * from gdai where gcode='         123' and kubun=0"));
    QCOMPARE(db.RecCnt(), 0);
}

void tst_dbclass::dbSqlExecFailureKeepsCount() {
    TempProgramDir dir;
    dir.addLedger("1", 20240101, 0, 1);
    clsDbClass db;
    QVERIFY(db.OpenDb());
    QVERIFY(db.DbSqlExec("update gdai set suu = 2"));
    QCOMPARE(db.RecCnt(), 1);
    QVERIFY(!db.DbSqlExec("update nosuchtable set suu = 2"));
    QVERIFY2(db.ErrMsg().contains(QStringLiteral("nosuchtable")), qPrintable(db.ErrMsg()));
    QCOMPARE(db.RecCnt(), 1);
    // A later success leaves the message as it was.
    QVERIFY(db.DbSqlExec("update gdai set suu = 3"));
    QVERIFY(db.ErrMsg().contains(QStringLiteral("nosuchtable")));
}

void tst_dbclass::deleteStarFromRuns() {
    TempProgramDir dir;
    dir.addLedger("A'1", 20240101, 0, 1);
    clsDbClass db;
    QVERIFY(db.OpenDb());
    // The Jet form inside a literal is data, not a statement.
    QVERIFY(db.DbSqlExec(
        "insert into operatlog values('pc','user','delete * from x',0,'2024-01-01 00:00:00','')"));
    QVERIFY(db.DbSqlExec("Delete *  From gdai where day=20240101"));
    QCOMPARE(db.RecCnt(), 1);
    QCOMPARE(dir.scalar("select naiyou from operatlog"), QStringLiteral("delete * from x"));
}

void tst_dbclass::secondEditorWaitsForFirstLock() {
    TempProgramDir dir;
    dir.addLedger("123", 20240105, 0, 5);
    clsDbClass first, second;
    QVERIFY(first.OpenDb());
    QVERIFY(second.OpenDb());
    second.connection()->setBusyTimeout(50);
    Recordset a, b;
    QVERIFY(first.DbSqlEdit(kReceiptSql, a));
    QVERIFY(!second.DbSqlEdit(kReceiptSql, b));
    QVERIFY2(second.ErrMsg().contains(QStringLiteral("ロック")), qPrintable(second.ErrMsg()));
    // Readers are not held up by the writer.
    QCOMPARE(dir.scalar("select suu from gdai"), QStringLiteral("5"));
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
    QVERIFY(db.OpenDb());
    QVERIFY(other.OpenDb());
    other.connection()->setBusyTimeout(50);
    Recordset rec;
    QVERIFY(db.DbSqlEdit(kReceiptSql, rec));
    rec.setField("gcode", QStringLiteral("         123"));
    rec.setField("suu", QStringLiteral("13"));
    QVERIFY_THROWS_EXCEPTION(DbError, rec.Update());
    rec.CancelUpdate();
    QCOMPARE(dir.count("select count(*) from gdai"), 0);
    QCOMPARE(dir.count("select count(*) from audit"), 0);
    // The lock is gone although the cursor is still open.
    QVERIFY(other.DbSqlExec("delete from audit"));
    // And the next attempt goes through.
    QVERIFY(db.DbSqlEdit(kReceiptSql, rec));
    rec.setField("gcode", QStringLiteral("         123"));
    rec.setField("suu", QStringLiteral("12"));
    rec.Update();
    QCOMPARE(dir.count("select count(*) from gdai"), 1);
}

void tst_dbclass::rereadingReleasesPreviousLock() {
    TempProgramDir dir;
    clsDbClass db, other;
    QVERIFY(db.OpenDb());
    QVERIFY(other.OpenDb());
    other.connection()->setBusyTimeout(50);
    Recordset rec;
    for (int attempt = 0; attempt < 3; ++attempt)
        QVERIFY2(db.DbSqlEdit(kReceiptSql, rec), qPrintable(db.ErrMsg()));
    QVERIFY(!other.DbSqlExec("delete from gdai"));
    { Recordset gone = std::move(rec); }
    QVERIFY2(other.DbSqlExec("delete from gdai"), qPrintable(other.ErrMsg()));
}

void tst_dbclass::openDbModeTwoFails() {
    TempProgramDir dir(false);
    dir.writeIni("[zanmo]\ndbmode=2\n");
    clsDbClass db;
    QVERIFY(!db.OpenDb());
    QVERIFY(!db.ErrMsg().isEmpty());
    Recordset rec;
    QVERIFY(!db.DbSql("select * from gdai", rec));
}

void tst_dbclass::openDbMissingFile() {
    TempProgramDir dir(false, false);
    clsDbClass db;
    QVERIFY(!db.OpenDb());
    QVERIFY2(db.ErrMsg().contains(dir.dataFile()), qPrintable(db.ErrMsg()));
    QVERIFY(db.ErrMsg().contains(QStringLiteral("見つかりません")));
    QVERIFY(!QFile::exists(dir.dataFile()));
}

QTEST_MAIN(tst_dbclass)
#include "tst_dbclass.moc"

#include "app/basOperationLog.h"
#include "data/basDb.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include <QDateTime>
#include <QSysInfo>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct LogRow {
    QString pcname, username, naiyou;
    int kubun = -1;
    QString nitiji, syousai;
};

// Every row of the log, columns read by position so their order is checked too.
QList<LogRow> logRows() {
    QList<LogRow> rows;
    Recordset rec;
    fnOpenRecordset(rec, u"select * from operatlog order by rowid"_s);
    while (!rec.Eof()) {
        LogRow r;
        r.pcname = rec.Fields(0).toString();
        r.username = rec.Fields(1).toString();
        r.naiyou = rec.Fields(2).toString();
        r.kubun = rec.Fields(3).toInt();
        r.nitiji = rec.Fields(4).toString();
        r.syousai = rec.Fields(5).toString();
        rows.append(r);
        rec.MoveNext();
    }
    rec.Close();
    return rows;
}

QString expectedUser() {
    const passwd* pw = getpwuid(geteuid());
    return QString::fromLocal8Bit(pw->pw_name).left(40).trimmed();
}

} // namespace

class TestOperationLog : public QObject {
    Q_OBJECT

private slots:
    void writesTheSixValues();
    void valuesAreCut_data();
    void valuesAreCut();
    void apostrophesAreKept_data();
    void apostrophesAreKept();
    void failedWriteIsSilent();
    void noConnectionIsSilent();
};

void TestOperationLog::writesTheSixValues() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    fnOperationLog(u"入庫処理"_s, 0);
    fnOperationLog(u"在庫一覧表"_s, 4, u"2026/12/01-2026/12/06:印刷"_s);
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    const QList<LogRow> rows = logRows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].pcname, QSysInfo::machineHostName().left(40).trimmed());
    QCOMPARE(rows[0].username, expectedUser());
    QVERIFY(!rows[0].username.isEmpty());
    QCOMPARE(rows[0].naiyou, u"入庫処理"_s);
    QCOMPARE(rows[0].kubun, 0);
    QCOMPARE(rows[0].syousai, QString());
    const QDateTime stamp = QDateTime::fromString(rows[0].nitiji, u"yyyy-MM-dd HH:mm:ss"_s);
    QVERIFY2(stamp.isValid(), qPrintable(rows[0].nitiji));
    QVERIFY(stamp >= before && stamp <= after);

    QCOMPARE(rows[1].naiyou, u"在庫一覧表"_s);
    QCOMPARE(rows[1].kubun, 4);
    QCOMPARE(rows[1].syousai, u"2026/12/01-2026/12/06:印刷"_s);
    QVERIFY(dialogs.messages.isEmpty());
}

void TestOperationLog::valuesAreCut_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("loggedText");
    QTest::addColumn<QString>("loggedDetail");

    const QString k = u"漢"_s;
    QTest::newRow("45 double-byte: first 40") << k.repeated(45) << QString() << k.repeated(40) << QString();
    QTest::newRow("ASCII and 45 double-byte: 79 bytes")
        << u"A"_s + k.repeated(45) << QString() << u"A"_s + k.repeated(39) << QString();
    QTest::newRow("exactly 80 bytes whole") << k.repeated(40) << QString() << k.repeated(40) << QString();
    QTest::newRow("half-width katakana: 80 of them")
        << u"ｶ"_s.repeated(85) << QString() << u"ｶ"_s.repeated(80) << QString();
    QTest::newRow("detail at 50 bytes")
        << u"入庫処理"_s << u"ﾃ"_s + k.repeated(30) << u"入庫処理"_s << u"ﾃ"_s + k.repeated(24);
    QTest::newRow("blanks trimmed after the cut")
        << u"  入庫処理  "_s << u"0000000012345"_s + QString(40, u' ') + u"X"_s << u"入庫処理"_s
        << u"0000000012345"_s;
}

void TestOperationLog::valuesAreCut() {
    QFETCH(QString, text);
    QFETCH(QString, detail);
    QFETCH(QString, loggedText);
    QFETCH(QString, loggedDetail);

    TempProgramDir dir;
    QString t = text;
    qint16 kind = 1;
    QString d = detail;
    fnOperationLog(t, kind, d);
    // The caller's variables hold what was logged.
    QCOMPARE(t, loggedText);
    QCOMPARE(d, loggedDetail);
    QCOMPARE(kind, qint16(1));

    const QList<LogRow> rows = logRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].naiyou, loggedText);
    QCOMPARE(rows[0].syousai, loggedDetail);
    QCOMPARE(rows[0].kubun, 1);
}

void TestOperationLog::apostrophesAreKept_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("detail");
    QTest::newRow("caption") << u"O'Neil's 入庫"_s << QString();
    QTest::newRow("detail") << u"入庫処理"_s << u"'"_s;
    QTest::newRow("would close the value")
        << u"x','y',0,'2000-01-01','z'),('p','q','r"_s << u"a'); delete from operatlog; --"_s;
}

// A value with an apostrophe neither loses the row nor changes the statement.
void TestOperationLog::apostrophesAreKept() {
    QFETCH(QString, text);
    QFETCH(QString, detail);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    fnOperationLog(u"前の行"_s, 0);
    fnOperationLog(text, 2, detail);

    const QList<LogRow> rows = logRows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].naiyou, u"前の行"_s);
    QCOMPARE(rows[1].naiyou, text);
    QCOMPARE(rows[1].kubun, 2);
    QCOMPARE(rows[1].syousai, detail);
    QVERIFY(dialogs.messages.isEmpty());
}

void TestOperationLog::failedWriteIsSilent() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.exec(u"drop table operatlog"_s);
    QString text = u"漢"_s.repeated(45);
    qint16 kind = 9;
    QString detail;
    fnOperationLog(text, kind, detail);
    // Still cut for the caller, nothing shown, and the connection still works.
    QCOMPARE(text, u"漢"_s.repeated(40));
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(dir.count(u"select count(*) from goods"_s), 0);
}

void TestOperationLog::noConnectionIsSilent() {
    TempProgramDir dir(false);
    ScriptedDialogs dialogs;
    fnCloseDB();
    QVERIFY(gcnData == nullptr);
    fnOperationLog(u"入庫処理"_s, 0);
    QVERIFY(dialogs.messages.isEmpty());

    // An opened and then closed connection as well.
    QVERIFY(fnOpenDB());
    gcnData->Close();
    fnOperationLog(u"入庫処理"_s, 9);
    QVERIFY(dialogs.messages.isEmpty());
}

QTEST_MAIN(TestOperationLog)
#include "tst_operationlog.moc"

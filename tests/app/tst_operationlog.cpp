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

// Every row of the log as text, columns read by position so their order is checked too.
QList<QStringList> logRows() {
    QList<QStringList> rows;
    Recordset rec;
    fnOpenRecordset(rec, u"select * from operatlog order by rowid"_s);
    for (; !rec.Eof(); rec.MoveNext()) {
        rows.append(QStringList());
        for (int i = 0; i < 6; ++i)
            rows.last().append(rec.Fields(i).toString());
    }
    rec.Close();
    return rows;
}

} // namespace

class TestOperationLog : public QObject {
    Q_OBJECT

private slots:
    void writesTheSixValues() {
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        fnOperationLog(u"入庫処理"_s, 0);
        fnOperationLog(u"在庫一覧表"_s, 4, u"2026/12/01-2026/12/06:印刷"_s);
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);

        const QString pc = QSysInfo::machineHostName().left(40).trimmed();
        const QString user = QString::fromLocal8Bit(getpwuid(geteuid())->pw_name).left(40).trimmed();
        QVERIFY(!user.isEmpty());
        QList<QStringList> rows = logRows();
        QCOMPARE(rows.size(), 2);
        for (QStringList& row : rows) {
            const QDateTime stamp = QDateTime::fromString(row.takeAt(4), u"yyyy-MM-dd HH:mm:ss"_s);
            QVERIFY(stamp.isValid() && stamp >= before && stamp <= after);
        }
        QCOMPARE(rows[0], (QStringList{pc, user, u"入庫処理"_s, u"0"_s, QString()}));
        QCOMPARE(rows[1], (QStringList{pc, user, u"在庫一覧表"_s, u"4"_s, u"2026/12/01-2026/12/06:印刷"_s}));
        QVERIFY(dialogs.messages.isEmpty());
    }

    void valuesAreCutAndQuoted_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("loggedText");
        QTest::addColumn<QString>("loggedDetail");
        const QString k = u"漢"_s;
        QTest::newRow("45 double-byte: first 40")
            << k.repeated(45) << QString() << k.repeated(40) << QString();
        QTest::newRow("ASCII and 45 double-byte: 79 bytes")
            << u"A"_s + k.repeated(45) << QString() << u"A"_s + k.repeated(39) << QString();
        QTest::newRow("exactly 80 bytes whole") << k.repeated(40) << QString() << k.repeated(40) << QString();
        QTest::newRow("80 half-width katakana")
            << u"ｶ"_s.repeated(85) << QString() << u"ｶ"_s.repeated(80) << QString();
        QTest::newRow("detail at 50 bytes")
            << u"入庫処理"_s << u"ﾃ"_s + k.repeated(30) << u"入庫処理"_s << u"ﾃ"_s + k.repeated(24);
        QTest::newRow("blanks trimmed after the cut")
            << u"  入庫処理  "_s << u"0000000012345"_s + QString(40, u' ') + u"X"_s << u"入庫処理"_s
            << u"0000000012345"_s;
        // An apostrophe neither loses the row nor changes the statement.
        QTest::newRow("apostrophe in caption")
            << u"O'Neil's 入庫"_s << QString() << u"O'Neil's 入庫"_s << QString();
        QTest::newRow("apostrophe in detail") << u"入庫処理"_s << u"'"_s << u"入庫処理"_s << u"'"_s;
        const QString caption = u"x','y',0,'2000-01-01','z'),('p','q','r"_s;
        const QString detail = u"a'); delete from operatlog; --"_s;
        QTest::newRow("would close the value") << caption << detail << caption << detail;
    }

    void valuesAreCutAndQuoted() {
        QFETCH(QString, text);
        QFETCH(QString, detail);
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        fnOperationLog(u"前の行"_s, 0);
        qint16 kind = 2;
        fnOperationLog(text, kind, detail);
        // The caller's variables hold what was logged.
        QTEST(text, "loggedText");
        QTEST(detail, "loggedDetail");
        QCOMPARE(kind, qint16(2));
        const QList<QStringList> rows = logRows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0][2], u"前の行"_s);
        QCOMPARE(rows[1].mid(2, 2), (QStringList{text, u"2"_s}));
        QCOMPARE(rows[1][5], detail);
        QVERIFY(dialogs.messages.isEmpty());
    }

    void failedWriteIsSilent() {
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        dir.exec(u"drop table operatlog"_s);
        QString text = u"漢"_s.repeated(45), detail;
        qint16 kind = 9;
        fnOperationLog(text, kind, detail);
        // Still cut for the caller, nothing shown, and the connection still works.
        QCOMPARE(text, u"漢"_s.repeated(40));
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(dir.count(u"select count(*) from goods"_s), 0);
    }

    void noConnectionIsSilent() {
        TempProgramDir dir(false);
        ScriptedDialogs dialogs;
        fnCloseDB();
        QVERIFY(gcnData == nullptr);
        fnOperationLog(u"入庫処理"_s, 0);
        QVERIFY(fnOpenDB()); // an opened and then closed connection as well
        gcnData->Close();
        fnOperationLog(u"入庫処理"_s, 9);
        QVERIFY(dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(TestOperationLog)
#include "tst_operationlog.moc"

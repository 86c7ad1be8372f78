#include "app/basOperationLog.h"
#include "data/basDb.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"
#include "ui/DataRows.h"

#include <QDateTime>
#include <QSysInfo>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

// The log's values row after row, read by position so the columns' order is checked too.
static QStringList logValues() {
    QStringList values;
    Recordset rec;
    fnOpenRecordset(rec, u"select * from operatlog order by "_s + TempProgramDir::insertionOrder());
    for (; !rec.Eof(); rec.MoveNext())
        for (int i = 0; i < 6; ++i)
            values.append(rec.Fields(i).toString());
    rec.Close();
    return values;
}

class TestOperationLog : public QObject, DataRows {
    Q_OBJECT

private slots:
    // The six values of a row, read back. Where the cuts fall is fnCutBytes' business; here the log
    // applies them and keeps apostrophes.
    void valuesAreCutAndQuoted_data() {
        cols<QString, QString, QString, QString>("text", "detail", "loggedText", "loggedDetail");
        const QString k = u"漢"_s, caption = u"x','y',0,'2000-01-01','z'),('p','q','r"_s;
        QTest::newRow("text at 80 bytes") << k.repeated(45) << QString() << k.repeated(40) << QString();
        QTest::newRow("detail at 50 bytes")
            << u"入庫処理"_s << u"ﾃ"_s + k.repeated(30) << u"入庫処理"_s << u"ﾃ"_s + k.repeated(24);
        QTest::newRow("blanks trimmed after the cut")
            << u"  入庫処理  "_s << u"0000000012345"_s + QString(40, u' ') + u"X"_s << u"入庫処理"_s
            << u"0000000012345"_s;
        QTest::newRow("apostrophes") << u"O'Neil's 入庫"_s << u"'"_s << u"O'Neil's 入庫"_s << u"'"_s;
        QTest::newRow("would close the value") << caption << u"a'); delete from operatlog; --"_s << caption
                                               << u"a'); delete from operatlog; --"_s;
    }
    void valuesAreCutAndQuoted() {
        QFETCH(QString, text);
        QFETCH(QString, detail);
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        fnOperationLog(u"前の行"_s, 0);
        qint16 kind = 4;
        fnOperationLog(text, kind, detail);
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        // The caller's variables hold what was logged.
        QTEST(text, "loggedText");
        QTEST(detail, "loggedDetail");
        const QString pc = QSysInfo::machineHostName().left(40).trimmed();
        const QString user = QString::fromLocal8Bit(getpwuid(geteuid())->pw_name).left(40).trimmed();
        QVERIFY(!user.isEmpty());
        QStringList values = logValues();
        QCOMPARE(values.size(), 12);
        for (const int at : {10, 4}) {
            const QDateTime stamp = QDateTime::fromString(values.takeAt(at), u"yyyy-MM-dd HH:mm:ss"_s);
            QVERIFY(stamp.isValid() && stamp >= before && stamp <= after);
        }
        QCOMPARE(values, (QStringList{pc, user, u"前の行"_s, u"0"_s, {}, pc, user, text, u"4"_s, detail}));
        QVERIFY(dialogs.messages.isEmpty());
    }

    void failedWriteIsSilent_data() {
        cols<int>("how");
        row("no table", 0), row("never opened", 1), row("opened, then closed", 2);
    }
    void failedWriteIsSilent() {
        QFETCH(int, how);
        TempProgramDir dir(how == 0);
        ScriptedDialogs dialogs;
        if (how == 0) dir.exec(u"drop table operatlog"_s);
        if (how == 2 && fnOpenDB()) gcnData->Close();
        QCOMPARE(gcnData == nullptr, how == 1);
        QString text = u"漢"_s.repeated(45), detail;
        qint16 kind = 9;
        fnOperationLog(text, kind, detail);
        // Still cut for the caller, nothing shown, and the connection still works.
        QCOMPARE(text, u"漢"_s.repeated(40));
        QVERIFY(dialogs.messages.isEmpty());
        if (how == 0) QCOMPARE(dir.count(u"select count(*) from goods"_s), 0);
    }
};

QTEST_MAIN(TestOperationLog)
#include "tst_operationlog.moc"

#include "data/Connection.h"
#include "data/basJournal.h"
#include "data/basSettings.h"
#include "support/TempProgramDir.h"
#include "ui/DataRows.h"

#include <QProcess>
#include <QSqlQuery>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// Which journal a database gets, and databases built by the tool that a kill cannot break.
class tst_journal : public QObject, DataRows {
    Q_OBJECT

    static QString journalOf(const QString& file) {
        Connection cn;
        cn.Open(u"provider=Microsoft.Jet.OLEDB.4.0;Data Source="_s + file +
                u";Jet OLEDB:Database Password="_s + QLatin1String(kDbPassword));
        QSqlQuery q(cn.database());
        q.exec(u"PRAGMA journal_mode"_s);
        return q.next() ? q.value(0).toString() : QString();
    }

private slots:
    void networkTypes_data() {
        cols<qint64, bool>("type", "network");
        row("nfs", qint64(0x6969), true), row("smb", qint64(0x517B), true);
        row("cifs", qint64(0xFF534D42), true), row("smb2", qint64(0xFE534D42), true);
        row("9p", qint64(0x01021997), true), row("fuse", qint64(0x65735546), true);
        row("ext4", qint64(0xEF53), false), row("tmpfs", qint64(0x01021994), false);
        row("btrfs", qint64(0x9123683E), false), row("xfs", qint64(0x58465342), false);
    }
    void networkTypes() { QCOMPARE(fnIsNetworkFsType(fetch<qint64>("type")), fetch<bool>("network")); }

    // zanmo.ini's journal key on a local disk: what the file ends up with.
    void setting_data() {
        cols<QString, QString>("ini", "journal");
        row("no key: WAL on a local disk", "[zanmo]\n", "wal");
        row("auto", "[zanmo]\njournal=auto\n", "wal");
        row("delete", "[zanmo]\njournal=delete\n", "delete");
        row("upper case", "[zanmo]\njournal=DELETE\n", "delete");
        row("wal", "[zanmo]\njournal=wal\n", "wal");
        row("nonsense means auto", "[zanmo]\njournal=fast\n", "wal");
    }
    void setting() {
        TempProgramDir dir(false);
        dir.writeIni(fetch<QString>("ini"));
        QCOMPARE(fnJournalMode(dir.dataFile(), fnJournalSetting()), fetch<QString>("journal"));
        QCOMPARE(journalOf(dir.dataFile()), fetch<QString>("journal"));
    }

    void walFileSwitchedBack() {
        TempProgramDir dir(false);
        QCOMPARE(journalOf(dir.dataFile()), u"wal"_s);
        dir.writeIni(u"[zanmo]\njournal=delete\n"_s);
        QCOMPARE(journalOf(dir.dataFile()), u"delete"_s);
        QVERIFY(!QFile::exists(dir.dataFile() + u"-wal"_s));
    }

    // A generate killed at any moment leaves no data1.dat; a finished one is a sound database.
    void killedGenerateLeavesNoFile() {
        QTemporaryDir tmp;
        const QString dir = tmp.filePath(u"big"_s);
        QProcess p;
        p.start(qEnvironmentVariable("ZANMO_TOOL"),
                {u"generate"_s, dir, u"--goods"_s, u"2000"_s, u"--rows"_s, u"3000000"_s});
        QVERIFY(p.waitForStarted());
        // Until the file being built is there (the tables made, the rows going in).
        QTRY_VERIFY_WITH_TIMEOUT(
            !QDir(dir).entryList({u".data1.dat.*"_s}, QDir::Hidden | QDir::Files).isEmpty(), 20000);
        QTest::qWait(150);
        p.kill();
        QVERIFY(p.waitForFinished());
        QVERIFY(!QFile::exists(dir + u"/data1.dat"_s));

        QProcess again;
        again.start(qEnvironmentVariable("ZANMO_TOOL"),
                    {u"generate"_s, dir, u"--goods"_s, u"20"_s, u"--rows"_s, u"500"_s});
        QVERIFY(again.waitForFinished(60000));
        QCOMPARE(again.exitCode(), 0);
        Connection cn;
        cn.Open(u"provider=Microsoft.Jet.OLEDB.4.0;Data Source="_s + dir +
                u"/data1.dat;Jet OLEDB:Database Password="_s + QLatin1String(kDbPassword));
        QSqlQuery q(cn.database());
        QVERIFY(q.exec(u"PRAGMA integrity_check"_s) && q.next());
        QCOMPARE(q.value(0).toString(), u"ok"_s);
        QVERIFY(q.exec(u"select count(*) from gdai"_s) && q.next());
        QCOMPARE(q.value(0).toInt(), 500);
    }
};

QTEST_MAIN(tst_journal)
#include "tst_journal.moc"

#include "data/Connection.h"
#include "data/basJournal.h"
#include "data/basSettings.h"
#include "support/TempProgramDir.h"
#include "support/ToolRun.h"
#include "ui/DataRows.h"

#include <QProcess>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

// Which journal a database gets, and databases built by the tool that a kill cannot break.
class TestJournal : public QObject, DataRows {
    Q_OBJECT

    static QString journalOf(const QString& file) {
        Connection cn;
        cn.Open(TempProgramDir::fileConnectString(file));
        return TempProgramDir::rowsOn(cn, u"PRAGMA journal_mode"_s);
    }

private slots:
    // The journal a file gets by the file system it lies on and zanmo.ini's key.
    void choice_data() {
        cols<qint64, QString, QString>("type", "setting", "journal");
        row("nfs", qint64(0x6969), "auto", "delete"), row("smb", qint64(0x517B), "auto", "delete");
        row("cifs", qint64(0xFF534D42), "", "delete"), row("smb2", qint64(0xFE534D42), "auto", "delete");
        row("9p", qint64(0x01021997), "auto", "delete"), row("fuse", qint64(0x65735546), "auto", "delete");
        row("afs", qint64(0x5346414F), "auto", "delete"), row("ceph", qint64(0x00C36400), "x", "delete");
        row("ext4", qint64(0xEF53), "auto", "wal"), row("tmpfs", qint64(0x01021994), "auto", "wal");
        row("btrfs", qint64(0x9123683E), "", "wal"), row("xfs", qint64(0x58465342), "auto", "wal");
        row("unknown", qint64(0), "auto", "wal");
        row("wal asked on nfs", qint64(0x6969), " WAL ", "wal");
        row("delete asked on ext4", qint64(0xEF53), "delete", "delete");
    }
    void choice() {
        QCOMPARE(fnJournalModeFor(fetch<QString>("setting"), fetch<qint64>("type")),
                 fetch<QString>("journal"));
    }

    // Another program opening and closing the file while this process holds two connections on it
    // (a screen and its popup) must not take this process for gone: every save stays in the file.
    void secondConnectionKeepsTheLocks() {
        TempProgramDir dir(false);
        if (!dir.serverDatabase().isEmpty()) QSKIP("a file's locks");
        Connection screen, popup;
        const auto save = [&](int n) {
            screen.Execute(
                u"insert into gdai (gcode, day, kubun, denno, line, suu) values ('a', %1, 0, 0, 0, 1)"_s.arg(
                    n));
        };
        // The suite's other program comes and goes: sqlite3 counting the rows.
        const auto otherProgram = [&] {
            QProcess other;
            other.start(u"sqlite3"_s, {dir.dataFile(), u"select count(*) from gdai"_s});
            return other.waitForFinished(10000) && other.exitCode() == 0
                       ? other.readAllStandardOutput().trimmed()
                       : QByteArray("failed");
        };
        screen.Open(TempProgramDir::fileConnectString(dir.dataFile()));
        save(1);
        popup.Open(TempProgramDir::fileConnectString(dir.dataFile()));
        for (int n = 2; n <= 4; ++n) {
            QCOMPARE(otherProgram(), QByteArray::number(n - 1));
            save(n);
            QCOMPARE(otherProgram(), QByteArray::number(n));
            QVERIFY(QFile::exists(dir.dataFile() + u"-wal"_s));
        }
    }

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

    // A file left in WAL by an earlier run goes back to a rollback journal, its -wal file gone.
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

        QCOMPARE(runTool({u"generate"_s, dir, u"--goods"_s, u"20"_s, u"--rows"_s, u"500"_s}).status, 0);
        Connection cn;
        cn.Open(TempProgramDir::fileConnectString(dir + u"/data1.dat"_s));
        QCOMPARE(
            TempProgramDir::rowsOn(
                cn, u"select (select integrity_check from pragma_integrity_check), count(*) from gdai"_s),
            u"ok|500"_s);
    }
};

QTEST_MAIN(TestJournal)
#include "tst_journal.moc"

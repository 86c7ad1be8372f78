#include "app/basStartCheck.h"
#include "data/Connection.h"
#include "data/basDb.h"
#include "data/basJournal.h"
#include "data/basSettings.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"
#include "support/ToolRun.h"
#include "ui/DataRows.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray digestOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "unreadable";
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

} // namespace

// data1.dat as it may be found: a clear message at start-up, nothing written to it, no crash; which
// journal a database gets, and databases built by the tool that a kill cannot break.
class TestBadFiles : public QObject, DataRows {
    Q_OBJECT
    static QString journalOf(const QString& file) {
        Connection cn;
        cn.Open(TempProgramDir::fileConnectString(file));
        return TempProgramDir::rowsOn(cn, u"PRAGMA journal_mode"_s);
    }

private slots:
    void cleanup() { fnCloseDB(); }

    void broken_data() {
        cols<QString, QString>("file", "message");
        row("missing", "missing", "が見つかりません");
        row("a folder", "folder", "が見つかりません");
        row("zero bytes", "empty", "認識できないデータベース形式");
        row("random bytes", "random", "認識できないデータベース形式");
        row("cut short", "truncated", "ファイルが破損しています");
    }
    void broken() {
        TempProgramDir dir(false, false);
        const QString file = dir.dataFile();
        const QString kind = fetch<QString>("file");
        if (kind == u"folder"_s) QVERIFY(QDir().mkpath(file));
        if (kind == u"empty"_s) QFile(file).open(QIODevice::WriteOnly);
        if (kind == u"random"_s) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QByteArray bytes(8192, 0);
            for (int i = 0; i < bytes.size(); ++i)
                bytes[i] = char((i * 7919 + 13) % 251);
            f.write(bytes);
        }
        if (kind == u"truncated"_s) {
            {
                TempProgramDir full(true);
                for (int i = 0; i < 300; ++i)
                    full.addGoods(QString::number(i), u"品物の名前がここに入る %1"_s.arg(i));
                fnCloseDB();
                QFile::copy(full.dataFile(), file);
            }
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.resize(f.size() / 2));
        }
        const QByteArray before = QFileInfo(file).isFile() ? digestOf(file) : QByteArray();
        ScriptedDialogs dialogs;
        QVERIFY(!fnOpenDB());
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.lastMessage().text.contains(fetch<QString>("message")),
                 qPrintable(dialogs.lastMessage().text));
        QCOMPARE(dialogs.lastMessage().title, u"ＰＥＬＫＯ"_s);
        if (!before.isEmpty()) QCOMPARE(digestOf(file), before); // not written to
        QVERIFY(!QFile::exists(file + u"-wal"_s) && !QFile::exists(file + u"-journal"_s));
    }

    void folderWithSemicolon() {
        TempProgramDir program(false, false);
        TempProgramDir data(false);
        const QString folder = data.path() + u"/店;共有"_s;
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(data.dataFile(), folder + u"/data1.dat"_s));
        fnSetProgramFolder(program.path());
        program.writeIni(u"[zanmo]\ndbmode=1\ndbpath="_s + folder + u"\n"_s);
        ScriptedDialogs dialogs;
        QVERIFY2(fnOpenDB(), qPrintable(dialogs.messages.isEmpty() ? QString() : dialogs.lastMessage().text));
        QCOMPARE(gcnData->filePath(), QFileInfo(folder + u"/data1.dat"_s).absoluteFilePath());
    }

    // What start-up finds before the user types: the message, and whether the database is opened.
    void atStart_data() {
        cols<QString, QString>("case", "message");
        row("read-only file", "file", "data1.dat が読み取り専用になっています");
        row("read-only folder", "folder", "が読み取り専用になっています");
        row("unknown dbmode", "mode", "zanmo.ini の dbmode が正しくありません");
        row("a table missing", "table", "goods");
        row("a column missing", "column", "sysfile.stankakbn");
        row("garbage zanmo.ini", "garbage", "");
    }
    void atStart() {
        TempProgramDir dir(false);
        const QString kind = fetch<QString>("case");
        QFile file(dir.dataFile());
        if (kind == u"file"_s) file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        if (kind == u"folder"_s)
            QFile(dir.path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (kind == u"mode"_s) dir.writeIni(u"[zanmo]\ndbmode=7\n"_s);
        if (kind == u"garbage"_s) dir.writeIni(QString::fromLatin1(QByteArray(300, '\x9f')) + u"=[[\n\x01"_s);
        if (kind == u"table"_s || kind == u"column"_s) {
            QVERIFY(fnOpenDB());
            gcnData->Execute(kind == u"table"_s ? u"drop table goods"_s
                                                : u"alter table sysfile drop column stankakbn"_s);
            fnCloseDB();
        }
        const QByteArray before = digestOf(dir.dataFile());
        ScriptedDialogs dialogs;
        const bool opened = fnCheckDataFile() && fnOpenDB() && fnCheckDatabaseLayout();
        QFile(dir.path())
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QString expected = fetch<QString>("message");
        QCOMPARE(opened, expected.isEmpty());
        QCOMPARE(gcnData != nullptr, expected.isEmpty());
        if (expected.isEmpty()) return;
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.lastMessage().text.contains(expected), qPrintable(dialogs.lastMessage().text));
        QCOMPARE(digestOf(dir.dataFile()), before);
    }

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

    // zanmo.ini's journal key on a local disk: what a file left in WAL by an earlier run ends up with.
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
        QCOMPARE(journalOf(dir.dataFile()), u"wal"_s);
        dir.writeIni(fetch<QString>("ini"));
        QCOMPARE(fnJournalMode(dir.dataFile(), fnJournalSetting()), fetch<QString>("journal"));
        QCOMPARE(journalOf(dir.dataFile()), fetch<QString>("journal"));
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

QTEST_MAIN(TestBadFiles)
#include "tst_badfiles.moc"

#include "data/DbError.h"
#include "data/basDb.h"
#include "data/basSettings.h"
#include "support/TempProgramDir.h"
#include "support/TestServer.h"
#include "support/ToolRun.h"
#include "ui/DataRows.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kWriterCode = u"        W001"_s;

// One query by sqlite3 on a database file of our own (a backup, a kept file): its rows, or its error.
QString fileQuery(const QString& file, const QString& sql, bool write = false) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(u"sqlite3"_s, {write ? u"-batch"_s : u"-readonly"_s, file, sql});
    return p.waitForFinished(30000) ? QString::fromUtf8(p.readAll()).trimmed().replace(u'\n', u',')
                                    : u"hung"_s;
}

// The writer process: rows W001 / denno 1, 2, 3, ... each saved on its own, `pause` ms apart, until
// the file `stop` appears; prints how many it saved. Exit 1 when a save failed.
int writeRows(const QString& dir, const QString& stop, int pause) {
    fnSetProgramFolder(dir);
    if (!fnOpenDB()) return 1;
    int n = 0;
    try {
        while (!QFile::exists(stop) && n < 200000) {
            ++n;
            gcnData->Execute(
                QStringLiteral("insert into gdai (gcode, day, kubun, denno, line, suu) values ('%1', "
                               "20240501, 1, %2, 1, 1)")
                    .arg(kWriterCode)
                    .arg(n));
            if (pause) QThread::msleep(pause);
        }
    } catch (const DbError& e) {
        std::printf("%d\nfailed: %s\n", n - 1, qPrintable(e.description()));
        return 1;
    }
    std::printf("%d\n", n);
    fnCloseDB();
    return 0;
}

// The holder process: a connection of its own on the database file that has read it ("read") or
// holds a write transaction ("save"); says "ready", then waits for its input to end.
int holdFile(const QString& file, const QString& how) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s);
        db.setDatabaseName(file);
        QSqlQuery q(db);
        if (!db.open() || !q.exec(how == u"save" ? u"BEGIN IMMEDIATE"_s : u"BEGIN"_s) ||
            !q.exec(u"select count(*) from goods"_s) || !q.next())
            return 1;
        if (how != u"save") q.exec(u"COMMIT"_s);
        std::printf("ready\n");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
    }
    return 0;
}

// Zanmo.ini's journal set for the test's folder, the shared connection reopened under it.
void useJournal(TempProgramDir& dir, const QString& journal) {
    fnCloseDB();
    dir.writeIni(u"[zanmo]\njournal="_s + journal + u'\n');
    QVERIFY(fnOpenDB());
}

QStringList oldFiles(const QString& dir) {
    return QDir(dir).entryList({u"data1-old-*"_s, u".*building*"_s}, QDir::Files | QDir::Hidden);
}

} // namespace

// zanmo-tool backup and restore as a shop runs them: a backup taken while another process saves
// without pause, a restore refused while a program holds the database, and the refusals.
class TestBackup : public QObject, DataRows {
    Q_OBJECT

private slots:
    void refusals_data() {
        // args: DIR the program folder, OUT an empty folder; where: file, server or any, the runs the
        // case belongs to; message: in the text on stderr.
        cols<QString, QString, QString>("args", "where", "message");
        // clang-format off
    row("backup without a target", "backup DIR", "any", "usage: zanmo-tool backup");
    row("backup of no folder", "backup OUT/none OUT", "any", "no such folder");
    row("backup into no folder", "backup DIR OUT/none/b.dat", "any", "no such folder");
    row("backup over a file", "backup DIR DIR/zanmo.ini", "server", "never overwritten");
    row("backup over the database", "backup DIR DIR/data1.dat", "file", "never overwritten");
    row("restore without a folder", "restore OUT/b.dat", "any", "usage: zanmo-tool restore");
    row("restore of no file", "restore OUT/none.dat DIR", "file", "no backup file");
    row("restore of the database itself", "restore DIR/data1.dat DIR", "file", "is the database itself");
    row("restore of a text file", "restore OUT/text.dat DIR", "file", "is no database");
    row("restore of another database", "restore OUT/other.dat DIR", "file", "lacks sysfile");
    row("restore onto a server", "restore OUT/text.dat DIR", "server", "names a server");
        // clang-format on
    }

    void refusals() {
        QStringList args = fetch<QString>("args").split(u' ');
        const QString where = fetch<QString>("where"), message = fetch<QString>("message");
        if (where != u"any" && (where == u"server") != TestServer::active()) QSKIP("not on this engine");
        TempProgramDir dir;
        QTemporaryDir out;
        if (QFile text(out.filePath(u"text.dat"_s)); text.open(QIODevice::WriteOnly))
            text.write(QByteArray(4096, 'x'));
        QCOMPARE(fileQuery(out.filePath(u"other.dat"_s), u"create table t (a)"_s, true), QString());
        const QString liveBefore = dir.rows(u"select code from goods"_s);
        const QStringList before =
            QDir(out.path()).entryList(QDir::Files) + QDir(dir.path()).entryList(QDir::Files);

        const ToolRun r =
            runTool(args.replaceInStrings(u"DIR"_s, dir.path()).replaceInStrings(u"OUT"_s, out.path()));
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message.toUtf8()), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QCOMPARE(QDir(out.path()).entryList(QDir::Files) + QDir(dir.path()).entryList(QDir::Files), before);
        QVERIFY(oldFiles(dir.path()).isEmpty());
        QCOMPARE(dir.rows(u"select code from goods"_s), liveBefore);
    }

    void backupWhileSaving_data() {
        cols<QString, int>("journal",
                           "pause"); // zanmo.ini's journal ("" on the server), ms between two saves
        if (TestServer::active()) return row("server, one snapshot, saves without pause", "", 0);
        row("WAL: saves without pause, never waiting", "wal", 0);
        // A writer that never pauses on a rollback journal starves every reader, screens too; saves as
        // screens make them leave moments between.
        row("rollback journal: saves 5 ms apart wait for the read", "delete", 5);
    }

    // Backups taken while another process saves row after row: each is sound and holds the rows
    // 1..k the writer had saved when it was taken, none missing, none half there; the writer's saves
    // all succeed.
    void backupWhileSaving() {
        QFETCH(QString, journal);
        QFETCH(int, pause);
        TempProgramDir dir;
        if (!journal.isEmpty()) useJournal(dir, journal);
        dir.addGoods(u"W001"_s, u"書き込み中"_s);
        QTemporaryDir out;
        const QString stop = out.filePath(u"stop"_s);

        QProcess writer;
        writer.start(QCoreApplication::applicationFilePath(),
                     {u"--writer"_s, dir.path(), stop, QString::number(pause)});
        QVERIFY(writer.waitForStarted());
        const QString saved = u"select count(*) from gdai where gcode = '%1'"_s.arg(kWriterCode);
        QTRY_VERIFY_WITH_TIMEOUT(dir.count(saved) >= 20, 30000);

        QStringList backups;
        for (int i = 0; i < 3; ++i) {
            const int seen = dir.count(saved);
            const ToolRun r = runTool({u"backup"_s, dir.path(), out.path()});
            QVERIFY2(r.status == 0, r.err.constData());
            QVERIFY2(r.out.contains("integrity_check ok"), r.out.constData());
            const QString file = out.filePath(QDir(out.path()).entryList({u"data1-*.dat"_s}).value(i));
            QVERIFY2(QFileInfo(file).isFile(), qPrintable(QDir(out.path()).entryList().join(' ')));
            backups << file;
            QTRY_VERIFY_WITH_TIMEOUT(dir.count(saved) > seen + 10, 30000);
            QTest::qWait(1000); // a dated name a second later
        }
        QFile(stop).open(QIODevice::WriteOnly);
        QVERIFY(writer.waitForFinished(60000));
        const QByteArray written = writer.readAllStandardOutput();
        QVERIFY2(writer.exitCode() == 0, written.constData());
        const int total = written.trimmed().toInt();
        QCOMPARE(dir.count(saved), total);

        int previous = 0;
        for (const QString& file : backups) {
            // Sound, in the journal mode any program opens, and a prefix: k rows numbered 1..k.
            const int k =
                fileQuery(file, u"select count(*) from gdai where gcode = '%1'"_s.arg(kWriterCode)).toInt();
            QCOMPARE(
                fileQuery(file,
                          u"select (select group_concat(integrity_check) from pragma_integrity_check) || "
                          "'|' || (select journal_mode from pragma_journal_mode) || '|' || (select "
                          "group_concat(name) from goods) || '|' || count(distinct denno) || '|' || "
                          "min(denno) || '|' || max(denno) from gdai where gcode = '%1'"_s.arg(kWriterCode)) +
                    (QFile::exists(file + u"-wal"_s) ? u"|-wal"_s : QString()),
                u"ok|delete|書き込み中|%1|1|%1"_s.arg(k));
            QVERIFY2(k >= 20 && k <= total && k > previous, qPrintable(QString::number(k)));
            previous = k;
        }
    }

    void restoreOnlyWhenFree_data() {
        // holder: who has data1.dat while the first restore runs; found: the refusal's words, "" when
        // the restore goes ahead.
        cols<QString, QString, QString>("journal", "holder", "found");
        // clang-format off
    row("a screen of this process, WAL", "wal", "screen", "the shared lock of WAL mode");
    row("another program reading, WAL", "wal", "reader", "the shared lock of WAL mode");
    row("another program saving, rollback journal", "delete", "saver", "BEGIN EXCLUSIVE refused");
    row("another program between saves, rollback journal", "delete", "reader", "has it open");
    row("a screen between saves, rollback journal", "delete", "screen", "has it open");
    row("nobody, WAL", "wal", "", "");
    row("nobody, a broken file", "wal", "broken", "");
    row("no database yet", "wal", "missing", "");
        // clang-format on
    }

    // A restore replaces data1.dat only when no program has it; the old file is kept under a dated
    // name with what it held.
    void restoreOnlyWhenFree() {
        QFETCH(QString, journal);
        QFETCH(QString, holder);
        QFETCH(QString, found);
        if (TestServer::active()) QSKIP("a restore puts back a data1.dat");
        TempProgramDir dir;
        useJournal(dir, journal);
        dir.addGoods(u"A001"_s, u"バックアップ済み"_s);
        QTemporaryDir out;
        const QString backup = out.filePath(u"b.dat"_s);
        QCOMPARE(runTool({u"backup"_s, dir.path(), backup}).status, 0);
        dir.addGoods(u"M001"_s, u"後から"_s);
        const QStringList restore{u"restore"_s, backup, dir.path()};

        QProcess other; // another program: a connection of its own in another process
        if (holder == u"reader" || holder == u"saver") {
            fnCloseDB();
            other.start(QCoreApplication::applicationFilePath(),
                        {u"--hold"_s, dir.dataFile(), holder == u"saver" ? u"save"_s : QString()});
            QVERIFY(other.waitForStarted());
            QVERIFY(other.waitForReadyRead(10000));
            QCOMPARE(other.readAllStandardOutput(), QByteArray("ready\n"));
        } else if (holder != u"screen") {
            fnCloseDB();
            if (QFile file(dir.dataFile()); holder == u"broken")
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(8192, 'z')) == 8192);
            else if (holder == u"missing")
                QVERIFY(file.remove());
        }

        if (!found.isEmpty()) {
            const ToolRun refused = runTool(restore);
            QCOMPARE(refused.status, 2);
            QVERIFY2(refused.err.contains(found.toUtf8()) && refused.err.contains("in use"),
                     refused.err.constData());
            QVERIFY(oldFiles(dir.path()).isEmpty());
            // Let go, and the same restore goes ahead.
            if (other.state() != QProcess::NotRunning) {
                other.closeWriteChannel();
                QVERIFY(other.waitForFinished(10000));
            }
            fnCloseDB();
        }
        const ToolRun r = runTool(restore);
        QVERIFY2(r.status == 0, r.err.constData());
        QVERIFY(fnOpenDB());
        QCOMPARE(dir.rows(u"select code from goods order by code"_s, {}, u","_s), u"        A001"_s);
        const QStringList kept = QDir(dir.path()).entryList({u"data1-old-*.dat"_s});
        if (holder == u"missing") {
            QVERIFY(kept.isEmpty() && !r.out.contains("kept"));
            return;
        }
        QVERIFY(kept.size() == 1 && r.out.contains(kept.first().toUtf8()));
        QCOMPARE(oldFiles(dir.path()), kept); // no build file left
        if (holder != u"broken")
            QCOMPARE(
                fileQuery(dir.path() + u'/' + kept.first(), u"select trim(code) from goods order by code"_s),
                u"A001,M001"_s);
    }
};

int main(int argc, char** argv) {
    if (argc == 5 && qstrcmp(argv[1], "--writer") == 0) {
        QCoreApplication app(argc, argv);
        return writeRows(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                         std::atoi(argv[4]));
    }
    if (argc == 4 && qstrcmp(argv[1], "--hold") == 0) {
        QCoreApplication app(argc, argv);
        return holdFile(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QApplication app(argc, argv);
    TestBackup test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_backup.moc"

#include "data/Connection.h"
#include "data/DbError.h"
#include "data/Recordset.h"
#include "data/Schema.h"
#include "data/basDb.h"
#include "support/OwnCluster.h"
#include "support/TempProgramDir.h"
#include "support/TestServer.h"
#include "support/ToolRun.h"
#include "ui/DataRows.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSysInfo>
#include <QtTest>

#include <csignal>
#include <optional>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

// The server as a shop runs it: restarted, stopped or silent under an open connection, saves whose
// commit answer was lost, copies analysed and killed half-way, passwords kept off the command
// line; and on every engine the permissions of new database files in a shared folder.
//
// The server cases run in the -pg run, on a cluster of the test's own (OwnCluster): restarting or
// pausing the run's shared server would disturb the tests running beside this one.
class TestServerOps : public QObject, DataRows {
    Q_OBJECT
    std::optional<OwnCluster> m_cluster;

    bool server() const { return m_cluster && m_cluster->started(); }
    QString url(const QString& db, const QString& user = u"zanmo"_s) const {
        return u"postgresql://%1@127.0.0.1:%2/%3"_s.arg(user, m_cluster->port(), db);
    }
    static QString rows(Connection& cn, const QString& sql) { return TempProgramDir::rowsOn(cn, sql); }
    // A folder with goods 12 received 5 on 2024-01-01, and a connection of its own to its database.
    struct Shop {
        TempProgramDir dir;
        Connection cn;
        Shop() {
            dir.addLedger(u"12"_s, 20240101, 0, 5);
            cn.Open(TestServer::connectString(dir.serverDatabase()));
        }
        void insert(int day, int suu) {
            cn.Execute(
                u"insert into gdai (gcode, day, kubun, denno, line, suu) values ('          12', %1, 0, "
                "0, 0, %2)"_s.arg(day)
                    .arg(suu));
        }
        // A receipt saved as the entry screens save it: the row's cursor, added or changed, updated.
        void save(int day, int suu) {
            Recordset rec;
            rec.openEditable(cn, u"select * from gdai where gcode='          12' and day=%1 and kubun=0 and "
                                 "denno=0 and line=0"_s.arg(day));
            if (rec.Eof()) {
                rec.AddNew();
                rec.setField(u"gcode"_s, u"          12"_s), rec.setField(u"day"_s, day);
                for (const QString& key : {u"kubun"_s, u"denno"_s, u"line"_s})
                    rec.setField(key, 0);
            }
            rec.setField(u"suu"_s, suu);
            rec.Update();
        }
        QString ledger() { return rows(cn, u"select day, suu from gdai order by day"_s); }
    };
    static QString hiddenFiles(const QString& folder) {
        return QDir(folder)
            .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)
            .filter(u".building"_s)
            .join(u',');
    }
    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    void serverSetting(const QString& statement) {
        m_cluster->psql(statement);
        m_cluster->psql(u"select pg_reload_conf()"_s);
    }

private slots:
    void initTestCase() {
        if (!TestServer::active()) return;
        m_cluster.emplace();
        QVERIFY2(m_cluster->started(), qPrintable(m_cluster->why()));
        QVERIFY2(!qEnvironmentVariableIsEmpty("ZANMO_TOOL"), "ZANMO_TOOL is not set (run through CTest)");
    }
    void cleanupTestCase() { m_cluster.reset(); }
    // Each case on the engine it is about: files on SQLite, the server's own cases on the -pg run.
    void init() {
        const QByteArray f = QTest::currentTestFunction();
        if (f == "newFilesFollowTheFolder" && TestServer::active()) QSKIP("files (the SQLite run)");
        if (f != "killedCopyLeavesNothing" && f != "newFilesFollowTheFolder" &&
            f != "abandonedBuildsRemoved" && !server())
            QSKIP("a server of the test's own (the -pg run)");
    }
    void cleanup() {
        if (m_cluster) m_cluster->recover();
    }

    // What an open connection does after the server restarted under it. Nothing is ever sent into
    // the dead connection: it is opened again first, and only what an open transaction did is lost
    // (told, never continued on its own); the connection then works on at once.
    void restartBetweenStatements_data() {
        cols<QString, QString, QString>("action", "error", "rows");
        row("a list read", "read", "", "20240101|5.0");
        row("an action statement", "insert", "", "20240101|5.0,20240102|7.0");
        row("a save through an editable cursor", "save", "", "20240101|5.0,20240102|9.0");
        row("the shared connection's list", "shared", "", "20240101|5.0");
        row("inside a transaction begun before", "transaction", "接続が切れた", "20240101|5.0,20240104|4.0");
        row("an editable cursor held across it", "held", "接続が切れた", "20240101|5.0,20240105|2.0");
    }
    void restartBetweenStatements() {
        const QString action = fetch<QString>("action"), error = fetch<QString>("error");
        Shop shop;
        Recordset held;
        if (action == u"transaction") {
            shop.cn.BeginTrans();
            shop.insert(20240103, 3);
        } else if (action == u"held") {
            held.openEditable(shop.cn, u"select * from gdai where gcode='          12' and day=20240101"_s);
            held.setField(u"suu"_s, 8);
        }
        QVERIFY(m_cluster->restart());
        QString told;
        try {
            if (action == u"read") QCOMPARE(shop.ledger(), u"20240101|5.0"_s);
            if (action == u"insert" || action == u"transaction") shop.insert(20240102, 7);
            if (action == u"save") shop.save(20240102, 9);
            if (action == u"shared")
                QCOMPARE(shop.dir.rows(u"select day, suu from gdai"_s), u"20240101|5.0"_s);
            if (action == u"held") held.Update();
        } catch (const DbError& e) {
            told = e.description();
            QCOMPARE(e.number(), DbError::kConnectionLost);
        }
        QVERIFY2(error.isEmpty() ? told.isEmpty() : told.contains(error), qPrintable(told));
        QVERIFY(!shop.cn.serverAway() && !shop.cn.inTransaction());
        if (action == u"transaction") shop.insert(20240104, 4);
        if (action == u"held") shop.save(20240105, 2);
        QCOMPARE(shop.ledger(), fetch<QString>("rows"));
        QCOMPARE(shop.cn.filePath(), url(shop.dir.serverDatabase()));
    }

    // A server stopped, or silent during a read, a save or a statement: the call gives up with a
    // message naming it, a stopped one at once on each try, a silent one after the statement limit
    // (not after as long as the silence lasts); nothing is half-written, and once the server is
    // back the same connection works again.
    void serverAway_data() {
        cols<QString, QString>("action", "told");
        row("stopped, a save", "stopped", "に接続できません。サーバーが動いているか");
        for (const char* action : {"read", "save", "insert"})
            row(action, action, "秒以上応答しないため、処理を打ち切りました。");
    }
    void serverAway() {
        const QString action = fetch<QString>("action"), told = fetch<QString>("told");
        const bool stopped = action == u"stopped";
        Shop shop;
        QCOMPARE(shop.cn.statementTimeout(), kStatementTimeoutMs);
        constexpr int kLimitMs = 2000; // shorter than the default only to keep the run short
        shop.cn.setStatementTimeout(kLimitMs);
        if (stopped)
            QVERIFY(m_cluster->down());
        else
            m_cluster->pause();
        for (int attempt = 0; attempt < (stopped ? 2 : 1); ++attempt) {
            QElapsedTimer timer;
            timer.start();
            try {
                if (action == u"read") shop.ledger();
                if (action == u"save" || stopped) shop.save(20240101, 9);
                if (action == u"insert") shop.insert(20240102, 7);
                QFAIL("answered by a server that is away");
            } catch (const DbError& e) {
                QCOMPARE(e.number(), DbError::kServerAway);
                QVERIFY2(e.description().contains(told) && e.description().contains(u"127.0.0.1"_s) &&
                             (!stopped || e.description().startsWith(u"サーバー '"_s + url(QString()))),
                         qPrintable(e.description()));
            }
            // Not a measure of speed: a silent statement had its time, and the silence did not hold it
            // for good; a refused connection is told without waiting.
            const qint64 waited = timer.elapsed();
            QVERIFY2((stopped || waited >= kLimitMs) && waited < (stopped ? 30000 : 60000),
                     qPrintable(QString::number(waited)));
            QVERIFY(shop.cn.serverAway());
        }
        // Another connection to the same server away does not wait again as long (the same opening
        // whatever the first one did, so looked at once for each way of being away).
        if (stopped || action == u"read") {
            Connection other;
            QElapsedTimer timer;
            timer.start();
            QVERIFY_THROWS_EXCEPTION(DbError,
                                     other.Open(TestServer::connectString(shop.dir.serverDatabase())));
            QVERIFY(timer.elapsed() < 30000);
        }
        if (stopped)
            QVERIFY(m_cluster->up());
        else
            m_cluster->resume();
        QCOMPARE(shop.ledger(), u"20240101|5.0"_s);
        shop.save(20240103, 6);
        QVERIFY(!shop.cn.serverAway());
        QCOMPARE(shop.dir.rows(u"select day, suu from gdai order by day"_s), u"20240101|5.0,20240103|6.0"_s);
    }

    // The connection goes while a save's statement runs: the save fails and nothing of it stays.
    // It goes while the commit's answer is on its way: the row is read back, and the save counts
    // as done exactly when it was committed; it is never sent twice.
    void connectionEndsDuringASave_data() {
        cols<QString, bool, QString>("during", "saved", "rows");
        row("the update", "update", false, "20240101|5.0");
        row("the commit", "commit", true, "20240101|9.0");
    }
    void connectionEndsDuringASave() {
        const QString during = fetch<QString>("during");
        const bool saved = fetch<bool>("saved");
        Shop shop;
        const QString db = shop.dir.serverDatabase();
        if (during == u"update") {
            // The update takes a while on the server, long enough for the connection to be ended.
            m_cluster->psql(u"create function zt_slow() returns trigger language plpgsql as "
                            "$$ begin perform pg_sleep(3); return new; end $$"_s,
                            db);
            m_cluster->psql(
                u"create trigger zt_slow before update on gdai for each row execute function zt_slow()"_s,
                db);
        } else {
            // The commit waits for a standby that never answers; ending the connection then keeps
            // the transaction committed on the server, but its answer never reaches the program.
            serverSetting(u"alter system set synchronous_standby_names = 'zanmo_nobody'"_s);
            shop.cn.Execute(u"set synchronous_commit = on"_s);
        }
        const QString pid = rows(shop.cn, u"select pg_backend_pid()"_s);
        Recordset rec;
        rec.openEditable(shop.cn,
                         u"select * from gdai where gcode='          12' and day=20240101 and kubun=0"_s);
        rec.setField(u"suu"_s, 9);
        QProcess ender;
        ender.start(OwnCluster::binDir() + u"/psql"_s,
                    {u"-X"_s, u"-q"_s, u"-h"_s, u"127.0.0.1"_s, u"-p"_s, m_cluster->port(), u"-U"_s,
                     u"zanmo"_s, u"-d"_s, u"postgres"_s, u"-c"_s, u"select pg_sleep(1.5)"_s, u"-c"_s,
                     u"select pg_terminate_backend(%1)"_s.arg(pid)});
        QVERIFY(ender.waitForStarted());
        bool updated = true;
        try {
            rec.Update();
        } catch (const DbError& e) {
            updated = false;
            QCOMPARE(e.number(), DbError::kConnectionLost);
            QVERIFY2(e.description().contains(u"接続が切れた"_s), qPrintable(e.description()));
        }
        QVERIFY(ender.waitForFinished(30000));
        if (during == u"commit") serverSetting(u"alter system reset synchronous_standby_names"_s);
        QCOMPARE(updated, saved);
        // A failed update keeps the change pending, as ADO does (fnUpdateRecordset cancels it).
        QCOMPARE(rec.EditMode(), int(saved ? Recordset::adEditNone : Recordset::adEditInProgress));
        if (saved) QCOMPARE(rec.Fields(u"suu"_s).toInt(), 9);
        QCOMPARE(shop.dir.rows(u"select day, suu from gdai"_s), fetch<QString>("rows"));
        QVERIFY(!shop.cn.serverAway());
    }

    // The server's standard_conforming_strings forced off for everyone: every session, also one
    // opened again after a restart, takes a backslash as plain text.
    void standardStringsForcedOff() {
        serverSetting(u"alter system set standard_conforming_strings = off"_s);
        TempProgramDir dir;
        QCOMPARE(dir.scalar(u"show standard_conforming_strings"_s), u"on"_s);
        const QString text = u"C:\\PELKO\\' or ''='"_s;
        dir.exec(u"insert into goods (code, name) values ('           1', '"_s + fnSqlText(text) + u"')"_s);
        QVERIFY(m_cluster->restart());
        QCOMPARE(dir.scalar(u"show standard_conforming_strings"_s), u"on"_s);
        QCOMPARE(
            dir.scalar(u"select name from goods where name like '%"_s + fnSqlLike(u"PELKO\\"_s) + u"%'"_s),
            text);
        QCOMPARE(dir.count(u"select count(*) from goods"_s), 1);
        serverSetting(u"alter system reset standard_conforming_strings"_s);
    }

    // copy, generate --pg and init --pg leave the server's planner statistics of the tables they filled.
    void copiesAreAnalysed_data() {
        cols<QString>("command");
        row("copy", "copy FOLDER/src/data1.dat URL");
        row("generate --pg", "generate --pg FOLDER --goods 30 --rows 3000");
        row("init --pg --demo", "init --pg --demo FOLDER --today 20240630");
    }
    void copiesAreAnalysed() {
        TempProgramDir files(false, false);
        const QString db = TestServer::createDatabase();
        files.writeIni(u"[zanmo]\n"_s + TestServer::iniLines(db));
        QCOMPARE(
            runTool({u"init"_s, u"--demo"_s, files.path() + u"/src"_s, u"--today"_s, u"20240630"_s}).status,
            0);
        const ToolRun r = runTool(fetch<QString>("command")
                                      .split(u' ')
                                      .replaceInStrings(u"FOLDER"_s, files.path())
                                      .replaceInStrings(u"URL"_s, url(db)));
        QVERIFY2(r.status == 0 && !r.err.contains("ANALYZE"), r.err.constData());
        QCOMPARE(
            m_cluster->psql(u"select string_agg(distinct tablename, ',' order by tablename) from pg_stats "
                            "where schemaname = 'public' and tablename in ('gdai', 'goods')"_s,
                            db),
            u"gdai,goods"_s);
        TestServer::dropDatabase(db);
    }

    // A copy killed half-way: a signal it can catch takes its build file with it; a kill it cannot
    // catch leaves it for the next run of the tool into that folder, which removes it. On a server
    // the copy's one transaction is gone with its connection. The next copy is whole.
    void killedCopyLeavesNothing_data() {
        cols<int, bool>("signal", "leftAtOnce");
        row("SIGKILL", int(SIGKILL), true), row("SIGTERM", int(SIGTERM), false),
            row("SIGINT", int(SIGINT), false);
    }
    void killedCopyLeavesNothing() {
        // One handler takes SIGINT and SIGTERM; a copy to a server has no build file for it to remove.
        if (server() && fetch<int>("signal") == SIGINT) QSKIP("as SIGTERM on a server");
        TempProgramDir files(false, false);
        const ToolRun g = runTool(
            {u"generate"_s, files.path() + u"/src"_s, u"--goods"_s, u"300"_s, u"--rows"_s, u"50000"_s});
        QVERIFY2(g.status == 0, g.err.constData());
        const QString source = files.path() + u"/src/data1.dat"_s, folder = files.path() + u"/dst"_s;
        QVERIFY(QDir().mkpath(folder));
        const QString db = server() ? TestServer::createDatabase() : QString();
        const QString target = server() ? url(db) : folder + u"/data1.dat"_s;
        QProcess copy;
        copy.start(qEnvironmentVariable("ZANMO_TOOL"), {u"copy"_s, source, target});
        QVERIFY(copy.waitForStarted());
        const QString writing =
            u"select count(*) from pg_stat_activity where datname = '%1' and application_name "
            "= 'zanmo' and (query like 'EXECUTE%' or query like 'insert%')"_s.arg(db);
        const auto halfWay = [&] {
            return server() ? m_cluster->psql(writing).toInt() > 0
                            : hiddenFiles(folder).contains(u"-journal"_s);
        };
        QVERIFY2(QTest::qWaitFor(halfWay, 60000), "the copy never came to its rows");
        ::kill(static_cast<pid_t>(copy.processId()), fetch<int>("signal"));
        QVERIFY(copy.waitForFinished(30000) && copy.exitStatus() == QProcess::CrashExit);
        if (server()) {
            // The server undoes the transaction once it sees the connection gone.
            const QString tables = u"select count(*) from pg_tables where schemaname = 'public'"_s;
            QVERIFY(QTest::qWaitFor([&] { return m_cluster->psql(tables, db).toInt() == 0; }, 30000));
        } else {
            QCOMPARE(!hiddenFiles(folder).isEmpty(), fetch<bool>("leftAtOnce"));
            QVERIFY(!QFileInfo::exists(target));
        }
        const ToolRun again = runTool({u"copy"_s, source, target});
        QVERIFY2(again.status == 0, again.err.constData());
        QCOMPARE(hiddenFiles(folder), QString());
        Connection from, to;
        from.Open(TempProgramDir::fileConnectString(source));
        to.Open(server() ? TestServer::connectString(db) : TempProgramDir::fileConnectString(target));
        QCOMPARE(rows(to, u"select count(*) from gdai"_s), rows(from, u"select count(*) from gdai"_s));
        to.Close();
        if (server()) TestServer::dropDatabase(db);
    }

    // A server that asks for a password gets it from PGPASSWORD, from the password file, or typed
    // at a terminal without echo; with none of them the tool says where to put it.
    void passwordSources_data() {
        cols<QString, int, QString>("source", "status", "said");
        row("PGPASSWORD", "env", 0, "");
        row("the password file", "file", 0, "");
        row("typed at the terminal", "terminal", 0, "Password for postgresql://shopper@127.0.0.1:");
        row("none, and no terminal", "none", 2, "asks for a password: put it into ~/.pgpass or PGPASSWORD");
        row("a wrong one", "wrong", 2, "shopper");
    }
    void passwordSources() {
        const QString source = fetch<QString>("source"), said = fetch<QString>("said");
        static bool prepared = false;
        if (!prepared) {
            m_cluster->psql(u"create role shopper login createdb password 'k4gi-no-ana'"_s);
            QFile hba(m_cluster->dir() + u"/data/pg_hba.conf"_s);
            QVERIFY(hba.open(QIODevice::ReadOnly));
            writeFile(hba.fileName(), "host all shopper 127.0.0.1/32 scram-sha-256\n" + hba.readAll());
            m_cluster->psql(u"select pg_reload_conf()"_s);
            prepared = true;
        }
        TempProgramDir files(false, false);
        QCOMPARE(
            runTool({u"init"_s, u"--demo"_s, files.path() + u"/src"_s, u"--today"_s, u"20240630"_s}).status,
            0);
        const QString db = TestServer::createDatabase();
        m_cluster->psql(u"alter database %1 owner to shopper"_s.arg(db));
        const QString pgpass = files.path() + u"/pgpass"_s;
        writeFile(pgpass, u"127.0.0.1:%1:*:shopper:k4gi-no-ana\n"_s.arg(m_cluster->port()).toUtf8());
        QFile::setPermissions(pgpass, QFile::ReadOwner | QFile::WriteOwner);
        // Neither the user's own password file nor the test run's environment may answer; a later
        // value of a variable wins, an empty PGPASSWORD is none.
        QStringList env{u"PGPASSFILE="_s + files.path() + u"/none"_s, u"PGPASSWORD="_s};
        if (source == u"env") env << u"PGPASSWORD=k4gi-no-ana"_s;
        if (source == u"wrong") env << u"PGPASSWORD=guess"_s;
        if (source == u"file") env << u"PGPASSFILE="_s + pgpass;
        const QStringList args{u"copy"_s, files.path() + u"/src/data1.dat"_s, url(db, u"shopper"_s)};
        ToolRun r;
        if (source == u"terminal") {
            // script(1) gives the tool a terminal; all it shows there comes back as the transcript.
            QProcess p;
            QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
            e.insert(u"PGPASSFILE"_s, files.path() + u"/none"_s);
            e.remove(u"PGPASSWORD"_s);
            p.setProcessEnvironment(e);
            QString command = qEnvironmentVariable("ZANMO_TOOL");
            for (const QString& a : args)
                command += u" '"_s + a + u"'"_s;
            p.start(u"script"_s, {u"-q"_s, u"-e"_s, u"-c"_s, command, u"/dev/null"_s});
            QVERIFY(p.waitForStarted());
            QByteArray shown;
            QVERIFY(QTest::qWaitFor(
                [&] {
                    shown += p.readAllStandardOutput();
                    return shown.contains("Password for");
                },
                30000));
            p.write("k4gi-no-ana\n");
            QVERIFY(p.waitForFinished(60000));
            shown += p.readAllStandardOutput();
            r = {p.exitCode(), shown, p.readAllStandardError()};
            QVERIFY2(!shown.contains("k4gi-no-ana"), shown.constData()); // never echoed
        } else {
            r = runTool(args, env);
        }
        QVERIFY2(r.status == fetch<int>("status") && (r.out + r.err).contains(said.toUtf8()),
                 (r.out + r.err).constData());
        if (r.status == 0) QVERIFY(m_cluster->psql(u"select count(*) from goods"_s, db).toInt() > 0);
        TestServer::dropDatabase(db);
    }

    // A new database in a group-writable folder is group-writable whatever the umask, and so are
    // the journal files SQLite makes beside it later; elsewhere the umask holds.
    void newFilesFollowTheFolder_data() {
        cols<int, int>("folder", "file");
        row("a private folder", 0755, 0644);
        row("a group-writable folder", 0775, 0664);
        row("a shared folder, group kept for new files", 02775, 0664);
    }
    void newFilesFollowTheFolder() {
        const int file = fetch<int>("file");
        TempProgramDir dir(false, false);
        const QString shop = dir.path() + u"/shop"_s, data = shop + u"/data1.dat"_s;
        QVERIFY(QDir().mkpath(shop));
        QVERIFY(::chmod(QFile::encodeName(shop).constData(), mode_t(fetch<int>("folder"))) == 0);
        const auto modeOf = [](const QString& path) {
            struct stat st {};
            return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
        };
        const mode_t previous = ::umask(022);
        const ToolRun r = runTool({u"init"_s, shop});
        QVERIFY2(r.status == 0, r.err.constData());
        // The program's own connection (WAL on a local disk) writes: -wal and -shm appear.
        Connection cn;
        cn.Open(TempProgramDir::fileConnectString(data));
        cn.Execute(u"insert into bunrui (kubun, code, name, jun) values (4, 1, 'x', 1)"_s);
        ::umask(previous);
        QCOMPARE(u"%1|%2|%3"_s.arg(modeOf(data)).arg(modeOf(data + u"-wal"_s)).arg(modeOf(data + u"-shm"_s)),
                 u"%1|%1|%1"_s.arg(file));
    }

    // Build files of this computer whose process is gone go at the next build into the folder;
    // a running one's, and another computer's fresh ones, stay.
    void abandonedBuildsRemoved() {
        TempProgramDir dir(false, false);
        const QString host = QSysInfo::machineHostName();
        const QString gone = u".data1.dat.%1@%2.building"_s.arg(2147483000).arg(host);
        const QString running =
            u".data1.dat.%1@%2.building"_s.arg(QCoreApplication::applicationPid()).arg(host);
        QStringList kept{u".data1.dat.2147483001.building"_s, u".data1.dat.77@another-pc.building"_s,
                         running};
        for (const QString& name : kept + QStringList{gone, gone + u"-journal"_s, u"data1.dat"_s})
            writeFile(dir.path() + u'/' + name, {});
        QCOMPARE(Schema::removeAbandonedBuilds(dir.path()), 2);
        kept.sort();
        QCOMPARE(hiddenFiles(dir.path()), kept.join(u','));
        QVERIFY(QFileInfo::exists(dir.path() + u"/data1.dat"_s));
        QCOMPARE(Schema::buildFileFor(dir.path() + u"/data1.dat"_s), dir.path() + u'/' + running);
    }
};

QTEST_MAIN(TestServerOps)
#include "tst_serverops.moc"

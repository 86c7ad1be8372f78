#include "data/Connection.h"
#include "data/DbError.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"
#include "data/basSettings.h"
#include "support/TempProgramDir.h"
#include "support/TestServer.h"
#include "support/ToolRun.h"
#include "ui/DataRows.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// The second engine: the statements as PostgreSQL takes them, zanmo.ini's server keys, text
// compared as on SQLite (both runs), and moving a database to a server and back (server run).
class TestServerEngine : public QObject, DataRows {
    Q_OBJECT
private slots:
    void dialect_data() {
        cols<QString, QString>("jet", "postgres");
        row("delete star", "delete * from gdai where day=1", "delete from gdai where day=1");
        row("derived table named", "select na from (select name as na from goods) where na='x'",
            "select na from (select name as na from goods) as zanmo_dt1 where na='x'");
        row("derived tables nested", "select * from (select n from (select name as n from goods) group by n)",
            "select * from (select n from (select name as n from goods) as zanmo_dt1 group by n) as "
            "zanmo_dt2");
        row("own alias kept", "select * from (select 1 as x) dummy,goods",
            "select * from (select 1 as x) dummy,goods");
        row("own alias with as", "select * from ( select 1 as x ) AS d",
            "select * from ( select 1 as x ) AS d");
        row("before a comma", "select * from (select 1 as x),goods",
            "select * from (select 1 as x) as zanmo_dt1,goods");
        row("union inside",
            "select n from (select name as n from goods union all select name from goods) order by n",
            "select n from (select name as n from goods union all select name from goods) as zanmo_dt1 order "
            "by n");
        row("parenthesised join untouched", "select * from (gdai inner join goods on gdai.gcode=goods.code)",
            "select * from (gdai inner join goods on gdai.gcode=goods.code)");
        row("subquery of a condition untouched", "select * from goods where code in (select gcode from gdai)",
            "select * from goods where code in (select gcode from gdai)");
        row("text that looks like SQL untouched",
            "select * from goods where name='from (select 1)' or name='delete * from'",
            "select * from goods where name='from (select 1)' or name='delete * from'");
        row("a parenthesis inside a literal",
            "select * from (select name from goods where name=')') where 1=1",
            "select * from (select name from goods where name=')') as zanmo_dt1 where 1=1");
        row("a pattern's backslash is no escape",
            "select * from goods where name like '%a\\b%' and kana Like'x'",
            "select * from goods where name like '%a\\b%' ESCAPE '' and kana Like'x' ESCAPE ''");
        row("an escape of its own kept", "select * from goods where name like 'a!%' escape '!'",
            "select * from goods where name like 'a!%' escape '!'");
        row("like inside a literal untouched", "select * from goods where name='x like ''y''' or unlike = 1",
            "select * from goods where name='x like ''y''' or unlike = 1");
    }
    void dialect() {
        QCOMPARE(fnJetToPostgres(fetch<QString>("jet")), fetch<QString>("postgres"));
        // SQLite takes the derived tables as they are.
        QCOMPARE(fnJetToSqlite(fetch<QString>("jet")).contains(u"zanmo_dt"), false);
    }

    void serverKeys_data() {
        cols<QString, QString, QString>("ini", "connect", "shown");
        row("all keys", "dbmode=2\ndbhost=db.shop\ndbport=5433\ndbname=zaiko\ndbuser=ten\ndbpassword=s3",
            "Provider=PostgreSQL;Host=db.shop;Port=5433;Database=zaiko;User ID=ten;Password=s3",
            "postgresql://ten@db.shop:5433/zaiko");
        // libpq's own defaults (PGHOST, PGUSER, ~/.pgpass) take what is left out.
        row("name only", "dbmode=2\ndbname=zaiko", "Provider=PostgreSQL;Database=zaiko",
            "postgresql:///zaiko");
        row("a ';' in the password", "dbmode=2\ndbname=z\ndbpassword=a;b\"c",
            "Provider=PostgreSQL;Database=z;Password=\"a;b\"\"c\"", "postgresql:///z");
    }
    void serverKeys() {
        TempProgramDir dir(false, false);
        dir.writeIni(u"[zanmo]\n"_s + fetch<QString>("ini") + u"\n"_s);
        QCOMPARE(int(fnGetDbMode()), 2);
        QCOMPARE(fnConnectString(2, u"data1.dat"_s), fetch<QString>("connect"));
        QCOMPARE(fnDataDescription(2), fetch<QString>("shown"));
    }

    // Codes and names compare without regard to ASCII case and in code-point order otherwise, on
    // both engines alike (on a server whose database has LC_CTYPE C, as the test server's).
    void textComparesAsOnSqlite_data() {
        cols<QString, QString>("sql", "rows");
        row("order", "select trim(code) from goods order by code, name", "_x,A1,a2,b3,É1,é2");
        row("equal without case", "select trim(code) from goods where code = '          A2'", "a2");
        row("range",
            "select trim(code) from goods where code between '          a1' and '          B3' order by code",
            "A1,a2,b3");
        row("like without case", "select trim(code) from goods where name like '%APPLE%' order by code",
            "A1,a2");
        row("accents keep their case", "select trim(code) from goods where name = 'É' order by code", "É1");
        row("max", "select trim(max(code)) from goods", "é2");
        row("join", "select count(*) from gdai as d,goods as g where d.gcode=g.code", "2");
    }
    void textComparesAsOnSqlite() {
        TempProgramDir dir;
        for (const char* g : {"A1 apple", "a2 Apple", "b3 pear", "_x x", "É1 É", "é2 é"}) {
            const QString t = QString::fromUtf8(g);
            dir.addGoods(t.section(u' ', 0, 0), t.section(u' ', 1, 1));
        }
        dir.addLedger(u"a1"_s, 20240101, 0, 1); // stored lower case: still the goods A1
        dir.addLedger(u"B3"_s, 20240101, 0, 1);
        QCOMPARE(dir.rows(fetch<QString>("sql")), fetch<QString>("rows"));
    }

    // Quoting means the same on every server: one whose strings take backslash escapes
    // (standard_conforming_strings off) must not let a typed backslash end a literal.
    void backslashesStayText_data() {
        cols<QString>("text");
        for (const char* t : {"C:\\PELKO\\", "\\", "\\'", "O\\'Brien", "\\' or ''='",
                              "x\\'); delete from goods; --", "\\x27", "100%\\_", "\\\\'\\n"})
            row(t, t);
    }
    void backslashesStayText() {
        TempProgramDir dir;
        if (!dir.serverDatabase().isEmpty()) {
            dir.exec(u"ALTER DATABASE "_s + dir.serverDatabase() +
                     u" SET standard_conforming_strings = off"_s);
            QVERIFY(fnOpenDB()); // a new session takes the database's setting
        }
        const QString text = fetch<QString>("text");
        dir.addGoods(u"1"_s, u"other"_s);
        dir.exec(u"insert into goods (code, name) values ('           2', '"_s + fnSqlText(text) + u"')"_s);
        QCOMPARE(dir.rows(u"select trim(code), name from goods order by code"_s), u"1|other,2|"_s + text);
        QCOMPARE(dir.rows(u"select trim(code) from goods where name = '"_s + fnSqlText(text) + u"'"_s),
                 u"2"_s);
        QCOMPARE(dir.rows(u"select trim(code) from goods where name like '"_s + fnSqlLike(text) + u"'"_s),
                 u"2"_s);
    }

    // A demo database to the server and back: every row the same.
    void copyBothWays() {
        if (!TestServer::active()) QSKIP("needs the test server");
        if (qEnvironmentVariableIsEmpty("ZANMO_TOOL")) QFAIL("ZANMO_TOOL is not set (run through CTest)");
        TempProgramDir files(false, false), server(false);
        ToolRun r = runTool({u"init"_s, u"--demo"_s, files.path(), u"--today"_s, u"20240630"_s});
        QCOMPARE(r.status, 0);
        const QString back = files.path() + u"/back.dat"_s;
        // The server's folder already has the tables: the copy is refused and nothing changes.
        r = runTool({u"copy"_s, files.dataFile(), server.path()});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains("既に存在します"), r.err.constData());
        fnCloseDB();
        const QString name = TestServer::createDatabase();
        const QString url =
            u"postgresql://zanmo@127.0.0.1:%1/%2"_s.arg(qEnvironmentVariable("ZANMO_TEST_PGPORT"), name);
        r = runTool({u"copy"_s, files.dataFile(), url});
        QVERIFY2(r.status == 0, r.err.constData());
        QVERIFY(r.out.contains("gdai: ") && r.out.contains("copied "));
        r = runTool({u"copy"_s, url, back});
        QVERIFY2(r.status == 0, r.err.constData());
        r = runTool({u"copy"_s, url, back}); // never over an existing file
        QCOMPARE(r.status, 2);
        Connection a, b, s;
        a.Open(TempProgramDir::fileConnectString(files.dataFile()));
        b.Open(TempProgramDir::fileConnectString(back));
        s.Open(TestServer::connectString(name));
        for (const char* sql : {"select * from sysfile", "select * from bunrui order by kubun, code",
                                "select * from goods order by code",
                                "select * from gdai order by gcode, day, kubun, denno, line"}) {
            const QString original = TempProgramDir::rowsOn(a, QString::fromLatin1(sql));
            QVERIFY(!original.isEmpty());
            QCOMPARE(TempProgramDir::rowsOn(b, QString::fromLatin1(sql)), original);
            QCOMPARE(TempProgramDir::rowsOn(s, QString::fromLatin1(sql)), original);
        }
        s.Close();
        TestServer::dropDatabase(name);
    }
};

QTEST_GUILESS_MAIN(TestServerEngine)
#include "tst_server.moc"

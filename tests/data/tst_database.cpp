#include "app/QtDialogs.h"
#include "app/basStartCheck.h"
#include "data/Connection.h"
#include "data/ConnectionShared.h"
#include "data/DbEngine.h"
#include "data/DbError.h"
#include "data/Schema.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"
#include "data/basJournal.h"
#include "data/basSettings.h"
#include "data/clsDbClass.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"
#include "support/TestServer.h"
#include "support/ToolRun.h"
#include "ui/DataRows.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QtTest>
#include <limits>

using namespace Qt::StringLiterals;

static QByteArray digestOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "unreadable";
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

static QString jet(const QString& source) {
    return TempProgramDir::fileConnectString(source);
}

static const QString kCode1 = u"select * from gdai where gcode = '           1'"_s;
static const QString kReceiptSql =
    QStringLiteral("select *  from gdai where gcode='         123'   and day=20240105"
                   "   and kubun=0   and denno=0   and line=0");

// An editable cursor on a connection of its own to the program folder's data1.dat.
struct Editor {
    Connection cn;
    Recordset rec;
    QString sql;
    explicit Editor(const QString& text = kCode1) : sql(text) {
        cn.Open(fnConnectString(fnGetDbMode(), "data1.dat"));
        rec.openEditable(cn, sql);
    }
};

static void set(Recordset& rec, const QStringList& pairs) {
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
        rec.setField(pairs[i], pairs[i + 1]);
}

// One settings file read four ways: zanmo/dbpath (default DEF), zanmo/dbmode (default 7), the db mode, and
// the folder in the connection text (<dir>: the program folder; null: no connection). A file none of the
// encodings reads (readable false) is refused at start-up, naming the file, never taken for an empty one.
static void iniRow(const char* name, const QByteArray& file, const char* path, int value = 7, int mode = 0,
                   const char* folder = "<dir>", bool readable = true) {
    QTest::newRow(name) << file << QString::fromUtf8(path) << value << mode << QString::fromUtf8(folder)
                        << readable;
}

// The data layer on real data1.dat files: settings, connection and cursor, the clsDbClass object of each
// screen, the basDb routines on the shared gcnData, and the program's Jet statements running unchanged;
// data1.dat as it may be found (a clear message at start-up, nothing written to it, no crash) and the
// journal a database gets.
class TestDatabase : public QObject, DataRows {
    Q_OBJECT

    static QString journalOf(const QString& file) {
        Connection cn;
        cn.Open(TempProgramDir::fileConnectString(file));
        return TempProgramDir::rowsOn(cn, u"PRAGMA journal_mode"_s);
    }

private slots:
    // Files as they lie on a disk: the SQLite run only.
    void init() {
        for (const char* f : {"atStart", "setting", "killedGenerateLeavesNoFile"})
            if (TestServer::active() && qstrcmp(QTest::currentTestFunction(), f) == 0) QSKIP("a data1.dat");
    }
    void cleanup() { fnCloseDB(); }
    void iniRead_data() {
        cols<QByteArray, QString, int, int, QString, bool>("file", "path", "value", "mode", "folder",
                                                           "readable");
        // As Windows editors save it.
        const QString text = u"; 設定\r\n[zanmo]\r\ndbmode=1\r\ndbpath=/srv/在庫\r\n"_s;
        const auto as = [&](const char* name) { return QByteArray(QStringEncoder(name).encode(text)); };
        const char* const shop = "/srv/在庫";
        iniRow("UTF-8", text.toUtf8(), shop, 1, 1, shop);
        iniRow("UTF-8 with its mark", "\xEF\xBB\xBF" + text.toUtf8(), shop, 1, 1, shop);
        iniRow("Shift-JIS", as("Shift_JIS"), shop, 1, 1, shop);
        iniRow("UTF-16LE with its mark (Notepad's Unicode)", "\xFF\xFE" + as("UTF-16LE"), shop, 1, 1, shop);
        iniRow("UTF-16BE with its mark", "\xFE\xFF" + as("UTF-16BE"), shop, 1, 1, shop);
        iniRow("UTF-16LE without a mark", as("UTF-16LE"), shop, 1, 1, shop);
        iniRow("UTF-16BE without a mark", as("UTF-16BE"), shop, 1, 1, shop);
        iniRow("UTF-32LE", QByteArray("\xFF\xFE\0\0", 4) + as("UTF-32LE"), "DEF", 7, 0, "<dir>", false);
        iniRow("UTF-16LE cut in a character", ("\xFF\xFE" + as("UTF-16LE")).chopped(1), "DEF", 7, 0, "<dir>",
               false);
        iniRow("bytes of no encoding", "[zanmo]\ndbmode=1\ndbpath=\x81\x20\x81\x7F\n", "DEF", 7, 0, "<dir>",
               false);
        iniRow("plain", "[zanmo]\ndbpath=/srv/pelko\n", "/srv/pelko"); // mode 0 ignores dbpath
        iniRow("section and key case, mode 3", "[ZANMO]\nDbPath=/a\nDBMODE=3\n", "/a", 3, 3, nullptr);
        iniRow("value trimmed", "[zanmo]\n  dbpath =   /a b  \n dbmode =  1  \n", "/a b", 1, 1, "/a b");
        iniRow("trailing backslash doubled", "[zanmo]\ndbmode=1\ndbpath=C:\\PELKO\\\n", "C:\\PELKO\\", 1, 1,
               "C:\\PELKO\\");
        iniRow("empty value", "[zanmo]\ndbpath=\ndbmode=\n", "", 7, 0);
        iniRow("missing file", QByteArray(), "DEF");
        iniRow("missing keys", "[zanmo]\nother=1\n", "DEF");
        iniRow("key of another section", "[other]\ndbpath=/x\ndbmode=1\n[zanmo]\n", "DEF");
        iniRow("mode 1 without dbpath", "[zanmo]\ndbmode=1\n[next]\ndbpath=/x\n", "DEF", 1, 1);
        iniRow("first of two keys", "[zanmo]\ndbpath=/1\ndbpath=/2\ndbmode=0\n", "/1", 0, 0);
        iniRow("leading digits", "[zanmo]\ndbmode=12abc\n", "DEF", 12, 12, nullptr);
        iniRow("no digits", "[zanmo]\ndbmode=abc\n", "DEF", 0, 0);
        iniRow("255", "[zanmo]\ndbmode=255\n", "DEF", 255, 255, nullptr);
        // Out of the byte range: no database rather than a wrapped-around valid mode.
        iniRow("256", "[zanmo]\ndbmode=256\n", "DEF", 256, 255, nullptr);
        iniRow("negative", "[zanmo]\ndbmode=-3\n", "DEF", -3, 255, nullptr);
    }

    void iniRead() {
        QFETCH(QByteArray, file);
        QFETCH(QString, folder);
        TempProgramDir dir(false, false);
        const QString ini = dir.path() + "/zanmo.ini";
        if (QFile f(ini); !file.isNull() && f.open(QIODevice::WriteOnly)) f.write(file); // null: no file
        QTEST(fnGetIniString("zanmo", "dbpath", "DEF", 1024, ini), "path");
        QTEST(fnGetIniInt("zanmo", "dbmode", 7, ini), "value");
        QTEST(int(fnGetDbMode()), "mode");
        QCOMPARE(fnConnectString(fnGetDbMode(), "data1.dat"),
                 folder.isNull() ? QString() : jet(folder.replace("<dir>", dir.path()) + "\\data1.dat"));
        const QString problem = fnIniProblem();
        QCOMPARE(problem.isEmpty(), fetch<bool>("readable"));
        if (problem.isEmpty()) return;
        ScriptedDialogs dialogs;
        QVERIFY(!fnCheckDataFile());
        QCOMPARE(u"%1|"_s.arg(dialogs.messages.size()) + dialogs.lastMessage().text, u"1|"_s + problem);
        QVERIFY2(problem.contains(ini) && problem.contains(u"文字コードを読み取れません"_s),
                 qPrintable(problem));
    }

    // ini: when set, the connection text comes from it, and connect says what lies at <dir>/sub/data1.dat;
    // <dir> is the temporary folder holding data1.dat; message: contained in the error, or ending in 。 the
    // whole text. Nothing is written to the file found, nor a journal made beside it.
    void openFailures_data() {
        cols<QString, QString, QString>("ini", "connect", "message");
        const char* sub = "[zanmo]\ndbmode=1\ndbpath=<dir>\\sub\n";
        row("missing file", sub, "", "ファイル '<dir>/sub/data1.dat' が見つかりません。");
        row("a folder", sub, "folder", "が見つかりません");
        row("zero bytes", sub, "empty", "認識できないデータベース形式");
        row("random bytes", sub, "random", "認識できないデータベース形式");
        row("cut short", sub, "truncated", "ファイルが破損しています");
        row("missing folder", "[zanmo]\ndbmode=1\ndbpath=<dir>\\no\n", "",
            "'<dir>/no' は正しいパスではありません");
        row("mode 3: empty text", "[zanmo]\ndbmode=3\n", "",
            "[Microsoft][ODBC Driver Manager] データ "
            "ソース名および指定された既定のドライバが見つかりません。");
        row("server not there", "[zanmo]\ndbmode=2\ndbhost=127.0.0.1\ndbport=1\ndbname=shop\n", "",
            "サーバー 'postgresql://127.0.0.1:1/shop' のデータベースに接続できません。 (");
        row("other provider", "", "provider=SQLOLEDB;Data Source=<dir>\\data1.dat",
            "プロバイダが見つかりません");
        row("not a database", "", jet("<dir>\\zanmo.ini"), "認識できないデータベース形式");
    }

    void openFailures() {
        QFETCH(QString, ini);
        QFETCH(QString, connect);
        QFETCH(QString, message);
        ScriptedDialogs dialogs;
        TempProgramDir dir(false);
        QDir(dir.path()).mkdir("sub");
        dir.writeIni(ini.isEmpty() ? QString(200, 'x') : ini.replace("<dir>", dir.path()));
        const QString file = dir.path() + "/sub/data1.dat";
        if (connect == u"folder") QVERIFY(QDir().mkpath(file));
        if (QFile f(file); (connect == u"empty" || connect == u"random") && f.open(QIODevice::WriteOnly))
            for (int i = 0; connect == u"random" && i < 8192; ++i)
                f.putChar(char((i * 7919 + 13) % 251));
        if (connect == u"truncated") {
            Schema::createDatabase(file);
            Connection full;
            full.Open(jet(file));
            for (int i = 0; i < 300; ++i)
                full.Execute(
                    u"insert into goods (code, name) values ('%1', '品物の名前がここに入る %1')"_s.arg(i));
            full.Close();
            QVERIFY(QFile::resize(file, QFileInfo(file).size() / 2));
        }
        const QByteArray before = digestOf(file);
        if (!ini.isEmpty()) connect = fnConnectString(fnGetDbMode(), "data1.dat");
        message.replace("<dir>", dir.path());
        Connection cn;
        try {
            cn.Open(connect.replace("<dir>", dir.path()));
            QFAIL("opened");
        } catch (const DbError& e) {
            QVERIFY2(message.endsWith("。") ? e.description() == message : e.description().contains(message),
                     qPrintable(e.description()));
            message = e.description();
        }
        QCOMPARE(cn.State(), 0);
        QVERIFY(digestOf(file) == before && !QDir(dir.path() + "/no").exists()); // none made, none written
        QVERIFY(!QFile::exists(file + "-wal") && !QFile::exists(file + "-journal"));
        if (ini.isEmpty()) return;
        // A screen's own object reports it in ErrMsg and refuses work, as does one never opened.
        clsDbClass db, unopened;
        Recordset rec;
        QVERIFY(!db.OpenDb());
        QCOMPARE(db.ErrMsg(), message);
        for (clsDbClass* c : {&db, &unopened}) {
            QVERIFY(!c->DbSql("select * from gdai", rec) && !c->ErrMsg().isEmpty());
            QVERIFY(!c->DbSqlExec("delete from gdai") && !c->DbSqlEdit(kReceiptSql, rec));
        }
        // The shared connection shows one box; the screen still runs and its queries fail instead of
        // crashing.
        QVERIFY(!fnOpenDB());
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.lastMessage().text, message);
        QVERIFY(dialogs.lastMessage().icon == MsgIcon::Critical &&
                dialogs.lastMessage().title == u"ＰＥＬＫＯ" && gcnData && gcnData->State() == 0);
        QVERIFY_THROWS_EXCEPTION(DbError, fnOpenRecordset(rec, "select * from goods"));
        QVERIFY(!fnExecuteSql(rec, "insert into operatlog values('a','b','c',0,'d','e')").isEmpty());
    }

    void connectionLifetime() {
        if (TestServer::active()) QSKIP("a data1.dat's own path and journal");
        TempProgramDir dir(false);
        // A dbpath through a folder with ';' in its name, written with a trailing backslash (which doubles
        // it): the same file.
        QDir(dir.path()).mkdir(u"店;共有"_s);
        dir.writeIni(u"[zanmo]\ndbmode=1\ndbpath="_s + dir.path() + u"\\店;共有\\..\\\n"_s);
        Recordset rec;
        {
            Editor e(kCode1);
            e.rec.AddNew();
            e.rec.setField("gcode", "           1");
            rec = std::move(e.rec);
        } // the connection goes first and takes the uncommitted row with it
        rec.Close();
        Connection cn;
        cn.Open(fnConnectString(fnGetDbMode(), "data1.dat"));
        QCOMPARE(cn.filePath(), dir.dataFile());
        QCOMPARE(cn.Execute("insert into bunrui values (4, 2, 'b', 2)"), 1);
        rec.openStatic(cn, "select count(*) from gdai");
        QCOMPARE(TempProgramDir::rowsOf(rec), u"0"_s);
        cn.Close();
        QVERIFY_THROWS_EXCEPTION(DbError, cn.Execute("select 1"));
        QVERIFY_THROWS_EXCEPTION(DbError, rec.openStatic(cn, "select 1"));
        QVERIFY_THROWS_EXCEPTION(DbError, rec.Fields("x")); // a closed cursor refuses work
        cn.Open(jet(dir.dataFile()));                       // reopening works
        QCOMPARE(cn.Execute("delete from bunrui"), 1);
    }

    void editing() {
        TempProgramDir dir;
        dir.addLedger("1", 20240101, 0, 1);
        Editor e("select gcode, day, kubun, suu, suu * 2 as twice from gdai order by day");
        Recordset& rec = e.rec;
        QCOMPARE(QList<int>({rec.fieldType("GCODE"), rec.fieldType("DAY"), rec.fieldType("SUU")}),
                 QList<int>({202, 3, 5}));
        rec.Update();                        // nothing changed: releases the lock
        dir.exec("update gdai set suu = 3"); // would wait for the lock otherwise
        rec.openEditable(e.cn, e.sql);       // the row as it is now
        QVERIFY_THROWS_EXCEPTION(DbError, rec.setField("twice", "4"));
        QVERIFY_THROWS_EXCEPTION(DbError, rec.setField("denno", "4")); // not selected
        rec.AddNew();
        QVERIFY(rec.RecordCount() == 2 && !rec.Eof() && rec.Fields("suu").isNull());
        set(rec, {"gcode", "           1", "day", "20240102", "SUU", "9"});
        rec.Update(); // the new row is then the current one, with the values as stored
        QVERIFY(rec.Fields("kubun").isNull());
        QCOMPARE(TempProgramDir::rowsOf(rec).section(u'|', 0, 3), u"           1|20240102||9.0"_s);
        rec.MoveFirst();
        rec.setField("suu", "10");
        rec.MoveNext(); // moving off a changed row saves it
        QCOMPARE(rec.EditMode(), 0);
        rec.setField("suu", "20");
        rec.Close(); // closing without Update discards the change
        // A cursor assigned over rolls back what it was adding; a moved one carries on.
        rec.openEditable(e.cn, kCode1);
        rec.AddNew();
        rec.setField("suu", "1");
        rec = Recordset();
        rec.openEditable(e.cn, kCode1 + " order by day desc");
        Recordset target(std::move(rec));
        QCOMPARE(rec.State(), 0);
        target.setField("suu", "7");
        target.Update();
        QCOMPARE(dir.rows("select suu from gdai order by day"), u"10.0,7.0"_s);
        // Only a plain select of one table can be edited.
        QStringList opened;
        for (const char* sql :
             {"select suu, kubun from gdai where day = 1", "select * from gdai as d where d.day = 1",
              "select * from gdai d order by day", "select * from gdai as d,goods as g where d.gcode=g.code",
              "delete from gdai", "select * from gdai join goods on gdai.gcode = goods.code",
              "select distinct gcode from gdai"}) {
            try {
                rec.openEditable(e.cn, sql);
            } catch (const DbError&) {
                opened << u"refused"_s;
            }
            opened << QString::number(rec.State());
        }
        QCOMPARE(opened.join(u' '), u"1 1 1 refused 0 refused 0 refused 0 refused 0"_s);
        // A row gone since the lock was let go (on the server also one changed: it moved) is not
        // written silently.
        Recordset stale;
        stale.openEditable(e.cn, kCode1);
        stale.Update();
        dir.exec("delete from gdai");
        stale.setField("suu", "5");
        QVERIFY_THROWS_EXCEPTION(DbError, stale.Update());
        QCOMPARE(stale.EditMode(), 0);
        dir.addLedger("1", 20240101, 0, 1); // whatever happened, no lock stays behind
        QCOMPARE(dir.count("select count(*) from gdai"), 1);
    }

    // A numeric column takes a number or plain decimal text, and nothing else: a refused write throws
    // and leaves the row as it was. Through fnSetFieldValue "" still means 0.
    void numbersStayNumbers_data() {
        cols<QString, QVariant, bool, QString>("field", "value", "module",
                                               "stored"); // stored: empty = refused
        const double inf = std::numeric_limits<double>::infinity();
        for (bool module : {false, true}) {
            const char* via = module ? "fnSetFieldValue" : "setField";
            auto r = [&](const char* name, const char* field, const QVariant& value, const char* stored) {
                row(qPrintable(u"%1: %2"_s.arg(via, name)), field, value, module, stored);
            };
            for (const char* text : {"inf", "-inf", "Infinity", "nan", "1e9", "1E+3", "0x10", "   ", "1,234",
                                     "1.2.3", "-", ".", "- 5", "１２"})
                r(qPrintable(u"'%1'"_s.arg(QString::fromUtf8(text))), "suu", text, "");
            // name|field|value|stored
            for (const char* line :
                 {"exponent into an integer|day|2e7|", "negative|suu|-5|real:-5.0",
                  "plus sign|suu|+7|real:7.0", "blanks around|suu| 12.5 |real:12.5",
                  "leading point|suu|.5|real:0.5", "trailing point|suu|5.|real:5.0",
                  "integer column|day|20240105|integer:20240105", "half rounds to even|denno|2.5|integer:2",
                  "code keeps blanks|gcode|         123|text:         123", "empty into text|gcode||text:"}) {
                const QStringList f = QString::fromUtf8(line).split(u'|');
                r(qPrintable(f[0]), qPrintable(f[1]), f[2], qPrintable(f[3]));
            }
            r("empty", "suu", "", module ? "real:0.0" : "");
            r("empty into an integer", "day", "", module ? "integer:0" : "");
            if (module) continue;
            r("null", "suu", QVariant(), "");
            r("null into an integer", "day", QVariant(), "");
            r("typed null", "suu", QVariant(QMetaType::fromType<double>()), "");
            r("double infinity", "suu", inf, "");
            r("double nan", "suu", std::numeric_limits<double>::quiet_NaN(), "");
            r("digits into text stay text", "gcode", 123, "text:123");
            r("null into text", "gcode", QVariant(), "null:");
            r("double", "suu", 2.25, "real:2.25");
            r("integer", "suu", 8, "real:8.0");
            r("date", "suu", QDate(2024, 1, 5), "");
        }
    }

    void numbersStayNumbers() {
        const auto field = fetch<QString>("field"), stored = fetch<QString>("stored");
        const auto value = fetch<QVariant>("value");
        const auto module = fetch<bool>("module");
        TempProgramDir dir;
        dir.addLedger("1", 20240101, 0, 3);
        const QString read = "select " + field + " from gdai";
        const QString before = dir.typedValue(read);
        {
            Editor e;
            QVERIFY(!e.rec.Eof());
            QString refused;
            try {
                if (module)
                    fnSetFieldValue(e.rec, field, value.toString());
                else
                    e.rec.setField(field, value);
            } catch (const DbError& err) {
                refused = err.description() + u'|' + QString::number(e.rec.EditMode()); // nothing pending
            }
            QCOMPARE(refused, stored.isEmpty()
                                  ? DbTexts::typeMismatch() + u"|%1"_s.arg(int(Recordset::adEditNone))
                                  : QString());
            e.rec.Update();
        }
        QCOMPARE(dir.typedValue(read), stored.isEmpty() ? before : stored);
        QCOMPARE(dir.count("select count(*) from gdai"), 1);
    }

    void dbSql() {
        ScriptedDialogs dialogs;
        TempProgramDir dir;
        for (int d = 1; d <= 3; ++d)
            dir.addLedger("123", 20240100 + d, 0, d);
        dir.addLedger("123", 20240101, 1, 4, 10, 1);
        clsDbClass db;
        QVERIFY(db.OpenDb());
        Recordset rec;
        QVERIFY(db.DbSql("select day,suu from gdai where kubun = 1 or day = 20240103 order by day", rec));
        QCOMPARE(QString::number(db.RecCnt()) + ':' + TempProgramDir::rowsOf(rec),
                 u"2:20240101|4.0,20240103|3.0"_s);
        QVERIFY_THROWS_EXCEPTION(DbError, rec.Fields("day"));                       // past the last row
        QVERIFY(fnOpenDB() && gcnData->State() == 1 && dialogs.messages.isEmpty()); // reopened, quietly
        // The application's dialog seam keeps a failed statement on the clipboard.
        installQtDialogs();
        const auto restore = qScopeGuard([] { setDialogs(nullptr); });
        QGuiApplication::clipboard()->setText(u"before"_s);
        const QString bad = u"selec day from gdai where"_s;
        QVERIFY(!db.DbSql(bad, rec));
        QVERIFY2(db.ErrMsg().contains(u"構文エラー"_s), qPrintable(db.ErrMsg()));
        QCOMPARE(u"%1|%2|"_s.arg(db.RecCnt()).arg(rec.State()) + QGuiApplication::clipboard()->text(),
                 u"2|%1|"_s.arg(int(Recordset::adStateClosed)) + bad);
        QVERIFY(db.DbSql("select * from gdai", rec)); // the next good query clears the message
        QCOMPARE(db.ErrMsg(), QString());
        for (int deleted : {3, 0}) {
            QVERIFY(db.DbSqlExec("delete *from gdai where gcode='         123' and kubun=0"));
            QCOMPARE(db.RecCnt(), deleted);
        }
        QCOMPARE(dir.count("select count(*) from gdai"), 1);
        QVERIFY(db.DbSqlExec("update gdai set suu = 2"));
        QVERIFY(!db.DbSqlExec("update nosuchtable set suu = 2"));
        QVERIFY2(db.ErrMsg().contains(u"nosuchtable"_s) && db.RecCnt() == 1, qPrintable(db.ErrMsg()));
        // The Jet form inside a literal is data, not a statement; a success leaves the message as it was.
        QVERIFY(db.DbSqlExec(
            "insert into operatlog values('pc','user','delete * from x',0,'2024-01-01 00:00:00','')"));
        QVERIFY(db.ErrMsg().contains(u"nosuchtable"_s));
        QCOMPARE(dir.scalar("select naiyou from operatlog"), u"delete * from x"_s);
        QVERIFY(db.DbSqlExec("Delete *  From gdai where day=20240101") && db.RecCnt() == 1);
    }

    void dbSqlEdit() {
        TempProgramDir dir;
        clsDbClass db, second;
        QVERIFY(db.OpenDb() && second.OpenDb());
        second.connection()->setBusyTimeout(50);
        Recordset rec, other;
        QVERIFY(db.DbSqlEdit(kReceiptSql, rec)); // cancelled: nothing written, the lock goes with the cursor
        rec.setField("gcode", u"         123"_s);
        rec.CancelUpdate(), rec.Close();
        dir.addLedger("123", 20240105, 9, 40);
        QVERIFY(db.DbSqlEdit(kReceiptSql, rec)); // nothing found: a new row
        QVERIFY(!rec.Eof() && rec.EditMode() == Recordset::adEditAdd);
        set(rec, {"gcode", "         123", "day", "20240105", "kubun", "0", "denno", "0", "line", "0", "suu",
                  "12"});
        rec.Update();
        QCOMPARE(QString::number(rec.EditMode()) + dir.typedValue("select day from gdai where kubun=0") +
                     dir.typedValue("select kubun from gdai where kubun=0") +
                     dir.typedValue("select suu from gdai where kubun=0"),
                 u"%1integer:20240105integer:0real:12.0"_s.arg(int(Recordset::adEditNone)));
        // Found: that row is edited; reading it again and again leaves one lock, which a second editor waits
        // for.
        for (int attempt = 0; attempt < 3; ++attempt)
            QVERIFY2(db.DbSqlEdit(kReceiptSql, rec), qPrintable(db.ErrMsg()));
        QVERIFY(rec.EditMode() == Recordset::adEditNone && rec.Fields("suu").toDouble() == 12.0);
        QVERIFY(!second.DbSqlEdit(kReceiptSql, other));
        QVERIFY2(second.ErrMsg().contains(u"ロック"_s), qPrintable(second.ErrMsg()));
        QCOMPARE(dir.scalar("select suu from gdai where kubun=0"), u"12"_s); // readers go on
        rec.setField("suu", u"8"_s);
        QCOMPARE(rec.EditMode(), int(Recordset::adEditInProgress));
        rec.Update();
        QVERIFY(second.DbSqlEdit(kReceiptSql, other) && other.Fields("suu").toDouble() == 8.0);
        other.setField("suu", u"7"_s);
        other.Update();
        QCOMPARE(dir.rows("select suu from gdai order by kubun"), u"7.0,40.0"_s);
        // SQLite locks the whole file for the editor, the server the rows it read.
        const QString held =
            TestServer::active() ? u"delete from gdai where kubun=0"_s : u"delete from operatlog"_s;
        QVERIFY(db.DbSqlEdit(kReceiptSql, rec));
        QVERIFY(!second.DbSqlExec(held));
        { Recordset gone = std::move(rec); }
        QVERIFY2(second.DbSqlExec(held), qPrintable(second.ErrMsg()));
    }

    void failedUpdateLeavesNoHalfWrittenRow() {
        TempProgramDir dir;
        // A write the database refuses after part of it has happened.
        dir.exec("create table audit (x integer)");
        if (TestServer::active()) {
            dir.exec(
                "create function refuse() returns trigger language plpgsql as $$ begin if new.suu = 13 then "
                "insert into audit values (1); raise exception 'refused'; end if; return new; end $$");
            dir.exec("create trigger refuse after insert on gdai for each row execute function refuse()");
        } else {
            dir.exec("create trigger refuse after insert on gdai when new.suu = 13 begin "
                     "insert into audit values (1); select raise(abort, 'refused'); end");
        }
        clsDbClass db, other;
        QVERIFY(db.OpenDb() && other.OpenDb());
        other.connection()->setBusyTimeout(50);
        Recordset rec;
        QVERIFY(db.DbSqlEdit(kReceiptSql, rec));
        set(rec, {"gcode", "         123", "suu", "13"});
        QVERIFY_THROWS_EXCEPTION(DbError, rec.Update());
        rec.CancelUpdate();
        QCOMPARE(dir.count("select count(*) from gdai") + dir.count("select count(*) from audit"), 0);
        QVERIFY(other.DbSqlExec("delete from audit")); // the lock is gone although the cursor is still open
        QVERIFY(db.DbSqlEdit(kReceiptSql, rec));       // and the next attempt goes through
        set(rec, {"gcode", "         123", "suu", "12"});
        rec.Update();
        QCOMPARE(dir.count("select count(*) from gdai"), 1);
        // Through the module routine the failure comes back as text and the added row is dropped.
        Editor e;
        e.rec.AddNew();
        fnSetFieldValue(e.rec, "suu", "13");
        QVERIFY(fnUpdateRecordset(e.rec).contains("refused") && e.rec.EditMode() == Recordset::adEditNone &&
                e.rec.Eof());
        QCOMPARE(dir.count("select count(*) from gdai"), 1);
    }

    void fieldValue_data() {
        cols<QString, QString, int, QString>("sql", "name", "position",
                                             "expected"); // expected null: the read raises
        const QString both = "select max(day), sum(suu) from gdai";
        const QString four = "select gcode, max(day), sum(suu), count(*) from gdai group by gcode";
        row("sum( position 1", "select sum(suu) from gdai", "sum(suu)", 1, "12");
        row("SUM( reads Expr1000", "select sum(suu) as total from gdai", "SUM(suu)", 1, "12");
        row("Count( position 2", "select day, count(*) from gdai group by day order by day", "Count(*)", 2,
            "2");
        row("sum( position 2 of 2", both, "sum(suu)", 2, "12");
        row("text", "select gcode from gdai where kubun = 9", "GCODE", 1, "           5");
        row("Expr1000 first column", four, "Expr1000", 1, "           5");
        row("expr1002", four, "expr1002", 1, "12");
        row("Expr past the end", four, "Expr1004", 1, QString());
        row("null is empty", "select sum(suu) from gdai where gcode = '           1'", "sum(suu)", 1, "");
        // A letter case the rule does not know is taken as a name.
        row("sUm( is a name", "select sum(suu) as total from gdai", "sUm(suu)", 1, QString());
    }

    void fieldValue() {
        const QString name = fetch<QString>("name"), expected = fetch<QString>("expected");
        const int position = fetch<int>("position");
        TempProgramDir dir;
        dir.addLedger("5", 20240105, 0, 2);
        dir.addLedger("5", 20240105, 1, 3, 100, 1);
        dir.addLedger("5", 20240110, 9, 7);
        Recordset rec;
        fnOpenRecordset(rec, fetch<QString>("sql"));
        if (expected.isNull())
            QVERIFY_THROWS_EXCEPTION(DbError, fnGetFieldValue(rec, name, position));
        else
            QCOMPARE(fnGetFieldValue(rec, name, position), expected);
    }

    // Quoting in statements is backslashesStayText's (both engines) and dbSql's (Jet's
    // "delete * from" inside a literal); here the one trap of UTF-16: a lone surrogate would take the
    // doubled quote after it as its other half and end the literal.
    void quotedValues() {
        TempProgramDir dir;
        const QString lone = QString(QChar(0xD800)) + "', 'x";
        QCOMPARE(dir.scalar("select count(*) from (select '" + fnSqlText(lone) + "' as a)"), u"1"_s);
        QCOMPARE(dir.scalar("select '" + fnSqlText(lone) + "'"), QString(QChar(0xFFFD)) + "', 'x");
        QCOMPARE(fnSqlText(QString::fromUtf16(u"𠀋'")), QString::fromUtf16(u"𠀋''"));
    }

    // The statements the engine object writes, run on the engine of this run: each row reads the same on
    // both engines unless it says otherwise.
    void engineStatements_data() {
        cols<QString, QString, QString>("check", "file", "server");
        row("columns of a table", "columns gdai", "gcode,day,kubun,denno,line,suu", "");
        row("columns of no table", "columns go'ods", "", "");
        row("indexes", "indexes",
            "bunrui_kubun_code,gdai_gcode_day_kubun,gdai_gcode_kubun_day,goods_code,goods_name", "");
        row("insertion order", "order", "20240103,20240101,20240102", "");
        // What the engine itself says it waits for another connection's lock.
        row("busy timeout", "timeout", "1234", "1234ms");
        row("no such table", "error select * from nosuchtable",
            "入力テーブルまたはクエリ 'nosuchtable' が見つかりません。", "");
        row("no such column", "error select nosuchcolumn from goods", "列 'nosuchcolumn' が見つかりません。",
            "");
        row("syntax", "error selec 1", "SQL ステートメントの構文エラーです。", "");
    }

    void engineStatements() {
        const QString check = fetch<QString>("check");
        QString expected = fetch<QString>(TestServer::active() ? "server" : "file");
        if (expected.isEmpty()) expected = fetch<QString>("file");
        TempProgramDir dir;
        Connection& cn = *gcnData;
        const DbEngine& rules = cn.engineRules();
        QStringList got;
        QSqlQuery q(cn.database());
        if (check.startsWith(u"columns ") || check == u"indexes") {
            QVERIFY(q.prepare(check == u"indexes" ? rules.indexNamesQuery() : rules.columnsQuery()));
            if (check != u"indexes") q.addBindValue(check.mid(8));
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
            while (q.next())
                got << q.value(0).toString();
        } else if (check == u"order") {
            for (int day : {20240103, 20240101, 20240102})
                dir.addLedger("1", day, 1, 1);
            got << dir.rows("select day from gdai order by " + rules.insertionOrderColumn());
        } else if (check == u"timeout") {
            cn.setBusyTimeout(1234);
            got << dir.scalar(TestServer::active() ? "show lock_timeout" : "pragma busy_timeout");
        } else {
            try {
                cn.Execute(check.mid(6));
            } catch (const DbError& e) {
                got << e.description().section(u" ("_s, 0, 0);
            }
        }
        QCOMPARE(got.join(u','), expected);
    }

    // The second engine: the statements as PostgreSQL takes them, zanmo.ini's server keys, text
    // compared as on SQLite (both runs), and moving a database to a server and back (server run).
    void dialect_data() {
        cols<QString, QString>("jet", "postgres");
        row("delete star", "delete * from gdai where day=1", "delete from gdai where day=1");
        row("derived table named", "select na from (select name as na from goods) where na='x'",
            "select na from (select name as na from goods) as zanmo_dt1 where na='x'");
        row("derived tables nested", "select * from (select n from (select name as n from goods) group by n)",
            "select * from (select n from (select name as n from goods) as zanmo_dt1 group by n) as "
            "zanmo_dt2");
        row("before a comma", "select * from (select 1 as x),goods",
            "select * from (select 1 as x) as zanmo_dt1,goods");
        row("union inside",
            "select n from (select name as n from goods union all select name from goods) order by n",
            "select n from (select name as n from goods union all select name from goods) as zanmo_dt1 order "
            "by n");
        row("a parenthesis inside a literal",
            "select * from (select name from goods where name=')') where 1=1",
            "select * from (select name from goods where name=')') as zanmo_dt1 where 1=1");
        row("a pattern's backslash is no escape",
            "select * from goods where name like '%a\\b%' and kana Like'x'",
            "select * from goods where name like '%a\\b%' ESCAPE '' and kana Like'x' ESCAPE ''");
        // Left as they are: own aliases, a parenthesised join, a condition's subquery, text that looks
        // like SQL, an escape of its own, like inside a literal.
        for (const char* same :
             {"select * from (select 1 as x) dummy,goods", "select * from ( select 1 as x ) AS d",
              "select * from (gdai inner join goods on gdai.gcode=goods.code)",
              "select * from goods where code in (select gcode from gdai)",
              "select * from goods where name='from (select 1)' or name='delete * from'",
              "select * from goods where name like 'a!%' escape '!'",
              "select * from goods where name='x like ''y''' or unlike = 1"})
            row(same, same, same);
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
        const QString kind = fetch<QString>("case");
        TempProgramDir dir(kind == u"table" || kind == u"column");
        QFile file(dir.dataFile());
        if (kind == u"file"_s) file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        if (kind == u"folder"_s)
            QFile(dir.path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (kind == u"mode"_s) dir.writeIni(u"[zanmo]\ndbmode=7\n"_s);
        if (kind == u"garbage"_s) dir.writeIni(QString::fromLatin1(QByteArray(300, '\x9f')) + u"=[[\n\x01"_s);
        if (kind == u"table" || kind == u"column")
            dir.exec(kind == u"table" ? u"drop table goods"_s
                                      : u"alter table sysfile drop column stankakbn"_s);
        fnCloseDB();
        const QByteArray before = digestOf(dir.dataFile());
        ScriptedDialogs dialogs;
        const bool opened = fnCheckDataFile() && fnOpenDB() && fnCheckDatabaseLayout();
        QFile(dir.path())
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const QString expected = fetch<QString>("message");
        QVERIFY(opened == expected.isEmpty() && (gcnData != nullptr) == expected.isEmpty());
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
            screen.Execute(u"insert into gdai values ('a', %1, 0, 0, 0, 1)"_s.arg(n));
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

QTEST_MAIN(TestDatabase)
#include "tst_database.moc"

#include "TempProgramDir.h"
#include "TestServer.h"

#include "data/Connection.h"
#include "data/DbError.h"
#include "data/Schema.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"
#include "data/basSettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>
#include <cmath>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// A fixture statement that fails makes the test fail where it stands, naming the statement.
[[noreturn]] void fixtureFailure(const QString& sql, const QString& error) {
    const QByteArray msg = ("fixture SQL failed: " + sql + "\n  " + error).toUtf8();
    if (QTest::currentTestFunction()) {
        QTest::qFail(msg.constData(), __FILE__, __LINE__);
        throw std::runtime_error(msg.toStdString());
    }
    qFatal("%s", msg.constData());
}

QString fieldText(const QVariant& v) {
    if (v.isNull()) return QString();
    if (v.metaType().id() != QMetaType::Double) return v.toString();
    const double d = v.toDouble();
    return d == std::floor(d) && std::fabs(d) < 1e15 ? QString::number(d, 'f', 1)
                                                     : QString::number(d, 'g', 15);
}

QString padCode(const QString& code) {
    return (QString(12, u' ') + code.trimmed()).right(12);
}

} // namespace

// The server's databases of this test program, kept for the next folder: a new database per
// folder cost the server half most of its time. A database handed out again is emptied first
// (its schema made anew, its settings reset, whatever still holds it let go).
static QStringList& pooledDatabases() {
    static QStringList free;
    return free;
}

static QString takeServerDatabase() {
    QStringList& free = pooledDatabases();
    static bool dropAtExit = false;
    if (!dropAtExit) {
        dropAtExit = true;
        qAddPostRoutine([] {
            for (const QString& name : std::as_const(pooledDatabases()))
                TestServer::dropDatabase(name);
        });
    }
    if (free.isEmpty()) return TestServer::createDatabase();
    const QString name = free.takeLast();
    Connection cn;
    cn.Open(TestServer::connectString(name));
    cn.Execute(u"SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
               "current_database() AND pid <> pg_backend_pid()"_s);
    cn.Execute(u"ALTER DATABASE "_s + name + u" RESET ALL"_s);
    cn.Execute(u"DROP SCHEMA public CASCADE"_s);
    cn.Execute(u"CREATE SCHEMA public"_s);
    return name;
}

TempProgramDir::TempProgramDir(bool openShared, bool createDatabase) {
    if (!m_dir.isValid()) qFatal("TempProgramDir: cannot create a temporary folder");
    try {
        if (createDatabase && TestServer::active()) {
            m_server = takeServerDatabase();
            writeIni(u"[zanmo]\n"_s + TestServer::iniLines(m_server));
            Connection cn;
            cn.Open(TestServer::connectString(m_server));
            Schema::createOnServer(cn);
        } else if (createDatabase) {
            Schema::createDatabase(dataFile());
        }
    } catch (const DbError& e) {
        qFatal("TempProgramDir: %s", qPrintable(e.description()));
    }
    m_previousFolder = fnProgramFolder();
    fnSetProgramFolder(m_dir.path());
    if (openShared && !fnOpenDB())
        qFatal("TempProgramDir: the shared connection did not open on %s", qPrintable(dataFile()));
    // Fixture rows need no flush to disk per statement; the file is thrown away after the test.
    if (openShared && m_server.isEmpty()) gcnData->Execute(u"PRAGMA synchronous=OFF"_s);
}

TempProgramDir::~TempProgramDir() {
    fnCloseDB();
    if (!m_server.isEmpty()) pooledDatabases() << m_server;
    fnSetProgramFolder(m_previousFolder == QCoreApplication::applicationDirPath() ? QString()
                                                                                  : m_previousFolder);
}

QString TempProgramDir::dataFile() const {
    return m_dir.path() + u"/data1.dat"_s;
}

void TempProgramDir::exec(const QString& sql) const {
    if (!gcnData || gcnData->State() != 1) fixtureFailure(sql, u"the shared connection is not open"_s);
    try {
        gcnData->Execute(sql);
    } catch (const DbError& e) {
        fixtureFailure(sql, e.description());
    }
}

void TempProgramDir::exec(const QStringList& sqls) const {
    for (const QString& s : sqls)
        exec(s);
}

// The query's rows on the shared connection; a failure fails the test.
static Recordset fixtureRows(const QString& sql) {
    if (!gcnData || gcnData->State() != 1) fixtureFailure(sql, u"the shared connection is not open"_s);
    Recordset rec;
    try {
        rec.openStatic(*gcnData, sql);
    } catch (const DbError& e) {
        fixtureFailure(sql, e.description());
    }
    return rec;
}

QString TempProgramDir::scalar(const QString& sql) const {
    const Recordset rec = fixtureRows(sql);
    if (rec.Eof() || rec.fieldCount() == 0) return QString();
    const QVariant v = rec.Fields(0);
    return v.isNull() ? QString() : v.toString();
}

QString TempProgramDir::rowsOf(Recordset& rec, const QString& fieldSep, const QString& rowSep) {
    QStringList lines;
    for (; !rec.Eof(); rec.MoveNext()) {
        QStringList fields;
        for (int i = 0; i < rec.fieldCount(); ++i)
            fields << fieldText(rec.Fields(i));
        lines << fields.join(fieldSep);
    }
    return lines.join(rowSep);
}

QString TempProgramDir::rows(const QString& sql, const QString& fieldSep, const QString& rowSep) const {
    Recordset rec = fixtureRows(sql);
    return rowsOf(rec, fieldSep, rowSep);
}

QString TempProgramDir::rowsOn(Connection& cn, const QString& sql, const QString& fieldSep,
                               const QString& rowSep) {
    Recordset rec;
    rec.openStatic(cn, sql);
    return rowsOf(rec, fieldSep, rowSep);
}

QString TempProgramDir::fileConnectString(const QString& file) {
    return u"provider=Microsoft.Jet.OLEDB.4.0;Data Source="_s + file + u";Jet OLEDB:Database Password="_s +
           QLatin1String(kDbPassword);
}

void TempProgramDir::holdWriteLock(Connection& other) const {
    try {
        other.Open(fnConnectString(fnGetDbMode(), QLatin1String(kDataFileName)));
        // SQLite: the database's write lock. The server: no row of the ledger can be locked or added.
        if (other.engine() == SqlEngine::Postgres) {
            other.Execute(u"BEGIN"_s);
            other.Execute(u"LOCK TABLE gdai IN EXCLUSIVE MODE"_s);
        } else {
            other.Execute(u"BEGIN IMMEDIATE"_s);
        }
    } catch (const DbError& e) {
        fixtureFailure(u"write lock"_s, e.description());
    }
}

QString TempProgramDir::insertionOrder() {
    return gcnData ? gcnData->engineRules().insertionOrderColumn()
                   : DbEngine::byDefault().insertionOrderColumn();
}

QString TempProgramDir::typedValue(const QString& sql) const {
    const Recordset rec = fixtureRows(sql);
    if (rec.Eof()) return QString();
    const QVariant v = rec.Fields(0);
    QString kind = u"text"_s;
    if (v.isNull())
        kind = u"null"_s;
    else if (v.metaType().id() == QMetaType::Double)
        kind = u"real"_s;
    else if (v.metaType().id() == QMetaType::Int || v.metaType().id() == QMetaType::LongLong)
        kind = u"integer"_s;
    return kind + u':' + fieldText(v);
}

QString TempProgramDir::schemaNames() const {
    const bool server = gcnData && gcnData->engine() == SqlEngine::Postgres;
    return rows(server ? u"select name from (select tablename as name from pg_tables where schemaname = "
                         "current_schema() union all select indexname from pg_indexes where "
                         "schemaname = current_schema()) order by name"_s
                       : u"select name from sqlite_master order by name"_s,
                QString(), u","_s);
}

void TempProgramDir::addCategory(int code, const QString& name) const {
    exec(u"insert into bunrui (kubun, code, name, jun) values (4, %1, '%2', %1)"_s.arg(QString::number(code),
                                                                                       fnSqlText(name)));
}

void TempProgramDir::addGoods(const QString& code, const QString& name, int bunrui, int zkubun, int stop,
                              const QString& kana) const {
    exec(u"insert into goods (code, name, kana, sname, skana, unit, tanka1, tanka2, tanka3, bunrui, gkubun, "
         "tkubun, zkubun, stop, stanka, kakuho) values ('%1', '%2', '%3', '%4', '%5', '個', 0, 0, 0, %6, 0, "
         "0, %7, %8, 0, 0)"_s.arg(fnSqlText(padCode(code)), fnSqlText(name), fnSqlText(kana),
                                  fnSqlText(QString(name).remove(u'-')),
                                  fnSqlText(QString(kana).remove(u'-')), QString::number(bunrui),
                                  QString::number(zkubun), QString::number(stop)));
}

void TempProgramDir::addLedger(const QString& code, int day, int kubun, double suu, int denno,
                               int line) const {
    exec(u"insert into gdai (gcode, day, kubun, denno, line, suu) values ('%1', %2, %3, %4, %5, %6)"_s.arg(
        fnSqlText(padCode(code)), QString::number(day), QString::number(kubun), QString::number(denno),
        QString::number(line), QString::number(suu, 'g', 15)));
}

void TempProgramDir::writeIni(const QString& text) const {
    QFile f(m_dir.path() + u"/zanmo.ini"_s);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("TempProgramDir: cannot write zanmo.ini");
    f.write(text.toUtf8());
}

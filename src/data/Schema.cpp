#include "data/Schema.h"

#include "data/Connection.h"
#include "data/ConnectionShared.h"
#include "data/DbError.h"
#include "data/Recordset.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <QDateTime>
#include <QDirIterator>
#include <QSysInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace Schema {

QStringList indexStatements() {
    return {
        QStringLiteral("CREATE INDEX IF NOT EXISTS gdai_gcode_day_kubun ON gdai (gcode, day, kubun)"),
        // Covers the per-goods sums of the stock engine and the stock list without touching the table.
        QStringLiteral(
            "CREATE INDEX IF NOT EXISTS gdai_gcode_kubun_day ON gdai (gcode, kubun, day, denno, suu)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS goods_code ON goods (code)"),
        // The goods lookup's name search and its order by name.
        QStringLiteral("CREATE INDEX IF NOT EXISTS goods_name ON goods (name)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS bunrui_kubun_code ON bunrui (kubun, code)"),
    };
}

QStringList createStatements() {
    // Text compares case-insensitively, as the suite's Jet database did.
    return QStringList{
               QStringLiteral("CREATE TABLE gdai ("
                              "gcode VARCHAR(12) COLLATE NOCASE, "
                              "day INTEGER, "
                              "kubun INTEGER, "
                              "denno INTEGER, "
                              "line INTEGER, "
                              "suu REAL)"),
               QStringLiteral("CREATE TABLE goods ("
                              "code VARCHAR(12) COLLATE NOCASE, "
                              "name VARCHAR(60) COLLATE NOCASE, "
                              "kana VARCHAR(60) COLLATE NOCASE, "
                              "sname VARCHAR(60) COLLATE NOCASE, "
                              "skana VARCHAR(60) COLLATE NOCASE, "
                              "unit VARCHAR(10) COLLATE NOCASE, "
                              "tanka1 REAL, "
                              "tanka2 REAL, "
                              "tanka3 REAL, "
                              "bunrui INTEGER, "
                              "gkubun INTEGER, "
                              "tkubun INTEGER, "
                              "zkubun INTEGER, "
                              "stop INTEGER, "
                              "stanka REAL, "
                              "kakuho INTEGER)"),
               QStringLiteral("CREATE TABLE bunrui ("
                              "kubun INTEGER, "
                              "code INTEGER, "
                              "name VARCHAR(40) COLLATE NOCASE, "
                              "jun INTEGER)"),
               QStringLiteral("CREATE TABLE sysfile ("
                              "id INTEGER, "
                              "gno INTEGER, "
                              "maxline INTEGER, "
                              "stankakbn INTEGER)"),
               QStringLiteral("CREATE TABLE operatlog ("
                              "pcname VARCHAR(40), "
                              "username VARCHAR(40), "
                              "naiyou VARCHAR(80), "
                              "kubun INTEGER, "
                              "nitiji TEXT, "
                              "syousai VARCHAR(50))"),
           } +
           indexStatements();
}

QStringList tableNames() {
    return {QStringLiteral("sysfile"), QStringLiteral("bunrui"), QStringLiteral("goods"),
            QStringLiteral("gdai"), QStringLiteral("operatlog")};
}

namespace {
QString sysfileRow(int gno, int maxline, int stankakbn) {
    return QStringLiteral("INSERT INTO sysfile (id, gno, maxline, stankakbn) VALUES (1, %1, %2, %3)")
        .arg(gno)
        .arg(maxline)
        .arg(stankakbn);
}
} // namespace

void createOnServer(Connection& cn, int gno, int maxline, int stankakbn) {
    QStringList present;
    {
        Recordset rec;
        rec.openStatic(cn,
                       QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = "
                                      "current_schema() ORDER BY table_name"));
        for (; !rec.Eof(); rec.MoveNext()) {
            const QString t = rec.Fields(0).toString();
            if (tableNames().contains(t)) present << t;
        }
    }
    if (!present.isEmpty())
        throw DbError(QStringLiteral("サーバー '") + cn.filePath() + QStringLiteral("' にはテーブル ") +
                      present.join(QStringLiteral(", ")) + QStringLiteral(" が既に存在します。"));
    // Inside the caller's transaction when there is one, so what it then adds goes with it.
    const bool own = !cn.inTransaction();
    if (own) cn.BeginTrans();
    try {
        for (const QString& s : cn.engineRules().schemaStatements(createStatements()))
            cn.Execute(s);
        cn.Execute(sysfileRow(gno, maxline, stankakbn));
        if (own) cn.CommitTrans();
    } catch (const DbError&) {
        if (own) cn.RollbackTrans(); // nothing half-made stays on the server
        throw;
    }
}

namespace {
// In a group-writable folder (a shop's shared one) a new database is group-writable too, whatever
// the umask: every user of the group saves into it. SQLite gives the -journal, -wal and -shm files
// it makes later the database file's own permissions, so they follow.
void shareWithFolderGroup(const QString& file) {
    struct stat folder {};
    struct stat own {};
    const QByteArray path = QFile::encodeName(file);
    const QByteArray dir = QFile::encodeName(QFileInfo(file).absolutePath());
    if (::stat(dir.constData(), &folder) != 0 || !(folder.st_mode & S_IWGRP)) return;
    if (::stat(path.constData(), &own) != 0) return;
    const mode_t wanted = (own.st_mode & 07777) | S_IRGRP | S_IWGRP;
    if (wanted != (own.st_mode & 07777)) ::chmod(path.constData(), wanted);
}
} // namespace

void createDatabase(const QString& filePath, int gno, int maxline, int stankakbn) {
    const QFileInfo info(filePath);
    if (info.exists())
        throw DbError(QStringLiteral("ファイル '") + QDir::toNativeSeparators(info.absoluteFilePath()) +
                      QStringLiteral("' は既に存在します。"));
    if (!info.dir().exists())
        throw DbError(QStringLiteral("'") + QDir::toNativeSeparators(info.absolutePath()) +
                      QStringLiteral("' は正しいパスではありません。"));

    static QAtomicInt seq;
    const QString name = QStringLiteral("zanmo-create-%1").arg(seq.fetchAndAddRelaxed(1) + 1);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(info.absoluteFilePath());
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            QSqlQuery q(db);
            // One file and no journal beside it, so the file can be moved into place whole; the
            // program picks the journal when it opens it.
            QStringList statements = {QStringLiteral("PRAGMA journal_mode=DELETE"), QStringLiteral("BEGIN")};
            statements += createStatements();
            statements << sysfileRow(gno, maxline, stankakbn) << QStringLiteral("COMMIT");
            for (const QString& s : statements) {
                if (!q.exec(s)) {
                    failure = q.lastError().text();
                    break;
                }
            }
            q.finish();
            shareWithFolderGroup(info.absoluteFilePath());
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty()) {
        // A half-made file would pass for the suite's database later.
        QFile::remove(info.absoluteFilePath());
        QFile::remove(info.absoluteFilePath() + QStringLiteral("-wal"));
        QFile::remove(info.absoluteFilePath() + QStringLiteral("-shm"));
        throw DbError(QStringLiteral("データベース '") + QDir::toNativeSeparators(info.absoluteFilePath()) +
                      QStringLiteral("' を作成できませんでした。 (") + failure + QLatin1Char(')'));
    }
}

namespace {
const QList<QPair<QString, QStringList>>& programTables() {
    static const QList<QPair<QString, QStringList>> tables = {
        {QStringLiteral("gdai"), {"gcode", "day", "kubun", "denno", "line", "suu"}},
        {QStringLiteral("goods"),
         {"code", "name", "kana", "sname", "skana", "unit", "tanka1", "tanka2", "tanka3", "bunrui", "gkubun",
          "tkubun", "zkubun", "stop", "stanka", "kakuho"}},
        {QStringLiteral("bunrui"), {"kubun", "code", "name", "jun"}},
        {QStringLiteral("sysfile"), {"id", "gno", "maxline", "stankakbn"}},
        {QStringLiteral("operatlog"), {"pcname", "username", "naiyou", "kubun", "nitiji", "syousai"}},
    };
    return tables;
}
} // namespace

QStringList columnsOf(const QString& table) {
    for (const auto& [name, columns] : programTables())
        if (name == table) return columns;
    return {};
}

QStringList missingParts(Connection& cn) {
    const auto& tables = programTables();
    QStringList missing;
    QSqlQuery q(cn.database());
    if (!q.prepare(cn.engineRules().columnsQuery())) throw DbError(fnProviderErrorText(q.lastError()));
    for (const auto& [table, columns] : tables) {
        q.bindValue(0, table);
        if (!q.exec()) throw DbError(fnProviderErrorText(q.lastError()));
        QStringList present;
        while (q.next())
            present << q.value(0).toString().toLower();
        if (present.isEmpty()) {
            missing << table;
            continue;
        }
        for (const QString& c : columns)
            if (!present.contains(c)) missing << table + u'.' + c;
    }
    return missing;
}

void publishDatabase(const QString& built, const QString& filePath) {
    const QByteArray from = QFile::encodeName(built);
    const QByteArray to = QFile::encodeName(filePath);
    // A hard link never replaces an existing file, so a data1.dat made meanwhile is kept.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return;
    }
    const int error = errno;
    if (error == EEXIST)
        throw DbError(QStringLiteral("ファイル '") + QDir::toNativeSeparators(filePath) +
                      QStringLiteral("' は既に存在します。"));
    // File systems without hard links: a rename, after one more look.
    if (!QFileInfo::exists(filePath) && ::rename(from.constData(), to.constData()) == 0) return;
    throw DbError(QStringLiteral("データベース '") + QDir::toNativeSeparators(filePath) +
                  QStringLiteral("' を作成できませんでした。 (") +
                  QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char(')'));
}

// ".data1.dat.PID@HOST.building": the host, because a shared folder may see builds of other PCs.
QString buildFileFor(const QString& filePath) {
    const QFileInfo info(filePath);
    return info.absoluteDir().filePath(QStringLiteral(".%1.%2@%3.building")
                                           .arg(info.fileName())
                                           .arg(QCoreApplication::applicationPid())
                                           .arg(QSysInfo::machineHostName()));
}

int removeAbandonedBuilds(const QString& folder) {
    // Also the form before the host was named (".data1.dat.PID.building").
    static const QRegularExpression built(
        QStringLiteral("^\\..+\\.(\\d+)(@(.*))?\\.building(-journal|-wal|-shm)?$"));
    const QString host = QSysInfo::machineHostName();
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    int removed = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        const auto m = built.match(it.fileName());
        if (!m.hasMatch()) continue;
        const qint64 pid = m.captured(1).toLongLong();
        bool abandoned;
        if (m.captured(2).isEmpty() || m.captured(3) != host) {
            // Another PC's (or an old) build: only when nothing wrote to it for a day.
            abandoned = it.fileInfo().lastModified() < dayAgo;
        } else {
            abandoned = pid != QCoreApplication::applicationPid() &&
                        (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH));
        }
        if (abandoned && QFile::remove(it.filePath())) ++removed;
    }
    return removed;
}

void removeDatabaseFiles(const QString& filePath) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(filePath + QLatin1String(suffix));
}

} // namespace Schema

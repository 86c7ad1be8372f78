#include "data/DatabaseBackup.h"

#include "data/Connection.h"
#include "data/ConnectionShared.h"
#include "data/DbError.h"
#include "data/Schema.h"
#include "data/basSettings.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QAtomicInt g_seq;

QString stamp(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString quotedName(const QString& name) {
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// The SQLite handle under a Qt connection; null when it is none.
sqlite3* handleOf(const QSqlDatabase& db) {
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

int primaryCode(const QSqlError& e) {
    return e.nativeErrorCode().toInt() & 0xff;
}

bool isLockError(const QSqlError& e) {
    return primaryCode(e) == SQLITE_BUSY || primaryCode(e) == SQLITE_LOCKED;
}

// A Qt connection of our own on one file, closed and removed with the object. Never the program's
// connection: these read a backup, build a copy, or look at the live file's locks.
class FileDb {
public:
    FileDb(const QString& path, const QString& options) {
        m_name = QStringLiteral("zanmo-backup-%1").arg(g_seq.fetchAndAddRelaxed(1) + 1);
        QString failure;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
            db.setDatabaseName(path);
            db.setConnectOptions(options);
            if (!db.open()) failure = db.lastError().text();
        }
        if (!failure.isEmpty()) {
            QSqlDatabase::removeDatabase(m_name);
            throw DbError(native(path) + QStringLiteral(": ") + failure);
        }
        m_path = path;
    }
    ~FileDb() {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    FileDb(const FileDb&) = delete;
    FileDb& operator=(const FileDb&) = delete;

    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }
    sqlite3* handle() const { return handleOf(db()); }
    // Runs a statement; false with the error when it fails.
    bool tryExec(const QString& sql, QSqlError* error = nullptr) const {
        QSqlQuery q(db());
        if (q.exec(sql)) return true;
        if (error) *error = q.lastError();
        return false;
    }
    // Every row's first column, joined with '\n'. Throws DbError.
    QString values(const QString& sql) const {
        QSqlQuery q(db());
        if (!q.exec(sql)) throw DbError(native(m_path) + QStringLiteral(": ") + q.lastError().text());
        QStringList out;
        while (q.next())
            out << q.value(0).toString();
        return out.join(u'\n');
    }

private:
    QString m_name;
    QString m_path;
};

QStringList tablesOf(const QSqlDatabase& db) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select name from sqlite_master where type = 'table' and name not like "
                               "'sqlite_%' order by name")))
        throw DbError(fnProviderErrorText(q.lastError()));
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    return names;
}

DatabaseBackup::Counts countsOf(const QSqlDatabase& db, const QStringList& tables) {
    DatabaseBackup::Counts counts;
    for (const QString& table : tables) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("select count(*) from ") + quotedName(table)) || !q.next())
            throw DbError(table + QStringLiteral(": ") + fnProviderErrorText(q.lastError()));
        counts.insert(table, q.value(0).toLongLong());
    }
    return counts;
}

// The whole database `from` into `to` in one step: one read of the source, so one snapshot of it
// (the caller's read transaction, when one is open). The copy keeps a rollback journal, so it is
// one file with no -wal beside it.
void onlineBackup(sqlite3* from, const FileDb& to) {
    sqlite3* dest = to.handle();
    if (!from || !dest) throw DbError(QStringLiteral("the database is not an SQLite file"));
    sqlite3_backup* backup = sqlite3_backup_init(dest, "main", from, "main");
    if (!backup) throw DbError(QString::fromUtf8(sqlite3_errmsg(dest)));
    const int step = sqlite3_backup_step(backup, -1);
    const int finish = sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE)
        throw DbError(QStringLiteral("online backup: ") + QString::fromUtf8(sqlite3_errstr(step)));
    if (finish != SQLITE_OK)
        throw DbError(QStringLiteral("online backup: ") + QString::fromUtf8(sqlite3_errmsg(dest)));
    if (to.values(QStringLiteral("PRAGMA journal_mode=DELETE")) != u"delete")
        throw DbError(QStringLiteral("the copy cannot leave WAL mode"));
}

// integrity_check, and the rows of each table as expected.
void checkFile(const QString& path, const DatabaseBackup::Counts& expected) {
    const FileDb db(path, QString());
    const QString integrity = db.values(QStringLiteral("PRAGMA integrity_check"));
    if (integrity != u"ok") throw DbError(QStringLiteral("integrity_check of the copy: ") + integrity);
    const DatabaseBackup::Counts found = countsOf(db.db(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        if (found.value(it.key()) != it.value())
            throw DbError(QStringLiteral("%1: %2 rows in the source, %3 in the copy")
                              .arg(it.key())
                              .arg(it.value())
                              .arg(found.value(it.key())));
}

// The program's tables and columns the file lacks.
QStringList missingParts(const QSqlDatabase& db) {
    QStringList missing;
    for (const QString& table : Schema::tableNames()) {
        QSqlQuery q(db);
        q.prepare(QStringLiteral("select name from pragma_table_info(?)"));
        q.addBindValue(table);
        if (!q.exec()) throw DbError(fnProviderErrorText(q.lastError()));
        QStringList have;
        while (q.next())
            have << q.value(0).toString().toLower();
        if (have.isEmpty()) {
            missing << table;
            continue;
        }
        for (const QString& column : Schema::columnsOf(table))
            if (!have.contains(column.toLower())) missing << table + u'.' + column;
    }
    return missing;
}

// Our own file (no connection has it open) to disk; a folder's entries likewise.
void syncPath(const QString& path, bool folder) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

void syncFolderOf(const QString& path) {
    syncPath(QFileInfo(path).absolutePath(), true);
}

// A second name for a file, never over an existing one.
void linkNoReplace(const QString& from, const QString& to) {
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
    if (::link(f.constData(), t.constData()) == 0) return;
    const int error = errno;
    if (error == EEXIST) throw DbError(native(to) + QStringLiteral(" exists already"));
    throw DbError(QStringLiteral("cannot keep ") + native(from) + QStringLiteral(" as ") + native(to) +
                  QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error)));
}

// Other processes with any of the files open, as "PID (name)". Only what this user may see of
// /proc; nothing on other computers.
QStringList processesHolding(const QStringList& paths) {
    QStringList found;
    const QString self = QString::number(QCoreApplication::applicationPid());
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : pids) {
        bool number = false;
        pid.toLongLong(&number);
        if (!number || pid == self) continue;
        const QString fdDir = QStringLiteral("/proc/") + pid + QStringLiteral("/fd");
        for (const QString& fd :
             QDir(fdDir).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)) {
            char target[4096];
            const ssize_t n =
                ::readlink(QFile::encodeName(fdDir + u'/' + fd).constData(), target, sizeof target - 1);
            if (n <= 0 || !paths.contains(QFile::decodeName(QByteArray(target, int(n))))) continue;
            QFile comm(QStringLiteral("/proc/") + pid + QStringLiteral("/comm"));
            const QString name =
                comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
            found << pid + QStringLiteral(" (") + name + u')';
            break;
        }
    }
    return found;
}

DbError lockFound(const QString& file, const QString& what) {
    return DbError(native(file) + QStringLiteral(" is in use: ") + what +
                   QStringLiteral("; close every program that works on it and try again"));
}

const char* const kJournals[] = {"-wal", "-journal", "-shm"};

} // namespace

QString DatabaseBackup::targetFile(const QString& target, const QDateTime& when) {
    const QFileInfo info(target);
    if (!info.isDir()) return info.absoluteFilePath();
    const QFileInfo data(QString::fromLatin1(kDataFileName));
    return QDir(info.absoluteFilePath())
        .filePath(data.completeBaseName() + u'-' + stamp(when) + u'.' + data.suffix());
}

void DatabaseBackup::beginSnapshot(Connection& cn) {
    cn.Execute(cn.engineRules().snapshotStatement());
}

DatabaseBackup::Counts DatabaseBackup::countRows(Connection& cn, const QStringList& tables) {
    return countsOf(cn.database(), tables);
}

DatabaseBackup::Counts DatabaseBackup::copyFile(Connection& source, const QString& built) {
    sqlite3* from = handleOf(source.database());
    if (!from) throw DbError(QStringLiteral("the database is not an SQLite file"));
    beginSnapshot(source);
    try {
        // The counts and the copy read the same snapshot: the transaction is open on the source
        // connection, and the backup reads through it in one step.
        const Counts counts = countsOf(source.database(), tablesOf(source.database()));
        {
            const FileDb to(built, QString());
            onlineBackup(from, to);
        }
        source.Execute(QStringLiteral("COMMIT"));
        return counts;
    } catch (const DbError&) {
        source.Execute(QStringLiteral("ROLLBACK"));
        throw;
    }
}

void DatabaseBackup::checkAndPublish(const QString& built, const QString& target, const Counts& expected) {
    checkFile(built, expected);
    syncPath(built, false);
    Schema::publishDatabase(built, target);
    syncFolderOf(target);
}

QString DatabaseBackup::restore(const QString& backup, const QString& file, const QDateTime& when) {
    const QFileInfo source(backup);
    if (!source.isFile()) throw DbError(QStringLiteral("no backup file ") + native(backup));
    const QString live = QFileInfo(file).absoluteFilePath();
    if (!QFileInfo(live).absoluteDir().exists())
        throw DbError(QStringLiteral("no such folder: ") + native(QFileInfo(live).absolutePath()));
    const QString canonical = QFileInfo(live).canonicalFilePath();
    if (!canonical.isEmpty()) {
        for (const char* suffix : {"", "-wal", "-journal", "-shm"})
            if (source.canonicalFilePath() == canonical + QLatin1String(suffix))
                throw DbError(native(backup) + QStringLiteral(" is the database itself"));
    }

    const QString built = Schema::buildFileFor(live);
    Schema::removeDatabaseFiles(built);
    try {
        // The backup copied beside the database and checked there, before anything is replaced.
        Counts counts;
        {
            const FileDb from(backup, QStringLiteral("QSQLITE_OPEN_READONLY"));
            QSqlError error;
            if (!from.tryExec(QStringLiteral("BEGIN"), &error) ||
                !from.tryExec(QStringLiteral("select count(*) from sqlite_master"), &error))
                throw DbError(native(backup) + QStringLiteral(" is no database: ") + error.text());
            const QStringList missing = missingParts(from.db());
            if (!missing.isEmpty())
                throw DbError(native(backup) + QStringLiteral(" lacks ") +
                              missing.join(QStringLiteral(", ")));
            counts = countsOf(from.db(), tablesOf(from.db()));
            const FileDb to(built, QString());
            onlineBackup(from.handle(), to);
            from.tryExec(QStringLiteral("COMMIT"));
        }
        checkFile(built, counts);
        syncPath(built, false);

        if (!QFileInfo::exists(live)) {
            Schema::publishDatabase(built, live);
            syncFolderOf(live);
            return QString();
        }
        const QFileInfo liveInfo(live);
        const QString kept = liveInfo.absoluteDir().filePath(
            liveInfo.completeBaseName() + QStringLiteral("-old-") + stamp(when) + u'.' + liveInfo.suffix());
        if (QFileInfo::exists(kept)) throw DbError(native(kept) + QStringLiteral(" exists already"));

        // Who has the database: SQLite's locks, asked without waiting (busy timeout 0).
        const FileDb db(live, QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        QSqlError error;
        bool database = true; // false: SQLite cannot read it (broken), no lock can be asked
        if (!db.tryExec(QStringLiteral("select count(*) from sqlite_master"), &error)) {
            if (isLockError(error))
                throw lockFound(live,
                                QStringLiteral("a program is saving into it (it holds the exclusive lock: ") +
                                    error.databaseText() + u')');
            database = false;
        }
        if (database && db.values(QStringLiteral("PRAGMA journal_mode")) == u"wal") {
            // Leaving WAL needs the only connection: every program holds a shared lock on a
            // database in WAL mode while it has it open. Alone, the WAL goes into the file.
            QString mode;
            if (!db.tryExec(QStringLiteral("PRAGMA journal_mode=DELETE"), &error) ||
                (mode = db.values(QStringLiteral("PRAGMA journal_mode"))) != u"delete")
                throw lockFound(live, QStringLiteral("a program has it open (the shared lock of WAL mode: ") +
                                          (mode.isEmpty() ? error.databaseText() : mode) + u')');
        }
        if (database && !db.tryExec(QStringLiteral("BEGIN EXCLUSIVE"), &error))
            throw lockFound(live,
                            QStringLiteral("a program is reading or saving (BEGIN EXCLUSIVE refused: ") +
                                error.databaseText() + u')');
        // A program between two saves on a rollback journal holds no lock; one on this computer
        // still has the file open.
        QStringList paths;
        for (const QString& suffix :
             {QString(), QStringLiteral("-wal"), QStringLiteral("-journal"), QStringLiteral("-shm")})
            paths << canonical + suffix;
        if (const QStringList holders = processesHolding(paths); !holders.isEmpty())
            throw lockFound(live, QStringLiteral("process ") + holders.join(QStringLiteral(", ")) +
                                      QStringLiteral(" has it open"));
        // A journal left beside the database belongs to the old file; beside the new one it would
        // be played into it. A readable database has none now; a broken one's go with it.
        if (database) {
            for (const char* suffix : kJournals)
                if (QFileInfo::exists(live + QLatin1String(suffix)))
                    throw lockFound(live, native(live + QLatin1String(suffix)) + QStringLiteral(" is there"));
        }
        linkNoReplace(live, kept);
        for (const char* suffix : kJournals) {
            const QString journal = live + QLatin1String(suffix);
            if (QFileInfo::exists(journal))
                ::rename(QFile::encodeName(journal).constData(),
                         QFile::encodeName(kept + QLatin1String(suffix)).constData());
        }
        // The new file gets the old one's permissions (a shared folder's group may write to it).
        struct stat st {};
        if (::stat(QFile::encodeName(kept).constData(), &st) == 0) {
            ::chmod(QFile::encodeName(built).constData(), st.st_mode & 07777);
            if (::chown(QFile::encodeName(built).constData(), st.st_uid, st.st_gid) != 0) {
                // Only root may give a file away; the permissions are what matter.
            }
        }
        if (::rename(QFile::encodeName(built).constData(), QFile::encodeName(live).constData()) != 0) {
            const int e = errno;
            ::unlink(QFile::encodeName(kept).constData());
            throw DbError(QStringLiteral("cannot move the backup into place: ") +
                          QString::fromLocal8Bit(std::strerror(e)));
        }
        syncFolderOf(live);
        if (database) db.tryExec(QStringLiteral("ROLLBACK"));
        return kept;
    } catch (const DbError&) {
        Schema::removeDatabaseFiles(built);
        throw;
    }
}

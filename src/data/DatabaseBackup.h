#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

class Connection;

// Backups of the suite's database, and a backup put back, while programs may be working on it.
//
// A backup is built aside in the target's folder, checked (integrity_check, and every table's rows
// against the snapshot it was taken from), flushed to disk and only then given its name; an
// existing file is never overwritten. Only SQLite opens a database file: the live database is read
// through SQLite's online backup API on the program's own connection, and a restore finds out
// through SQLite's locks (and the process table) whether a program has the file open.
class DatabaseBackup {
public:
    // Rows of each table, by table name.
    using Counts = QMap<QString, qint64>;

    // The file a backup to `target` writes: `target` itself, or in an existing folder
    // "data1-YYYYMMDD-HHMMSS.dat" of `when`.
    static QString targetFile(const QString& target, const QDateTime& when);
    // Starts on `cn` a read-only transaction that sees one snapshot of the database until it ends.
    // Throws DbError.
    static void beginSnapshot(Connection& cn);
    // The rows of each of `tables` the connection sees. Throws DbError.
    static Counts countRows(Connection& cn, const QStringList& tables);

    // SQLite's online backup of the database file open on `source` into the new file `built`, in
    // one read snapshot of the source: programs go on saving meanwhile (in WAL mode they never
    // wait). Returns the rows of every table in that snapshot. Throws DbError.
    static Counts copyFile(Connection& source, const QString& built);
    // Checks the finished, closed database file `built` (integrity_check; the rows of each table
    // as `expected`), flushes it to disk and moves it to `target`, never over an existing file.
    // Throws DbError; `built` is then left for the caller to remove.
    static void checkAndPublish(const QString& built, const QString& target, const Counts& expected);

    // Puts the backup file `backup` in place of the database file `file`, only when no program has
    // it open: the backup is copied beside it and checked first; the old file is kept as
    // "data1-old-YYYYMMDD-HHMMSS.dat" of `when` (returned; "" when there was none). Throws DbError
    // naming the lock or the process found.
    static QString restore(const QString& backup, const QString& file, const QDateTime& when);
};

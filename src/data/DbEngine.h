#pragma once

#include "data/SqlDialect.h"

#include <QList>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <memory>

class QSqlDatabase;
struct ParsedConnection;

// One statement watched for a server that stops answering; the watch ends with the object.
class StatementWatch {
public:
    virtual ~StatementWatch() = default;
    // The server stayed silent past the limit and the connection was cut.
    virtual bool fired() const = 0;
};

// Everything the data layer does differently on one engine: how a connection opens, the
// statements it writes itself, and how the engine's errors read. One instance per engine lives
// for the whole process, so connections and recordsets keep plain pointers to it.
class DbEngine {
public:
    virtual ~DbEngine() = default;

    static const DbEngine& of(SqlEngine engine);
    // A connection not opened yet is taken for a file.
    static const DbEngine& byDefault();
    // The engine taking a connection text's provider; null when none does.
    static const DbEngine* forProvider(const QString& provider);
    // The engine an error came from, told by the form of its native code.
    static const DbEngine& ofError(const QSqlError& error);

    virtual SqlEngine id() const = 0;

    // Opening.
    virtual bool takesProvider(const QString& provider) const = 0;
    // The provider's own rules on the other parts of the text. Throws DbError.
    virtual void checkParts(const ParsedConnection& parsed) const = 0;
    // What the text points at: a file path, or "postgresql://user@host:port/name".
    virtual QString location(const ParsedConnection& parsed) const = 0;
    // Adds the Qt connection `name` and opens it; returns why it failed ("" when open). Throws
    // DbError, before adding it, for a location that cannot hold a database.
    virtual QString open(const QString& name, const ParsedConnection& parsed, const QString& where,
                         int busyTimeoutMs) const = 0;
    // True when the server would take the connection but for a password none was given for (in
    // the text, PGPASSWORD or ~/.pgpass).
    virtual bool needsPassword(const ParsedConnection&) const { return false; }
    // How long a statement waits for another connection's lock.
    virtual void applyBusyTimeout(const QSqlDatabase& db, int milliseconds) const = 0;
    // How long a statement may run on the server before the server cancels it (0: no limit).
    virtual void applyStatementTimeout(const QSqlDatabase&, int) const {}

    // True when a change made outside a transaction is better sent in one of its own: on a server
    // that stops answering, an autocommit statement may still take effect after the program gave
    // it up, while a transaction not yet committed is undone.
    virtual bool changesInOwnTransaction() const { return false; }
    // True while the session is inside a transaction block, however it was begun.
    virtual bool inTransactionBlock(const QSqlDatabase&) const { return false; }
    // A lost connection (a server's; a file's connection is never lost).
    // False when the server ended the connection while it stood idle (a restart) or it broke.
    virtual bool stillConnected(const QSqlDatabase&) const { return true; }
    // The connection of a failed statement is gone: the server ended it, or it broke.
    virtual bool connectionLost(const QSqlDatabase&, const QSqlError&) const { return false; }
    // Opens the closed connection `name` again, as open() did; returns why it failed ("" when open).
    virtual QString reopen(const QString& name, const QString& where) const;
    // While the result lives, a statement on `db` that gets no answer for `milliseconds` has its
    // connection cut, so it fails instead of waiting for ever. Null where nothing needs watching.
    virtual std::unique_ptr<StatementWatch> watch(const QSqlDatabase&, int) const { return nullptr; }

    // What the user reads when a server is lost, in plain words naming it (`where`).
    // It cannot be reached (again); `reason` is the engine's own words.
    static QString serverAwayText(const QString& where, const QString& reason);
    // It did not answer for `seconds` and the statement was given up; reached again or not.
    static QString serverSilentText(const QString& where, int seconds, bool reachedAgain);
    // The connection ended during the statement and was opened again.
    static QString connectionLostText(const QString& where, const QString& reason);
    // The connection ended while a save was being committed and the server cannot be asked.
    static QString commitUnknownText(const QString& where);

    // Statements.
    virtual QString fromJet(const QString& sql) const = 0;
    // Provider-style Japanese text of an error, the engine's own words in brackets.
    virtual QString errorText(const QSqlError& error) const = 0;
    virtual bool ownsError(const QSqlError& error) const = 0;

    // The editable recordset. A row's address, which Update writes to.
    virtual QString rowAddress() const = 0;
    // First step of the write lock when no transaction is open.
    virtual QString beginEditStatement() const = 0;
    // Appended to the cursor's select: locks the rows it reads ("" when the begin did).
    virtual QString rowLockClause() const = 0;
    // Locks one bound text (the table and condition) until the transaction ends; "" when the
    // begin locked everything already.
    virtual QString keyLockStatement() const = 0;
    // A table name as the catalogue holds it.
    virtual QString foldedName(const QString& name) const = 0;
    // Appended to UPDATE and INSERT so the written row and its new address come back under
    // `alias`; "" when they are read back by address.
    virtual QString returningClause(const QString& alias) const = 0;
    // Name and declared type of each column of the table bound to its one placeholder.
    virtual QString columnsQuery() const = 0;

    // Schema and tools.
    // The engine's CREATE statements for the tables as SQLite declares them.
    virtual QStringList schemaStatements(const QStringList& sqliteForms) const = 0;
    // The names of the indexes of the database, sorted.
    virtual QString indexNamesQuery() const = 0;
    // The column that orders a table's rows as they were added.
    virtual QString insertionOrderColumn() const { return rowAddress(); }
    // Begins a read-only transaction whose every statement sees one snapshot of the database, what
    // others commit meanwhile left out (a backup, a copy). SQLite's read transaction is one already.
    virtual QString snapshotStatement() const { return QStringLiteral("BEGIN"); }
    // Around one bulk load into a new database that is removed if it fails.
    virtual QStringList bulkLoadStatements() const = 0;
    virtual QStringList afterBulkLoadStatements() const = 0;
    // After a database was filled in bulk (a copy, generate): fresh statistics for the planner of
    // `tables`, so the first reports need not wait for the server's autovacuum.
    virtual QStringList statisticsStatements(const QStringList&) const { return {}; }

protected:
    enum class Failure { Locked, Syntax, NoTable, NoColumn, ReadOnly, TimedOut, Other };
    // The same texts on every engine; `raw` is the engine's own words.
    static QString providerText(Failure failure, const QString& name, const QString& raw);
    static QString nativeText(const QSqlError& error);

private:
    static QList<const DbEngine*> all();
};

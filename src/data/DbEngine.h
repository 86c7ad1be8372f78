#pragma once

#include "data/SqlDialect.h"

#include <QList>
#include <QSqlError>
#include <QString>
#include <QStringList>

class QSqlDatabase;
struct ParsedConnection;

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
    // How long a statement waits for another connection's lock.
    virtual void applyBusyTimeout(const QSqlDatabase& db, int milliseconds) const = 0;

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

protected:
    enum class Failure { Locked, Syntax, NoTable, NoColumn, ReadOnly, Other };
    // The same texts on every engine; `raw` is the engine's own words.
    static QString providerText(Failure failure, const QString& name, const QString& raw);
    static QString nativeText(const QSqlError& error);

private:
    static QList<const DbEngine*> all();
};

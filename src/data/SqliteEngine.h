#pragma once

#include "data/DbEngine.h"

// The file engine: data1.dat through SQLite, named by the Jet provider's connection text.
class SqliteEngine : public DbEngine {
public:
    SqlEngine id() const override { return SqlEngine::Sqlite; }

    bool takesProvider(const QString& provider) const override;
    void checkParts(const ParsedConnection& parsed) const override;
    QString location(const ParsedConnection& parsed) const override;
    QString open(const QString& name, const ParsedConnection& parsed, const QString& where,
                 int busyTimeoutMs) const override;
    void applyBusyTimeout(const QSqlDatabase& db, int milliseconds) const override;

    QString fromJet(const QString& sql) const override;
    QString errorText(const QSqlError& error) const override;
    bool ownsError(const QSqlError& error) const override;

    QString rowAddress() const override;
    QString beginEditStatement() const override;
    QString rowLockClause() const override;
    QString keyLockStatement() const override;
    QString foldedName(const QString& name) const override;
    QString returningClause(const QString& alias) const override;
    QString columnsQuery() const override;

    QStringList schemaStatements(const QStringList& sqliteForms) const override;
    QString indexNamesQuery() const override;
    QStringList bulkLoadStatements() const override;
    QStringList afterBulkLoadStatements() const override;
};

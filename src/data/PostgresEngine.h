#pragma once

#include "data/DbEngine.h"

// The server engine: PostgreSQL, named by "Provider=PostgreSQL;Host=..;Port=..;Database=..;User ID=..".
class PostgresEngine : public DbEngine {
public:
    SqlEngine id() const override { return SqlEngine::Postgres; }

    bool takesProvider(const QString& provider) const override;
    void checkParts(const ParsedConnection& parsed) const override;
    QString location(const ParsedConnection& parsed) const override;
    QString open(const QString& name, const ParsedConnection& parsed, const QString& where,
                 int busyTimeoutMs) const override;
    void applyBusyTimeout(const QSqlDatabase& db, int milliseconds) const override;
    void applyStatementTimeout(const QSqlDatabase& db, int milliseconds) const override;
    bool needsPassword(const ParsedConnection& parsed) const override;

    bool changesInOwnTransaction() const override { return true; }
    bool inTransactionBlock(const QSqlDatabase& db) const override;
    bool stillConnected(const QSqlDatabase& db) const override;
    bool connectionLost(const QSqlDatabase& db, const QSqlError& error) const override;
    QString reopen(const QString& name, const QString& where) const override;
    std::unique_ptr<StatementWatch> watch(const QSqlDatabase& db, int milliseconds) const override;

    // libpq's connection options of every connection (timeouts, keepalives), as Qt takes them.
    static const char* const kConnectOptions;

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
    QString snapshotStatement() const override {
        return QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY");
    }
    QStringList statisticsStatements(const QStringList& tables) const override;
};

#pragma once

#include <QByteArray>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <vector>

class Connection;
struct sqlite3_stmt;

// Many rows into one table as fast as the engine takes them, inside the caller's transaction: on
// SQLite one prepared statement bound value by value through SQLite itself (the SQL driver's
// per-value binding costs more than SQLite's own work), on the server statements of a few hundred
// rows of literals. Values of a row are added in column order, then endRow(); finish() sends what
// is left. Failures throw DbError.
class BulkInsert {
public:
    BulkInsert(Connection& cn, const QString& table, const QStringList& columns);
    ~BulkInsert();
    BulkInsert(const BulkInsert&) = delete;
    BulkInsert& operator=(const BulkInsert&) = delete;

    void text(const QString& value);
    void integer(qint64 value);
    void real(double value, int decimals);
    void endRow();
    void finish();

private:
    static constexpr int kBatchRows = 500;    // a server statement's rows
    static constexpr int kStatementRows = 64; // rows a prepared SQLite statement binds at once
    struct Value {
        enum Kind { Text, Integer, Real } kind = Integer;
        QByteArray text;
        qint64 integer = 0;
        double real = 0;
    };
    void check(int rc);
    void sendBatch();
    void separate();
    void stepRows(sqlite3_stmt* stmt, int rows);

    sqlite3_stmt* m_stmt = nullptr;   // kStatementRows rows
    sqlite3_stmt* m_single = nullptr; // one row, for the last few
    int m_columns = 0;
    int m_column = 0;
    std::vector<Value> m_pending; // the values of the rows not sent yet
    QSqlQuery m_query;
    QString m_head;
    QString m_sql;
    int m_rows = 0;
};

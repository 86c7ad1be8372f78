#pragma once

#include <QByteArray>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

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
    static constexpr int kBatchRows = 500;
    void check(int rc);
    void sendBatch();
    void separate();

    sqlite3_stmt* m_stmt = nullptr;
    int m_column = 0;
    QByteArray m_textBuffer; // the bound texts live until the row is stepped
    QSqlQuery m_query;
    QString m_head;
    QString m_sql;
    int m_rows = 0;
};

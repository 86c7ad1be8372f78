#include "data/BulkInsert.h"

#include "data/Connection.h"
#include "data/ConnectionShared.h"
#include "data/DbError.h"
#include "data/SqlDialect.h"

#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

namespace {

sqlite3* sqliteHandle(const QSqlDatabase& db) {
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(v.constData());
}

} // namespace

BulkInsert::BulkInsert(Connection& cn, const QString& table, const QStringList& columns)
    : m_query(cn.database()) {
    const QString head = QStringLiteral("insert into ") + table + QStringLiteral(" (") +
                         columns.join(QStringLiteral(", ")) + QStringLiteral(") values ");
    if (cn.engine() == SqlEngine::Sqlite) {
        if (sqlite3* db = sqliteHandle(cn.database())) {
            // Many rows a statement: each statement run costs as much as a few rows' work.
            m_columns = int(columns.size());
            QStringList marks;
            for (int i = 0; i < columns.size(); ++i)
                marks << QStringLiteral("?");
            const QString row = u'(' + marks.join(u',') + u')';
            QStringList rows;
            for (int i = 0; i < kStatementRows; ++i)
                rows << row;
            for (auto [stmt, values] : {std::pair{&m_stmt, rows.join(u',')}, std::pair{&m_single, row}}) {
                const QByteArray sql = (head + values).toUtf8();
                if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), stmt, nullptr) != SQLITE_OK)
                    throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
            }
            m_pending.reserve(size_t(kStatementRows * m_columns));
            return;
        }
    }
    m_head = head;
    m_sql.reserve(kBatchRows * 64);
}

BulkInsert::~BulkInsert() {
    if (m_stmt) sqlite3_finalize(m_stmt);
    if (m_single) sqlite3_finalize(m_single);
}

void BulkInsert::check(int rc) {
    if (rc == SQLITE_OK || rc == SQLITE_DONE) return;
    throw DbError(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_single))));
}

void BulkInsert::separate() {
    if (m_column++ > 0)
        m_sql += u',';
    else
        m_sql += m_rows == 0 ? m_head + u'(' : QStringLiteral(",(");
}

void BulkInsert::text(const QString& value) {
    if (m_stmt) {
        m_pending.push_back({Value::Text, value.toUtf8(), 0, 0});
        return;
    }
    separate();
    m_sql += u'\'' + fnSqlText(value) + u'\'';
}

void BulkInsert::integer(qint64 value) {
    if (m_stmt) {
        m_pending.push_back({Value::Integer, {}, value, 0});
        return;
    }
    separate();
    m_sql += QString::number(value);
}

void BulkInsert::real(double value, int decimals) {
    if (m_stmt) {
        m_pending.push_back({Value::Real, {}, 0, value});
        return;
    }
    separate();
    m_sql += QString::number(value, 'f', decimals);
}

void BulkInsert::endRow() {
    m_column = 0;
    if (m_stmt) {
        if (m_pending.size() == size_t(kStatementRows * m_columns)) stepRows(m_stmt, kStatementRows);
        return;
    }
    m_sql += u')';
    if (++m_rows == kBatchRows) sendBatch();
}

void BulkInsert::sendBatch() {
    if (m_rows == 0) return;
    if (!m_query.exec(m_sql)) throw DbError(fnProviderErrorText(m_query.lastError()));
    m_sql.clear();
    m_rows = 0;
}

void BulkInsert::stepRows(sqlite3_stmt* stmt, int rows) {
    // SQLITE_STATIC: the texts stay in m_pending until the statement has run.
    for (int i = 0; i < rows * m_columns; ++i) {
        const Value& v = m_pending[size_t(i)];
        switch (v.kind) {
        case Value::Text:
            check(sqlite3_bind_text(stmt, i + 1, v.text.constData(), int(v.text.size()), SQLITE_STATIC));
            break;
        case Value::Integer:
            check(sqlite3_bind_int64(stmt, i + 1, v.integer));
            break;
        case Value::Real:
            check(sqlite3_bind_double(stmt, i + 1, v.real));
            break;
        }
    }
    check(sqlite3_step(stmt));
    check(sqlite3_reset(stmt));
    check(sqlite3_clear_bindings(stmt));
    m_pending.erase(m_pending.begin(), m_pending.begin() + rows * m_columns);
}

void BulkInsert::finish() {
    if (!m_stmt) {
        sendBatch();
        return;
    }
    while (!m_pending.empty())
        stepRows(m_single, 1);
}

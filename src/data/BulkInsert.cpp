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
            QStringList marks;
            for (int i = 0; i < columns.size(); ++i)
                marks << QStringLiteral("?");
            const QByteArray sql = (head + u'(' + marks.join(u',') + u')').toUtf8();
            if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &m_stmt, nullptr) != SQLITE_OK)
                throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
            m_textBuffer.reserve(256);
            return;
        }
    }
    m_head = head;
    m_sql.reserve(kBatchRows * 64);
}

BulkInsert::~BulkInsert() {
    if (m_stmt) sqlite3_finalize(m_stmt);
}

void BulkInsert::check(int rc) {
    if (rc == SQLITE_OK || rc == SQLITE_DONE) return;
    throw DbError(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_stmt))));
}

void BulkInsert::separate() {
    if (m_column++ > 0)
        m_sql += u',';
    else
        m_sql += m_rows == 0 ? m_head + u'(' : QStringLiteral(",(");
}

void BulkInsert::text(const QString& value) {
    if (m_stmt) {
        // SQLITE_TRANSIENT: SQLite keeps its own copy, so the buffer is free for the next value.
        m_textBuffer = value.toUtf8();
        check(sqlite3_bind_text(m_stmt, ++m_column, m_textBuffer.constData(), int(m_textBuffer.size()),
                                SQLITE_TRANSIENT));
        return;
    }
    separate();
    m_sql += u'\'' + fnSqlText(value) + u'\'';
}

void BulkInsert::integer(qint64 value) {
    if (m_stmt) {
        check(sqlite3_bind_int64(m_stmt, ++m_column, value));
        return;
    }
    separate();
    m_sql += QString::number(value);
}

void BulkInsert::real(double value, int decimals) {
    if (m_stmt) {
        check(sqlite3_bind_double(m_stmt, ++m_column, value));
        return;
    }
    separate();
    m_sql += QString::number(value, 'f', decimals);
}

void BulkInsert::endRow() {
    m_column = 0;
    if (m_stmt) {
        check(sqlite3_step(m_stmt));
        check(sqlite3_reset(m_stmt));
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

void BulkInsert::finish() {
    if (!m_stmt) sendBatch();
}

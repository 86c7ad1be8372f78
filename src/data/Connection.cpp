#include "data/Connection.h"

#include "data/ConnectionShared.h"
#include "data/DbError.h"
#include "data/ParsedConnection.h"

#include <QAtomicInt>
#include <QHash>
#include <QMutex>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QAtomicInt g_connectionSeq;

QMutex g_refusedLock;
QHash<QString, QString> g_refused; // where -> why

QString refusalOf(const QString& where) {
    QMutexLocker lock(&g_refusedLock);
    return g_refused.value(where);
}

// The parts between ';', a ';' inside double quotes not counting.
QStringList splitConnectionParts(const QString& text) {
    QStringList parts;
    QString current;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"') quoted = !quoted;
        if (c == u';' && !quoted) {
            parts << current;
            current.clear();
        } else {
            current += c;
        }
    }
    parts << current;
    return parts;
}

ParsedConnection parseConnectionString(const QString& text) {
    if (text.trimmed().isEmpty())
        throw DbError(
            QStringLiteral("[Microsoft][ODBC Driver Manager] データ ソース名および指定された既定のドライバが"
                           "見つかりません。"));
    ParsedConnection p;
    for (const QString& part : splitConnectionParts(text)) {
        if (part.trimmed().isEmpty()) continue;
        const int eq = part.indexOf(u'=');
        if (eq <= 0)
            throw DbError(QStringLiteral("引数が間違った型、許容範囲外、または競合しています。"),
                          -2146825287);
        const QString key = part.left(eq).trimmed().toLower();
        QString value = part.mid(eq + 1).trimmed();
        // A value holding ';' comes in double quotes, a quote inside it doubled.
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
        if (key == u"provider")
            p.provider = value;
        else if (key == u"data source")
            p.dataSource = value;
        else if (key == u"jet oledb:database password") {
            p.hasPassword = true;
            p.password = value;
        } else if (key == u"host")
            p.host = value;
        else if (key == u"port")
            p.port = value;
        else if (key == u"database")
            p.database = value;
        else if (key == u"user id")
            p.user = value;
        else if (key == u"password")
            p.password = value;
        // Other properties (Persist Security Info, User ID, Mode, ...) do not concern SQLite.
    }
    if (p.provider.isEmpty())
        throw DbError(
            QStringLiteral("[Microsoft][ODBC Driver Manager] データ ソース名および指定された既定のドライバが"
                           "見つかりません。"));
    p.engine = DbEngine::forProvider(p.provider);
    if (!p.engine)
        throw DbError(
            QStringLiteral("プロバイダが見つかりません。正しくインストールされていない可能性があります。"),
            -2146824582);
    p.engine->checkParts(p);
    return p;
}

} // namespace

QString fnProviderErrorText(const QSqlError& error) {
    return DbEngine::ofError(error).errorText(error);
}

Connection::Connection() = default;

Connection::~Connection() {
    Close();
}

void Connection::Open(const QString& connectionString) {
    Close();
    const ParsedConnection parsed = parseConnectionString(connectionString);
    const QString name = QStringLiteral("zanmo-cn-%1").arg(g_connectionSeq.fetchAndAddRelaxed(1) + 1);
    const DbEngine& rules = *parsed.engine;
    const QString where = rules.location(parsed);
    if (const QString why = refusalOf(where); !why.isEmpty()) throw DbError(why, -2147467259);
    adopt(name, where, rules, rules.open(name, parsed, where, m_busyTimeoutMs));
}

void Connection::refuse(const QString& where, const QString& why) {
    QMutexLocker lock(&g_refusedLock);
    if (why.isEmpty())
        g_refused.remove(where);
    else
        g_refused.insert(where, why);
}

void Connection::adopt(const QString& name, const QString& where, const DbEngine& rules,
                       const QString& failure) {
    if (!failure.isEmpty()) {
        QSqlDatabase::removeDatabase(name);
        throw DbError(failure, -2147467259);
    }
    m_name = name;
    m_file = where;
    m_rules = &rules;
    m_shared = std::make_shared<ConnectionShared>();
    m_shared->name = name;
    applyBusyTimeout();
}

void Connection::applyBusyTimeout() {
    if (!m_shared) return;
    m_rules->applyBusyTimeout(database(), m_busyTimeoutMs);
}

void Connection::Close() {
    if (!m_shared) return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen()) {
            if (m_shared->inTrans || m_shared->editLock) {
                QSqlQuery q(db);
                q.exec(QStringLiteral("ROLLBACK"));
            }
            db.close();
        }
    }
    m_shared.reset();
    QSqlDatabase::removeDatabase(m_name);
    m_name.clear();
}

int Connection::State() const {
    return m_shared ? 1 : 0;
}

int Connection::Execute(const QString& sql) {
    if (!m_shared) throw DbError(DbTexts::closedObject(), 3704);
    QSqlQuery q(database());
    if (!q.exec(dialect(sql))) throw DbError(fnProviderErrorText(q.lastError()));
    return q.isSelect() ? -1 : q.numRowsAffected();
}

void Connection::BeginTrans() {
    Execute(QStringLiteral("BEGIN"));
    m_shared->inTrans = true;
}

void Connection::CommitTrans() {
    Execute(QStringLiteral("COMMIT"));
    m_shared->inTrans = false;
}

void Connection::RollbackTrans() {
    Execute(QStringLiteral("ROLLBACK"));
    m_shared->inTrans = false;
}

void Connection::setBusyTimeout(int milliseconds) {
    m_busyTimeoutMs = qMax(0, milliseconds);
    applyBusyTimeout();
}

int Connection::busyTimeout() const {
    return m_busyTimeoutMs;
}

QSqlDatabase Connection::database() const {
    return m_shared ? QSqlDatabase::database(m_name, false) : QSqlDatabase();
}

QString Connection::filePath() const {
    return m_file;
}

bool Connection::inTransaction() const {
    return m_shared && m_shared->inTrans;
}

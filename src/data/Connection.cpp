#include "data/Connection.h"

#include "data/ConnectionShared.h"
#include "data/DbError.h"
#include "data/ParsedConnection.h"

#include <QAtomicInt>
#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Servers that lately let a statement or a connection attempt wait without an answer. A connection
// to one of them is not trusted with a statement before it was opened again: a silent server would
// keep the statement waiting just as long once more. Any opening that succeeds clears the mark.
QMutex g_silentLock;
QSet<QString> g_silent;

bool markedSilent(const QString& where) {
    QMutexLocker lock(&g_silentLock);
    return g_silent.contains(where);
}

void markSilent(const QString& where, bool silent) {
    QMutexLocker lock(&g_silentLock);
    if (silent)
        g_silent.insert(where);
    else
        g_silent.remove(where);
}

// A connection attempt that fails only after this long met a silent server, not a refusal.
constexpr qint64 kSlowFailureMs = 1000;

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
    markSilent(where, false);
}

bool Connection::needsPassword(const QString& connectionString) {
    const ParsedConnection parsed = parseConnectionString(connectionString);
    return parsed.engine->needsPassword(parsed);
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
    m_shared->where = where;
    m_shared->rules = &rules;
    m_shared->busyTimeoutMs = m_busyTimeoutMs;
    m_shared->statementTimeoutMs = m_statementTimeoutMs;
    m_shared->applyLimits();
}

void Connection::applyBusyTimeout() {
    if (!m_shared) return;
    m_shared->busyTimeoutMs = m_busyTimeoutMs;
    m_rules->applyBusyTimeout(database(), m_busyTimeoutMs);
}

void Connection::Close() {
    if (!m_shared) return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen()) {
            if (m_shared->inTrans || m_shared->editLock) {
                // Watched too: a silent server must not hold the closing screen.
                const auto watch = m_shared->statementTimeoutMs > 0
                                       ? m_rules->watch(db, m_shared->statementTimeoutMs + kSilenceGraceMs)
                                       : nullptr;
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
    const QString text = dialect(sql);
    int rows = -1;
    // Never run again after a lost connection: it may have taken effect.
    m_shared->runChange(text, [&](QSqlQuery& q) {
        if (!q.exec(text)) return false;
        rows = q.isSelect() ? -1 : q.numRowsAffected();
        return true;
    });
    return rows;
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

void Connection::setStatementTimeout(int milliseconds) {
    m_statementTimeoutMs = qMax(0, milliseconds);
    if (!m_shared) return;
    m_shared->statementTimeoutMs = m_statementTimeoutMs;
    m_rules->applyStatementTimeout(database(), m_statementTimeoutMs);
}

void Connection::setDefaultStatementTimeout(int milliseconds) {
    s_defaultStatementTimeoutMs = qMax(0, milliseconds);
}

int Connection::statementTimeout() const {
    return m_statementTimeoutMs;
}

bool Connection::serverAway() const {
    return m_shared && m_shared->away();
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

// ---- lost connections

void ConnectionShared::applyLimits() {
    const QSqlDatabase d = db();
    rules->applyBusyTimeout(d, busyTimeoutMs);
    rules->applyStatementTimeout(d, statementTimeoutMs);
}

// The connection closed, and what it held with it.
void ConnectionShared::abandon() {
    QSqlDatabase d = db();
    d.close();
    inTrans = false;
    editLock = false;
    ++session;
}

bool ConnectionShared::reopen(QString* why) {
    QElapsedTimer timer;
    timer.start();
    *why = rules->reopen(name, where);
    if (why->isEmpty()) {
        markSilent(where, false);
        applyLimits();
        return true;
    }
    db().close();
    if (timer.elapsed() >= kSlowFailureMs) markSilent(where, true);
    return false;
}

// Before a statement. A connection found gone is opened again, but a transaction open on it is not
// carried on: what it did is gone, and the statements after it must not run on their own.
void ConnectionShared::ready() {
    // (The driver's "open" is libpq's status: a connection found broken reads closed.)
    const QSqlDatabase d = db();
    // Asked first: once libpq has found the connection broken it no longer knows.
    const bool hadTransaction = inTrans || editLock || rules->inTransactionBlock(d);
    if (d.isOpen() && !markedSilent(where) && rules->stillConnected(d)) return;
    abandon();
    QString why;
    const bool back = reopen(&why);
    if (hadTransaction)
        throw DbError(back ? DbEngine::connectionLostText(where, QString())
                           : DbEngine::serverAwayText(where, why),
                      back ? DbError::kConnectionLost : DbError::kServerAway);
    if (!back) throw DbError(DbEngine::serverAwayText(where, why), DbError::kServerAway);
}

DbError ConnectionShared::failure(const QSqlError& error, bool silent, bool* reopened) {
    *reopened = false;
    if (!silent && !rules->connectionLost(db(), error)) return DbError(fnProviderErrorText(error));
    if (silent) markSilent(where, true);
    QString reason = error.databaseText().section(u'\n', 0, 0).trimmed();
    if (reason.isEmpty()) reason = error.text().section(u'\n', 0, 0).trimmed();
    abandon();
    const int seconds = (statementTimeoutMs + kSilenceGraceMs + 999) / 1000;
    QString why;
    if (!reopen(&why))
        return DbError(silent ? DbEngine::serverSilentText(where, seconds, false)
                              : DbEngine::serverAwayText(where, why),
                       DbError::kServerAway);
    *reopened = true;
    return DbError(silent ? DbEngine::serverSilentText(where, seconds, true)
                          : DbEngine::connectionLostText(where, reason),
                   DbError::kConnectionLost);
}

namespace {
// INSERT, UPDATE or DELETE (what may run inside a transaction block and changes rows).
bool changesRows(const QString& sql) {
    static const QRegularExpression head(QStringLiteral("^\\s*(insert|update|delete)\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    return head.match(sql).hasMatch();
}
} // namespace

void ConnectionShared::runChange(const QString& sql, const std::function<bool(QSqlQuery&)>& step) {
    if (inTrans || editLock || !rules->changesInOwnTransaction() || !changesRows(sql) ||
        rules->inTransactionBlock(db())) {
        run(step);
        return;
    }
    const auto exec = [&](const char* statement) {
        run([&](QSqlQuery& q) { return q.exec(QLatin1String(statement)); });
    };
    exec("BEGIN");
    inTrans = true; // a connection lost from here on is a lost transaction, never carried on
    try {
        run(step);
        exec("COMMIT");
    } catch (const DbError&) {
        if (inTrans) {
            try {
                exec("ROLLBACK");
            } catch (const DbError&) {
            }
        }
        inTrans = false;
        throw;
    }
    inTrans = false;
}

void ConnectionShared::run(const std::function<bool(QSqlQuery&)>& step, bool replayable) {
    ready();
    for (int attempt = 0;; ++attempt) {
        const bool inTransaction = inTrans || editLock || rules->inTransactionBlock(db());
        QSqlError error;
        bool silent = false;
        {
            std::unique_ptr<StatementWatch> watch =
                statementTimeoutMs > 0 ? rules->watch(db(), statementTimeoutMs + kSilenceGraceMs) : nullptr;
            {
                // Gone before the connection is looked at: a prepared statement is freed on the
                // connection it was made on.
                QSqlQuery q(db());
                if (step(q)) return;
                error = q.lastError();
            }
            silent = watch && watch->fired();
        }
        bool reopened = false;
        DbError e = failure(error, silent, &reopened);
        if (!(reopened && replayable && !inTransaction && attempt == 0)) throw e;
    }
}

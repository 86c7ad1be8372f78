#include "data/PostgresEngine.h"

#include "data/ParsedConnection.h"
#include "data/basSettings.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>

#include <libpq-fe.h>
#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

bool PostgresEngine::takesProvider(const QString& provider) const {
    return provider.compare(u"PostgreSQL", Qt::CaseInsensitive) == 0;
}

void PostgresEngine::checkParts(const ParsedConnection&) const {}

QString PostgresEngine::location(const ParsedConnection& parsed) const {
    return fnServerText(parsed.user, parsed.host, parsed.port, parsed.database);
}

namespace {

// libpq's connection behind a Qt connection (null when it has none).
PGconn* pqConnection(const QSqlDatabase& db) {
    if (!db.isValid() || !db.driver()) return nullptr;
    const QVariant handle = db.driver()->handle();
    // Qt names the type after libpq's struct tag ("pg_conn*"; "PGconn*" in other builds).
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

// Cuts the connections of watched statements whose server stays silent past their deadline: the
// statement then fails at once instead of waiting for as long as the silence lasts. TCP keepalives
// cannot tell a stopped server process from a busy one (its machine still answers them), and the
// server's statement_timeout needs a server that runs, so the watch is kept here.
class Watchdog {
public:
    static Watchdog& instance() {
        static Watchdog dog;
        return dog;
    }
    quint64 arm(int socket, int milliseconds) {
        std::lock_guard lock(m_mutex);
        if (!m_thread.joinable()) m_thread = std::thread([this] { loop(); });
        const quint64 id = ++m_next;
        m_entries[id] = {socket, Clock::now() + std::chrono::milliseconds(milliseconds), false};
        m_wake.notify_one();
        return id;
    }
    // Ends the watch; true when it had cut the connection. Once it returns the socket is never
    // touched again, so the connection may close it.
    bool disarm(quint64 id) {
        std::lock_guard lock(m_mutex);
        const auto it = m_entries.find(id);
        if (it == m_entries.end()) return false;
        const bool fired = it->second.fired;
        m_entries.erase(it);
        return fired;
    }
    ~Watchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
            m_wake.notify_one();
        }
        if (m_thread.joinable()) m_thread.join();
    }

private:
    using Clock = std::chrono::steady_clock;
    struct Entry {
        int socket;
        Clock::time_point deadline;
        bool fired;
    };
    void loop() {
        std::unique_lock lock(m_mutex);
        while (!m_stop) {
            auto next = Clock::time_point::max();
            const auto now = Clock::now();
            for (auto& [id, e] : m_entries) {
                if (e.fired) continue;
                if (e.deadline <= now) {
                    // The blocked read returns at once; libpq takes the connection for broken.
                    ::shutdown(e.socket, SHUT_RDWR);
                    e.fired = true;
                } else {
                    next = std::min(next, e.deadline);
                }
            }
            if (next == Clock::time_point::max())
                m_wake.wait(lock);
            else
                m_wake.wait_until(lock, next);
        }
    }
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
    std::map<quint64, Entry> m_entries;
    quint64 m_next = 0;
    bool m_stop = false;
};

class SocketWatch : public StatementWatch {
public:
    SocketWatch(int socket, int milliseconds) : m_id(Watchdog::instance().arm(socket, milliseconds)) {}
    ~SocketWatch() override { Watchdog::instance().disarm(m_id); }
    bool fired() const override {
        // Asked before the watch ends: a deadline passing now no longer matters.
        if (!m_done) {
            m_fired = Watchdog::instance().disarm(m_id);
            m_done = true;
        }
        return m_fired;
    }

private:
    quint64 m_id;
    mutable bool m_done = false;
    mutable bool m_fired = false;
};

// The session as the program needs it, on a connection just opened.
QString startSession(const PostgresEngine& engine, QSqlDatabase& db, const QString& where) {
    QSqlQuery q(db);
    // The suite's texts are compared and stored as the program sends them; a server
    // set to take backslash escapes in literals would let a typed backslash end one,
    // so the connection is refused unless quoting means the same as everywhere.
    // Notices ("already exists, skipping") are no concern of a user.
    if (!q.exec(QStringLiteral("SET client_encoding = 'UTF8'")) ||
        !q.exec(QStringLiteral("SET standard_conforming_strings = on")) ||
        !q.exec(QStringLiteral("SET client_min_messages = warning")))
        return engine.errorText(q.lastError());
    if (!q.exec(QStringLiteral("SHOW standard_conforming_strings")) || !q.next() ||
        q.value(0).toString() != QLatin1String("on"))
        return QStringLiteral("サーバー '") + where +
               QStringLiteral("' で standard_conforming_strings を on にできません。");
    return QString();
}

// A setting of ours in milliseconds (a number of our own, never typed text).
void setConfig(const QSqlDatabase& db, const char* name, int milliseconds) {
    QSqlQuery q(db);
    q.exec(QStringLiteral("SET %1 = %2").arg(QLatin1String(name)).arg(milliseconds));
}

} // namespace

// libpq's options: a connection attempt gives up after a few seconds; TCP keepalives find a
// network that went away while the connection stood idle (probes after 5 s of silence, every 2 s,
// three unanswered ones end it: about 11 s), and data the server's machine does not acknowledge
// within 10 s ends it too.
const char* const PostgresEngine::kConnectOptions =
    "connect_timeout=3;keepalives=1;keepalives_idle=5;keepalives_interval=2;keepalives_count=3;"
    "tcp_user_timeout=10000;application_name=zanmo";

QString PostgresEngine::open(const QString& name, const ParsedConnection& parsed, const QString& where,
                             int) const {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    if (!db.isValid()) return QStringLiteral("PostgreSQL のドライバ (libqt6sql6-psql) が見つかりません。");
    QString failure;
    db.setHostName(parsed.host);
    if (!parsed.port.isEmpty()) db.setPort(parsed.port.toInt());
    db.setDatabaseName(parsed.database);
    db.setUserName(parsed.user);
    db.setPassword(parsed.password); // empty: libpq reads PGPASSWORD or ~/.pgpass
    db.setConnectOptions(QString::fromLatin1(kConnectOptions));
    if (!db.open()) {
        failure = QStringLiteral("サーバー '") + where +
                  QStringLiteral("' のデータベースに接続できません。 (") +
                  nativeText(db.lastError()).trimmed() + QLatin1Char(')');
    } else {
        failure = startSession(*this, db, where);
    }
    if (!failure.isEmpty()) db.close();
    return failure;
}

// A connection attempt of libpq's own, which can say why it failed.
bool PostgresEngine::needsPassword(const ParsedConnection& parsed) const {
    QList<QByteArray> keys, values;
    const auto add = [&](const char* key, const QString& value) {
        if (value.isEmpty()) return;
        keys << key;
        values << value.toUtf8();
    };
    add("host", parsed.host);
    add("port", parsed.port);
    add("dbname", parsed.database);
    add("user", parsed.user);
    add("password", parsed.password);
    add("connect_timeout", QStringLiteral("3"));
    QList<const char*> k, v;
    for (int i = 0; i < keys.size(); ++i) {
        k << keys[i].constData();
        v << values[i].constData();
    }
    k << nullptr;
    v << nullptr;
    PGconn* conn = PQconnectdbParams(k.constData(), v.constData(), 0);
    const bool needed = conn && PQstatus(conn) == CONNECTION_BAD && PQconnectionNeedsPassword(conn);
    PQfinish(conn);
    return needed;
}

QString PostgresEngine::reopen(const QString& name, const QString& where) const {
    QSqlDatabase db = QSqlDatabase::database(name, false);
    if (!db.isValid()) return QStringLiteral("no connection");
    if (!db.open()) return nativeText(db.lastError()).trimmed();
    const QString failure = startSession(*this, db, where);
    if (!failure.isEmpty()) db.close();
    return failure;
}

// The server's lock timeout; never 0, which would mean waiting for ever.
void PostgresEngine::applyBusyTimeout(const QSqlDatabase& db, int milliseconds) const {
    setConfig(db, "lock_timeout", qMax(1, milliseconds));
}

void PostgresEngine::applyStatementTimeout(const QSqlDatabase& db, int milliseconds) const {
    setConfig(db, "statement_timeout", qMax(0, milliseconds));
}

// A server that restarted ended the connection while it stood idle: its last words (57P01) and
// the end of the stream wait on the socket. Read them, and libpq knows.
bool PostgresEngine::stillConnected(const QSqlDatabase& db) const {
    PGconn* conn = pqConnection(db);
    if (!conn || PQstatus(conn) != CONNECTION_OK) return false;
    for (int i = 0; i < 4; ++i) {
        pollfd p{PQsocket(conn), POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0) break;
        if (!PQconsumeInput(conn)) return false;
    }
    return PQstatus(conn) == CONNECTION_OK;
}

bool PostgresEngine::inTransactionBlock(const QSqlDatabase& db) const {
    PGconn* conn = pqConnection(db);
    if (!conn) return false;
    const PGTransactionStatusType status = PQtransactionStatus(conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

// The connection broke (libpq says so), or the server ended it: connection exceptions (class 08)
// and the server shutting down or restarting (57P01, 57P02, 57P03).
bool PostgresEngine::connectionLost(const QSqlDatabase& db, const QSqlError& error) const {
    const QString state = error.nativeErrorCode();
    if (state.startsWith(QLatin1String("08")) || state == u"57P01" || state == u"57P02" || state == u"57P03")
        return true;
    PGconn* conn = pqConnection(db);
    return !conn || PQstatus(conn) != CONNECTION_OK;
}

std::unique_ptr<StatementWatch> PostgresEngine::watch(const QSqlDatabase& db, int milliseconds) const {
    PGconn* conn = pqConnection(db);
    const int socket = conn ? PQsocket(conn) : -1;
    if (socket < 0) return nullptr;
    return std::make_unique<SocketWatch>(socket, milliseconds);
}

QString PostgresEngine::fromJet(const QString& sql) const {
    return fnJetToPostgres(sql);
}

QString PostgresEngine::errorText(const QSqlError& error) const {
    const QString state = error.nativeErrorCode();
    // The server's first line says it; the statement's text and a caret follow on the next lines.
    QString raw = nativeText(error).section(u'\n', 0, 0).trimmed();
    if (raw.startsWith(QLatin1String("ERROR:"))) raw = raw.mid(6).trimmed();
    // Lock timeout, deadlock, a serialization failure.
    if (state == u"55P03" || state == u"40P01" || state == u"40001")
        return providerText(Failure::Locked, QString(), raw);
    // The statement timeout: the program cancels nothing else.
    if (state == u"57014") return providerText(Failure::TimedOut, QString(), raw);
    if (state == u"42601") return providerText(Failure::Syntax, QString(), raw);
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]+)\""));
    const QString name = quoted.match(raw).captured(1);
    if (state == u"42P01") return providerText(Failure::NoTable, name, raw);
    if (state == u"42703") return providerText(Failure::NoColumn, name, raw);
    if (state == u"25006" || state == u"42501") return providerText(Failure::ReadOnly, QString(), raw);
    return providerText(Failure::Other, QString(), raw);
}

// Five characters are a SQLSTATE.
bool PostgresEngine::ownsError(const QSqlError& error) const {
    return error.nativeErrorCode().size() == 5;
}

// A changed row moves, so its address comes back with every write (returningClause).
QString PostgresEngine::rowAddress() const {
    return QStringLiteral("ctid");
}

// The rows are locked by the cursor's own statement, the key by keyLockStatement.
QString PostgresEngine::beginEditStatement() const {
    return QStringLiteral("BEGIN");
}

QString PostgresEngine::rowLockClause() const {
    return QStringLiteral(" FOR UPDATE");
}

// Rows not there yet cannot be locked: two PCs adding the same row take turns on the key.
QString PostgresEngine::keyLockStatement() const {
    return QStringLiteral("SELECT pg_advisory_xact_lock(hashtextextended(?, 0))");
}

// Unquoted names are folded to lower case.
QString PostgresEngine::foldedName(const QString& name) const {
    return name.toLower();
}

// (The driver's lastInsertId asks lastval(), which would abort the transaction.)
QString PostgresEngine::returningClause(const QString& alias) const {
    return QStringLiteral(" RETURNING ") + rowAddress() + QStringLiteral(" AS ") + alias +
           QStringLiteral(", *");
}

QString PostgresEngine::columnsQuery() const {
    return QStringLiteral("SELECT column_name, udt_name FROM information_schema.columns WHERE table_schema = "
                          "current_schema() AND table_name = ? ORDER BY ordinal_position");
}

// Text that compared without case on SQLite is citext (ASCII letters only, as SQLite's NOCASE), all
// text in code-point order, REAL is double precision. Lengths are not enforced, as on SQLite; what
// the screens cut to fits the suite's columns.
QStringList PostgresEngine::schemaStatements(const QStringList& sqliteForms) const {
    static const QRegularExpression nocase(QStringLiteral("VARCHAR\\(\\d+\\) COLLATE NOCASE"));
    static const QRegularExpression plain(QStringLiteral("\\b(VARCHAR\\(\\d+\\)|TEXT)"));
    QStringList statements{QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext")};
    for (QString s : sqliteForms) {
        s.replace(plain, QStringLiteral("text COLLATE \"C\""));
        s.replace(QStringLiteral("text COLLATE \"C\" COLLATE NOCASE"),
                  QStringLiteral("citext COLLATE \"C\""));
        s.replace(nocase, QStringLiteral("citext COLLATE \"C\""));
        s.replace(QStringLiteral(" REAL"), QStringLiteral(" double precision"));
        statements << s;
    }
    return statements;
}

QString PostgresEngine::indexNamesQuery() const {
    return QStringLiteral(
        "select indexname from pg_indexes where schemaname = current_schema() order by indexname");
}

QStringList PostgresEngine::bulkLoadStatements() const {
    return {};
}

QStringList PostgresEngine::afterBulkLoadStatements() const {
    return {};
}

QStringList PostgresEngine::statisticsStatements(const QStringList& tables) const {
    return {QStringLiteral("ANALYZE ") + tables.join(QStringLiteral(", "))};
}

#include "data/PostgresEngine.h"

#include "data/ParsedConnection.h"
#include "data/basSettings.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>

bool PostgresEngine::takesProvider(const QString& provider) const {
    return provider.compare(u"PostgreSQL", Qt::CaseInsensitive) == 0;
}

void PostgresEngine::checkParts(const ParsedConnection&) const {}

QString PostgresEngine::location(const ParsedConnection& parsed) const {
    return fnServerText(parsed.user, parsed.host, parsed.port, parsed.database);
}

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
    db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=zanmo"));
    if (!db.open()) {
        failure = QStringLiteral("サーバー '") + where +
                  QStringLiteral("' のデータベースに接続できません。 (") +
                  nativeText(db.lastError()).trimmed() + QLatin1Char(')');
    } else {
        QSqlQuery q(db);
        // The suite's texts are compared and stored as the program sends them; a server
        // set to take backslash escapes in literals would let a typed backslash end one,
        // so the connection is refused unless quoting means the same as everywhere.
        // Notices ("already exists, skipping") are no concern of a user.
        if (!q.exec(QStringLiteral("SET client_encoding = 'UTF8'")) ||
            !q.exec(QStringLiteral("SET standard_conforming_strings = on")) ||
            !q.exec(QStringLiteral("SET client_min_messages = warning")))
            failure = errorText(q.lastError());
        else if (!q.exec(QStringLiteral("SHOW standard_conforming_strings")) || !q.next() ||
                 q.value(0).toString() != QLatin1String("on"))
            failure = QStringLiteral("サーバー '") + where +
                      QStringLiteral("' で standard_conforming_strings を on にできません。");
    }
    if (!failure.isEmpty()) db.close();
    return failure;
}

// The server's lock timeout; never 0, which would mean waiting for ever.
void PostgresEngine::applyBusyTimeout(const QSqlDatabase& db, int milliseconds) const {
    QSqlQuery q(db);
    if (q.prepare(QStringLiteral("SELECT set_config('lock_timeout', ?, false)"))) {
        q.addBindValue(QString::number(qMax(1, milliseconds)));
        q.exec();
    }
}

QString PostgresEngine::fromJet(const QString& sql) const {
    return fnJetToPostgres(sql);
}

QString PostgresEngine::errorText(const QSqlError& error) const {
    const QString state = error.nativeErrorCode();
    // The server's first line says it; the statement's text and a caret follow on the next lines.
    QString raw = nativeText(error).section(u'\n', 0, 0).trimmed();
    if (raw.startsWith(QLatin1String("ERROR:"))) raw = raw.mid(6).trimmed();
    // Lock timeout, deadlock, a statement cancelled while it waited.
    if (state == u"55P03" || state == u"40P01" || state == u"57014" || state == u"40001")
        return providerText(Failure::Locked, QString(), raw);
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

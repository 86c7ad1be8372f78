#include "data/Connection.h"

#include "data/ConnectionShared.h"
#include "data/DbError.h"
#include "data/SqlDialect.h"
#include "data/basJournal.h"
#include "data/basSettings.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <sys/stat.h>

struct ParsedConnection {
    QString provider;
    QString dataSource;
    bool hasPassword = false;
    QString password;
    bool server = false; // PostgreSQL
    QString host, port, database, user;
};

namespace {

QAtomicInt g_connectionSeq;

QMutex g_refusedLock;
QHash<QString, QString> g_refused; // where -> why

QString refusalOf(const QString& where) {
    QMutexLocker lock(&g_refusedLock);
    return g_refused.value(where);
}

// SQLite's result codes have at most four digits; five characters are a PostgreSQL SQLSTATE.
bool isSqlState(const QString& code) {
    return code.size() == 5;
}

QString serverErrorText(const QString& state, QString raw) {
    // The server's first line says it; the statement's text and a caret follow on the next lines.
    raw = raw.section(u'\n', 0, 0).trimmed();
    if (raw.startsWith(QLatin1String("ERROR:"))) raw = raw.mid(6).trimmed();
    const QString detail = QStringLiteral(" (") + raw + QLatin1Char(')');
    // Lock timeout, deadlock, a statement cancelled while it waited.
    if (state == u"55P03" || state == u"40P01" || state == u"57014" || state == u"40001")
        return QStringLiteral("ほかのユーザーが使用中のため、データベースをロックできませんでした。") +
               detail;
    if (state == u"42601") return QStringLiteral("SQL ステートメントの構文エラーです。") + detail;
    static const QRegularExpression quoted(QStringLiteral("\"([^\"]+)\""));
    const QString name = quoted.match(raw).captured(1);
    if (state == u"42P01")
        return QStringLiteral("入力テーブルまたはクエリ '") + name + QStringLiteral("' が見つかりません。") +
               detail;
    if (state == u"42703")
        return QStringLiteral("列 '") + name + QStringLiteral("' が見つかりません。") + detail;
    if (state == u"25006" || state == u"42501")
        return QStringLiteral("データベースまたはオブジェクトは読み取り専用なので、更新できません。") +
               detail;
    return QStringLiteral("データベースの操作でエラーが発生しました。") + detail;
}

QString engineText(const QSqlError& e) {
    QString t = e.databaseText();
    if (t.isEmpty()) t = e.text();
    return t;
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

// A file cut short (a copy that stopped, a full disk): SQLite itself compares the header's page
// count with the file's length on the first read and says "malformed"; the length from stat backs it
// up while no WAL holds pages beyond the file. Asked through the connection: any other descriptor of
// the file, once closed, would drop SQLite's locks on it.
bool looksTruncated(QSqlQuery& q, const QString& path) {
    if (!q.exec(QStringLiteral("PRAGMA page_count")) || !q.next())
        return (q.lastError().nativeErrorCode().toInt() & 0xff) == 11;
    const qint64 pages = q.value(0).toLongLong();
    if (!q.exec(QStringLiteral("PRAGMA page_size")) || !q.next()) return false;
    const qint64 pageSize = q.value(0).toLongLong();
    q.finish();
    struct stat st {};
    if (QFileInfo::exists(path + QStringLiteral("-wal")) ||
        ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return pages * pageSize > qint64(st.st_size);
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
    if (p.provider.compare(u"PostgreSQL", Qt::CaseInsensitive) == 0) {
        p.server = true;
        return p;
    }
    if (p.provider.compare(u"Microsoft.Jet.OLEDB.4.0", Qt::CaseInsensitive) != 0)
        throw DbError(
            QStringLiteral("プロバイダが見つかりません。正しくインストールされていない可能性があります。"),
            -2146824582);
    // Jet passwords are at most 20 characters of printable text.
    if (p.hasPassword) {
        bool ok = p.password.size() <= 20;
        for (QChar c : p.password)
            ok = ok && c.isPrint();
        if (!ok) throw DbError(QStringLiteral("パスワードが無効です。"), -2147217843);
    }
    return p;
}

// Data Source as a local path: a backslash is a folder separator, doubled ones collapse.
QString dataSourcePath(const QString& dataSource) {
    QString path = dataSource;
    path.replace(u'\\', u'/');
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

} // namespace

QString fnProviderErrorText(const QSqlError& error) {
    const QString raw = engineText(error);
    if (isSqlState(error.nativeErrorCode())) return serverErrorText(error.nativeErrorCode(), raw);
    const int code = error.nativeErrorCode().toInt();
    const QString detail = QStringLiteral(" (") + raw + QLatin1Char(')');
    if ((code & 0xff) == 5 || (code & 0xff) == 6 || raw.contains(QLatin1String("locked")))
        return QStringLiteral("ほかのユーザーが使用中のため、データベースをロックできませんでした。") +
               detail;
    if (raw.contains(QLatin1String("syntax error")) || raw.contains(QLatin1String("incomplete input")))
        return QStringLiteral("SQL ステートメントの構文エラーです。") + detail;
    static const QRegularExpression noTable(QStringLiteral("no such table: (\\S+)"));
    if (const auto m = noTable.match(raw); m.hasMatch())
        return QStringLiteral("入力テーブルまたはクエリ '") + m.captured(1) +
               QStringLiteral("' が見つかりません。") + detail;
    static const QRegularExpression noColumn(QStringLiteral("no such column: (\\S+)"));
    if (const auto m = noColumn.match(raw); m.hasMatch())
        return QStringLiteral("列 '") + m.captured(1) + QStringLiteral("' が見つかりません。") + detail;
    if (raw.contains(QLatin1String("readonly")) || raw.contains(QLatin1String("read-only")))
        return QStringLiteral("データベースまたはオブジェクトは読み取り専用なので、更新できません。") +
               detail;
    return QStringLiteral("データベースの操作でエラーが発生しました。") + detail;
}

Connection::Connection() = default;

Connection::~Connection() {
    Close();
}

void Connection::Open(const QString& connectionString) {
    Close();
    const ParsedConnection parsed = parseConnectionString(connectionString);
    const QString name = QStringLiteral("zanmo-cn-%1").arg(g_connectionSeq.fetchAndAddRelaxed(1) + 1);
    if (parsed.server) {
        openServer(parsed, name);
        return;
    }
    const QString path = dataSourcePath(parsed.dataSource);
    if (const QString why = refusalOf(path); !why.isEmpty()) throw DbError(why, -2147467259);
    const QFileInfo info(path);
    if (parsed.dataSource.trimmed().isEmpty())
        throw DbError(QStringLiteral("ファイル '' が見つかりません。"), -2147467259);
    if (!info.dir().exists())
        throw DbError(
            QStringLiteral("'") + QDir::toNativeSeparators(info.absolutePath()) +
                QStringLiteral(
                    "' は正しいパスではありません。パス名のスペルが正しいかどうか確認してください。"),
            -2147467259);
    // The suite's database is never created here: opening a missing file is an error.
    if (!info.exists() || !info.isFile())
        throw DbError(QStringLiteral("ファイル '") + QDir::toNativeSeparators(path) +
                          QStringLiteral("' が見つかりません。"),
                      -2147467259);
    // An empty file would be taken for a new database and written to; a short one is broken.
    if (info.size() == 0)
        throw DbError(QStringLiteral("認識できないデータベース形式 '") + QDir::toNativeSeparators(path) +
                          QStringLiteral("' です。"),
                      -2147467259);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeoutMs));
        if (!db.open()) {
            failure = QStringLiteral("ファイル '") + QDir::toNativeSeparators(path) +
                      QStringLiteral("' を開けません。") + QStringLiteral(" (") + engineText(db.lastError()) +
                      QLatin1Char(')');
        } else {
            QSqlQuery q(db);
            // Checked before the journal setting, the first statement that may write to the file.
            // Also proves the file is a database at all. On a shared folder a file left in WAL is
            // switched back when no other connection holds it.
            const QString journal = fnJournalMode(path, fnJournalSetting());
            if (looksTruncated(q, path)) {
                failure =
                    QStringLiteral("データベース '") + QDir::toNativeSeparators(path) +
                    QStringLiteral("' を開けません。アプリケーションで認識できないデータベースであるか、"
                                   "またはファイルが破損しています。");
            } else if (!q.exec(QStringLiteral("PRAGMA journal_mode=") + journal)) {
                const QSqlError e = q.lastError();
                if ((e.nativeErrorCode().toInt() & 0xff) == 26 ||
                    engineText(e).contains(QLatin1String("not a database")))
                    failure = QStringLiteral("認識できないデータベース形式 '") +
                              QDir::toNativeSeparators(path) + QStringLiteral("' です。");
                else
                    failure = fnProviderErrorText(e);
            }
        }
        if (!failure.isEmpty()) db.close();
    }
    adopt(name, path, SqlEngine::Sqlite, failure);
}

void Connection::refuse(const QString& where, const QString& why) {
    QMutexLocker lock(&g_refusedLock);
    if (why.isEmpty())
        g_refused.remove(where);
    else
        g_refused.insert(where, why);
}

void Connection::adopt(const QString& name, const QString& where, SqlEngine engine, const QString& failure) {
    if (!failure.isEmpty()) {
        QSqlDatabase::removeDatabase(name);
        throw DbError(failure, -2147467259);
    }
    m_name = name;
    m_file = where;
    m_engine = engine;
    m_shared = std::make_shared<ConnectionShared>();
    m_shared->name = name;
    m_shared->engine = engine;
    applyBusyTimeout();
}

void Connection::openServer(const ParsedConnection& parsed, const QString& name) {
    const QString where = fnServerText(parsed.user, parsed.host, parsed.port, parsed.database);
    if (const QString why = refusalOf(where); !why.isEmpty()) throw DbError(why, -2147467259);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        if (!db.isValid()) {
            failure = QStringLiteral("PostgreSQL のドライバ (libqt6sql6-psql) が見つかりません。");
        } else {
            db.setHostName(parsed.host);
            if (!parsed.port.isEmpty()) db.setPort(parsed.port.toInt());
            db.setDatabaseName(parsed.database);
            db.setUserName(parsed.user);
            db.setPassword(parsed.password); // empty: libpq reads PGPASSWORD or ~/.pgpass
            db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=zanmo"));
            if (!db.open()) {
                failure = QStringLiteral("サーバー '") + where +
                          QStringLiteral("' のデータベースに接続できません。 (") +
                          engineText(db.lastError()).trimmed() + QLatin1Char(')');
            } else {
                QSqlQuery q(db);
                // The suite's texts are compared and stored as the program sends them; a server
                // set to take backslash escapes in literals would let a typed backslash end one,
                // so the connection is refused unless quoting means the same as everywhere.
                // Notices ("already exists, skipping") are no concern of a user.
                if (!q.exec(QStringLiteral("SET client_encoding = 'UTF8'")) ||
                    !q.exec(QStringLiteral("SET standard_conforming_strings = on")) ||
                    !q.exec(QStringLiteral("SET client_min_messages = warning")))
                    failure = fnProviderErrorText(q.lastError());
                else if (!q.exec(QStringLiteral("SHOW standard_conforming_strings")) || !q.next() ||
                         q.value(0).toString() != QLatin1String("on"))
                    failure = QStringLiteral("サーバー '") + where +
                              QStringLiteral("' で standard_conforming_strings を on にできません。");
            }
        }
        if (!failure.isEmpty()) db.close();
    }
    adopt(name, where, SqlEngine::Postgres, failure);
}

void Connection::applyBusyTimeout() {
    if (!m_shared) return;
    QSqlQuery q(database());
    if (m_engine == SqlEngine::Postgres)
        q.exec(QStringLiteral("SET lock_timeout = %1").arg(qMax(1, m_busyTimeoutMs)));
    else
        q.exec(QStringLiteral("PRAGMA busy_timeout=%1").arg(m_busyTimeoutMs));
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

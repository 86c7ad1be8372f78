#include "data/SqliteEngine.h"

#include "data/DbError.h"
#include "data/ParsedConnection.h"
#include "data/basJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <sys/stat.h>

namespace {

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

} // namespace

bool SqliteEngine::takesProvider(const QString& provider) const {
    return provider.compare(u"Microsoft.Jet.OLEDB.4.0", Qt::CaseInsensitive) == 0;
}

void SqliteEngine::checkParts(const ParsedConnection& parsed) const {
    // Jet passwords are at most 20 characters of printable text.
    if (!parsed.hasPassword) return;
    bool ok = parsed.password.size() <= 20;
    for (QChar c : parsed.password)
        ok = ok && c.isPrint();
    if (!ok) throw DbError(QStringLiteral("パスワードが無効です。"), -2147217843);
}

// Data Source as a local path: a backslash is a folder separator, doubled ones collapse.
QString SqliteEngine::location(const ParsedConnection& parsed) const {
    QString path = parsed.dataSource;
    path.replace(u'\\', u'/');
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

QString SqliteEngine::open(const QString& name, const ParsedConnection& parsed, const QString& path,
                           int busyTimeoutMs) const {
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
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!db.open()) {
        failure = QStringLiteral("ファイル '") + QDir::toNativeSeparators(path) +
                  QStringLiteral("' を開けません。") + QStringLiteral(" (") + nativeText(db.lastError()) +
                  QLatin1Char(')');
    } else {
        QSqlQuery q(db);
        // Checked before the journal setting, the first statement that may write to the file.
        // Also proves the file is a database at all. On a shared folder a file left in WAL is
        // switched back when no other connection holds it.
        const QString journal = fnJournalMode(path, fnJournalSetting());
        if (looksTruncated(q, path)) {
            failure = QStringLiteral("データベース '") + QDir::toNativeSeparators(path) +
                      QStringLiteral("' を開けません。アプリケーションで認識できないデータベースであるか、"
                                     "またはファイルが破損しています。");
        } else if (!q.exec(QStringLiteral("PRAGMA journal_mode=") + journal)) {
            const QSqlError e = q.lastError();
            if ((e.nativeErrorCode().toInt() & 0xff) == 26 ||
                nativeText(e).contains(QLatin1String("not a database")))
                failure = QStringLiteral("認識できないデータベース形式 '") + QDir::toNativeSeparators(path) +
                          QStringLiteral("' です。");
            else
                failure = errorText(e);
        }
    }
    if (!failure.isEmpty()) db.close();
    return failure;
}

void SqliteEngine::applyBusyTimeout(const QSqlDatabase& db, int milliseconds) const {
    // A PRAGMA takes no bound value; the number is our own.
    QSqlQuery q(db);
    q.exec(QStringLiteral("PRAGMA busy_timeout=%1").arg(milliseconds));
}

QString SqliteEngine::fromJet(const QString& sql) const {
    return fnJetToSqlite(sql);
}

QString SqliteEngine::errorText(const QSqlError& error) const {
    const QString raw = nativeText(error);
    const int code = error.nativeErrorCode().toInt();
    if ((code & 0xff) == 5 || (code & 0xff) == 6 || raw.contains(QLatin1String("locked")))
        return providerText(Failure::Locked, QString(), raw);
    if (raw.contains(QLatin1String("syntax error")) || raw.contains(QLatin1String("incomplete input")))
        return providerText(Failure::Syntax, QString(), raw);
    static const QRegularExpression noTable(QStringLiteral("no such table: (\\S+)"));
    if (const auto m = noTable.match(raw); m.hasMatch())
        return providerText(Failure::NoTable, m.captured(1), raw);
    static const QRegularExpression noColumn(QStringLiteral("no such column: (\\S+)"));
    if (const auto m = noColumn.match(raw); m.hasMatch())
        return providerText(Failure::NoColumn, m.captured(1), raw);
    if (raw.contains(QLatin1String("readonly")) || raw.contains(QLatin1String("read-only")))
        return providerText(Failure::ReadOnly, QString(), raw);
    return providerText(Failure::Other, QString(), raw);
}

// Result codes have at most four digits; an error without one (a closed handle) is ours too.
bool SqliteEngine::ownsError(const QSqlError& error) const {
    return error.nativeErrorCode().size() < 5;
}

QString SqliteEngine::rowAddress() const {
    return QStringLiteral("rowid");
}

// The database's write lock at once, before the cursor reads.
QString SqliteEngine::beginEditStatement() const {
    return QStringLiteral("BEGIN IMMEDIATE");
}

QString SqliteEngine::rowLockClause() const {
    return QString();
}

QString SqliteEngine::keyLockStatement() const {
    return QString();
}

QString SqliteEngine::foldedName(const QString& name) const {
    return name;
}

QString SqliteEngine::returningClause(const QString&) const {
    return QString();
}

QString SqliteEngine::columnsQuery() const {
    return QStringLiteral("SELECT name, type FROM pragma_table_info(?)");
}

QStringList SqliteEngine::schemaStatements(const QStringList& sqliteForms) const {
    return sqliteForms;
}

QString SqliteEngine::indexNamesQuery() const {
    return QStringLiteral(
        "select name from sqlite_master where type = 'index' and name not like 'sqlite_%' order by name");
}

QStringList SqliteEngine::bulkLoadStatements() const {
    return {QStringLiteral("PRAGMA journal_mode=OFF"), QStringLiteral("PRAGMA synchronous=OFF")};
}

QStringList SqliteEngine::afterBulkLoadStatements() const {
    return {QStringLiteral("PRAGMA journal_mode=DELETE")};
}

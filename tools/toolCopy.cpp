#include "ToolCommands.h"

#include "data/Connection.h"
#include "data/ConnectionShared.h"
#include "data/DatabaseBackup.h"
#include "data/DbError.h"
#include "data/Schema.h"
#include "data/basSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>
#include <cstdio>

namespace {

// Where a copy reads or writes: a database file, or a server's connection text.
struct Endpoint {
    QString file;    // SQLite
    QString connect; // PostgreSQL
    QString shown;
    bool passwordInUrl = false; // refused: it would show in the process list
    QString iniProblem;         // a folder whose zanmo.ini cannot be read
};

bool parseEndpoint(const QString& arg, Endpoint* e) {
    if (arg.startsWith(QLatin1String("postgresql://")) || arg.startsWith(QLatin1String("postgres://"))) {
        const QUrl url(arg);
        if (!url.isValid() || url.path().size() < 2) return false;
        QString text = QStringLiteral("Provider=PostgreSQL;Database=") + fnConnectValue(url.path().mid(1));
        if (!url.host().isEmpty()) text += QStringLiteral(";Host=") + fnConnectValue(url.host());
        if (url.port() > 0) text += QStringLiteral(";Port=") + QString::number(url.port());
        if (!url.userName().isEmpty()) text += QStringLiteral(";User ID=") + fnConnectValue(url.userName());
        e->passwordInUrl = !url.password().isEmpty();
        e->connect = text;
        QUrl shown = url;
        shown.setPassword(QString());
        e->shown = shown.toString();
        return true;
    }
    const QFileInfo info(arg);
    if (info.isDir()) {
        // A program folder: the database its zanmo.ini points at.
        fnSetProgramFolder(info.absoluteFilePath());
        e->iniProblem = fnIniProblem();
        const quint8 mode = fnGetDbMode();
        if (mode == 2) {
            e->connect = fnServerConnectString();
            e->shown = fnDataDescription(mode);
        } else if (mode <= 1) {
            e->file = QFileInfo(fnDataFilePath(mode)).absoluteFilePath();
            e->shown = e->file;
        } else {
            return false;
        }
        fnSetProgramFolder(QString());
        return true;
    }
    e->file = info.absoluteFilePath();
    e->shown = e->file;
    return true;
}

void open(Connection& cn, const Endpoint& e, const QString& file) {
    cn.setStatementTimeout(0); // bulk work: no statement limit
    if (e.connect.isEmpty())
        cn.Open(toolConnectString(file));
    else
        toolOpenServer(cn, e.connect, e.shown);
}

qint64 countRows(Connection& cn, const QString& table) {
    QSqlQuery q(cn.database());
    if (!q.exec(QStringLiteral("select count(*) from ") + table) || !q.next())
        throw DbError(fnProviderErrorText(q.lastError()));
    return q.value(0).toLongLong();
}

// One statement of many rows with bound values: fast on a server, and no value is ever text of
// the statement.
class RowWriter {
public:
    static constexpr int kRows = 200;
    RowWriter(Connection& cn, const QString& table, const QStringList& columns)
        : m_cn(cn), m_table(table), m_columns(columns) {}
    void add(const QVector<QVariant>& row) {
        m_rows.append(row);
        if (m_rows.size() == kRows) flush();
    }
    void flush() {
        if (m_rows.isEmpty()) return;
        const QString one = u'(' + QStringLiteral("?,").repeated(m_columns.size()).chopped(1) + u')';
        QStringList values;
        for (int i = 0; i < m_rows.size(); ++i)
            values << one;
        QSqlQuery q(m_cn.database());
        if (!q.prepare(QStringLiteral("insert into ") + m_table + QStringLiteral(" (") +
                       m_columns.join(u',') + QStringLiteral(") values ") + values.join(u',')))
            throw DbError(fnProviderErrorText(q.lastError()));
        for (const auto& row : std::as_const(m_rows))
            for (const QVariant& v : row)
                q.addBindValue(v);
        if (!q.exec()) throw DbError(fnProviderErrorText(q.lastError()));
        m_rows.clear();
    }

private:
    Connection& m_cn;
    QString m_table;
    QStringList m_columns;
    QVector<QVector<QVariant>> m_rows;
};

// Every row of the program's tables from one open database to another; the counts checked.
void copyRows(Connection& from, Connection& to) {
    // The new database's own settings row gives way to the source's.
    to.Execute(QStringLiteral("delete from sysfile"));
    for (const QString& table : Schema::tableNames()) {
        const QStringList columns = Schema::columnsOf(table);
        const qint64 expected = countRows(from, table);
        QSqlQuery q(from.database());
        q.setForwardOnly(true);
        // In the order the rows were added, which the log's readers see.
        if (!q.exec(QStringLiteral("select ") + columns.join(u',') + QStringLiteral(" from ") + table +
                    QStringLiteral(" order by ") + from.engineRules().insertionOrderColumn()))
            throw DbError(fnProviderErrorText(q.lastError()));
        RowWriter writer(to, table, columns);
        qint64 read = 0;
        while (q.next()) {
            QVector<QVariant> row(columns.size());
            for (int i = 0; i < columns.size(); ++i)
                row[i] = q.isNull(i) ? QVariant() : q.value(i);
            writer.add(row);
            ++read;
        }
        if (q.lastError().isValid()) throw DbError(fnProviderErrorText(q.lastError()));
        writer.flush();
        const qint64 written = countRows(to, table);
        if (read != expected || written != expected)
            throw DbError(QStringLiteral("%1: %2 rows in the source, %3 read, %4 in the target")
                              .arg(table)
                              .arg(expected)
                              .arg(read)
                              .arg(written));
        std::printf("%s: %lld rows\n", table.toUtf8().constData(), static_cast<long long>(written));
    }
}

} // namespace

void toolCopyIntoFile(Connection& from, const QString& built) {
    Schema::createDatabase(built);
    Connection to;
    to.Open(toolConnectString(built));
    to.Execute(QStringLiteral("PRAGMA journal_mode=DELETE"));
    to.BeginTrans();
    copyRows(from, to);
    to.CommitTrans();
}

// zanmo-tool copy SOURCE TARGET: a suite database from a file to a server, a server to a file,
// or any other pair. The target is made new; a failure leaves nothing behind.
int toolCopy(const QStringList& args) {
    if (args.size() != 2) return toolFail(QStringLiteral("usage: zanmo-tool copy SOURCE TARGET"));
    Endpoint source, target;
    if (!parseEndpoint(args[0], &source))
        return toolFail(QStringLiteral("copy: cannot read SOURCE ") + args[0]);
    if (!parseEndpoint(args[1], &target))
        return toolFail(QStringLiteral("copy: cannot read TARGET ") + args[1]);
    for (const Endpoint* e : {&source, &target}) {
        if (e->passwordInUrl)
            return toolFail(
                QStringLiteral("copy: no password in ") + e->shown +
                QStringLiteral(", please: a command line shows in the process list (ps). Put it into "
                               "~/.pgpass (host:port:database:user:password, mode 0600) or "
                               "PGPASSWORD, or leave it out and type it when asked"));
        if (!e->iniProblem.isEmpty()) return toolFail(QStringLiteral("copy: ") + e->iniProblem);
    }
    if (!source.file.isEmpty() && !QFileInfo(source.file).isFile())
        return toolFail(QStringLiteral("copy: no database file ") + source.file);
    if (!target.file.isEmpty() && QFileInfo::exists(target.file))
        return toolFail(QStringLiteral("copy: ") + target.file +
                        QStringLiteral(" exists already; it is never overwritten"));
    if (source.shown == target.shown) return toolFail(QStringLiteral("copy: SOURCE and TARGET are the same"));

    Connection from;
    try {
        open(from, source, source.file);
        const QStringList missing = Schema::missingParts(from);
        if (!missing.isEmpty())
            throw DbError(QStringLiteral("the source lacks ") + missing.join(QStringLiteral(", ")));
        // One snapshot of the source, whatever others write meanwhile.
        DatabaseBackup::beginSnapshot(from);
    } catch (const DbError& e) {
        return toolFail(QStringLiteral("copy: ") + e.description());
    }

    if (target.file.isEmpty()) {
        Connection to;
        try {
            open(to, target, QString());
            toolNoteServerCase(to);
            to.BeginTrans();
            Schema::createOnServer(to);
            copyRows(from, to);
            to.CommitTrans();
        } catch (const DbError& e) {
            if (to.inTransaction()) to.RollbackTrans();
            return toolFail(QStringLiteral("copy: ") + e.description());
        }
        toolAnalyze(to);
    } else {
        // Built aside and moved into place whole, as init does; what a killed copy left goes first.
        Schema::removeAbandonedBuilds(QFileInfo(target.file).absolutePath());
        const QString built = Schema::buildFileFor(target.file);
        Schema::removeDatabaseFiles(built);
        toolBuilding(built);
        try {
            toolCopyIntoFile(from, built);
            Schema::publishDatabase(built, target.file);
        } catch (const DbError& e) {
            Schema::removeDatabaseFiles(built);
            toolBuilding(QString());
            return toolFail(QStringLiteral("copy: ") + e.description());
        }
        toolBuilding(QString());
    }
    std::printf("copied %s to %s\n", source.shown.toUtf8().constData(), target.shown.toUtf8().constData());
    return 0;
}

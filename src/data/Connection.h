#pragma once

#include <QSqlDatabase>
#include <QString>
#include <memory>

struct ConnectionShared;

#include "data/DbEngine.h"

// How long one statement may run on a server before the server cancels it: as long as a save's
// eleven attempts against another PC's lock together (basRetry, 800 ms each), so no statement
// keeps a screen longer than the lock retries would.
inline constexpr int kStatementTimeoutMs = 9000;
// A server that has not answered even after the statement timeout and this much more is taken for
// silent (stopped, or the network gone) and the connection is cut.
inline constexpr int kSilenceGraceMs = 2000;

// An ADO-like connection over SQLite: opened from the Jet connection text, WAL on a local disk and
// the rollback journal on a network file system (fnJournalMode), busy timeout. The text
// "Provider=PostgreSQL;Host=..;Port=..;Database=..;User ID=..;Password=.." opens a server instead;
// the busy timeout is then the server's lock timeout.
//
// Nothing in the process opens a database file except SQLite: on Linux closing any descriptor of a
// file drops every POSIX lock the process holds on it, SQLite's included, and the next program to
// close the file then takes itself for the last one, checkpoints and deletes the WAL under a running
// screen, whose saves go on into the deleted file. Header checks go through SQLite (PRAGMA), sizes
// through stat, copies through SQLite; a file is replaced only by a link or rename of a file of our
// own that no connection has open.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Parses the connection text (provider, Data Source, password checked for form) and opens the
    // file. Throws DbError with a Japanese text naming the file; the file is never created here.
    void Open(const QString& connectionString);
    void Close();
    int State() const; // 1 open, 0 closed

    // Runs an action statement (or a query whose rows are dropped). Throws DbError.
    // Returns the number of rows affected.
    int Execute(const QString& sql);

    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    // How long a statement waits for another connection's lock before it fails.
    void setBusyTimeout(int milliseconds);
    int busyTimeout() const;
    // How long a statement may run on a server (kStatementTimeoutMs unless set; 0: no limit, and no
    // watch for a silent server, for the tool's bulk work). May be set before Open.
    void setStatementTimeout(int milliseconds);
    int statementTimeout() const;
    // The limit connections made from now on start with; the silent-server tests shorten it for
    // connections a screen or a report opens itself.
    static void setDefaultStatementTimeout(int milliseconds);
    // True when the server was lost and could not be reached again. The next statement tries to
    // open the connection again; trying a save again at once is of no use.
    bool serverAway() const;

    QSqlDatabase database() const;
    // The file's path, or "postgresql://user@host:port/name" for a server.
    QString filePath() const;
    SqlEngine engine() const { return m_rules->id(); }
    // What the data layer does differently on this connection's engine.
    const DbEngine& engineRules() const { return *m_rules; }
    // The statement as this connection's engine takes it.
    QString dialect(const QString& sql) const { return m_rules->fromJet(sql); }
    // True between BeginTrans and CommitTrans/RollbackTrans.
    bool inTransaction() const;

    // From now on every opening of the database at `where` (a filePath()) in this process fails
    // with `why`: once the user was told the database cannot be used, no screen writes to it.
    // An empty `why` lets it be opened again.
    static void refuse(const QString& where, const QString& why);
    // True when the connection text names a server that asks for a password none was given for
    // (in the text, PGPASSWORD or ~/.pgpass). Throws DbError for a text that names nothing.
    static bool needsPassword(const QString& connectionString);

private:
    friend class Recordset;
    std::shared_ptr<ConnectionShared>
        m_shared; // outlived by recordsets that must not touch a closed connection
    QString m_name;
    QString m_file;
    int m_busyTimeoutMs = 5000;
    static inline int s_defaultStatementTimeoutMs = kStatementTimeoutMs;
    int m_statementTimeoutMs = s_defaultStatementTimeoutMs;
    const DbEngine* m_rules = &DbEngine::byDefault();

    void applyBusyTimeout();
    // Takes the opened connection `name` as this one, or removes it and throws the failure.
    void adopt(const QString& name, const QString& where, const DbEngine& rules, const QString& failure);
};

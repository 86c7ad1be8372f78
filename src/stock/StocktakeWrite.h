#pragma once

#include <QList>
#include <QString>
#include <functional>

class Connection;
class StocktakeCheck;

// Writes a checked stocktaking file: every line becomes the count row (kind 9, denno 0, line 0) of
// its goods and the count day, replacing the one there, all in one transaction: all or nothing.
// Nothing is written while a line is refused. The locks are the stock-count screen's save's: the
// key of each row as its editable cursor locks it (Recordset::lockEditKeys on fnEntryRowSql, so a
// single save of one of these rows on another PC waits for this write and this write for it), the
// rows there already as that cursor locks them (the engine's row lock), and SQLite's write lock;
// the rows are then written with one statement each, so a whole shop is written in seconds.
class StocktakeWrite {
public:
    struct Written {
        QString gcode;      // stored form
        bool added = false; // a new row (log kind 1); otherwise an existing count replaced (kind 2)
    };

    // How long one attempt waits for another program's lock: the stock-count screen's wait, so
    // that eleven attempts against a held lock give up within seconds.
    static constexpr int kLockWaitMs = 800;

    explicit StocktakeWrite(const StocktakeCheck& check) : m_check(check) {}

    // One attempt: begin, every row, commit; on any failure everything is rolled back and false
    // is returned with errorText().
    bool attempt(Connection& cn);
    // Attempts until one commits or another() says no more; the stock-count screen's save passes
    // fnNextTry here (at most 11 attempts, each reading the rows afresh under the lock).
    bool run(Connection& cn, const std::function<bool()>& another);

    const QList<Written>& written() const { return m_written; }
    QString errorText() const { return m_error; }

    // The operation-log rows of what was written, as the stock-count screen's save writes them:
    // (caption, 1 new or 2 replaced, caption + ":[yyyy/mm/dd][code]"), handed to log one by one in
    // the file's order (the callers give them to fnOperationLog's batch form).
    void logRows(const QString& caption,
                 const std::function<void(const QString& text, int kind, const QString& detail)>& log) const;

private:
    const StocktakeCheck& m_check;
    QList<Written> m_written;
    QString m_error;
};

#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

class Connection;

// The ADO recordset as the program uses it.
// - Read-only (static, client-side): every row is fetched at open, RecordCount is known at once.
// - Editable (pessimistic): one table's row(s) opened inside BEGIN IMMEDIATE on its connection;
//   Update writes the current row (or inserts the added one) and commits; CancelUpdate and Close
//   roll back. A failed Update leaves no half-written row and releases the lock.
// Field names are case-insensitive; "Expr1000", "Expr1001", ... read the column at that position.
// (ADO's EOF is a C macro, hence Eof().)
class Recordset {
public:
    enum State { adStateClosed = 0, adStateOpen = 1 };
    enum EditMode { adEditNone = 0, adEditInProgress = 1, adEditAdd = 2 };

    Recordset();
    ~Recordset();
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Opens a static read-only list. Throws DbError.
    void openStatic(Connection& cn, const QString& sql);
    // The same, fetching at most maxRows rows (a list that shows no more need not read them all);
    // RecordCount then counts the rows fetched.
    void openStatic(Connection& cn, const QString& sql, int maxRows);
    // The same, telling step the rows fetched so far every few hundred rows while a long list is
    // read; when step returns false the reading stops there and stopped() is true.
    void openStatic(Connection& cn, const QString& sql, const std::function<bool(int rows)>& step);
    bool stopped() const;
    // Opens the editable cursor under the connection's write lock. Throws DbError.
    void openEditable(Connection& cn, const QString& sql);
    // Takes, until cn's transaction ends, the lock an editable cursor on each statement takes on its
    // key (the table and condition) on an engine that locks keys of rows not there yet; nothing
    // elsewhere. For a writer of many rows that must take turns with the cursors of single saves.
    // Throws DbError.
    static void lockEditKeys(Connection& cn, const QStringList& sqls);
    // Runs any statement (Connection.Execute): a query leaves the rows open, an action statement leaves
    // the recordset closed. Throws DbError.
    void openExecute(Connection& cn, const QString& sql, int* rowsAffected = nullptr);

    int State() const;
    bool Eof() const;
    bool Bof() const;
    int RecordCount() const;
    int EditMode() const;
    void MoveNext();
    void MoveFirst();

    int fieldCount() const;
    QStringList fieldNames() const;
    bool hasField(const QString& name) const;
    // Value of a field of the current row; throws DbError for an unknown name or no current row.
    QVariant Fields(const QString& name) const;
    QVariant Fields(int index) const;
    // SQLite-declared type of a column mapped to the ADO type numbers (3 integer, 5 double, 202 text...).
    int fieldType(const QString& name) const;

    // Editable only.
    void AddNew();
    // A numeric column takes a finite number or plain decimal text (fnIsPlainNumber), never Null;
    // a refused value throws DbError and leaves the row as it was.
    void setField(const QString& name, const QVariant& value); // throws DbError
    void Update();                                             // throws DbError; releases the lock either way
    void CancelUpdate(); // discards the pending change and releases the lock
    void Close();

private:
    void openStatic(Connection& cn, const QString& sql, int maxRows,
                    const std::function<bool(int rows)>& step);

    struct Impl;
    std::unique_ptr<Impl> d;
};

#pragma once

#include "data/SqlDialect.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <functional>

class DbEngine;
class DbError;
class QSqlQuery;

// State of an open connection shared with the recordsets opened on it. A recordset keeps only a weak
// reference, so closing the connection first never leaves it rolling back someone else's transaction.
//
// A server's connection can be lost: the server restarts, the network drops, the server stops
// answering. Every statement of the data layer runs through run(), which
// - before it, opens again a connection the server ended while it stood idle (a restart), so the
//   statement is never sent into a dead connection;
// - while it runs, watches it: a server that does not answer within the statement timeout plus a
//   grace has the connection cut (the server's own statement_timeout ends a slow statement first);
// - after a failure through a lost connection, opens the connection again once and runs a read
//   once more; anything else (a write, a statement inside a transaction) is told, never replayed.
// A transaction open when the connection went is gone with it: `session` counts the openings, so
// a lock taken in an earlier one is never released on a later one.
struct ConnectionShared {
    QString name;  // QSqlDatabase connection name
    QString where; // the database as a user reads it (Connection::filePath)
    const DbEngine* rules = nullptr;
    int busyTimeoutMs = 5000;
    int statementTimeoutMs = 0;
    bool inTrans = false;  // BeginTrans is active
    bool editLock = false; // an editable recordset holds its own write transaction
    int savepointSeq = 0;
    int session = 1; // the opening of the connection; one more with every reopening

    QSqlDatabase db() const { return QSqlDatabase::database(name, false); }
    // True when the connection was lost and could not be opened again (the next statement tries).
    bool away() const { return !db().isOpen(); }
    // Runs one statement: `step` prepares and executes it on the query it is given and returns
    // false on failure, leaving the query's error. A read (replayable) is run once more after a
    // lost connection was opened again. Throws DbError.
    void run(const std::function<bool(QSqlQuery&)>& step, bool replayable = false);
    // The same for a statement that may change rows (never run again): outside a transaction, on an
    // engine that asks for it, inside one of its own, so a statement given up is never done later.
    void runChange(const QString& sql, const std::function<bool(QSqlQuery&)>& step);
    // Applies the session's lock wait and statement timeout.
    void applyLimits();

private:
    void ready();
    bool reopen(QString* why);
    void abandon();
    DbError failure(const QSqlError& error, bool silent, bool* reopened);
};

// Provider-style Japanese description of an engine error, the engine's own words in brackets.
QString fnProviderErrorText(const QSqlError& error);

// Texts the ADO layer gives for misuse, shared by the connection, the recordset and the module routines.
namespace DbTexts {
inline const QString closedObject() {
    return QStringLiteral("オブジェクトが閉じている場合は、操作は許可されません。");
}
inline const QString noObject() {
    return QStringLiteral("オブジェクト変数または With ブロック変数が設定されていません。");
}
inline const QString noCurrentRecord() {
    return QStringLiteral(
        "BOF と EOF のいずれかが True になっているか、または現在のレコードが削除されています。"
        "要求された操作には、現在のレコードが必要です。");
}
inline const QString noSuchField() {
    return QStringLiteral("要求された名前、または序数に対応する項目がコレクションで見つかりません。");
}
inline const QString typeMismatch() {
    return QStringLiteral(
        "複数ステップの OLE DB の操作でエラーが発生しました。各 OLE DB の状態の値を確認してください。"
        "作業は終了しませんでした。");
}
inline const QString notUpdatable() {
    return QStringLiteral("現在のレコードセットは更新をサポートしていません。"
                          "プロバイダの制限か、選択されているロックの種類の制限が考えられます。");
}
} // namespace DbTexts

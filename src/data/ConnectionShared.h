#pragma once

#include "data/SqlDialect.h"

#include <QSqlError>
#include <QString>

// State of an open connection shared with the recordsets opened on it. A recordset keeps only a weak
// reference, so closing the connection first never leaves it rolling back someone else's transaction.
struct ConnectionShared {
    QString name;          // QSqlDatabase connection name
    bool inTrans = false;  // BeginTrans is active
    bool editLock = false; // an editable recordset holds its own write transaction
    int savepointSeq = 0;
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

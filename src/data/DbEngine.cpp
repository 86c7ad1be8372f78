#include "data/DbEngine.h"

#include "data/PostgresEngine.h"
#include "data/SqliteEngine.h"

const DbEngine& DbEngine::of(SqlEngine engine) {
    static const SqliteEngine sqlite;
    static const PostgresEngine postgres;
    switch (engine) {
    case SqlEngine::Postgres:
        return postgres;
    case SqlEngine::Sqlite:
        break;
    }
    return sqlite;
}

const DbEngine& DbEngine::byDefault() {
    return of(SqlEngine::Sqlite);
}

// The file engine last: it takes whatever error no other engine claims.
QList<const DbEngine*> DbEngine::all() {
    return {&of(SqlEngine::Postgres), &of(SqlEngine::Sqlite)};
}

const DbEngine* DbEngine::forProvider(const QString& provider) {
    for (const DbEngine* engine : all())
        if (engine->takesProvider(provider)) return engine;
    return nullptr;
}

const DbEngine& DbEngine::ofError(const QSqlError& error) {
    for (const DbEngine* engine : all())
        if (engine->ownsError(error)) return *engine;
    return byDefault();
}

QString DbEngine::providerText(Failure failure, const QString& name, const QString& raw) {
    const QString detail = QStringLiteral(" (") + raw + QLatin1Char(')');
    switch (failure) {
    case Failure::Locked:
        return QStringLiteral("ほかのユーザーが使用中のため、データベースをロックできませんでした。") +
               detail;
    case Failure::Syntax:
        return QStringLiteral("SQL ステートメントの構文エラーです。") + detail;
    case Failure::NoTable:
        return QStringLiteral("入力テーブルまたはクエリ '") + name + QStringLiteral("' が見つかりません。") +
               detail;
    case Failure::NoColumn:
        return QStringLiteral("列 '") + name + QStringLiteral("' が見つかりません。") + detail;
    case Failure::ReadOnly:
        return QStringLiteral("データベースまたはオブジェクトは読み取り専用なので、更新できません。") +
               detail;
    case Failure::TimedOut:
        return QStringLiteral("サーバーでの処理が制限時間を超えたため、打ち切りました。") + detail;
    case Failure::Other:
        break;
    }
    return QStringLiteral("データベースの操作でエラーが発生しました。") + detail;
}

QString DbEngine::nativeText(const QSqlError& error) {
    QString t = error.databaseText();
    if (t.isEmpty()) t = error.text();
    return t;
}

QString DbEngine::reopen(const QString&, const QString&) const {
    return QStringLiteral("reconnect not supported");
}

namespace {
const QString kCheckServer = QStringLiteral(
    "サーバーが動いているか、ネットワークがつながっているかを確かめてから、もう一度操作してください。");
}

QString DbEngine::serverAwayText(const QString& where, const QString& reason) {
    QString text =
        QStringLiteral("サーバー '") + where + QStringLiteral("' に接続できません。") + kCheckServer;
    if (!reason.trimmed().isEmpty()) text += QStringLiteral(" (") + reason.trimmed() + QLatin1Char(')');
    return text;
}

QString DbEngine::serverSilentText(const QString& where, int seconds, bool reachedAgain) {
    const QString text = QStringLiteral("サーバー '") + where +
                         QStringLiteral("' が %1 秒以上応答しないため、処理を打ち切りました。").arg(seconds);
    return reachedAgain ? text + QStringLiteral("接続をつなぎ直しました。もう一度操作してください。")
                        : text + kCheckServer;
}

QString DbEngine::connectionLostText(const QString& where, const QString& reason) {
    QString text = QStringLiteral("サーバー '") + where +
                   QStringLiteral("' との接続が切れたため、処理を打ち切りました。接続をつなぎ直しました。"
                                  "もう一度操作してください。");
    if (!reason.trimmed().isEmpty()) text += QStringLiteral(" (") + reason.trimmed() + QLatin1Char(')');
    return text;
}

QString DbEngine::commitUnknownText(const QString& where) {
    return QStringLiteral("サーバー '") + where +
           QStringLiteral("' との接続が記録の確定中に切れ、つなぎ直せませんでした。記録されたかどうかは、"
                          "サーバーに接続できるようになってから確かめてください。");
}

#include "data/basDb.h"

#include "data/ConnectionShared.h"
#include "data/DbError.h"
#include "data/DialogSeam.h"
#include "data/basSettings.h"

Connection* gcnData = nullptr;

namespace {
const QString kTitle = QStringLiteral("ＰＥＬＫＯ");
}

bool fnOpenDB() {
    fnCloseDB();
    const QString connect = fnConnectString(fnGetDbMode(), QLatin1String(kDataFileName));
    gcnData = new Connection;
    try {
        gcnData->Open(connect);
    } catch (const DbError& e) {
        MessageRequest box;
        box.title = kTitle;
        box.text = e.description();
        box.icon = MsgIcon::Critical;
        box.buttons = MsgButtons::Ok;
        dialogs().messageBox(box);
        return false;
    }
    if (gcnData->State() != 1) {
        MessageRequest box;
        box.title = kTitle;
        box.text = QStringLiteral("データベースに接続できませんでした");
        box.icon = MsgIcon::Exclamation;
        box.buttons = MsgButtons::Ok;
        dialogs().messageBox(box);
        return false;
    }
    return true;
}

void fnCloseDB() {
    delete gcnData;
    gcnData = nullptr;
}

void fnOpenRecordset(Recordset& rec, const QString& sql) {
    fnOpenRecordset(rec, sql, {});
}

void fnOpenRecordset(Recordset& rec, const QString& sql, const std::function<bool(int rows)>& step) {
    if (rec.State() == Recordset::adStateOpen) rec.Close();
    if (!gcnData) throw DbError(DbTexts::noObject(), 91);
    rec.openStatic(*gcnData, sql, step);
}

QString fnExecuteSql(Recordset& rec, const QString& sql) {
    if (rec.State() == Recordset::adStateOpen) rec.Close();
    if (!gcnData) return DbTexts::noObject();
    try {
        rec.openExecute(*gcnData, sql);
    } catch (const DbError& e) {
        return e.description();
    }
    return QString();
}

QString fnGetFieldValue(const Recordset& rec, const QString& name, int position) {
    static const QStringList aggregate4 = {
        QStringLiteral("MAX("), QStringLiteral("max("), QStringLiteral("Max("),
        QStringLiteral("MIN("), QStringLiteral("min("), QStringLiteral("Min("),
        QStringLiteral("SUM("), QStringLiteral("sum("), QStringLiteral("Sum(")};
    static const QStringList aggregate6 = {QStringLiteral("COUNT("), QStringLiteral("count("),
                                           QStringLiteral("Count(")};
    QString field = name;
    if (aggregate4.contains(name.left(4)) || aggregate6.contains(name.left(6)))
        // Expr1000 for position 1; counted on from 1000 so position 11 reads Expr1010.
        field = QStringLiteral("Expr%1").arg(1000 + position - 1);
    const QVariant v = rec.Fields(field);
    if (v.isNull()) return QString();
    return v.toString();
}

void fnSetFieldValue(Recordset& rec, const QString& name, const QString& value) {
    QString v = value;
    if (v.isEmpty()) {
        const int type = rec.fieldType(name);
        if (type == 3 || type == 4 || type == 5 || type == 17) v = QStringLiteral("0");
    }
    rec.setField(name, v);
}

QString fnUpdateRecordset(Recordset& rec) {
    try {
        rec.Update();
    } catch (const DbError& e) {
        rec.CancelUpdate();
        return e.description();
    }
    return QString();
}

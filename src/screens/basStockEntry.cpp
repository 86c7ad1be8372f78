#include "screens/basStockEntry.h"

#include "app/basMessage.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "data/DbError.h"
#include "data/DialogSeam.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"
#include "data/clsDbClass.h"
#include "popups/clsPopup.h"
#include "popups/frmPopupGoods.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

QString fnNumberSql(const QString& typed, bool* ok) {
    bool good = false;
    const qlonglong v = typed.trimmed().toLongLong(&good);
    if (ok) *ok = good;
    return good ? QString::number(v) : QStringLiteral("0");
}

QString fnBunruiSql(const QString& n) {
    return QStringLiteral("select code,name from bunrui where kubun = 4 and code = ") + n;
}

QString fnBunruiStepSql(bool next, const QString& n) {
    if (next)
        return QStringLiteral("select code,name from bunrui where kubun = 4 and code > ") + n +
               " order by code";
    return QStringLiteral("select code,name from bunrui where kubun = 4 and code < ") + n +
           " order by code desc";
}

QString fnGoodsCheckSql(const QString& c, const QString& code) {
    const QString g = fnGcodeSql(code);
    if (!c.isEmpty())
        return QStringLiteral("SELECT code,name,stop FROM Goods WHERE bunrui=") + c + " and Code = '" + g +
               "' and zkubun=0";
    return QStringLiteral("SELECT code,name,stop FROM Goods WHERE Code = '") + g + "' and zkubun=0";
}

QString fnGoodsStepSql(bool next, const QString& c, const QString& code) {
    const QString g = fnGcodeSql(code);
    const QString head = c.isEmpty()
                             ? QStringLiteral("SELECT code,name,stop FROM Goods WHERE ")
                             : QStringLiteral("SELECT code,name,stop FROM Goods WHERE bunrui=") + c + " and ";
    if (next) return head + "Code > '" + g + "' and zkubun=0 ORDER BY Code";
    return head + "Code < '" + g + "' ORDER BY Code desc";
}

bool fnOpenShared(Recordset& rec, const QString& sql) {
    try {
        if (!gcnData) throw DbError(QStringLiteral("データベースに接続できませんでした"));
        fnOpenRecordset(rec, sql);
        return true;
    } catch (const DbError& e) {
        fnShowDbError(e.description());
        return false;
    }
}

bool fnOpenClass(clsDbClass& db, Recordset& rec, const QString& sql) {
    if (db.DbSql(sql, rec)) return true;
    fnShowDbError(db.ErrMsg());
    return false;
}

namespace {

void showBunrui(QLineEdit* field, QLabel* label, int width, const Recordset& rec) {
    field->setText(fnPadLeft(fnGetFieldValue(rec, QStringLiteral("code"), 1), static_cast<qint16>(width)));
    label->setText(fnGetFieldValue(rec, QStringLiteral("name"), 2));
}

} // namespace

void fnCheckBunruiField(clsDbClass& db, QLineEdit* field, QLabel* label, int width) {
    const QString t = field->text().trimmed();
    if (t.isEmpty()) {
        label->clear();
        return;
    }
    field->setText(fnPadLeft(t, static_cast<qint16>(width)));
    bool ok = false;
    const QString n = fnNumberSql(t, &ok);
    Recordset rec;
    if (ok && fnOpenClass(db, rec, fnBunruiSql(n)) && !rec.Eof()) {
        label->setText(fnGetFieldValue(rec, QStringLiteral("name"), 2));
        return;
    }
    field->clear();
    label->clear();
}

void fnStepBunruiField(clsDbClass& db, QLineEdit* field, QLabel* label, int width, bool next) {
    const QString n = QString::number(fnRoundEven(fnVal(field->text().trimmed())));
    Recordset rec;
    if (fnOpenClass(db, rec, fnBunruiStepSql(next, n)) && !rec.Eof()) showBunrui(field, label, width, rec);
}

void fnBunruiListField(clsDbClass& db, QLineEdit* field, QLabel* label, int width, QWidget* parent) {
    clsPopup popup;
    popup.IdxKey = QStringLiteral("4");
    popup.IdxKey2 = QString::number(fnRoundEven(fnVal(field->text().trimmed())));
    popup.fnSetPopup(2, parent);
    bool ok = false;
    const QString n = fnNumberSql(popup.IdxKey2, &ok);
    if (!ok) return; // nothing chosen
    Recordset rec;
    if (fnOpenClass(db, rec, QStringLiteral("select * from bunrui where Kubun = 4 and code = ") + n) &&
        !rec.Eof())
        showBunrui(field, label, width, rec);
}

QString fnGoodsListCode(const QLineEdit* bunrui, const QLineEdit* gcode, QWidget* parent) {
    frmPopupGoods popup(parent);
    popup.Gbun(bunrui->text().trimmed().isEmpty() ? 0 : fnRoundEven(fnVal(bunrui->text())));
    popup.gbytMode = 1;
    popup.gstrCode = fnPadLeft(gcode->text(), 12);
    popup.exec();
    return popup.gstrCode;
}

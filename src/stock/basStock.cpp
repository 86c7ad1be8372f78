#include "stock/basStock.h"

#include "core/basDateNumber.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"

namespace {

// Numeric value of a field as the ledger holds it; empty or Null counts as 0.
double fieldNumber(const Recordset& rec, const QString& name, int position) {
    return fnVal(fnGetFieldValue(rec, name, position));
}

// One movement applied to the running stock, rounded back to a whole number (halves to even).
qint32 applyMovement(qint32 stock, int kind, double quantity) {
    switch (kind) {
    case 0:
        return fnRoundEven(double(stock) + quantity); // receipt
    case 1:
        return fnRoundEven(double(stock) - quantity); // shipment
    case 2:
        return fnRoundEven(double(stock) + quantity); // returned goods received
    default:
        return stock;
    }
}

// The condition on one product: its stored (padded) form as a quoted literal.
QString gcodeIs(const QString& gcode) {
    return QStringLiteral("gcode = '") + fnGcodeSql(gcode) + QStringLiteral("' and ");
}

} // namespace

QString fnGcodeSql(const QString& typed) {
    return fnSqlText(fnPadLeft(typed, 12, QStringLiteral(" ")));
}

qint32 fnGetStock(const QString& gcode, qint32 day) {
    qint32 stock = 0;
    qint32 start = 0;
    {
        Recordset rec;
        fnOpenRecordset(rec, QStringLiteral("select day,suu from gdai where ") + gcodeIs(gcode) +
                                 QStringLiteral("day <= ") + QString::number(day) + QStringLiteral(" and ") +
                                 QStringLiteral("kubun = 9 order by day desc,denno desc"));
        if (!rec.Eof()) {
            stock = fnRoundEven(fieldNumber(rec, QStringLiteral("suu"), 2));
            start = fnAddDate(fnRoundEven(fieldNumber(rec, QStringLiteral("day"), 1)), 0, 1, false);
        }
        rec.Close();
    }
    Recordset rec;
    fnOpenRecordset(rec, QStringLiteral("select kubun,suu from gdai where ") + gcodeIs(gcode) +
                             QStringLiteral("day between ") + QString::number(start) +
                             QStringLiteral(" and ") + QString::number(day) + QStringLiteral(" and ") +
                             QStringLiteral("kubun <> 9 order by gcode,day,kubun"));
    while (!rec.Eof()) {
        const int kind = fnRoundEven(fieldNumber(rec, QStringLiteral("kubun"), 1));
        stock = applyMovement(stock, kind, fieldNumber(rec, QStringLiteral("suu"), 2));
        rec.MoveNext();
    }
    rec.Close();
    return stock;
}

qint32 fnGetStockBefore(const QString& gcode, qint32 day) {
    qint32 stock = 0;
    qint32 countDay = 0;
    {
        Recordset rec;
        fnOpenRecordset(rec, QStringLiteral("select day,suu from gdai where ") + gcodeIs(gcode) +
                                 QStringLiteral("day < ") + QString::number(day) + QStringLiteral(" and ") +
                                 QStringLiteral("kubun = 9 order by day desc,denno desc"));
        if (!rec.Eof()) {
            stock = fnRoundEven(fieldNumber(rec, QStringLiteral("suu"), 2));
            countDay = fnRoundEven(fieldNumber(rec, QStringLiteral("day"), 1));
        }
        rec.Close();
    }
    Recordset rec;
    fnOpenRecordset(rec, QStringLiteral("select kubun,suu,day from gdai where ") + gcodeIs(gcode) +
                             QStringLiteral("day between ") + QString::number(countDay) +
                             QStringLiteral(" and ") + QString::number(day) +
                             QStringLiteral(" and kubun <> 9 order by gcode,day,kubun"));
    while (!rec.Eof()) {
        // Movements of the count's own day are already inside the count.
        if (fnRoundEven(fieldNumber(rec, QStringLiteral("day"), 3)) != countDay) {
            const int kind = fnRoundEven(fieldNumber(rec, QStringLiteral("kubun"), 1));
            stock = applyMovement(stock, kind, fieldNumber(rec, QStringLiteral("suu"), 2));
        }
        rec.MoveNext();
    }
    rec.Close();
    return stock;
}

#include "stock/basStock.h"

#include "core/basDateNumber.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"
#include "stock/basStockFigures.h"

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

QHash<QString, qint32> fnGetStocksBefore(qint32 day) {
    const QString d = QString::number(day);
    // Per product the day of its latest count before `day`; of that day's counts the one with the
    // highest voucher number, as fnGetStockBefore's "order by day desc,denno desc" takes it.
    const QString with = QStringLiteral("WITH s AS (SELECT gcode, MAX(day) AS sday FROM gdai WHERE kubun = 9 "
                                        "AND day < ") +
                         d + QStringLiteral(" GROUP BY gcode) ");
    QHash<QString, qint32> stock;
    QHash<QString, qint32> countDay;
    {
        Recordset rec;
        fnOpenRecordset(rec, with + QStringLiteral("SELECT g.gcode, g.day, g.suu FROM gdai g JOIN s ON "
                                                   "s.gcode = g.gcode AND g.day = s.sday WHERE g.kubun = 9 "
                                                   "ORDER BY g.gcode, g.denno"));
        while (!rec.Eof()) {
            const QString k = StockFigureTable::key(rec.Fields(0).toString());
            stock.insert(k, fnRoundEven(fieldNumber(rec, QStringLiteral("suu"), 3)));
            countDay.insert(k, fnRoundEven(fieldNumber(rec, QStringLiteral("day"), 2)));
            rec.MoveNext();
        }
        rec.Close();
    }
    // The movements from the count's day (or 0 without one) up to `day`, in fnGetStockBefore's order.
    Recordset rec;
    fnOpenRecordset(rec, with +
                             QStringLiteral("SELECT g.gcode, g.kubun, g.suu, g.day FROM gdai g LEFT JOIN s "
                                            "ON s.gcode = g.gcode WHERE g.kubun <> 9 AND g.day <= ") +
                             d +
                             QStringLiteral(" AND g.day >= COALESCE(s.sday, 0) ORDER BY g.gcode, g.day, "
                                            "g.kubun"));
    while (!rec.Eof()) {
        const QString k = StockFigureTable::key(rec.Fields(0).toString());
        qint32& s = stock[k];
        // Movements of the count's own day are already inside the count.
        if (fnRoundEven(fieldNumber(rec, QStringLiteral("day"), 4)) != countDay.value(k)) {
            const int kind = fnRoundEven(fieldNumber(rec, QStringLiteral("kubun"), 2));
            s = applyMovement(s, kind, fieldNumber(rec, QStringLiteral("suu"), 3));
        }
        rec.MoveNext();
    }
    rec.Close();
    return stock;
}

QString fnEntryRowSql(const QString& gcode, qint32 day, int kubun) {
    return QStringLiteral("select *") + "  from gdai" + " where gcode='" + fnGcodeSql(gcode) + "'" +
           "   and day=" + QString::number(day) + "   and kubun=" + QString::number(kubun) +
           "   and denno=0" + "   and line=0";
}

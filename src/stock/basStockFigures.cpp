#include "stock/basStockFigures.h"

#include "core/basDateNumber.h"
#include "core/basNumber.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"

#include <cmath>

namespace {

// A ledger sum as a whole number, halves to even; Null (no rows) counts 0.
qint64 wholeUnits(const Recordset& rec, int column) {
    const QVariant v = rec.Fields(column);
    if (v.isNull()) return 0;
    return static_cast<qint64>(std::nearbyint(fnVal(v.toString())));
}

} // namespace

QString StockFigureTable::key(const QString& gcode) {
    QString k = gcode;
    for (QChar& c : k)
        if (c.unicode() < 128) c = c.toLower();
    return k;
}

StockDayFigures StockFigureTable::figures(const QString& gcode) const {
    return m_figures.value(key(gcode));
}

QString StockFigureTable::sql(const QString& codeFrom, const QString& codeTo, qint32 day) {
    const QString d = QString::number(day);
    const QString before = QString::number(fnAddDate(day, 0, -1, true));
    const QString range = QStringLiteral("gcode BETWEEN '") + fnSqlText(codeFrom) +
                          QStringLiteral("' AND '") + fnSqlText(codeTo) + QStringLiteral("'");
    // Per product in the ledger: the day S of its latest count before D, then each figure by its
    // own seek into the (gcode, kubun, day, denno, suu) index, so every ledger row is read at most
    // once and nothing is sorted. Of several counts on a day the highest voucher holds; a count
    // without a quantity counts 0, so cnt is Null only without a count. Without a count before D
    // (or one dated 0) every row from day 0 counts: the rows after b.after.
    const auto rows = [](const QString& kinds, const QString& days) {
        return QStringLiteral("(SELECT SUM(x.suu) FROM gdai x WHERE x.gcode = b.gcode AND x.kubun ") + kinds +
               QStringLiteral(" AND ") + days + u')';
    };
    const auto countOn = [](const QString& dayExpr) {
        return QStringLiteral(
                   "(SELECT COALESCE(x.suu, 0) FROM gdai x WHERE x.gcode = b.gcode AND x.kubun = 9 "
                   "AND x.day = ") +
               dayExpr + QStringLiteral(" ORDER BY x.denno DESC LIMIT 1)");
    };
    const QString sinceBase = QStringLiteral("x.day > b.after AND x.day <= ") + before;
    const QString onDay = QStringLiteral("x.day = ") + d;
    return QStringLiteral("WITH s AS (SELECT DISTINCT gcode FROM gdai WHERE ") + range +
           QStringLiteral(
               "), t AS MATERIALIZED (SELECT gcode, (SELECT MAX(x.day) FROM gdai x WHERE x.gcode = s.gcode "
               "AND x.kubun = 9 AND x.day < ") +
           d +
           QStringLiteral(
               ") AS sday FROM s), b AS (SELECT gcode, sday, CASE WHEN COALESCE(sday, 0) = 0 THEN -1 ELSE "
               "sday END AS after FROM t) SELECT b.gcode, ") +
           countOn(QStringLiteral("b.sday")) + u',' + countOn(d) + u',' +
           rows(QStringLiteral("IN (0, 2)"), sinceBase) + u',' + rows(QStringLiteral("= 1"), sinceBase) +
           u',' + rows(QStringLiteral("= 0"), onDay) + u',' + rows(QStringLiteral("= 1"), onDay) + u',' +
           rows(QStringLiteral("= 2"), onDay) + u',' +
           rows(QStringLiteral("= 1"), QStringLiteral("x.day > ") + d) + QStringLiteral(" FROM b");
}

bool StockFigureTable::load(const QString& codeFrom, const QString& codeTo, qint32 day,
                            const std::function<bool(int products)>& step) {
    m_figures.clear();
    Recordset rec;
    fnOpenRecordset(rec, sql(codeFrom, codeTo, day), step);
    if (rec.stopped()) return false;
    m_figures.reserve(rec.RecordCount());
    while (!rec.Eof()) {
        StockDayFigures f;
        const qint64 base = wholeUnits(rec, 1);
        const bool onDay = !rec.Fields(2).isNull();
        const qint64 in = wholeUnits(rec, 3);
        const qint64 out = wholeUnits(rec, 4);
        f.R = wholeUnits(rec, 5);
        f.H = wholeUnits(rec, 6);
        f.T = wholeUnits(rec, 7);
        f.F = wholeUnits(rec, 8);
        f.P = base + in - out;
        f.count = onDay ? wholeUnits(rec, 2) : 0;
        f.Z = onDay ? f.count : f.P + f.R - f.H + f.T;
        m_figures.insert(key(rec.Fields(0).toString()), f);
        rec.MoveNext();
    }
    rec.Close();
    return true;
}

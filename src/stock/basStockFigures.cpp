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

void StockFigureTable::load(const QString& codeFrom, const QString& codeTo, qint32 day) {
    m_figures.clear();
    const QString d = QString::number(day);
    const QString before = QString::number(fnAddDate(day, 0, -1, true));
    const QString range = QStringLiteral("gcode BETWEEN '") + fnSqlText(codeFrom) +
                          QStringLiteral("' AND '") + fnSqlText(codeTo) + QStringLiteral("'");
    // One pass: s finds per product the day S of its latest count before D; b looks up the count of
    // S and the one of D by index (of several counts on a day the highest voucher holds),
    // materialized so that happens once a product; then the products drive the join, so each reads
    // its ledger rows as one index range, and the movements after S up to the day before D, on D,
    // and the shipments after D are summed in that pass. Without a count before D (or one dated 0)
    // every row from day 0 counts.
    const QString afterBase = QStringLiteral("(g.day > b.sday OR (COALESCE(b.sday, 0) = 0 AND g.day >= 0))");
    const auto sum = [](const QString& when) {
        return QStringLiteral("SUM(CASE WHEN ") + when + QStringLiteral(" THEN g.suu END)");
    };
    const auto countOn = [](const QString& dayExpr) {
        return QStringLiteral(
                   "(SELECT x.suu FROM gdai x WHERE x.gcode = s.gcode AND x.kubun = 9 AND x.day = ") +
               dayExpr + QStringLiteral(" ORDER BY x.denno DESC LIMIT 1)");
    };
    const bool server = gcnData && gcnData->engine() == SqlEngine::Postgres;
    const QString sql =
        QStringLiteral("WITH s AS (SELECT gcode, MAX(CASE WHEN kubun = 9 AND day < ") + d +
        QStringLiteral(" THEN day END) AS sday FROM gdai WHERE ") + range +
        QStringLiteral(" GROUP BY gcode), ") + QStringLiteral("b AS MATERIALIZED (SELECT gcode, sday, ") +
        countOn(QStringLiteral("s.sday")) + QStringLiteral(" AS base, ") + countOn(d) +
        QStringLiteral(" AS cnt, CASE WHEN EXISTS (SELECT 1 FROM gdai x WHERE x.gcode = s.gcode AND "
                       "x.kubun = 9 AND x.day = ") +
        d + QStringLiteral(") THEN 1 ELSE 0 END AS onday FROM s) ") +
        // One row of b a product: its counts pass through MAX, grouped by the code alone.
        QStringLiteral("SELECT b.gcode, MAX(b.base), MAX(b.cnt), MAX(b.onday), ") +
        sum(QStringLiteral("g.day <= ") + before + QStringLiteral(" AND ") + afterBase +
            QStringLiteral(" AND (g.kubun = 0 OR g.kubun = 2)")) +
        u',' +
        sum(QStringLiteral("g.day <= ") + before + QStringLiteral(" AND ") + afterBase +
            QStringLiteral(" AND g.kubun = 1")) +
        u',' + sum(QStringLiteral("g.day = ") + d + QStringLiteral(" AND g.kubun = 0")) + u',' +
        sum(QStringLiteral("g.day = ") + d + QStringLiteral(" AND g.kubun = 1")) + u',' +
        sum(QStringLiteral("g.day = ") + d + QStringLiteral(" AND g.kubun = 2")) + u',' +
        sum(QStringLiteral("g.day > ") + d + QStringLiteral(" AND g.kubun = 1")) +
        // CROSS JOIN keeps SQLite from reordering; the server plans its own join.
        (server ? QStringLiteral(" FROM b JOIN gdai g ON g.gcode = b.gcode")
                : QStringLiteral(" FROM b CROSS JOIN gdai g ON g.gcode = b.gcode")) +
        QStringLiteral(" GROUP BY b.gcode");
    Recordset rec;
    fnOpenRecordset(rec, sql);
    m_figures.reserve(rec.RecordCount());
    while (!rec.Eof()) {
        StockDayFigures f;
        const qint64 base = wholeUnits(rec, 1);
        const bool onDay = rec.Fields(3).toInt() != 0;
        const qint64 in = wholeUnits(rec, 4);
        const qint64 out = wholeUnits(rec, 5);
        f.R = wholeUnits(rec, 6);
        f.H = wholeUnits(rec, 7);
        f.T = wholeUnits(rec, 8);
        f.F = wholeUnits(rec, 9);
        f.P = base + in - out;
        f.count = onDay ? wholeUnits(rec, 2) : 0;
        f.Z = onDay ? f.count : f.P + f.R - f.H + f.T;
        m_figures.insert(key(rec.Fields(0).toString()), f);
        rec.MoveNext();
    }
    rec.Close();
}

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

// Per product: the day of its latest count before D ("sday").
QString latestCountBefore(const QString& range, qint32 day) {
    return QStringLiteral("WITH s AS (SELECT gcode, MAX(day) AS sday FROM gdai WHERE ") + range +
           QStringLiteral(" AND kubun = 9 AND day < ") + QString::number(day) +
           QStringLiteral(" GROUP BY gcode) ");
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
    const QString range = QStringLiteral("gcode BETWEEN '") + fnSqlText(codeFrom) +
                          QStringLiteral("' AND '") + fnSqlText(codeTo) + QStringLiteral("'");
    const QString gRange = QStringLiteral("g.") + range;
    const QString with = latestCountBefore(range, day);

    // Counts: the one of the base day S (latest before D) and the one of D; of several counts on
    // a day the one with the highest voucher number holds.
    struct Counts {
        qint32 sday = 0;
        qint64 base = 0;
        bool onDay = false;
        qint64 daySuu = 0;
    };
    QHash<QString, Counts> counts;
    {
        Recordset rec;
        fnOpenRecordset(rec, with +
                                 QStringLiteral("SELECT g.gcode, g.day, g.suu FROM gdai g LEFT JOIN s ON "
                                                "s.gcode = g.gcode WHERE ") +
                                 gRange + QStringLiteral(" AND g.kubun = 9 AND (g.day = ") + d +
                                 QStringLiteral(" OR g.day = s.sday) ORDER BY g.gcode, g.day, g.denno"));
        while (!rec.Eof()) {
            Counts& c = counts[key(rec.Fields(0).toString())];
            const qint32 rowDay = fnRoundEven(fnVal(rec.Fields(1).toString()));
            if (rowDay == day) {
                c.onDay = true;
                c.daySuu = wholeUnits(rec, 2);
            } else {
                c.sday = rowDay;
                c.base = wholeUnits(rec, 2);
            }
            rec.MoveNext();
        }
        rec.Close();
    }

    // Movements after S up to the day before D, on D, and shipments after D, in one pass.
    const QString before = QString::number(fnAddDate(day, 0, -1, true));
    const QString afterBase = QStringLiteral("(g.day > s.sday OR (COALESCE(s.sday, 0) = 0 AND g.day >= 0))");
    const QString sql =
        with + QStringLiteral("SELECT g.gcode, ") + QStringLiteral("SUM(CASE WHEN g.day <= ") + before +
        QStringLiteral(" AND ") + afterBase +
        QStringLiteral(" AND (g.kubun = 0 OR g.kubun = 2) THEN g.suu END), ") +
        QStringLiteral("SUM(CASE WHEN g.day <= ") + before + QStringLiteral(" AND ") + afterBase +
        QStringLiteral(" AND g.kubun = 1 THEN g.suu END), ") + QStringLiteral("SUM(CASE WHEN g.day = ") + d +
        QStringLiteral(" AND g.kubun = 0 THEN g.suu END), ") + QStringLiteral("SUM(CASE WHEN g.day = ") + d +
        QStringLiteral(" AND g.kubun = 1 THEN g.suu END), ") + QStringLiteral("SUM(CASE WHEN g.day = ") + d +
        QStringLiteral(" AND g.kubun = 2 THEN g.suu END), ") + QStringLiteral("SUM(CASE WHEN g.day > ") + d +
        QStringLiteral(" AND g.kubun = 1 THEN g.suu END) ") +
        QStringLiteral("FROM gdai g LEFT JOIN s ON s.gcode = g.gcode WHERE ") + gRange +
        QStringLiteral(" GROUP BY g.gcode");
    Recordset rec;
    fnOpenRecordset(rec, sql);
    m_figures.reserve(rec.RecordCount());
    while (!rec.Eof()) {
        const QString k = key(rec.Fields(0).toString());
        const Counts c = counts.value(k);
        StockDayFigures f;
        const qint64 in = wholeUnits(rec, 1);
        const qint64 out = wholeUnits(rec, 2);
        f.R = wholeUnits(rec, 3);
        f.H = wholeUnits(rec, 4);
        f.T = wholeUnits(rec, 5);
        f.F = wholeUnits(rec, 6);
        f.P = c.base + in - out;
        f.count = c.onDay ? c.daySuu : 0;
        f.Z = c.onDay ? c.daySuu : f.P + f.R - f.H + f.T;
        m_figures.insert(k, f);
        rec.MoveNext();
    }
    rec.Close();
}

#include "stock/StocktakeWrite.h"

#include "core/basFormat.h"
#include "data/Connection.h"
#include "data/DbError.h"
#include "data/Recordset.h"
#include "stock/StocktakeCheck.h"
#include "stock/basStock.h"
#include "stock/basStockFigures.h"

#include <QHash>
#include <QSet>
#include <algorithm>

bool StocktakeWrite::attempt(Connection& cn) {
    m_written.clear();
    m_error.clear();
    if (m_check.refusedCount() > 0) {
        m_error = QStringLiteral("取り込めない行が%1行あります").arg(m_check.refusedCount());
        return false;
    }
    const QString day = QString::number(m_check.day());
    const QString ofDay =
        QStringLiteral(" and day=") + day + QStringLiteral(" and kubun=9 and denno=0 and line=0");
    // The goods in code order, so that two writers take their key locks in the same order.
    QList<const StocktakeLine*> lines;
    for (const StocktakeLine& l : m_check.lines())
        lines << &l;
    std::sort(lines.begin(), lines.end(), [](const StocktakeLine* a, const StocktakeLine* b) {
        return StockFigureTable::key(a->gcode) < StockFigureTable::key(b->gcode);
    });
    QList<Written> done;
    done.reserve(lines.size());
    try {
        cn.BeginTrans();
        // 1. The key of every row, as the stock-count screen's save locks it before it looks: from
        //    now on no single save can add one of these rows under us (on an engine that locks keys).
        QStringList rows;
        rows.reserve(lines.size());
        for (const StocktakeLine* l : lines)
            rows << fnEntryRowSql(l->gcode, m_check.day(), 9);
        Recordset::lockEditKeys(cn, rows);
        // 2. The count rows there already, locked as that save's cursor locks the row it reads.
        QSet<QString> there;
        {
            Recordset rec;
            rec.openStatic(cn, QStringLiteral("select gcode from gdai where 1=1") + ofDay +
                                   cn.engineRules().rowLockClause());
            while (!rec.Eof()) {
                there.insert(StockFigureTable::key(rec.Fields(0).toString()));
                rec.MoveNext();
            }
        }
        // 3. Each row replaced, or added: new rows a few hundred a statement.
        constexpr int kRowsPerInsert = 500;
        QStringList values;
        const auto insert = [&] {
            if (values.isEmpty()) return;
            cn.Execute(QStringLiteral("insert into gdai (gcode,day,kubun,denno,line,suu) values ") +
                       values.join(u','));
            values.clear();
        };
        for (const StocktakeLine* l : lines) {
            Written w;
            w.gcode = l->gcode;
            w.added = !there.contains(StockFigureTable::key(l->gcode));
            const QString g = fnGcodeSql(l->gcode);
            const QString suu = QString::number(l->counted);
            if (w.added) {
                values << QStringLiteral("('") + g + QStringLiteral("',") + day + QStringLiteral(",9,0,0,") +
                              suu + u')';
                if (values.size() == kRowsPerInsert) insert();
            } else {
                cn.Execute(QStringLiteral("update gdai set suu=") + suu + QStringLiteral(" where gcode='") +
                           g + QStringLiteral("'") + ofDay);
            }
            done << w;
        }
        insert();
        cn.CommitTrans();
    } catch (const DbError& e) {
        m_error = e.description();
        try {
            if (cn.inTransaction()) cn.RollbackTrans();
        } catch (const DbError&) {
            // The connection is gone: the server or SQLite has rolled back already.
        }
        return false;
    }
    // Reported in the file's order.
    QHash<QString, bool> added;
    for (const Written& w : done)
        added.insert(StockFigureTable::key(w.gcode), w.added);
    for (const StocktakeLine& l : m_check.lines())
        m_written << Written{l.gcode, added.value(StockFigureTable::key(l.gcode))};
    return true;
}

bool StocktakeWrite::run(Connection& cn, const std::function<bool()>& another) {
    do {
        if (attempt(cn)) return true;
        if (m_check.refusedCount() > 0) return false;
    } while (another());
    return false;
}

void StocktakeWrite::logRows(const QString& caption,
                             const std::function<void(const QString&, int, const QString&)>& log) const {
    const QString day = fnFormat(m_check.day(), QStringLiteral("####/##/##"));
    for (const Written& w : m_written)
        log(caption, w.added ? 1 : 2, caption + ":" + "[" + day + "][" + w.gcode + "]");
}

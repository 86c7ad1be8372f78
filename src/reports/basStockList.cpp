#include "reports/basStockList.h"

#include "core/basNumber.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"

namespace {

GoodsPick pick(const QString& sql, bool withKinds) {
    GoodsPick g;
    Recordset rec;
    fnOpenRecordset(rec, sql);
    if (!rec.Eof()) {
        g.found = true;
        g.code = fnGetFieldValue(rec, QStringLiteral("code"), 1);
        g.name = fnGetFieldValue(rec, QStringLiteral("name"), 2).trimmed();
        if (withKinds) {
            g.zkubun = fnRoundEven(fnVal(fnGetFieldValue(rec, QStringLiteral("zkubun"), 3)));
            g.stop = fnRoundEven(fnVal(fnGetFieldValue(rec, QStringLiteral("stop"), 4)));
        }
    }
    rec.Close();
    return g;
}

} // namespace

GoodsPick fnRangeEndGoods(bool last) {
    return pick(last ? QStringLiteral("SELECT code,name FROM Goods where code = (select max(code) from goods "
                                      "where zkubun = 0 and stop = 0)")
                     : QStringLiteral("SELECT code,name FROM Goods where code = (select min(code) from goods "
                                      "where zkubun = 0 and stop = 0)"),
                false);
}

GoodsPick fnFindGoods(const QString& code) {
    return pick(QStringLiteral("SELECT code,name,zkubun,stop FROM Goods WHERE Code = '") + fnSqlText(code) +
                    QStringLiteral("'"),
                true);
}

GoodsPick fnStepGoods(const QString& code, bool forward) {
    return pick(forward ? QStringLiteral("SELECT code,name FROM Goods WHERE Code > '") + fnSqlText(code) +
                              QStringLiteral("' and zkubun = 0 and stop = 0 ORDER BY Code")
                        : QStringLiteral("SELECT code,name FROM Goods WHERE Code < '") + fnSqlText(code) +
                              QStringLiteral("' and zkubun = 0 and stop = 0 ORDER BY Code DESC"),
                false);
}

int fnCountStockGoods(const QString& code0, const QString& code1, bool stopOnly) {
    Recordset rec;
    fnOpenRecordset(rec, QStringLiteral("SELECT count(*) FROM goods WHERE code BETWEEN '") +
                             fnSqlText(code0) + QStringLiteral("' AND '") + fnSqlText(code1) +
                             (stopOnly ? QStringLiteral("' AND gkubun = 0 AND zkubun = 0 and stop = 1")
                                       : QStringLiteral("' AND gkubun = 0 AND zkubun = 0 and stop = 0")));
    const int n = rec.Eof() ? 0 : fnRoundEven(fnVal(fnGetFieldValue(rec, QStringLiteral("count(*)"), 1)));
    rec.Close();
    return n;
}

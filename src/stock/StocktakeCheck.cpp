#include "stock/StocktakeCheck.h"

#include "core/basFormat.h"
#include "core/basNumber.h"
#include "core/basPadding.h"
#include "data/basDb.h"
#include "stock/basStock.h"
#include "stock/basStockFigures.h"

#include <QHash>
#include <QSet>

namespace {

const QString kWhole = QStringLiteral("##,###,##0");
const QString kDecimals = QStringLiteral("##,###,##0.00");
const QString kCount = QStringLiteral("###,##0");

struct Goods {
    QString code;
    QString name;
    int zkubun = 0;
    int stop = 0;
    bool hasCost = false;
    double stanka = 0;
};

QString refusedUnknown() {
    return QStringLiteral("未登録の商品コードです");
}
QString refusedTooLong() {
    return QStringLiteral("商品コードが12桁を超えています");
}
QString refusedNoCode() {
    return QStringLiteral("商品コードがありません");
}
QString refusedNotManaged() {
    return QStringLiteral("この商品は在庫対象外です");
}
QString refusedQuantity() {
    return QStringLiteral("数量が0～999999の整数ではありません");
}
QString refusedTwice(const QList<int>& others) {
    QStringList n;
    for (int l : others)
        n << QString::number(l);
    return QStringLiteral("商品コードが重複しています（%1行目にも）").arg(n.join(u','));
}

} // namespace

bool StocktakeCheck::parseQuantity(const QString& text, qint32* value) {
    // The stock-count screen takes digits only (and shows them with thousands separators).
    QString t = text.trimmed();
    t.remove(QLatin1Char(','));
    if (t.isEmpty() || t.size() > 12) return false;
    for (const QChar c : t)
        if (c < u'0' || c > u'9') return false;
    const qlonglong v = t.toLongLong();
    if (v > kMaxQuantity) return false;
    *value = qint32(v);
    return true;
}

void StocktakeCheck::run(const QList<StocktakeFileLine>& fileLines, qint32 day, bool zeroMissing) {
    m_lines.clear();
    m_day = day;
    m_stankaKbn = 0;
    {
        Recordset rec;
        fnOpenRecordset(rec, QStringLiteral("SELECT stankakbn FROM sysfile WHERE id = 1"));
        if (!rec.Eof())
            m_stankaKbn = fnRoundEven(fnVal(fnGetFieldValue(rec, QStringLiteral("stankakbn"), 1)));
    }

    QHash<QString, Goods> goods; // by StockFigureTable::key
    QList<QString> goodsOrder;
    {
        Recordset rec;
        fnOpenRecordset(rec, QStringLiteral("SELECT code,name,zkubun,stop,stanka FROM goods ORDER BY code"));
        goods.reserve(rec.RecordCount());
        while (!rec.Eof()) {
            Goods g;
            g.code = fnGetFieldValue(rec, QStringLiteral("code"), 1);
            g.name = fnGetFieldValue(rec, QStringLiteral("name"), 2);
            g.zkubun = fnRoundEven(fnVal(fnGetFieldValue(rec, QStringLiteral("zkubun"), 3)));
            g.stop = fnRoundEven(fnVal(fnGetFieldValue(rec, QStringLiteral("stop"), 4)));
            const QVariant cost = rec.Fields(4);
            g.hasCost = !cost.isNull();
            g.stanka = g.hasCost ? fnVal(cost.toString()) : 0;
            const QString k = StockFigureTable::key(g.code);
            if (!goods.contains(k)) goodsOrder << k;
            goods.insert(k, g);
            rec.MoveNext();
        }
    }

    // The file's lines: code as typed on the stock-count screen (trimmed, padded to 12).
    QHash<QString, QList<int>> linesOf; // key -> file lines
    for (const StocktakeFileLine& f : fileLines) {
        StocktakeLine l;
        l.fileLine = f.line;
        l.typed = f.code;
        l.quantity = f.quantity;
        if (f.code.isEmpty()) {
            l.refusals << refusedNoCode();
        } else if (f.code.size() > kGcodeLength) {
            l.refusals << refusedTooLong();
            l.gcode = f.code;
        } else {
            l.gcode = fnPadLeft(f.code, kGcodeLength);
            const auto it = goods.constFind(StockFigureTable::key(l.gcode));
            if (it == goods.constEnd()) {
                l.refusals << refusedUnknown();
            } else {
                l.known = true;
                l.gcode = it->code;
                l.name = it->name;
                l.hasCost = it->hasCost;
                l.unitCost = it->stanka;
                if (it->zkubun != 0) l.refusals << refusedNotManaged();
            }
            linesOf[StockFigureTable::key(l.gcode)] << f.line;
        }
        if (!parseQuantity(f.quantity, &l.counted)) l.refusals << refusedQuantity();
        m_lines << l;
    }
    for (StocktakeLine& l : m_lines) {
        if (l.gcode.isEmpty() || l.typed.size() > kGcodeLength) continue;
        const QList<int> all = linesOf.value(StockFigureTable::key(l.gcode));
        if (all.size() < 2) continue;
        QList<int> others = all;
        others.removeAll(l.fileLine);
        l.refusals << refusedTwice(others);
    }
    if (zeroMissing) {
        for (const QString& k : goodsOrder) {
            const Goods& g = goods[k];
            if (g.zkubun != 0 || g.stop != 0 || linesOf.contains(k)) continue;
            StocktakeLine l;
            l.missing = true;
            l.known = true;
            l.gcode = g.code;
            l.typed = g.code.trimmed();
            l.name = g.name;
            l.quantity = QStringLiteral("0");
            l.counted = 0;
            l.hasCost = g.hasCost;
            l.unitCost = g.stanka;
            m_lines << l;
        }
    }

    // Counts already on the day: saving replaces them, as on the stock-count screen.
    QHash<QString, qint32> onDay;
    {
        Recordset rec;
        fnOpenRecordset(rec, QStringLiteral("SELECT gcode,suu FROM gdai WHERE day = ") +
                                 QString::number(day) +
                                 QStringLiteral(" AND kubun = 9 AND denno = 0 AND line = 0"));
        while (!rec.Eof()) {
            onDay.insert(StockFigureTable::key(rec.Fields(0).toString()),
                         fnRoundEven(fnVal(fnGetFieldValue(rec, QStringLiteral("suu"), 2))));
            rec.MoveNext();
        }
    }

    // The book stock of each known goods, as the stock-count screen shows it for that day.
    int known = 0;
    for (const StocktakeLine& l : m_lines)
        if (l.known) ++known;
    QHash<QString, qint32> bulk;
    const bool useBulk = known >= kBulkFrom;
    if (useBulk) bulk = fnGetStocksBefore(day);
    for (StocktakeLine& l : m_lines) {
        if (!l.known) continue;
        const QString k = StockFigureTable::key(l.gcode);
        l.book = useBulk ? bulk.value(k) : fnGetStockBefore(l.gcode, day);
        const auto c = onDay.constFind(k);
        l.replaces = c != onDay.constEnd();
        l.replaced = l.replaces ? *c : 0;
        l.difference = qint64(l.counted) - qint64(l.book);
        l.amount = l.hasCost ? l.unitCost * double(l.difference) : 0;
    }
}

QList<StocktakeLine> StocktakeCheck::shownOrder() const {
    QList<StocktakeLine> out;
    for (const StocktakeLine& l : m_lines)
        if (l.refused()) out << l;
    for (const StocktakeLine& l : m_lines)
        if (!l.refused()) out << l;
    return out;
}

int StocktakeCheck::refusedCount() const {
    int n = 0;
    for (const StocktakeLine& l : m_lines)
        if (l.refused()) ++n;
    return n;
}

int StocktakeCheck::writableCount() const {
    return int(m_lines.size()) - refusedCount();
}

int StocktakeCheck::replaceCount() const {
    int n = 0;
    for (const StocktakeLine& l : m_lines)
        if (!l.refused() && l.replaces) ++n;
    return n;
}

double StocktakeCheck::amountTotal() const {
    double total = 0;
    for (const StocktakeLine& l : m_lines)
        if (!l.refused()) total += l.amount;
    return total;
}

QString StocktakeCheck::amountFormat() const {
    return m_stankaKbn != 0 ? kDecimals : kWhole;
}

QStringList StocktakeCheck::captions() {
    return {QStringLiteral("行"),       QStringLiteral("商品コード"), QStringLiteral("商品名"),
            QStringLiteral("帳簿在庫"), QStringLiteral("棚卸数"),     QStringLiteral("差異"),
            QStringLiteral("原価"),     QStringLiteral("差異金額"),   QStringLiteral("状態")};
}

QString StocktakeCheck::status(const StocktakeLine& line) {
    if (line.refused()) return QStringLiteral("拒否：") + line.refusals.join(QStringLiteral("／"));
    QString s = line.replaces ? QStringLiteral("置換（%1）").arg(fnFormat(line.replaced, kCount))
                              : QStringLiteral("新規");
    if (line.missing) s += QStringLiteral("・ファイルになし");
    return s;
}

QStringList StocktakeCheck::cells(const StocktakeLine& l) const {
    const bool priced = l.known && !l.refused();
    const bool counted = !l.refusals.contains(refusedQuantity());
    return {l.fileLine > 0 ? QString::number(l.fileLine) : QString(),
            l.known ? l.gcode.trimmed() : l.typed,
            l.name,
            l.known ? fnFormat(l.book, kCount) : QString(),
            counted ? fnFormat(l.counted, kCount) : l.quantity,
            priced ? fnFormat(QVariant(l.difference), kCount) : QString(),
            l.known && l.hasCost ? fnFormat(QVariant(l.unitCost), amountFormat()) : QString(),
            priced && l.hasCost ? fnFormat(QVariant(l.amount), amountFormat()) : QString(),
            status(l)};
}

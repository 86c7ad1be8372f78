#include "export/basLedgerTable.h"

#include "export/basExportFile.h"
#include "stock/basLedger.h"

namespace {
const QString kWhole = QStringLiteral("#,##0");
const QString kPlain = QStringLiteral("0");
const QString kDate = QStringLiteral("yyyy/mm/dd");
} // namespace

ExportTable fnLedgerTable(const LedgerMonth& month, const QString& goodsName) {
    using Kind = ExportColumn::Kind;
    ExportTable t;
    t.name = QStringLiteral("商品台帳");
    t.title = t.name;
    t.fileName =
        fnSafeFileTitle(t.name + u'_' + month.gcode.trimmed() + u'_' + QString::number(month.from / 100));
    t.headerLines = {QStringLiteral("商品コード ") + month.gcode.trimmed(),
                     QStringLiteral("名称 ") + goodsName,
                     QStringLiteral("%1年%2月分")
                         .arg(month.from / 10000, 4, 10, QLatin1Char('0'))
                         .arg(month.from / 100 % 100, 2, 10, QLatin1Char('0'))};
    const QStringList captions = fnLedgerCaptions();
    for (int c = 0; c < LedgerColumnCount; ++c) {
        ExportColumn column;
        column.caption = captions.at(c);
        if (c == LedgerDay) {
            column.kind = Kind::Date;
            column.format = kDate;
        } else {
            column.kind = Kind::Number;
            column.format = c == LedgerDenno || c == LedgerLine ? kPlain : kWhole;
        }
        t.columns.append(column);
    }
    for (const LedgerRow& row : month.rows)
        t.rows.append(row.cells);
    const QStringList totalCaptions = fnLedgerTotalCaptions();
    const QStringList figures = month.totals();
    for (int i = 0; i < totalCaptions.size(); ++i)
        t.totals.append({totalCaptions.at(i), figures.at(i), kWhole});
    return t;
}

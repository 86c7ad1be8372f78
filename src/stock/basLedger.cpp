#include "stock/basLedger.h"

#include "core/basFormat.h"
#include "core/basNumber.h"
#include "data/Recordset.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"
#include "stock/basStock.h"

#include <cmath>

namespace {

const QString kQuantityFormat = QStringLiteral("##,###,##0");
const QString kTotalFormat = QStringLiteral("###,###,##0");

qint64 roundEven(double v) {
    // The default rounding mode rounds halves to even, as the ledger's whole-unit figures do.
    return static_cast<qint64>(std::nearbyint(v));
}

// A quantity read back from its shown text, commas removed.
qint64 shownNumber(const QString& text) {
    return roundEven(fnVal(QString(text).remove(u',')));
}

bool filled(const QString& text) {
    return !text.trimmed().isEmpty();
}

LedgerRow ledgerRow(const Recordset& rec, LedgerMonth& month) {
    LedgerRow row;
    row.cells = QStringList(LedgerColumnCount, QString());
    const QString day = fnGetFieldValue(rec, QStringLiteral("day"), 2);
    row.day = day.trimmed();
    row.cells[LedgerDay] = fnFormat(day, QStringLiteral("@@@@/@@/@@"));
    const qint64 denno = roundEven(fnVal(fnGetFieldValue(rec, QStringLiteral("denno"), 4)));
    row.cells[LedgerDenno] = denno == 0 ? QString() : QString::number(denno);
    const qint64 line = roundEven(fnVal(fnGetFieldValue(rec, QStringLiteral("line"), 5)));
    row.cells[LedgerLine] = line == 0 ? QString() : QString::number(line);

    const QVariant suu = rec.Fields(QStringLiteral("suu"));
    const double quantity = suu.isNull() ? 0.0 : fnVal(suu.toString());
    const QString shown = fnFormat(suu.isNull() ? QVariant(0) : suu, kQuantityFormat);
    switch (roundEven(fnVal(fnGetFieldValue(rec, QStringLiteral("kubun"), 3)))) {
    case 0:
        row.cells[LedgerIn] = shown;
        month.receipts = roundEven(double(month.receipts) + quantity);
        break;
    case 1:
        row.cells[LedgerOut] = shown;
        month.shipments = roundEven(double(month.shipments) + quantity);
        break;
    case 2:
        row.cells[LedgerReturn] = shown;
        month.returns = roundEven(double(month.returns) + quantity);
        break;
    case 9:
        row.cells[LedgerCount] = shown;
        break;
    default:
        break; // another kind shows its date, voucher and line only
    }
    return row;
}

} // namespace

QStringList fnLedgerCaptions() {
    return {QStringLiteral("日付"), QStringLiteral("伝票番号"), QStringLiteral("行番号"),
            QStringLiteral("入庫"), QStringLiteral("出庫"),     QStringLiteral("返品入庫"),
            QStringLiteral("棚卸"), QStringLiteral("在庫数")};
}

QStringList fnLedgerTotalCaptions() {
    return {QStringLiteral("入庫合計"), QStringLiteral("出庫合計"), QStringLiteral("返品入庫合計"),
            QStringLiteral("現在庫数")};
}

QStringList LedgerMonth::totals() const {
    return {fnFormat(QVariant(receipts), kTotalFormat), fnFormat(QVariant(shipments), kTotalFormat),
            fnFormat(QVariant(returns), kTotalFormat), fnFormat(QVariant(monthEnd), kTotalFormat)};
}

LedgerMonth fnLedgerMonth(const QString& gcode, qint32 from) {
    LedgerMonth month;
    month.gcode = gcode;
    month.from = from;
    month.to = from + 99;
    {
        Recordset rec;
        fnOpenRecordset(rec, QStringLiteral("select *") + QStringLiteral(" from gdai") +
                                 QStringLiteral(" where gcode = '") + fnSqlText(gcode) + QStringLiteral("'") +
                                 QStringLiteral(" and day between ") + QString::number(month.from) +
                                 QStringLiteral(" and ") + QString::number(month.to) +
                                 QStringLiteral(" order by day desc,kubun,denno desc,line"));
        while (!rec.Eof()) {
            month.rows.append(ledgerRow(rec, month));
            rec.MoveNext();
        }
        rec.Close();
    }
    if (!month.rows.isEmpty()) {
        // One pass from the oldest row up, starting at the end of the previous month, over the
        // figures as shown; a count replaces the running stock (it sits below the day's other rows).
        qint64 stock = fnGetStock(gcode, month.from - 1);
        month.opening = stock;
        for (qsizetype r = month.rows.size() - 1; r >= 0; --r) {
            QStringList& cells = month.rows[r].cells;
            if (filled(cells[LedgerIn])) stock += shownNumber(cells[LedgerIn]);
            if (filled(cells[LedgerOut])) stock -= shownNumber(cells[LedgerOut]);
            if (filled(cells[LedgerReturn])) stock += shownNumber(cells[LedgerReturn]);
            if (filled(cells[LedgerCount])) stock = shownNumber(cells[LedgerCount]);
            cells[LedgerStock] = fnFormat(QVariant(stock), kQuantityFormat);
        }
    }
    month.monthEnd = fnGetStock(gcode, month.to);
    if (month.rows.isEmpty()) month.opening = month.monthEnd;
    return month;
}

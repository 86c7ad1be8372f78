#include "ToolCommands.h"

#include "core/basPadding.h"
#include "data/DbError.h"
#include "export/CsvExport.h"
#include "export/XlsxExport.h"
#include "export/basLedgerTable.h"
#include "reports/basStockList.h"
#include "stock/basLedger.h"

#include <QFileInfo>
#include <cstdio>

namespace {

const QString kUsage =
    QStringLiteral("usage: zanmo-tool ledger DIR CODE YYYYMM [--csv FILE [--sjis] | --xlsx FILE]");

// The table as tab-separated lines: title, header lines, captions, rows, then "caption<TAB>figure".
void print(const ExportTable& table) {
    QStringList lines{table.title};
    lines << table.headerLines;
    QStringList captions;
    for (const ExportColumn& column : table.columns)
        captions << column.caption;
    lines << captions.join(u'\t');
    for (const QStringList& row : table.rows)
        lines << row.join(u'\t');
    for (const ExportTable::Total& total : table.totals)
        lines << total.caption + u'\t' + total.text;
    std::fputs((lines.join(u'\n') + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

} // namespace

// zanmo-tool ledger DIR CODE YYYYMM [--csv FILE [--sjis] | --xlsx FILE]
// The goods ledger of one stock-managed product for one month, computed by the same routine as the
// ledger screen (screen 3): printed, or written as the screen's CSV or Excel export.
int toolLedger(const QStringList& args) {
    QStringList positional;
    QString csv, xlsx;
    bool sjis = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if ((a == QLatin1String("--csv") || a == QLatin1String("--xlsx")) && i + 1 < args.size())
            (a == QLatin1String("--csv") ? csv : xlsx) = args.at(++i);
        else if (a == QLatin1String("--sjis"))
            sjis = true;
        else if (a.startsWith(QLatin1String("--")))
            return toolFail(QStringLiteral("ledger: unexpected argument '%1'\n").arg(a) + kUsage);
        else
            positional << a;
    }
    if (positional.size() != 3) return toolFail(kUsage);
    if (!csv.isEmpty() && !xlsx.isEmpty())
        return toolFail(QStringLiteral("ledger: give --csv FILE or --xlsx FILE, not both\n") + kUsage);
    if (sjis && csv.isEmpty())
        return toolFail(QStringLiteral("ledger: --sjis goes with --csv FILE\n") + kUsage);

    const QString& monthText = positional.at(2);
    bool ok = monthText.size() == 6;
    const int yyyymm = ok ? monthText.toInt(&ok) : 0;
    if (!ok || yyyymm / 100 < 1 || yyyymm % 100 < 1 || yyyymm % 100 > 12)
        return toolFail(QStringLiteral("ledger: YYYYMM must be a month: %1").arg(monthText));
    // Stored right-justified to 12 characters; any character may be in one (queries quote it).
    if (positional.at(1).trimmed().isEmpty())
        return toolFail(QStringLiteral("ledger: not a goods code: %1").arg(positional.at(1)));
    const QString code = fnPadLeft(positional.at(1), 12);
    if (!toolOpenDatabase(positional.at(0))) return 2;

    ExportTable table;
    try {
        // As the screen: only a registered, stock-managed product has a ledger to show.
        const GoodsPick goods = fnFindGoods(code);
        if (!goods.found || goods.zkubun != 0)
            return toolFail(QStringLiteral("ledger: goods '%1' %2")
                                .arg(code.trimmed(), goods.found
                                                         ? QStringLiteral("is not stock-managed (在庫対象外)")
                                                         : QStringLiteral("is not registered (未登録)")));
        table = fnLedgerTable(fnLedgerMonth(goods.code, yyyymm * 100), goods.name);
    } catch (const DbError& e) {
        return toolFail(QStringLiteral("ledger: ") + e.description());
    }

    if (!csv.isEmpty()) {
        CsvExport out;
        out.FileName = QFileInfo(csv).absoluteFilePath();
        out.ShiftJis = sjis;
        if (!out.write(table)) return toolFail(QStringLiteral("ledger: ") + out.errorDescription());
    } else if (!xlsx.isEmpty()) {
        XlsxExport out;
        out.FileName = QFileInfo(xlsx).absoluteFilePath();
        if (!out.write(table)) return toolFail(QStringLiteral("ledger: ") + out.errorDescription());
    } else {
        print(table);
    }
    return 0;
}

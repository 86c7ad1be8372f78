#include "ToolCommands.h"

#include "chart/LedgerChart.h"
#include "core/basFormat.h"
#include "core/basPadding.h"
#include "data/DbError.h"
#include "export/CsvExport.h"
#include "export/XlsxExport.h"
#include "export/basExportFile.h"
#include "export/basLedgerTable.h"
#include "reports/basStockList.h"
#include "stock/basLedger.h"

#include <QChart>
#include <QFileInfo>
#include <cstdio>
#include <memory>

namespace {

const QString kUsage =
    QStringLiteral("usage: zanmo-tool ledger DIR CODE YYYYMM [--csv FILE [--sjis] | --xlsx FILE]\n"
                   "       zanmo-tool ledger DIR CODE YYYYMM [--months N] (--png FILE | --svg FILE)");
// The picture's size in pixels.
const QSize kChartSize(1400, 560);

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

// zanmo-tool ledger DIR CODE YYYYMM [--csv FILE [--sjis] | --xlsx FILE | [--months N] (--png | --svg) FILE]
// The goods ledger of one stock-managed product for one month, computed by the same routine as the
// ledger screen (screen 3): printed, or written as the screen's CSV or Excel export; or the
// screen's chart over the N months up to that month, as a PNG or SVG picture.
int toolLedger(const QStringList& args) {
    QStringList positional;
    QString csv, xlsx, png, svg, monthsText;
    bool sjis = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if ((a == QLatin1String("--csv") || a == QLatin1String("--xlsx")) && i + 1 < args.size())
            (a == QLatin1String("--csv") ? csv : xlsx) = args.at(++i);
        else if ((a == QLatin1String("--png") || a == QLatin1String("--svg")) && i + 1 < args.size())
            (a == QLatin1String("--png") ? png : svg) = args.at(++i);
        else if (a == QLatin1String("--months") && i + 1 < args.size())
            monthsText = args.at(++i);
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
    const QString picture = png.isEmpty() ? svg : png;
    if (!png.isEmpty() + !svg.isEmpty() + !csv.isEmpty() + !xlsx.isEmpty() > 1)
        return toolFail(QStringLiteral("ledger: give one of --csv, --xlsx, --png and --svg\n") + kUsage);
    int months = 1;
    if (!monthsText.isEmpty()) {
        bool number = false;
        months = monthsText.toInt(&number);
        if (!number || months < 1 || months > 36)
            return toolFail(QStringLiteral("ledger: --months must be 1 to 36: %1").arg(monthsText));
        if (picture.isEmpty())
            return toolFail(QStringLiteral("ledger: --months goes with --png FILE or --svg FILE\n") + kUsage);
    }

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
    if (!picture.isEmpty()) {
        // Checked once the program folder is DIR, so the picture never lands on its database.
        int number = 0;
        QString why;
        if (!fnCheckExportTarget(QFileInfo(picture).absoluteFilePath(), &number, &why))
            return toolFail(QStringLiteral("ledger: ") + why);
    }

    ExportTable table;
    QString title;
    QList<LedgerMonth> shown; // the chart's months, oldest first
    try {
        // As the screen: only a registered, stock-managed product has a ledger to show.
        const GoodsPick goods = fnFindGoods(code);
        if (!goods.found || goods.zkubun != 0)
            return toolFail(QStringLiteral("ledger: goods '%1' %2")
                                .arg(code.trimmed(), goods.found
                                                         ? QStringLiteral("is not stock-managed (在庫対象外)")
                                                         : QStringLiteral("is not registered (未登録)")));
        if (picture.isEmpty()) {
            table = fnLedgerTable(fnLedgerMonth(goods.code, yyyymm * 100), goods.name);
        } else {
            // The months up to and including YYYYMM.
            const int last = yyyymm / 100 * 12 + yyyymm % 100 - 1;
            for (int m = last - months + 1; m <= last; ++m)
                if (m >= 12) shown << fnLedgerMonth(goods.code, (m / 12 * 100 + m % 12 + 1) * 100);
            title = QStringLiteral("商品台帳  %1  %2  %3〜%4")
                        .arg(goods.code.trimmed(), goods.name.trimmed(),
                             fnFormat(QString::number(shown.first().from / 100), QStringLiteral("@@@@/@@")),
                             fnFormat(QString::number(shown.last().from / 100), QStringLiteral("@@@@/@@")));
        }
    } catch (const DbError& e) {
        return toolFail(QStringLiteral("ledger: ") + e.description());
    }

    if (!picture.isEmpty()) {
        std::unique_ptr<QChart> chart(LedgerChart::newChart());
        LedgerChart::fill(chart.get(), shown, title);
        QString why;
        if (!LedgerChart::save(chart.get(), QFileInfo(picture).absoluteFilePath(), !svg.isEmpty(), kChartSize,
                               &why))
            return toolFail(QStringLiteral("ledger: cannot write %1: %2").arg(picture, why));
    } else if (!csv.isEmpty()) {
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

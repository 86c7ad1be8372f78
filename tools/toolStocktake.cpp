#include "ToolCommands.h"

#include "app/basOperationLog.h"
#include "app/basRetry.h"
#include "data/DbError.h"
#include "data/clsDbClass.h"
#include "export/CsvExport.h"
#include "export/XlsxExport.h"
#include "export/basStocktakeTable.h"
#include "stock/StocktakeCheck.h"
#include "stock/StocktakeFile.h"
#include "stock/StocktakeWrite.h"

#include <QFileInfo>
#include <cstdio>

namespace {

const QString kUsage =
    QStringLiteral("usage: zanmo-tool counts DIR FILE --day YYYYMMDD [--zero-missing] [--dry-run] "
                   "[--csv OUT [--sjis] | --xlsx OUT]");
// The caption of the operation-log rows: the stocktaking screen's.
const QString kCaption = QStringLiteral("棚卸取込");

void print(const StocktakeCheck& check) {
    QStringList lines{StocktakeCheck::captions().join(u'\t')};
    for (const StocktakeLine& l : check.shownOrder())
        lines << check.cells(l).join(u'\t');
    std::fputs((lines.join(u'\n') + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

} // namespace

// zanmo-tool counts DIR FILE --day YYYYMMDD [--zero-missing] [--dry-run] [--csv OUT [--sjis] | --xlsx OUT]
// A stocktaking file checked against the ledger of DIR's database for the count day, as the
// stocktaking screen (zanmo 6) checks it: printed tab-separated (refused lines first), written as
// CSV or Excel when asked, then written to the ledger in one transaction unless a line is refused or
// --dry-run is given. Exit 0 when written (or a clean dry run), 2 when a line is refused, the file
// cannot be read or the write failed: then nothing is written.
int toolStocktake(const QStringList& args) {
    QStringList positional;
    QString dayText, csv, xlsx;
    bool sjis = false, zeroMissing = false, dryRun = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if ((a == QLatin1String("--day") || a == QLatin1String("--csv") || a == QLatin1String("--xlsx")) &&
            i + 1 < args.size())
            (a == QLatin1String("--day") ? dayText : a == QLatin1String("--csv") ? csv : xlsx) = args.at(++i);
        else if (a == QLatin1String("--sjis"))
            sjis = true;
        else if (a == QLatin1String("--zero-missing"))
            zeroMissing = true;
        else if (a == QLatin1String("--dry-run"))
            dryRun = true;
        else if (a.startsWith(QLatin1String("--")))
            return toolFail(QStringLiteral("counts: unexpected argument '%1'\n").arg(a) + kUsage);
        else
            positional << a;
    }
    if (positional.size() != 2 || dayText.isEmpty()) return toolFail(kUsage);
    if (!csv.isEmpty() && !xlsx.isEmpty())
        return toolFail(QStringLiteral("counts: give --csv OUT or --xlsx OUT, not both\n") + kUsage);
    if (sjis && csv.isEmpty())
        return toolFail(QStringLiteral("counts: --sjis goes with --csv OUT\n") + kUsage);
    int day = 0;
    if (!toolParseDay(dayText, &day)) return toolFail(QStringLiteral("counts: not a date: %1").arg(dayText));

    StocktakeFile file;
    if (!file.read(positional.at(1)))
        return toolFail(QStringLiteral("counts: %1: %2").arg(positional.at(1), file.errorText()));
    if (!toolOpenDatabase(positional.at(0))) return 2;

    StocktakeCheck check;
    try {
        check.run(file.lines(), day, zeroMissing);
    } catch (const DbError& e) {
        return toolFail(QStringLiteral("counts: ") + e.description());
    }
    print(check);
    if (!csv.isEmpty()) {
        CsvExport out;
        out.FileName = QFileInfo(csv).absoluteFilePath();
        out.ShiftJis = sjis;
        if (!out.write(fnStocktakeTable(check)))
            return toolFail(QStringLiteral("counts: ") + out.errorDescription());
    } else if (!xlsx.isEmpty()) {
        XlsxExport out;
        out.FileName = QFileInfo(xlsx).absoluteFilePath();
        if (!out.write(fnStocktakeTable(check)))
            return toolFail(QStringLiteral("counts: ") + out.errorDescription());
    }
    if (check.refusedCount() > 0)
        return toolFail(
            QStringLiteral("counts: %1 line(s) refused, nothing written").arg(check.refusedCount()));
    if (dryRun) return 0;

    // The stock-count screen's save: its own connection, a short lock wait, at most 11 attempts.
    clsDbClass db;
    if (!db.OpenDb()) return toolFail(QStringLiteral("counts: ") + db.ErrMsg());
    db.connection()->setBusyTimeout(StocktakeWrite::kLockWaitMs);
    StocktakeWrite write(check);
    qint16 counter = 0;
    if (!write.run(*db.connection(), [&] { return fnNextTry(counter); }))
        return toolFail(QStringLiteral("counts: nothing written: ") + write.errorText());
    QList<OperationLogRow> log;
    write.logRows(kCaption, [&](const QString& text, int kind, const QString& detail) {
        log << OperationLogRow{text, kind, detail};
    });
    fnOperationLog(log);
    std::fprintf(stderr, "zanmo-tool: counts: %d count(s) written for %s\n", int(write.written().size()),
                 qPrintable(dayText));
    return 0;
}

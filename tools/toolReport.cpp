#include "ToolCommands.h"

#include "core/basNumber.h"
#include "core/basPadding.h"
#include "data/DbError.h"
#include "data/basDb.h"
#include "reports/ReportCsvExport.h"
#include "reports/ReportPdfExport.h"
#include "reports/ReportXlsxExport.h"
#include "reports/basStockList.h"
#include "reports/rptKakuhoZaiko.h"
#include "reports/rptNyuuden.h"
#include "reports/rptZaiko.h"

#include <QFileInfo>
#include <cstdio>
#include <memory>

namespace {

const QString kUsage =
    QStringLiteral("usage: zanmo-tool report zaiko DIR --day YYYYMMDD [--from CODE] [--to CODE] [--stop] "
                   "(--pdf FILE | --xlsx FILE | --csv FILE [--sjis])\n"
                   "       zanmo-tool report kakuho DIR --day YYYYMMDD [--from CODE] [--to CODE] "
                   "(--pdf FILE | --xlsx FILE | --csv FILE [--sjis])\n"
                   "       zanmo-tool report nyuuden DIR --kind 0|9 --start YYYYMMDD --end YYYYMMDD "
                   "(--pdf FILE | --xlsx FILE | --csv FILE [--sjis])");

struct Options {
    QString kind, dir, from, to, pdf, csv, xlsx, listKind;
    int day = 0, start = 0, end = 0;
    bool stop = false, sjis = false;
};

bool parse(const QStringList& args, Options* o, QString* error) {
    if (args.size() < 2) return false;
    o->kind = args.at(0);
    o->dir = args.at(1);
    const bool receipts = o->kind == QLatin1String("nyuuden");
    QString dayText, startText, endText;
    for (int i = 2; i < args.size(); ++i) {
        const QString& a = args.at(i);
        auto value = [&](QString* target) {
            if (i + 1 >= args.size()) return false;
            *target = args.at(++i);
            return true;
        };
        bool ok = true;
        if (a == QLatin1String("--day") && !receipts)
            ok = value(&dayText);
        else if (a == QLatin1String("--from") && !receipts)
            ok = value(&o->from);
        else if (a == QLatin1String("--to") && !receipts)
            ok = value(&o->to);
        else if (a == QLatin1String("--kind") && receipts)
            ok = value(&o->listKind);
        else if (a == QLatin1String("--start") && receipts)
            ok = value(&startText);
        else if (a == QLatin1String("--end") && receipts)
            ok = value(&endText);
        else if (a == QLatin1String("--pdf"))
            ok = value(&o->pdf);
        else if (a == QLatin1String("--csv"))
            ok = value(&o->csv);
        else if (a == QLatin1String("--xlsx"))
            ok = value(&o->xlsx);
        else if (a == QLatin1String("--stop") && o->kind == QLatin1String("zaiko"))
            o->stop = true;
        else if (a == QLatin1String("--sjis"))
            o->sjis = true;
        else
            ok = false;
        if (!ok) {
            *error = QStringLiteral("report: unexpected argument '%1'").arg(a);
            return false;
        }
    }
    if (receipts) {
        if (o->listKind != QLatin1String("0") && o->listKind != QLatin1String("9")) {
            *error = QStringLiteral("report: --kind must be 0 (receipts) or 9 (adjustments)");
            return false;
        }
        if (!toolParseDay(startText, &o->start) || !toolParseDay(endText, &o->end)) {
            *error = QStringLiteral("report: --start and --end YYYYMMDD must be calendar days");
            return false;
        }
    } else if (!toolParseDay(dayText, &o->day)) {
        *error = QStringLiteral("report: --day YYYYMMDD must be a calendar day");
        return false;
    }
    if (int(!o->pdf.isEmpty()) + int(!o->csv.isEmpty()) + int(!o->xlsx.isEmpty()) != 1) {
        *error = QStringLiteral("report: give one of --pdf FILE, --xlsx FILE and --csv FILE");
        return false;
    }
    return true;
}

// A range end as the screen takes it: blank gives the smallest / largest stock-managed, active
// goods; a code must name stock-managed goods.
bool rangeEnd(const QString& typed, bool last, QString* code, QString* name, QString* error) {
    GoodsPick g;
    if (typed.trimmed().isEmpty()) {
        g = fnRangeEndGoods(last);
        if (!g.found) {
            *error = QStringLiteral("report: no stock-managed goods (ﾃﾞｰﾀなし)");
            return false;
        }
    } else {
        g = fnFindGoods(fnPadLeft(typed, 12));
        if (!g.found || g.zkubun != 0) {
            *error = QStringLiteral("report: goods '%1' %2")
                         .arg(typed.trimmed(), g.found ? QStringLiteral("is not stock-managed (在庫対象外)")
                                                       : QStringLiteral("is not registered (未登録)"));
            return false;
        }
    }
    *code = g.code;
    *name = g.name;
    return true;
}

// The laid-out report written as the options ask.
int writeReport(ActiveReport& report, const Options& o) {
    if (!report.Run() || report.PageCount() == 0)
        return toolFail(report.lastErrorText().isEmpty()
                            ? QStringLiteral("report: nothing to print (ﾃﾞｰﾀなし)")
                            : QStringLiteral("report: ") + report.lastErrorText());
    if (!o.pdf.isEmpty()) {
        ReportPdfExport pdf;
        pdf.FileName = QFileInfo(o.pdf).absoluteFilePath();
        if (!pdf.Export(report)) return toolFail(QStringLiteral("report: ") + pdf.errorDescription());
    } else if (!o.xlsx.isEmpty()) {
        ReportXlsxExport xlsx;
        xlsx.FileName = QFileInfo(o.xlsx).absoluteFilePath();
        if (!xlsx.Export(report)) return toolFail(QStringLiteral("report: ") + xlsx.errorDescription());
    } else {
        ReportCsvExport csv;
        csv.FileName = QFileInfo(o.csv).absoluteFilePath();
        csv.ShiftJis = o.sjis;
        if (!csv.Export(report)) return toolFail(QStringLiteral("report: ") + csv.errorDescription());
    }
    return 0;
}

// The receipt or adjustment list, its range put in order as the print screen does.
int receiptList(const Options& o) {
    const int mode = o.listKind.toInt();
    const int start = qMin(o.start, o.end);
    const int end = qMax(o.start, o.end);
    Recordset rec;
    try {
        fnOpenRecordset(rec, rptNyuuden::listSql(mode, start, end));
    } catch (const DbError& e) {
        return toolFail(QStringLiteral("report: ") + e.description());
    }
    if (rec.RecordCount() == 0) return toolFail(QStringLiteral("report: no rows in the range (ﾃﾞｰﾀなし)"));
    rptNyuuden report;
    report.grecBuff = &rec;
    report.setMode(mode);
    report.glngCnt = rec.RecordCount();
    report.StartDay = start;
    report.EndDay = end;
    return writeReport(report, o);
}

} // namespace

// zanmo-tool report zaiko|kakuho|nyuuden DIR ...: the lists through the same report classes as
// the print screens, written as PDF, Excel or CSV.
int toolReport(const QStringList& args) {
    Options o;
    QString error;
    if (!parse(args, &o, &error)) return toolFail(error.isEmpty() ? kUsage : error + u'\n' + kUsage);
    if (o.kind != QLatin1String("zaiko") && o.kind != QLatin1String("kakuho") &&
        o.kind != QLatin1String("nyuuden"))
        return toolFail(QStringLiteral("report: unknown list '%1'\n").arg(o.kind) + kUsage);
    if (!toolOpenDatabase(o.dir)) return 2;
    if (o.kind == QLatin1String("nyuuden")) return receiptList(o);

    StockListRange range;
    range.day = o.day;
    range.stopOnly = o.stop;
    qint32 stankaKbn = 0;
    try {
        if (!rangeEnd(o.from, false, &range.code0, &range.name0, &error) ||
            !rangeEnd(o.to, true, &range.code1, &range.name1, &error))
            return toolFail(error);
        if (range.code0 > range.code1) {
            std::swap(range.code0, range.code1);
            std::swap(range.name0, range.name1);
        }
        if (fnCountStockGoods(range.code0, range.code1, range.stopOnly) == 0)
            return toolFail(QStringLiteral("report: no goods in the range (ﾃﾞｰﾀなし)"));
        Recordset rec;
        fnOpenRecordset(rec, QStringLiteral("SELECT stankakbn FROM Sysfile WHERE Id = 1"));
        if (!rec.Eof()) stankaKbn = fnRoundEven(fnVal(fnGetFieldValue(rec, QStringLiteral("stankakbn"), 1)));
    } catch (const DbError& e) {
        return toolFail(QStringLiteral("report: ") + e.description());
    }

    std::unique_ptr<StockListReport> report;
    if (o.kind == QLatin1String("zaiko")) {
        auto zaiko = std::make_unique<rptZaiko>();
        zaiko->StankaKbn = stankaKbn;
        report = std::move(zaiko);
    } else {
        report = std::make_unique<rptKakuhoZaiko>();
    }
    report->Range = range;
    return writeReport(*report, o);
}

#include "reports/basReportTable.h"

#include "reports/ActiveReport.h"

ExportTable fnReportTable(const ActiveReport& report) {
    ExportTable t;
    t.name = report.Caption;
    t.fileName = report.fileTitle();
    t.csvHeading = true;
    t.title = report.exportTitle();
    t.headerLines = report.exportHeaderLines();
    t.columns = report.ExportColumns;
    t.rows = report.printedRows();
    t.landscape = report.PageSettings.Orientation == ReportPageSettings::ddOLandscape;
    t.leftMargin = report.PageSettings.LeftMargin;
    t.topMargin = report.PageSettings.TopMargin;
    t.rightMargin = report.PageSettings.RightMargin;
    t.bottomMargin = report.PageSettings.BottomMargin;
    return t;
}

bool fnRunReportForTable(ActiveReport& report, QString* error) {
    if (report.hasRun() || report.Run()) return true;
    *error = report.lastErrorText().isEmpty() ? QStringLiteral("帳票を作成できませんでした。")
                                              : report.lastErrorText();
    return false;
}

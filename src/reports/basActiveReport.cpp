#include "reports/basActiveReport.h"

#include "app/basMessage.h"
#include "core/basFormat.h"
#include "data/DialogSeam.h"
#include "data/basSettings.h"
#include "export/basExportFile.h"
#include "export/basTableExport.h"
#include "reports/ActiveReport.h"
#include "reports/PrintProgress.h"
#include "reports/ReportPdfExport.h"
#include "reports/basReportTable.h"

#include <QCoreApplication>
#include <QDate>
#include <QProgressDialog>
#include <utility>

namespace {

constexpr int vbKeyF2 = 113;
constexpr int vbKeyF3 = 114;
constexpr int vbKeyF9 = 120;
constexpr int vbKeyF12 = 123;
constexpr int vbShiftMask = 1;

} // namespace

void fnSetDataControl(ActiveReport& report) {
    report.DataControl1.ConnectionString =
        fnConnectString(fnGetDbMode(), QString::fromLatin1(kDataFileName)) +
        QStringLiteral(";Persist Security Info=False");
}

void fnSetPreviewToolbar(ActiveReport& report) {
    report.PrintWidth =
        report.PageSettings.paperWidth() - (report.PageSettings.LeftMargin + report.PageSettings.RightMargin);
    ReportToolbar& bar = report.Toolbar;
    // Set up once: a second call would insert the page and close tools again.
    for (const auto& tool : bar.tools())
        if (tool.ID == ToolClose) return;
    for (int position : {1, 8, 9, 12, 13})
        bar.Tools(position).Visible = false;

    QCoreApplication::processEvents();
    ReportToolbar::Tool& pdf = bar.Tools(0);
    pdf.Tooltip = QStringLiteral("PDF出力");
    pdf.Caption = QStringLiteral("PDF出力");
    pdf.Visible = true;
    pdf.ID = ToolPdf;

    bar.Tools(2).Visible = true;
    bar.Tools(3).Visible = true;

    bar.Tools(4).Tooltip = QStringLiteral("(F9) 縮小");
    bar.Tools(5).Tooltip = QStringLiteral("(Shift&F9) 拡大");
    bar.Tools(10).Tooltip = QStringLiteral("ﾍﾟｰｼﾞ数を入力し[Enter]ｷｰを押すとジャンプします。");

    ReportToolbar::Tool& close = bar.Insert(12, QStringLiteral("(F12)ﾌﾟﾚﾋﾞｭｰを閉じる"));
    close.ID = ToolClose;
    close.Tooltip = close.Caption;

    ReportToolbar::Tool& next = bar.Insert(8, QStringLiteral("(F2)次のﾍﾟｰｼﾞ"));
    next.Tooltip = next.Caption;
    next.ID = ReportToolbar::IdNextPage;
    ReportToolbar::Tool& previous = bar.Insert(9, QStringLiteral("(F3)前のﾍﾟｰｼﾞ"));
    previous.Tooltip = previous.Caption;
    previous.ID = ReportToolbar::IdPreviousPage;

    // The table exports follow the PDF button, on a report that names the columns to write.
    if (report.ExportColumns.isEmpty()) return;
    ReportToolbar::Tool& xlsx = bar.Insert(1, QStringLiteral("Excel出力"));
    xlsx.ID = ToolXlsx;
    xlsx.Tooltip = xlsx.Caption;
    ReportToolbar::Tool& csv = bar.Insert(2, QStringLiteral("CSV出力"));
    csv.ID = ToolCsv;
    csv.Tooltip = csv.Caption;
}

namespace {

// The bar of an export from the preview: shown once the export has taken longer than a print
// screen waits, with a stop button (Escape too).
class ExportProgress {
public:
    explicit ExportProgress(ActiveReport& report)
        : m_dialog(QStringLiteral("出力中・・・"), QStringLiteral("中止"), 0, 0, report.preview()) {
        m_dialog.setObjectName(QStringLiteral("dlgExportProgress"));
        m_dialog.setWindowTitle(report.Caption);
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(PrintProgress::showAfterMs);
        m_dialog.reset();
    }
    // Gone once the work is done, before the box that tells how it went.
    void finish() { m_dialog.reset(); }
    std::function<bool(int, int)> callback() {
        return [this](int done, int total) {
            if (done >= total) {
                finish();
                return true;
            }
            m_dialog.setMaximum(total);
            m_dialog.setValue(done);
            return !m_dialog.wasCanceled();
        };
    }

private:
    QProgressDialog m_dialog;
};

} // namespace

bool fnExportPdf(ActiveReport& report) {
    SaveFileRequest ask;
    ask.title = report.Caption + QStringLiteral("PDF出力ﾌｧｲﾙ");
    ask.filter = QStringLiteral("PDFﾌｧｲﾙ (*.PDF)");
    ask.proposedName = report.fileTitle();
    const QString fileName = fnAskExportFile(ask, QStringLiteral(".pdf"));
    if (fileName.isEmpty()) return false; // cancelled: nothing written, nothing said

    ReportPdfExport filter;
    filter.FileName = fileName;
    // A long export shows its pages and can be stopped (the button or Escape); no file is made then.
    ExportProgress wait(report);
    auto kept = std::exchange(report.Progress, wait.callback());
    const bool written = filter.Export(report);
    report.Progress = std::move(kept);
    wait.finish();
    if (!written) {
        if (report.cancelled()) return false;
        fnShowExportError(filter.errorNumber(), filter.errorDescription());
        return false;
    }
    fnShowExported();
    return true;
}

namespace {

// The report laid out, or the error box when there is nothing to export.
bool laidOut(ActiveReport& report) {
    if (!report.hasRun()) report.Run();
    if (report.PageCount() > 0) return true;
    fnShowExportError(kExportInvalidCall, report.lastErrorText().isEmpty()
                                              ? QStringLiteral("出力するﾍﾟｰｼﾞがありません。")
                                              : report.lastErrorText());
    return false;
}

} // namespace

bool fnExportXlsx(ActiveReport& report) {
    if (!laidOut(report)) return false;
    ExportProgress wait(report);
    ExportTable table = fnReportTable(report);
    table.progress = wait.callback();
    return fnExportTableXlsx(table);
}

bool fnExportCsv(ActiveReport& report) {
    if (!laidOut(report)) return false;
    ExportProgress wait(report);
    ExportTable table = fnReportTable(report);
    table.progress = wait.callback();
    return fnExportTableCsv(table);
}

void fnPreviewKeyDown(ActiveReport& report, int& KeyCode, int Shift) {
    switch (KeyCode) {
    case vbKeyF2:
        if (report.CurrentPage() < report.PageCount()) report.setCurrentPage(report.CurrentPage() + 1);
        break;
    case vbKeyF3:
        if (report.CurrentPage() > 1) report.setCurrentPage(report.CurrentPage() - 1);
        break;
    case vbKeyF9:
        if (Shift == 0) {
            if (report.Zoom() > 20) report.setZoom(report.Zoom() - 10);
        } else if (Shift == vbShiftMask) {
            if (report.Zoom() < 800) report.setZoom(report.Zoom() + 10);
        }
        break;
    case vbKeyF12:
        report.Unload();
        break;
    default:
        break;
    }
}

void fnPreviewToolbarClick(ActiveReport& report, ReportToolbar::Tool& tool) {
    if (tool.ID == ToolPdf) fnExportPdf(report);
    if (tool.ID == ToolXlsx) fnExportXlsx(report);
    if (tool.ID == ToolCsv) fnExportCsv(report);
    if (tool.ID == ToolClose) report.Unload();
}

void fnPreviewNoData(ActiveReport& report) {
    fnMessage(QStringLiteral("ﾃﾞｰﾀなし"));
    report.Unload();
}

void fnAddMadeOnAndPages(ReportSection& header, int width, int top) {
    constexpr int line = 300;
    const Qt::Alignment toRight = Qt::AlignRight | Qt::AlignVCenter;
    header.addLabel(QStringLiteral("Label9"), QStringLiteral("作成日"), width - 2500, top, 800, line);
    header.addLabel(QStringLiteral("lblDay"), {}, width - 1700, top, 1700, line)->setAlignment(toRight);
    header.addTextField(QStringLiteral("txtPage"), {}, width - 1700, top + line, 700, line)
        ->setAlignment(toRight)
        .SummaryType = ReportControl::Summary::PageNumber;
    header.addLabel(QStringLiteral("Label8"), QStringLiteral("/"), width - 1000, top + line, 300, line)
        ->setAlignment(Qt::AlignCenter);
    header.addTextField(QStringLiteral("txtPageTotal"), {}, width - 700, top + line, 700, line)->SummaryType =
        ReportControl::Summary::PageCount;
}

void fnShowMadeOn(ActiveReport& report) {
    report.control(QStringLiteral("lblDay"))->Caption =
        fnFormat(QDate::currentDate(), QStringLiteral("YYYY/MM/DD"));
}

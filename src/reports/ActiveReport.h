#pragma once

#include "export/ExportColumn.h"
#include "reports/ReportDataControl.h"
#include "reports/ReportFields.h"
#include "reports/ReportPage.h"
#include "reports/ReportPageSettings.h"
#include "reports/ReportPreview.h"
#include "reports/ReportSection.h"
#include "reports/ReportToolbar.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariantMap>
#include <functional>
#include <map>
#include <memory>

class QPagedPaintDevice;
class Recordset;
class ReportTextCache;

// The base of every report: page header, detail and page footer sections, a data control or
// records handed over, the Fields of the current record, page settings, and the report events as
// virtual functions. Running the report lays out all pages first (so a header can show
// "page / page count"); the preview, the printer and the PDF writer then paint the same pages.
//
// Lifetime: Show() takes the report over (a unique_ptr handed in): the preview owns it, and closing
// the preview (F12, the close tool, the window's own close, or Unload() from an event such as
// NoData) deletes it. Printing and exporting borrow a report that stays its caller's.
//
// A report class builds its sections in its constructor and overrides the events it needs:
//
//   class rptExample : public ActiveReport {
//   public:
//       rptExample() {
//           Caption = QStringLiteral("...");
//           PageHeader.Height = 1400;
//           lblMenu = PageHeader.addLabel("lblMenu", QStringLiteral("..."), 0, 0, 4000, 400);
//           auto* page = PageHeader.addTextField("txtPage", {}, 9000, 0, 500, 300);
//           page->SummaryType = ReportControl::Summary::PageNumber;   // and PageCount
//           Detail.Height = 300;
//           Detail.addTextField("txtsuu", "suu", 6000, 0, 1200, 300, "#,##0")
//               ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
//       }
//       void ReportStart() override { fnSetDataControl(*this); ...; DataControl1.Source = sql;
//                                     fnSetPreviewToolbar(*this); }
//       void KeyDown(int& k, int s) override { fnPreviewKeyDown(*this, k, s); }
//       void ToolbarClick(ReportToolbar::Tool& t) override { fnPreviewToolbarClick(*this, t); }
//       void NoData() override { fnPreviewNoData(*this); }
//   };
//   ActiveReport::Show(std::make_unique<rptExample>());   // preview
//   rptExample r; r.PrintReport(true);        // print with the printer dialog
//
// Records: DataControl1.Source (SQL run after ReportStart), or setRecords()/setRecordset(), or
// none at all, when FetchData supplies each detail itself and sets eof at the end. With records,
// FetchData is called once per record with eof false and Fields loaded, and once more with eof
// true when they are used up (a report may simply return then).
class ActiveReport : public QObject {
    Q_OBJECT
public:
    explicit ActiveReport(QObject* parent = nullptr);
    ~ActiveReport() override;

    ReportSection PageHeader{QStringLiteral("PageHeader")};
    ReportSection Detail{QStringLiteral("Detail")};
    ReportSection PageFooter{QStringLiteral("PageFooter")};
    ReportDataControl DataControl1;
    ReportPageSettings PageSettings;
    ReportToolbar Toolbar;
    int PrintWidth = 0;           // twips
    QString Caption;              // preview title; also the PDF dialog's title and proposed name
    QIcon Icon;                   // preview window icon
    bool PreviewCentered = false; // the preview opens in the middle of the screen

    // Called while the pages are laid out: before the first record (done 0) and every
    // ProgressStep records, with the number of records when known (else 0); then while pages are
    // printed or exported, once a page. The print screens show it and let the window repaint.
    // Returning false stops the work: the run or the painting ends as cancelled().
    std::function<bool(int done, int total)> Progress;
    int ProgressStep = 500;
    // The number of details to expect when the report fetches them itself (no records handed over).
    int ProgressTotal = 0;

    // The columns a table export writes (caption, the Detail control whose printed text fills the
    // column, text / number / date). Each printed detail line becomes one row (printedRows()): a
    // text column as printed without its trailing blanks, numbers and dates trimmed.
    using ExportColumn = ::ExportColumn;
    QList<ExportColumn> ExportColumns;
    const QList<QStringList>& printedRows() const { return m_printedRows; }
    // What a table export puts above the column captions: the report's title and the lines of its
    // page header (dates, ranges, made-on date). Read after the report has run.
    virtual QString exportTitle() const { return Caption; }
    virtual QStringList exportHeaderLines() const { return {}; }
    // The name a save dialog proposes for an export: what the report holds (its list, days, codes).
    virtual QString fileTitle() const { return Caption; }

    // The current record's fields and the unbound fields of the report.
    ReportFields& Fields() { return m_fields; }
    QVariant Fields(const QString& name) const { return m_fields.value(name); }

    // The control of that name in any section, or nullptr.
    ReportControl* control(const QString& name) const;

    // Records handed over by the caller instead of DataControl1.Source.
    void setRecords(const QList<QVariantMap>& records);
    // Copies the recordset's records from its current position to its end.
    void setRecordset(Recordset& rec);

    // Lays out all pages (events ReportStart ... ReportEnd). False when the run was stopped by
    // Unload() or by a data error. A database error (DbError) thrown by any event is shown in the
    // provider's words and closes the report. A report runs once; later calls return the first
    // result.
    bool Run();
    bool hasRun() const { return m_ran; }
    const QList<ReportPage>& Pages() const { return m_pages; }
    int PageCount() const { return m_pages.size(); }

    // Runs the report and opens the preview window (modeless), which owns the report from now on.
    // The report while it lives (null once the preview has closed).
    static QPointer<ActiveReport> Show(std::unique_ptr<ActiveReport> report);
    // Runs the report and prints it, asking with the printer dialog when promptUser.
    // False when cancelled, unloaded or failed (lastError... tells a failure).
    bool PrintReport(bool promptUser);
    // Paints pages first..last (1-based) onto a paged device such as a printer or PDF writer.
    bool paintPages(QPagedPaintDevice* device, int first, int last) const;
    // Closes the preview, stops a run in progress; deletes the report when the preview owns it.
    void Unload();
    bool isUnloaded() const { return m_unloaded; }
    // The user stopped the last run, print or export through Progress.
    bool cancelled() const { return m_cancelled; }
    // The report's texts, measured and shaped once for layout and every painting.
    ReportTextCache& textCache() const { return *m_texts; }

    int lastErrorNumber() const { return m_errorNumber; }
    QString lastErrorText() const { return m_errorText; }

    // Preview state: zoom in percent, current page from 1.
    int Zoom() const { return m_zoom; }
    void setZoom(int percent);
    int CurrentPage() const { return m_currentPage; }
    void setCurrentPage(int page);
    ReportPreview* preview() const { return m_preview; }

    // Events. Overridden by the report classes; the defaults do nothing.
    virtual void ReportStart() {}
    // Without records and without an override there is nothing to fetch: the default ends the data.
    virtual void FetchData(bool& eof) {
        if (!m_haveRecords) eof = true;
    }
    virtual void PageHeader_Format() {}
    virtual void Detail_Format() {}
    virtual void PageFooter_Format() {}
    virtual void NoData() {}
    virtual void ReportEnd() {}
    virtual void KeyDown(int& KeyCode, int Shift) {
        Q_UNUSED(KeyCode)
        Q_UNUSED(Shift)
    }
    virtual void ToolbarClick(ReportToolbar::Tool& tool) { Q_UNUSED(tool) }

protected:
    // For a report that reads long before its details (ReportStart): the steps go to Progress;
    // false once the user stopped the run, which then ends as cancelled().
    bool reportProgress(int done, int total) { return progress(done, total); }

signals:
    void zoomChanged(int percent);
    void currentPageChanged(int page);

private:
    enum class Source { Unbound, Records };

    void runEvents();
    void layOut();
    void capturePrintedRow();
    void startPage();
    void finishPage();
    void bindFields(ReportSection& section);
    void emitSection(const ReportSection& section, int x, int y);
    void setError(int number, const QString& text);
    // A one-line text into its box: figures shrink or show as "#", other texts are cut.
    void fitInto(ReportPage::Op& op, int width);
    bool progress(int done, int total) const;

    std::unique_ptr<ReportTextCache> m_texts;
    ReportFields m_fields;
    QList<QVariantMap> m_records;
    bool m_haveRecords = false;
    QList<QStringList> m_printedRows;

    QList<ReportPage> m_pages;
    QList<QPair<int, int>> m_pageCountSlots; // (page, op) showing the page count
    bool m_pageOpen = false;
    int m_y = 0;
    int m_detailsOnPage = 0;

    bool m_ran = false;
    bool m_runResult = false;
    bool m_running = false;
    bool m_unloaded = false;
    mutable bool m_cancelled = false;
    bool m_ownedByPreview = false;
    int m_errorNumber = 0;
    QString m_errorText;

    int m_zoom = 100;
    int m_currentPage = 1;
    QPointer<ReportPreview> m_preview;
};

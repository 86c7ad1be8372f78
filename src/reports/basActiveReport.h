#pragma once

#include "reports/ReportToolbar.h"

class ActiveReport;
class ReportSection;

// Routines shared by every report: the data control's connection, the preview toolbar, the PDF
// export, and the event handlers all reports run alike (each report's KeyDown, ToolbarClick and
// NoData call these).

// Tool IDs of the preview toolbar set up by fnSetPreviewToolbar.
enum PreviewToolId { ToolPdf = 0, ToolXlsx = 20, ToolCsv = 21, ToolClose = 12 };

// DataControl1.ConnectionString := the program's connection string for data1.dat followed by
// ";Persist Security Info=False".
void fnSetDataControl(ActiveReport& report);
// Sets up the preview toolbar: PDF button (then Excel and CSV when the report has ExportColumns),
// print tools, zoom out and in, next and previous page, page number box, close button; and the
// print width from the paper and the side margins.
void fnSetPreviewToolbar(ActiveReport& report);
// Asks for a file name (title: caption + "PDF出力ﾌｧｲﾙ") and writes the report as PDF.
// True when written; a cancelled dialog shows nothing; a failure shows the error box.
bool fnExportPdf(ActiveReport& report);
// The report's printed lines as an Excel workbook or as CSV, through the shared table export step
// (basTableExport). True when written.
bool fnExportXlsx(ActiveReport& report);
bool fnExportCsv(ActiveReport& report);

// KeyDown: F2 next page, F3 previous page, F9 zoom out, Shift+F9 zoom in, F12 close.
void fnPreviewKeyDown(ActiveReport& report, int& KeyCode, int Shift);
// ToolbarClick: ID 0 exports to PDF, ToolXlsx to Excel, ToolCsv to CSV, ID 12 closes the preview.
void fnPreviewToolbarClick(ActiveReport& report, ReportToolbar::Tool& tool);
// NoData: the message "ﾃﾞｰﾀなし", then the preview closes.
void fnPreviewNoData(ActiveReport& report);

// The page header's right-hand corner of the lists: "作成日" with the day it was made (lblDay, set
// by fnShowMadeOn) at top, and "page / pages" under it, on a header width wide.
void fnAddMadeOnAndPages(ReportSection& header, int width, int top);
void fnShowMadeOn(ActiveReport& report);

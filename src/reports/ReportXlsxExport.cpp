#include "reports/ReportXlsxExport.h"

#include "export/ExportTable.h"
#include "export/basExportFile.h"
#include "reports/basReportTable.h"

bool ReportXlsxExport::Export(ActiveReport& report) {
    QString error;
    if (!fnRunReportForTable(report, &error)) return fail(kExportInvalidCall, error);
    return write(fnReportTable(report));
}

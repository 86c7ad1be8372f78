#pragma once

#include "export/XlsxExport.h"

class ActiveReport;

// A report's printed detail lines written as an Excel workbook (see XlsxExport for the sheet).
class ReportXlsxExport : public XlsxExport {
public:
    // Runs the report first when it has not run. False on failure, with errorNumber() and
    // errorDescription().
    bool Export(ActiveReport& report);
};

#pragma once

#include "export/CsvExport.h"

class ActiveReport;

// A report's printed detail lines written as CSV (see CsvExport for the file).
class ReportCsvExport : public CsvExport {
public:
    // Runs the report first when it has not run. False on failure, with errorNumber() and
    // errorDescription().
    bool Export(ActiveReport& report);
};

#pragma once

#include "export/ExportTable.h"

#include <QString>

class ActiveReport;

// A report as a table export (CSV, Excel).

// The printed detail lines of a report that has run, under its title and header lines, with its
// page's orientation and margins.
ExportTable fnReportTable(const ActiveReport& report);
// Runs the report first when it has not run; false with the reason when it cannot.
bool fnRunReportForTable(ActiveReport& report, QString* error);

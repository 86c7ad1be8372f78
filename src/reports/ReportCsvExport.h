#pragma once

#include <QString>

class ActiveReport;

// Writes a report's printed detail lines as CSV: a first line with the column captions, then one
// line per printed detail, each column as printed (trimmed). UTF-8 with a byte-order mark, or
// Shift-JIS. Lines end with CR LF; a value holding a comma, quote or line break is quoted. The file
// appears only when it was written whole.
class ReportCsvExport {
public:
    QString FileName;
    bool ShiftJis = false;

    // Runs the report first when it has not run. False on failure, with errorDescription().
    bool Export(ActiveReport& report);
    const QString& errorDescription() const { return m_error; }

    // One CSV line (without its end) of the values.
    static QString csvLine(const QStringList& values);

private:
    QString m_error;
};

#pragma once

#include <QString>

class ActiveReport;

// The PDF export filter: writes a report's laid-out pages to FileName with the fonts embedded,
// so the text can be selected and searched. The file appears only when it was written whole.
class ReportPdfExport {
public:
    QString FileName;

    // Runs the report first when it has not run. False on failure, with errorNumber() and
    // errorDescription() telling why, or when the report's Progress stopped it (errorNumber() 0;
    // no file is left).
    bool Export(ActiveReport& report);

    int errorNumber() const { return m_errorNumber; }
    const QString& errorDescription() const { return m_errorDescription; }

private:
    bool fail(int number, const QString& description);

    int m_errorNumber = 0;
    QString m_errorDescription;
};

#include "reports/ReportPdfExport.h"

#include "export/basExportFile.h"
#include "reports/ActiveReport.h"

#include <QPdfWriter>
#include <QSaveFile>

bool ReportPdfExport::fail(int number, const QString& description) {
    m_errorNumber = number;
    m_errorDescription = description;
    return false;
}

bool ReportPdfExport::Export(ActiveReport& report) {
    m_errorNumber = 0;
    m_errorDescription.clear();
    int number = 0;
    QString description;
    if (!fnCheckExportTarget(FileName, &number, &description)) return fail(number, description);
    if (!report.hasRun() && !report.Run() && report.cancelled()) return false;
    if (report.PageCount() == 0)
        return fail(kExportInvalidCall, QStringLiteral("出力するﾍﾟｰｼﾞがありません。"));

    // Written beside the target and renamed at the end: a failure leaves no half-written file
    // and an older file of that name untouched.
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        return fail(kExportPermissionDenied, fnExportPermissionText(FileName));
    {
        QPdfWriter writer(&file);
        writer.setResolution(1200);
        writer.setPageLayout(report.PageSettings.pageLayout());
        writer.setTitle(report.Caption);
        writer.setCreator(QStringLiteral("zanmo"));
        if (!report.paintPages(&writer, 1, report.PageCount())) {
            file.cancelWriting();
            if (report.cancelled()) return false;
            return fail(kExportDeviceIo, fnExportDeviceIoText(FileName));
        }
    }
    if (!file.commit()) return fail(kExportDeviceIo, fnExportDeviceIoText(FileName));
    return true;
}

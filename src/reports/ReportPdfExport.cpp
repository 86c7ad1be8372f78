#include "reports/ReportPdfExport.h"

#include "reports/ActiveReport.h"

#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>

namespace {
// Numbers and texts of the run-time file errors the user knows from the suite's other programs.
constexpr int kDeviceIoError = 57;
constexpr int kPermissionDenied = 70;
constexpr int kBadFileName = 75;
constexpr int kPathNotFound = 76;
constexpr int kNothingToExport = 5;

QString onFile(const QString& text, const QString& path) {
    return text + QStringLiteral(" (") + path + u')';
}
} // namespace

bool ReportPdfExport::fail(int number, const QString& description) {
    m_errorNumber = number;
    m_errorDescription = description;
    return false;
}

bool ReportPdfExport::Export(ActiveReport& report) {
    m_errorNumber = 0;
    m_errorDescription.clear();
    if (FileName.trimmed().isEmpty()) return fail(kBadFileName, QStringLiteral("パス名が無効です。"));
    if (!report.hasRun()) report.Run();
    if (report.PageCount() == 0) return fail(kNothingToExport, QStringLiteral("出力するﾍﾟｰｼﾞがありません。"));

    const QFileInfo target(FileName);
    if (!target.absoluteDir().exists())
        return fail(kPathNotFound, onFile(QStringLiteral("パスが見つかりません。"), target.absolutePath()));
    if (target.isDir()) return fail(kBadFileName, onFile(QStringLiteral("パス名が無効です。"), FileName));

    // Written beside the target and renamed at the end: a failure leaves no half-written file
    // and an older file of that name untouched.
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        return fail(kPermissionDenied, onFile(QStringLiteral("書き込みできません。"), FileName));
    {
        QPdfWriter writer(&file);
        writer.setResolution(1200);
        writer.setPageLayout(report.PageSettings.pageLayout());
        writer.setTitle(report.Caption);
        writer.setCreator(QStringLiteral("zanmo"));
        if (!report.paintPages(&writer, 1, report.PageCount())) {
            file.cancelWriting();
            return fail(kDeviceIoError, onFile(QStringLiteral("デバイス I/O エラーです。"), FileName));
        }
    }
    if (!file.commit())
        return fail(kDeviceIoError, onFile(QStringLiteral("デバイス I/O エラーです。"), FileName));
    return true;
}

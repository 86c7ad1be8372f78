#include "reports/ReportPdfExport.h"

#include "reports/ActiveReport.h"

#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>

namespace {
constexpr int kPathNotFound = 76;
constexpr int kPathFileAccess = 75;
constexpr int kNothingToExport = 5; // invalid procedure call
} // namespace

bool ReportPdfExport::fail(int number, const QString& description) {
    m_errorNumber = number;
    m_errorDescription = description;
    return false;
}

bool ReportPdfExport::Export(ActiveReport& report) {
    m_errorNumber = 0;
    m_errorDescription.clear();
    if (FileName.trimmed().isEmpty())
        return fail(kPathFileAccess, QStringLiteral("パス/ファイル アクセス エラーです。"));
    if (!report.hasRun()) report.Run();
    if (report.PageCount() == 0) return fail(kNothingToExport, QStringLiteral("出力するﾍﾟｰｼﾞがありません。"));

    const QFileInfo target(FileName);
    if (!target.absoluteDir().exists())
        return fail(kPathNotFound, QStringLiteral("パスが見つかりません。: ") + target.absolutePath());
    if (target.isDir())
        return fail(kPathFileAccess, QStringLiteral("パス/ファイル アクセス エラーです。: ") + FileName);

    // Written beside the target and renamed at the end: a failure leaves no half-written file
    // and an older file of that name untouched.
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        return fail(kPathFileAccess, QStringLiteral("パス/ファイル アクセス エラーです。: ") + FileName);
    {
        QPdfWriter writer(&file);
        writer.setResolution(1200);
        writer.setPageLayout(report.PageSettings.pageLayout());
        writer.setTitle(report.Caption);
        writer.setCreator(QStringLiteral("zanmo"));
        if (!report.paintPages(&writer, 1, report.PageCount())) {
            file.cancelWriting();
            return fail(kPathFileAccess, QStringLiteral("パス/ファイル アクセス エラーです。: ") + FileName);
        }
    }
    if (!file.commit())
        return fail(kPathFileAccess, QStringLiteral("パス/ファイル アクセス エラーです。: ") + FileName);
    return true;
}

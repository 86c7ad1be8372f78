#include "reports/basExportFile.h"

#include <QDir>
#include <QFileInfo>

QString fnExportErrorText(const QString& text, const QString& path) {
    return text + QStringLiteral(" (") + path + u')';
}

bool fnCheckExportTarget(const QString& fileName, int* number, QString* description) {
    if (fileName.trimmed().isEmpty()) {
        *number = kExportBadFileName;
        *description = QStringLiteral("パス名が無効です。");
        return false;
    }
    const QFileInfo target(fileName);
    if (!target.absoluteDir().exists()) {
        *number = kExportPathNotFound;
        *description = fnExportErrorText(QStringLiteral("パスが見つかりません。"), target.absolutePath());
        return false;
    }
    if (target.isDir()) {
        *number = kExportBadFileName;
        *description = fnExportErrorText(QStringLiteral("パス名が無効です。"), fileName);
        return false;
    }
    return true;
}

QString fnExportPermissionText(const QString& fileName) {
    return fnExportErrorText(QStringLiteral("書き込みできません。"), fileName);
}

QString fnExportDeviceIoText(const QString& fileName) {
    return fnExportErrorText(QStringLiteral("デバイス I/O エラーです。"), fileName);
}

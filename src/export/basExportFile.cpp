#include "export/basExportFile.h"

#include "app/basUserSettings.h"
#include "data/DialogSeam.h"
#include "data/basSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

namespace {

// The suite's database or one of its journals, by name or as the same file under another name:
// an export written there would replace the database under every program that has it open.
bool isDatabaseFile(const QFileInfo& target) {
    const quint8 mode = fnGetDbMode();
    if (mode > 1) return false;
    const QString database = QFileInfo(fnDataFilePath(mode)).absoluteFilePath();
    const QString path = QDir::cleanPath(target.absoluteFilePath());
    struct stat t {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &t) == 0;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const QString name = QDir::cleanPath(database + QLatin1String(suffix));
        if (path == name) return true;
        struct stat d {};
        if (exists && ::stat(QFile::encodeName(name).constData(), &d) == 0 && d.st_dev == t.st_dev &&
            d.st_ino == t.st_ino)
            return true;
    }
    return false;
}

} // namespace

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
    if (isDatabaseFile(target)) {
        *number = kExportPermissionDenied;
        *description = fnExportPermissionText(fileName);
        return false;
    }
    return true;
}

QString fnWithExtension(const QString& fileName, const QString& extension) {
    const QFileInfo typed(fileName);
    const bool add = !fileName.isEmpty() && typed.suffix().isEmpty() && !typed.isDir();
    return add ? fileName + extension : fileName;
}

QString fnSafeFileTitle(const QString& title) {
    QString name = title.trimmed();
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' ||
            c == u'>' || c == u'|' || c.unicode() < 0x20)
            c = u'_';
    return name;
}

QString fnExportFolder() {
    const QString last = fnUserSetting(QStringLiteral("export/folder")).toString();
    const QFileInfo lastInfo(last);
    if (!last.isEmpty() && lastInfo.isDir() && lastInfo.isWritable()) return lastInfo.absoluteFilePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
    return QDir::homePath();
}

QString fnAskExportFile(SaveFileRequest ask, const QString& extension) {
    ask.proposedName = QDir(fnExportFolder()).filePath(ask.proposedName);
    const QString fileName = fnWithExtension(dialogs().saveFileName(ask), extension);
    if (!fileName.isEmpty())
        fnSetUserSetting(QStringLiteral("export/folder"), QFileInfo(fileName).absolutePath());
    return fileName;
}

QString fnExportPermissionText(const QString& fileName) {
    return fnExportErrorText(QStringLiteral("書き込みできません。"), fileName);
}

QString fnExportDeviceIoText(const QString& fileName) {
    return fnExportErrorText(QStringLiteral("デバイス I/O エラーです。"), fileName);
}

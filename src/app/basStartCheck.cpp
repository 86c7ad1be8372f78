#include "app/basStartCheck.h"

#include "app/basMessage.h"
#include "data/DbError.h"
#include "data/Schema.h"
#include "data/basDb.h"
#include "data/basSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

#include <unistd.h>

namespace {

// Read-only as the user set it (no write permission at all), or as the system enforces it (a
// read-only mount, another owner): either way the saves would fail.
bool readOnly(const QString& path) {
    const QFileInfo info(path);
    const QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!(info.permissions() & anyWrite)) return true;
    return ::access(QFile::encodeName(path).constData(), W_OK) != 0;
}

} // namespace

bool fnCheckDataFile() {
    // A file no editor's encoding reads would leave every key at its default, and the program
    // would open a database the shop never named.
    if (const QString problem = fnIniProblem(); !problem.isEmpty()) {
        fnShowDbError(problem);
        return false;
    }
    const quint8 mode = fnGetDbMode();
    if (mode > 2) {
        fnShowDbError(QDir::toNativeSeparators(fnIniPath()) +
                      QStringLiteral(" の dbmode が正しくありません。0 (プログラムのフォルダ)、1 (dbpath "
                                     "のフォルダ) か 2 (PostgreSQL サーバー) を指定してください。"));
        return false;
    }
    if (mode == 2) return true; // a server: opening tells what is wrong
    const QString file = fnDataFilePath(mode);
    const QFileInfo info(file);
    if (!info.isFile()) return true; // opening tells what is missing
    for (const QString& path : {info.absoluteFilePath(), info.absolutePath()}) {
        if (!readOnly(path)) continue;
        fnMessage(QStringLiteral("ReadOnly"), QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

bool fnCheckDatabaseLayout() {
    if (!gcnData) return true;
    QStringList missing;
    bool told = false; // the database itself said what is missing, not a passing failure
    try {
        missing = Schema::missingParts(*gcnData);
        told = true;
    } catch (const DbError& e) {
        missing << e.description();
    }
    if (missing.isEmpty()) return true;
    const QString text = QStringLiteral("データベース '") + QDir::toNativeSeparators(gcnData->filePath()) +
                         QStringLiteral("' にこのプログラムが使うテーブルまたはフィールドがありません: ") +
                         missing.join(QStringLiteral(", "));
    fnShowDbError(text);
    // The screen still opens, but nothing of it reaches a database without its tables; a lock or
    // another passing failure of the check keeps no one out for good.
    if (told) Connection::refuse(gcnData->filePath(), text);
    fnCloseDB();
    return false;
}

#include "ToolCommands.h"

#include "data/DatabaseBackup.h"
#include "data/DbError.h"
#include "data/basSettings.h"

#include <QDateTime>
#include <QFileInfo>
#include <cstdio>

namespace {
const QString kUsage = QStringLiteral("usage: zanmo-tool restore BACKUP DIR");
}

// zanmo-tool restore BACKUP DIR: the backup file in place of the data1.dat DIR's zanmo.ini names,
// only when no program has that open (else the lock or process found is told); the old file is
// kept under a dated name.
int toolRestore(const QStringList& args) {
    if (args.size() != 2 || args.at(0).startsWith(QLatin1String("--")) ||
        args.at(1).startsWith(QLatin1String("--")))
        return toolFail(kUsage);
    const QString dir = args.at(1);
    if (!QFileInfo(dir).isDir()) return toolFail(QStringLiteral("restore: no such folder: ") + dir);
    fnSetProgramFolder(QFileInfo(dir).absoluteFilePath());
    const quint8 mode = fnGetDbMode();
    if (mode == 2)
        return toolFail(
            QStringLiteral("restore: zanmo.ini names a server; put a backup there with "
                           "'zanmo-tool copy BACKUP postgresql://...' into a database without the "
                           "tables"));
    if (mode > 2)
        return toolFail(QStringLiteral("restore: dbmode=%1 in zanmo.ini names no database").arg(mode));
    const QString file = QFileInfo(fnDataFilePath(mode)).absoluteFilePath();
    QString kept;
    try {
        kept = DatabaseBackup::restore(args.at(0), file, QDateTime::currentDateTime());
    } catch (const DbError& e) {
        return toolFail(QStringLiteral("restore: ") + e.description());
    }
    std::printf("restored %s to %s", QFileInfo(args.at(0)).absoluteFilePath().toUtf8().constData(),
                file.toUtf8().constData());
    if (!kept.isEmpty()) std::printf("; the old file is kept as %s", kept.toUtf8().constData());
    std::printf("\n");
    return 0;
}

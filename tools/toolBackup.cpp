#include "ToolCommands.h"

#include "data/DatabaseBackup.h"
#include "data/DbError.h"
#include "data/Schema.h"
#include "data/basDb.h"
#include "data/basSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace {
const QString kUsage = QStringLiteral("usage: zanmo-tool backup DIR TARGET");
}

// zanmo-tool backup DIR TARGET: a consistent copy of the database DIR's zanmo.ini names, taken
// while programs go on saving: SQLite's online backup of data1.dat, or a server's tables in one
// snapshot written as a data1.dat. TARGET is a file, or a folder for a dated name. The copy is
// built aside, checked and only then given its name; an existing file is never overwritten.
int toolBackup(const QStringList& args) {
    if (args.size() != 2 || args.at(0).startsWith(QLatin1String("--")) ||
        args.at(1).startsWith(QLatin1String("--")))
        return toolFail(kUsage);
    const QString dir = args.at(0);
    if (!QFileInfo(dir).isDir()) return toolFail(QStringLiteral("backup: no such folder: ") + dir);
    fnSetProgramFolder(QFileInfo(dir).absoluteFilePath());
    const quint8 mode = fnGetDbMode();
    if (mode > 2)
        return toolFail(QStringLiteral("backup: dbmode=%1 in zanmo.ini names no database").arg(mode));

    const QString file = DatabaseBackup::targetFile(args.at(1), QDateTime::currentDateTime());
    const QFileInfo target(file);
    if (!target.absoluteDir().exists())
        return toolFail(QStringLiteral("backup: no such folder: ") + target.absolutePath());
    if (target.exists() || target.isSymLink())
        return toolFail(QStringLiteral("backup: ") + file +
                        QStringLiteral(" exists already; it is never overwritten"));
    if (mode <= 1) {
        // Never beside the database under one of its own journals' names.
        const QString live = QFileInfo(fnDataFilePath(mode)).absoluteFilePath();
        for (const char* suffix : {"-wal", "-journal", "-shm"})
            if (file == live + QLatin1String(suffix))
                return toolFail(QStringLiteral("backup: ") + file +
                                QStringLiteral(" is a journal of the database"));
    }
    if (!fnOpenDB()) return 2; // the console seam has printed the reason

    const QString built = Schema::buildFileFor(file);
    Schema::removeDatabaseFiles(built);
    DatabaseBackup::Counts counts;
    try {
        if (mode == 2) {
            // The server's tables in one snapshot, as copy writes them to a file.
            DatabaseBackup::beginSnapshot(*gcnData);
            counts = DatabaseBackup::countRows(*gcnData, Schema::tableNames());
            toolCopyIntoFile(*gcnData, built);
            gcnData->Execute(QStringLiteral("COMMIT"));
        } else {
            counts = DatabaseBackup::copyFile(*gcnData, built);
        }
        DatabaseBackup::checkAndPublish(built, file, counts);
    } catch (const DbError& e) {
        Schema::removeDatabaseFiles(built);
        return toolFail(QStringLiteral("backup: ") + e.description());
    }
    qint64 rows = 0;
    for (const qint64 n : std::as_const(counts))
        rows += n;
    std::printf("backup of %s written to %s: %lld rows in %lld tables, integrity_check ok\n",
                gcnData->filePath().toUtf8().constData(), file.toUtf8().constData(),
                static_cast<long long>(rows), static_cast<long long>(counts.size()));
    return 0;
}

#include "ToolCommands.h"

#include "data/Connection.h"
#include "data/DbError.h"
#include "data/Schema.h"
#include "data/basSettings.h"

#include "data/Recordset.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

bool toolBuildDatabase(const QString& dir, const std::function<void(const QString& file)>& fill,
                       QString* file) {
    if (!QDir().mkpath(dir)) {
        toolFail(QStringLiteral("cannot create folder ") + dir);
        return false;
    }
    *file = QFileInfo(QDir(dir).filePath(QLatin1String(kDataFileName))).absoluteFilePath();
    if (QFileInfo::exists(*file)) {
        toolFail(*file + QStringLiteral(" exists already; it is never overwritten"));
        return false;
    }
    // Built aside and moved into place whole: a kill at any moment leaves no data1.dat or a sound one.
    const QString built = Schema::buildFileFor(*file);
    Schema::removeDatabaseFiles(built);
    try {
        Schema::createDatabase(built);
        if (fill) fill(built);
        Schema::publishDatabase(built, *file);
    } catch (const DbError& e) {
        Schema::removeDatabaseFiles(built);
        toolFail(e.description());
        return false;
    }
    return true;
}

QString toolConnectString(const QString& file) {
    return QStringLiteral("provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file +
           QStringLiteral(";Jet OLEDB:Database Password=") + QLatin1String(kDbPassword);
}

bool toolBuildOnServer(const QString& dir, const std::function<void(Connection& cn)>& fill, QString* where) {
    if (!QFileInfo(dir).isDir()) {
        toolFail(QStringLiteral("no such folder: ") + dir);
        return false;
    }
    fnSetProgramFolder(QFileInfo(dir).absoluteFilePath());
    Connection cn;
    try {
        cn.Open(fnServerConnectString());
        *where = cn.filePath();
        toolNoteServerCase(cn);
        cn.BeginTrans();
        Schema::createOnServer(cn);
        if (fill) fill(cn);
        cn.CommitTrans();
    } catch (const DbError& e) {
        if (cn.inTransaction()) cn.RollbackTrans();
        toolFail(e.description());
        return false;
    }
    return true;
}

void toolNoteServerCase(Connection& cn) {
    Recordset rec;
    rec.openStatic(cn, QStringLiteral("select datctype from pg_database where datname = current_database()"));
    const QString ctype = rec.Eof() ? QString() : rec.Fields(0).toString();
    if (ctype == u"C" || ctype == u"POSIX") return;
    std::fprintf(stderr,
                 "zanmo-tool: note: the database's LC_CTYPE is %s: besides ASCII letters, letters such as "
                 "full-width or accented ones also compare without regard to case (a database made with "
                 "LC_CTYPE C compares as data1.dat does)\n",
                 ctype.toUtf8().constData());
}

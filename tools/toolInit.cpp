#include "DemoData.h"
#include "ToolCommands.h"

#include "data/Connection.h"
#include "data/DbError.h"
#include "data/Schema.h"
#include "data/basSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

// Creates DIR (if needed) and DIR/data1.dat with the tables; false with the reason printed.
bool createIn(const QString& dir, QString* file) {
    if (!QDir().mkpath(dir)) {
        toolFail(QStringLiteral("cannot create folder ") + dir);
        return false;
    }
    *file = QFileInfo(QDir(dir).filePath(QLatin1String(kDataFileName))).absoluteFilePath();
    if (QFileInfo::exists(*file)) {
        toolFail(*file + QStringLiteral(" exists already; it is never overwritten"));
        return false;
    }
    try {
        Schema::createDatabase(*file);
    } catch (const DbError& e) {
        toolFail(e.description());
        return false;
    }
    return true;
}

} // namespace

int toolInit(const QStringList& args) {
    bool demo = false;
    QString dir;
    quint32 seed = 1;
    QDate today = QDate::currentDate();
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--demo")) {
            demo = true;
        } else if (a == QLatin1String("--seed") && i + 1 < args.size()) {
            bool ok = false;
            seed = args[++i].toUInt(&ok);
            if (!ok) return toolFail(QStringLiteral("init: --seed takes a number"));
        } else if (a == QLatin1String("--today") && i + 1 < args.size()) {
            int day = 0;
            if (!toolParseDay(args[++i], &day))
                return toolFail(QStringLiteral("init: --today takes a date YYYYMMDD"));
            today = QDate(day / 10000, day / 100 % 100, day % 100);
        } else if (a.startsWith(QLatin1String("--")) || !dir.isEmpty()) {
            return toolFail(QStringLiteral("init: unexpected argument '") + a +
                            QStringLiteral("' (see --help)"));
        } else {
            dir = a;
        }
    }
    if (dir.isEmpty()) return toolFail(QStringLiteral("init: DIR is missing (see --help)"));
    if (!demo && (args.contains(QLatin1String("--seed")) || args.contains(QLatin1String("--today"))))
        return toolFail(QStringLiteral("init: --seed and --today go with --demo"));

    QString file;
    if (!createIn(dir, &file)) return 2;
    if (demo) {
        try {
            Connection cn;
            cn.Open(QStringLiteral("provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file +
                    QStringLiteral(";Jet OLEDB:Database Password=") + QLatin1String(kDbPassword));
            DemoData::write(cn, seed, today);
        } catch (const DbError& e) {
            QFile::remove(file);
            return toolFail(e.description());
        }
    }
    std::printf("%s %s\n", demo ? "created demo database" : "created", file.toUtf8().constData());
    return 0;
}

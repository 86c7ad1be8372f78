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

int toolInit(const QStringList& args) {
    bool demo = false;
    bool server = false;
    QString dir;
    quint32 seed = 1;
    QDate today = QDate::currentDate();
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--demo")) {
            demo = true;
        } else if (a == QLatin1String("--pg")) {
            server = true;
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
    if (server) {
        const auto fillServer = [&](Connection& cn) { DemoData::write(cn, seed, today); };
        if (!toolBuildOnServer(dir, demo ? fillServer : std::function<void(Connection&)>(), &file)) return 2;
        std::printf("%s %s\n", demo ? "created demo database on" : "created tables on",
                    file.toUtf8().constData());
        return 0;
    }
    const auto fill = [&](const QString& built) {
        Connection cn;
        cn.Open(toolConnectString(built));
        DemoData::write(cn, seed, today);
        cn.Execute(QStringLiteral("PRAGMA journal_mode=DELETE"));
    };
    if (!toolBuildDatabase(dir, demo ? fill : std::function<void(const QString&)>(), &file)) return 2;
    std::printf("%s %s\n", demo ? "created demo database" : "created", file.toUtf8().constData());
    return 0;
}

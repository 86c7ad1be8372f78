#include "ToolCommands.h"

#include "data/basDb.h"
#include "data/basSettings.h"

#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const char* const kUsage =
    "usage: zanmo-tool COMMAND ...\n"
    "\n"
    "  init DIR                                   create an empty DIR/data1.dat with the tables\n"
    "  init --demo DIR [--seed S] [--today YYYYMMDD]\n"
    "                                             create DIR/data1.dat with Japanese demo goods and\n"
    "                                             a year of movements up to today\n"
    "  generate DIR --goods N --rows M [--seed S] [--today YYYYMMDD]\n"
    "                                             create a large deterministic DIR/data1.dat\n"
    "  init --pg DIR [--demo ...]                 the same on the PostgreSQL server DIR/zanmo.ini\n"
    "                                             names (dbhost, dbport, dbname, dbuser, dbpassword)\n"
    "  generate --pg DIR --goods N --rows M ...   the large database on that server\n"
    "  copy SOURCE TARGET                         copy a suite database: each a data1.dat file, a\n"
    "                                             folder (its zanmo.ini's database) or a server\n"
    "                                             postgresql://user@host[:port]/name (no password in\n"
    "                                             it: ~/.pgpass, PGPASSWORD, or typed when asked);\n"
    "                                             the target must not hold the tables yet; a\n"
    "                                             server's copy is analysed for the planner\n"
    "  stock DIR CODE YYYYMMDD [--before]         stock of a product as of a day\n"
    "  ledger DIR CODE YYYYMM [--csv F [--sjis] | --xlsx F]\n"
    "                                             a product's goods ledger for a month, as screen 3\n"
    "                                             shows it: printed, or written as CSV or Excel\n"
    "  report zaiko DIR --day YYYYMMDD [--from CODE] [--to CODE] [--stop]\n"
    "         (--pdf F | --xlsx F | --csv F [--sjis])\n"
    "                                             the current-stock list as PDF, Excel or CSV\n"
    "  report kakuho DIR --day YYYYMMDD [--from CODE] [--to CODE] (--pdf F | --xlsx F | --csv F [--sjis])\n"
    "                                             the reserved-stock shortage list as PDF, Excel or CSV\n"
    "  report nyuuden DIR --kind 0|9 --start YYYYMMDD --end YYYYMMDD (--pdf F | --xlsx F | --csv F "
    "[--sjis])\n"
    "                                             the receipt (0) or adjustment (9) list\n"
    "  optimize DIR                               add the indexes the program relies on to an existing\n"
    "                                             DIR/data1.dat (tables and rows untouched)\n"
    "  --help                                     this text\n"
    "\n"
    "An existing data1.dat, or a server's tables, are never overwritten. Errors go to stderr with exit "
    "status 2.\n";

} // namespace

int toolFail(const QString& message) {
    std::fprintf(stderr, "zanmo-tool: %s\n", message.toUtf8().constData());
    return 2;
}

bool toolOpenDatabase(const QString& dir) {
    if (!QFileInfo(dir).isDir()) {
        toolFail(QStringLiteral("no such folder: ") + dir);
        return false;
    }
    fnSetProgramFolder(QFileInfo(dir).absoluteFilePath());
    if (const QString problem = fnIniProblem(); !problem.isEmpty()) {
        toolFail(problem);
        return false;
    }
    return fnOpenDB(); // the console seam has printed the reason
}

bool toolParseDay(const QString& text, int* day) {
    if (text.size() != 8) return false;
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || !QDate(n / 10000, n / 100 % 100, n % 100).isValid()) return false;
    *day = n;
    return true;
}

int main(int argc, char** argv) {
    // Reports measure and draw text: they need the GUI part of Qt, never a display.
    const bool gui = argc > 1 && std::strcmp(argv[1], "report") == 0;
    if (gui && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(gui ? new QGuiApplication(argc, argv)
                                              : new QCoreApplication(argc, argv));
    QStringList args = app->arguments().mid(1);
    if (args.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    int status;
    if (command == QLatin1String("init"))
        status = toolInit(args);
    else if (command == QLatin1String("generate"))
        status = toolGenerate(args);
    else if (command == QLatin1String("stock"))
        status = toolStock(args);
    else if (command == QLatin1String("report"))
        status = toolReport(args);
    else if (command == QLatin1String("ledger"))
        status = toolLedger(args);
    else if (command == QLatin1String("optimize"))
        status = toolOptimize(args);
    else if (command == QLatin1String("copy"))
        status = toolCopy(args);
    else
        return toolFail(QStringLiteral("unknown command '") + command + QStringLiteral("' (see --help)"));
    fnCloseDB();
    return status;
}

#include "ToolCommands.h"

#include "core/basProgramOption.h"
#include "data/basDb.h"
#include "data/basSettings.h"

#include <QApplication>
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
    "  ledger DIR CODE YYYYMM [--months N] (--png F | --svg F)\n"
    "                                             the ledger's chart of the N months (1) up to YYYYMM\n"
    "  backup DIR TARGET                          a checked copy of DIR's database while programs work\n"
    "                                             on it; TARGET a new file or a folder (dated name)\n"
    "  restore BACKUP DIR                         a backup in place of DIR's data1.dat when no program\n"
    "                                             has it open; the old file kept under a dated name\n"
    "  report zaiko DIR --day YYYYMMDD [--from CODE] [--to CODE] [--stop]\n"
    "         (--pdf F | --xlsx F | --csv F [--sjis])\n"
    "                                             the current-stock list as PDF, Excel or CSV\n"
    "  report kakuho DIR --day YYYYMMDD [--from CODE] [--to CODE] (--pdf F | --xlsx F | --csv F [--sjis])\n"
    "                                             the reserved-stock shortage list as PDF, Excel or CSV\n"
    "  report nyuuden DIR --kind 0|9 --start YYYYMMDD --end YYYYMMDD (--pdf F | --xlsx F | --csv F "
    "[--sjis])\n"
    "                                             the receipt (0) or adjustment (9) list\n"
    "  counts DIR FILE --day YYYYMMDD [--zero-missing] [--dry-run] [--csv OUT [--sjis] | --xlsx OUT]\n"
    "                                             a stocktaking file (code, counted quantity a line)\n"
    "                                             checked as screen 6 checks it and printed; written\n"
    "                                             as the day's counts unless a line is refused (exit 2)\n"
    "                                             or --dry-run is given\n"
    "  optimize DIR                               add the indexes the program relies on to an existing\n"
    "                                             DIR/data1.dat (tables and rows untouched)\n"
    "  --help                                     this text\n"
    "  --version                                  the version\n"
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
    if (const int status = fnProgramOption(argc, argv, "zanmo-tool", kUsage); status >= 0) return status;
    // Reports measure and draw text: they need the GUI part of Qt, never a display. A chart is
    // drawn by widgets (Qt Charts), still offscreen.
    const bool gui = argc > 1 && std::strcmp(argv[1], "report") == 0;
    bool chart = false;
    for (int i = 2; argc > 1 && std::strcmp(argv[1], "ledger") == 0 && i < argc; ++i)
        chart = chart || std::strcmp(argv[i], "--png") == 0 || std::strcmp(argv[i], "--svg") == 0;
    if ((gui || chart) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(chart ? new QApplication(argc, argv)
                                          : gui ? new QGuiApplication(argc, argv)
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
    else if (command == QLatin1String("counts"))
        status = toolStocktake(args);
    else if (command == QLatin1String("backup"))
        status = toolBackup(args);
    else if (command == QLatin1String("restore"))
        status = toolRestore(args);
    else
        return toolFail(QStringLiteral("unknown command '") + command + QStringLiteral("' (see --help)"));
    fnCloseDB();
    return status;
}

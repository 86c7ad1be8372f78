#include "ToolCommands.h"

#include "data/Connection.h"
#include "data/DbError.h"
#include "data/Schema.h"
#include "data/basSettings.h"

#include "data/Recordset.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

// The file being built, for a signal that ends the tool (Ctrl+C, a shutdown): it goes with the
// tool. A kill that cannot be caught leaves it for removeAbandonedBuilds at the next start.
char g_building[4096];

extern "C" void removeBuildingAndDie(int signal) {
    if (g_building[0]) {
        char path[sizeof g_building + 16];
        const size_t n = std::strlen(g_building);
        for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
            std::memcpy(path, g_building, n);
            std::strcpy(path + n, suffix);
            ::unlink(path);
        }
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

void toolBuilding(const QString& built) {
    static const bool installed = [] {
        for (int s : {SIGINT, SIGTERM, SIGHUP})
            std::signal(s, removeBuildingAndDie);
        return true;
    }();
    Q_UNUSED(installed);
    const QByteArray path = QFile::encodeName(built);
    // Set before the handler could see a half-written name: a signal meanwhile finds it empty.
    g_building[0] = 0;
    if (path.isEmpty() || path.size() >= qsizetype(sizeof g_building)) return;
    std::memcpy(g_building + 1, path.constData() + 1, path.size() - 1);
    g_building[path.size()] = 0;
    g_building[0] = path[0];
}

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
    Schema::removeAbandonedBuilds(QFileInfo(*file).absolutePath());
    const QString built = Schema::buildFileFor(*file);
    Schema::removeDatabaseFiles(built);
    toolBuilding(built);
    try {
        Schema::createDatabase(built);
        if (fill) fill(built);
        Schema::publishDatabase(built, *file);
    } catch (const DbError& e) {
        Schema::removeDatabaseFiles(built);
        toolBuilding(QString());
        toolFail(e.description());
        return false;
    }
    toolBuilding(QString());
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
    if (const QString problem = fnIniProblem(); !problem.isEmpty()) {
        toolFail(problem);
        return false;
    }
    Connection cn;
    cn.setStatementTimeout(0); // bulk work: no statement limit
    try {
        toolOpenServer(cn, fnServerConnectString(), fnDataDescription(2));
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
    toolAnalyze(cn);
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

void toolAnalyze(Connection& cn) {
    for (const QString& statement : cn.engineRules().statisticsStatements(Schema::tableNames())) {
        try {
            cn.Execute(statement);
        } catch (const DbError& e) {
            // The rows are in; only the first reports will be slow until the server's autovacuum runs.
            std::fprintf(stderr,
                         "zanmo-tool: note: %s failed, run it on the server before the first report: %s\n",
                         statement.toUtf8().constData(), e.description().toUtf8().constData());
        }
    }
}

namespace {

// A line typed at the terminal without echo.
QString readHidden(const QString& prompt) {
    // Echo off before the prompt shows: nothing typed after it is ever echoed.
    termios old{};
    const bool terminal = ::tcgetattr(STDIN_FILENO, &old) == 0;
    if (terminal) {
        termios quiet = old;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::fprintf(stderr, "%s", prompt.toUtf8().constData());
    std::fflush(stderr);
    std::string line;
    char c;
    while (::read(STDIN_FILENO, &c, 1) == 1 && c != '\n')
        line += c;
    if (terminal) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::fputc('\n', stderr);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return QString::fromStdString(line);
}

} // namespace

void toolOpenServer(Connection& cn, const QString& connect, const QString& shown) {
    try {
        cn.Open(connect);
        return;
    } catch (const DbError& e) {
        if (!Connection::needsPassword(connect)) throw;
        if (!::isatty(STDIN_FILENO))
            throw DbError(e.description() +
                          QStringLiteral(" -- the server asks for a password: put it into ~/.pgpass or "
                                         "PGPASSWORD, or run zanmo-tool at a terminal to be asked for it"));
    }
    const QString password = readHidden(QStringLiteral("Password for ") + shown + QStringLiteral(": "));
    cn.Open(connect + QStringLiteral(";Password=") + fnConnectValue(password));
}

#include "app/basShell.h"

#include "app/basMessage.h"
#include "data/DialogSeam.h"

#include <QFileInfo>
#include <QProcess>

namespace {

QString toLocalPath(QString path) {
    path.replace(u'\\', u'/');
    return path;
}

// Program and arguments of a command line. A quoted first token is the program; otherwise, like
// the Windows shell, the shortest blank-separated head naming an existing file is the program
// (a folder with blanks in its name still works), else the first token.
void splitCommandLine(const QString& commandLine, QString& program, QStringList& args) {
    const QString line = commandLine.trimmed();
    QString rest;
    if (line.startsWith(u'"')) {
        const qsizetype close = line.indexOf(u'"', 1);
        program = close < 0 ? line.mid(1) : line.mid(1, close - 1);
        rest = close < 0 ? QString() : line.mid(close + 1);
    } else {
        const qsizetype firstBlank = line.indexOf(u' ');
        program = firstBlank < 0 ? line : line.left(firstBlank);
        rest = firstBlank < 0 ? QString() : line.mid(firstBlank + 1);
        for (qsizetype at = firstBlank;; at = line.indexOf(u' ', at + 1)) {
            const QString candidate = at < 0 ? line : line.left(at);
            if (QFileInfo(toLocalPath(candidate)).isFile()) {
                program = candidate;
                rest = at < 0 ? QString() : line.mid(at + 1);
                break;
            }
            if (at < 0) break;
        }
    }
    program = toLocalPath(program);
    args = QProcess::splitCommand(rest);
}

} // namespace

bool fnShellExe(const QString& commandLine, int windowStyle) {
    Q_UNUSED(windowStyle);
    ProgramStart start;
    start.commandLine = commandLine;
    splitCommandLine(commandLine, start.program, start.args);

    QString error;
    bool started = false;
    if (start.program.isEmpty()) {
        error = QStringLiteral("ファイルが見つかりません。");
    } else {
        started = dialogs().startProgram(start, &error);
    }
    if (started) {
        fnSetCurrentError(QString());
        return true;
    }
    fnSetCurrentError(error);
    fnMessage(QStringLiteral("msgExeLoadErr"), QString());
    return false;
}

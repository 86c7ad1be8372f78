#pragma once

#include <QProcess>
#include <QStringList>

// zanmo-tool (ZANMO_TOOL, set by CTest) run to its end: exit status (-1 when it did not end
// normally), stdout and stderr.
struct ToolRun {
    int status = -1;
    QByteArray out, err;
};

inline ToolRun runTool(const QStringList& args) {
    QProcess p;
    p.start(qEnvironmentVariable("ZANMO_TOOL"), args);
    if (!p.waitForFinished(120000)) return {-1, {}, "did not finish"};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

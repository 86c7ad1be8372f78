#pragma once

#include <QProcess>
#include <QStringList>

// zanmo-tool (ZANMO_TOOL, set by CTest) run to its end, with the test's environment and `env`
// ("NAME=value", a later one winning) and no input: exit status (-1 when it did not end
// normally), stdout and stderr.
struct ToolRun {
    int status = -1;
    QByteArray out, err;
};

inline ToolRun runTool(const QStringList& args, const QStringList& env = {}) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const QString& kv : env)
        e.insert(kv.section(u'=', 0, 0), kv.section(u'=', 1));
    p.setProcessEnvironment(e);
    p.start(qEnvironmentVariable("ZANMO_TOOL"), args);
    p.closeWriteChannel();
    if (!p.waitForFinished(180000)) return {-1, {}, "did not finish"};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

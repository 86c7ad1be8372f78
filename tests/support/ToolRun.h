#pragma once

#include <QProcess>
#include <QStringList>

// zanmo-tool (ZANMO_TOOL, set by CTest) run to its end, with the test's environment and `env`
// ("NAME=value", a later one winning) and no input: exit status (-1 when it did not end
// normally), stdout and stderr. Without ZANMO_TOOL the test program stops at once.
struct ToolRun {
    int status = -1;
    QByteArray out, err;
};

inline ToolRun runTool(const QStringList& args, const QStringList& env = {}) {
    if (qEnvironmentVariableIsEmpty("ZANMO_TOOL")) qFatal("ZANMO_TOOL is not set (run through CTest)");
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    // A command that draws nothing runs as a server's scheduled job: no display, no platform plugin.
    if (args.value(0) != u"report" && !args.contains(u"--png") && !args.contains(u"--svg"))
        for (const char* kv : {"QT_QPA_PLATFORM=no-such-platform", "QT_PLUGIN_PATH=/nonexistent",
                               "DISPLAY=", "WAYLAND_DISPLAY="})
            e.insert(QString::fromLatin1(kv).section(u'=', 0, 0), QString::fromLatin1(kv).section(u'=', 1));
    for (const QString& kv : env)
        e.insert(kv.section(u'=', 0, 0), kv.section(u'=', 1));
    p.setProcessEnvironment(e);
    p.start(qEnvironmentVariable("ZANMO_TOOL"), args);
    p.closeWriteChannel();
    if (!p.waitForFinished(180000)) return {-1, {}, "did not finish"};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

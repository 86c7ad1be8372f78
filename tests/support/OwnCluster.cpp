#include "OwnCluster.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <csignal>
#include <sys/types.h>

#ifndef ZANMO_SOURCE_DIR
#error "ZANMO_SOURCE_DIR names the source tree (tests/CMakeLists.txt)"
#endif

using namespace Qt::StringLiterals;

static const QString kScript = QStringLiteral(ZANMO_SOURCE_DIR "/scripts/pg-cluster.sh");

OwnCluster::OwnCluster() {
    QProcess p;
    p.start(kScript, {u"start"_s});
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_why = QString::fromUtf8(p.readAllStandardError()).trimmed();
        if (m_why.isEmpty()) m_why = u"scripts/pg-cluster.sh start failed"_s;
        return;
    }
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression vars(u"ZANMO_TEST_PGDIR=(\\S+) ZANMO_TEST_PGPORT=(\\d+)"_s);
    const auto m = vars.match(out);
    if (!m.hasMatch()) {
        m_why = u"unexpected output of pg-cluster.sh: "_s + out;
        return;
    }
    m_dir = m.captured(1);
    m_port = m.captured(2);
    // A test killed or crashed (perhaps with its server paused) never reaches the destructor: a
    // watcher stops the cluster once this process is gone.
    QProcess::startDetached(u"/bin/sh"_s,
                            {u"-c"_s,
                             u"while kill -0 %1 2>/dev/null; do sleep 1; done; exec \"$0\" stop \"$1\""_s.arg(
                                 QCoreApplication::applicationPid()),
                             kScript, m_dir});
    m_previousPort = qEnvironmentVariable("ZANMO_TEST_PGPORT");
    qputenv("ZANMO_TEST_PGPORT", m_port.toUtf8());
}

OwnCluster::~OwnCluster() {
    if (m_dir.isEmpty()) return;
    resume();
    script(u"stop"_s);
    qputenv("ZANMO_TEST_PGPORT", m_previousPort.toUtf8());
}

QString OwnCluster::binDir() {
    QStringList dirs = QDir(u"/usr/lib/postgresql"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(dirs.begin(), dirs.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    return dirs.isEmpty() ? QString() : u"/usr/lib/postgresql/"_s + dirs.last() + u"/bin"_s;
}

bool OwnCluster::script(const QString& command) {
    QProcess p;
    p.start(kScript, {command, m_dir});
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void OwnCluster::pause() {
    QFile pidFile(m_dir + u"/data/postmaster.pid"_s);
    if (!pidFile.open(QIODevice::ReadOnly)) qFatal("OwnCluster: no postmaster.pid");
    const qint64 postmaster = pidFile.readLine().trimmed().toLongLong();
    // The postmaster first, so it starts no new process meanwhile.
    m_paused = {postmaster};
    ::kill(static_cast<pid_t>(postmaster), SIGSTOP);
    QProcess children;
    children.start(u"pgrep"_s, {u"-P"_s, QString::number(postmaster)});
    children.waitForFinished();
    for (const QByteArray& child : children.readAllStandardOutput().split('\n'))
        if (!child.isEmpty()) ::kill(static_cast<pid_t>(m_paused.emplace_back(child.toLongLong())), SIGSTOP);
}

void OwnCluster::resume() {
    for (auto it = m_paused.crbegin(); it != m_paused.crend(); ++it)
        ::kill(static_cast<pid_t>(*it), SIGCONT);
    m_paused.clear();
}

QString OwnCluster::psql(const QString& sql, const QString& db) const {
    QProcess p;
    p.start(binDir() + u"/psql"_s,
            {u"-X"_s, u"-q"_s, u"-A"_s, u"-t"_s, u"-v"_s, u"ON_ERROR_STOP=1"_s, u"-h"_s, u"127.0.0.1"_s,
             u"-p"_s, m_port, u"-U"_s, u"zanmo"_s, u"-d"_s, db, u"-c"_s, sql});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qWarning("psql failed: %s: %s", qPrintable(sql), p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

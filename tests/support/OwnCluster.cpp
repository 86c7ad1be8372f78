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

namespace {

const QString kScript = QStringLiteral(ZANMO_SOURCE_DIR "/scripts/pg-cluster.sh");

// The processes whose parent is `pid`, from /proc.
QList<qint64> childrenOf(qint64 pid) {
    QList<qint64> out;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        bool ok = false;
        const qint64 child = e.toLongLong(&ok);
        if (!ok) continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(child));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        // "pid (comm) state ppid ...": the name may hold blanks and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1 && rest[1].toLongLong() == pid) out << child;
    }
    return out;
}

} // namespace

OwnCluster::OwnCluster() {
    QProcess p;
    p.start(kScript, {QStringLiteral("start")});
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_why = QString::fromUtf8(p.readAllStandardError()).trimmed();
        if (m_why.isEmpty()) m_why = QStringLiteral("scripts/pg-cluster.sh start failed");
        return;
    }
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression vars(QStringLiteral("ZANMO_TEST_PGDIR=(\\S+) ZANMO_TEST_PGPORT=(\\d+)"));
    const auto m = vars.match(out);
    if (!m.hasMatch()) {
        m_why = QStringLiteral("unexpected output of pg-cluster.sh: ") + out;
        return;
    }
    m_dir = m.captured(1);
    m_port = m.captured(2);
    // A test killed or crashed (perhaps with its server paused) never reaches the destructor: a
    // watcher stops the cluster once this process is gone.
    QProcess::startDetached(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
         QStringLiteral("while kill -0 %1 2>/dev/null; do sleep 1; done; exec \"$0\" stop \"$1\"")
             .arg(QCoreApplication::applicationPid()),
         kScript, m_dir});
    m_previousPort = qEnvironmentVariable("ZANMO_TEST_PGPORT");
    qputenv("ZANMO_TEST_PGPORT", m_port.toUtf8());
}

OwnCluster::~OwnCluster() {
    if (m_dir.isEmpty()) return;
    resume();
    script(QStringLiteral("stop"));
    qputenv("ZANMO_TEST_PGPORT", m_previousPort.toUtf8());
}

QString OwnCluster::binDir() {
    QStringList dirs =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(dirs.begin(), dirs.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    return dirs.isEmpty() ? QString()
                          : QStringLiteral("/usr/lib/postgresql/") + dirs.last() + QStringLiteral("/bin");
}

bool OwnCluster::script(const QString& command) {
    QProcess p;
    p.start(kScript, {command, m_dir});
    return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

bool OwnCluster::restart() {
    return script(QStringLiteral("restart"));
}

bool OwnCluster::down() {
    m_down = script(QStringLiteral("down"));
    return m_down;
}

bool OwnCluster::up() {
    const bool started = script(QStringLiteral("up"));
    if (started) m_down = false;
    return started;
}

void OwnCluster::recover() {
    resume();
    if (m_down) up();
}

void OwnCluster::pause() {
    QFile pidFile(m_dir + QStringLiteral("/data/postmaster.pid"));
    if (!pidFile.open(QIODevice::ReadOnly)) qFatal("OwnCluster: no postmaster.pid");
    const qint64 postmaster = pidFile.readLine().trimmed().toLongLong();
    // The postmaster first, so it starts no new process meanwhile.
    m_paused = {postmaster};
    ::kill(static_cast<pid_t>(postmaster), SIGSTOP);
    for (qint64 child : childrenOf(postmaster)) {
        ::kill(static_cast<pid_t>(child), SIGSTOP);
        m_paused << child;
    }
}

void OwnCluster::resume() {
    for (auto it = m_paused.crbegin(); it != m_paused.crend(); ++it)
        ::kill(static_cast<pid_t>(*it), SIGCONT);
    m_paused.clear();
}

QString OwnCluster::psql(const QString& sql, const QString& db) const {
    QProcess p;
    p.start(binDir() + QStringLiteral("/psql"),
            {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"),
             QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"),
             QStringLiteral("127.0.0.1"), QStringLiteral("-p"), m_port, QStringLiteral("-U"),
             QStringLiteral("zanmo"), QStringLiteral("-d"), db, QStringLiteral("-c"), sql});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qWarning("psql failed: %s: %s", qPrintable(sql), p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

#pragma once

#include <QList>
#include <QString>

// A PostgreSQL cluster of the test's own (scripts/pg-cluster.sh), which the test may restart, stop
// or pause without disturbing the other tests on the run's shared server. While it lives,
// TestServer (and so TempProgramDir) puts its databases here.
class OwnCluster {
public:
    OwnCluster();
    ~OwnCluster();
    OwnCluster(const OwnCluster&) = delete;
    OwnCluster& operator=(const OwnCluster&) = delete;

    // False (with the reason in why()) when the server programs are missing or it did not start.
    bool started() const { return !m_dir.isEmpty(); }
    QString why() const { return m_why; }
    QString port() const { return m_port; }
    // The cluster's folder (its configuration lies in data/).
    QString dir() const { return m_dir; }
    // The folder of the server's programs (psql among them).
    static QString binDir();

    // A fast restart: every connection of a client ends.
    bool restart() { return script(QStringLiteral("restart")); }
    // Stops the server (the folder stays) and starts it again on the same port.
    bool down() { return m_down = script(QStringLiteral("down")); }
    bool up() {
        const bool started = script(QStringLiteral("up"));
        if (started) m_down = false;
        return started;
    }
    // The server stops answering: SIGSTOP to the postmaster and every process it started, as a
    // stopped or swapped-out machine; resume() lets them go on.
    void pause();
    void resume();
    // Whatever a test left: the server running and answering.
    void recover() {
        resume();
        if (m_down) up();
    }
    // Runs statements with psql as the superuser on database `db`; the output's lines.
    QString psql(const QString& sql, const QString& db = QStringLiteral("postgres")) const;

private:
    bool script(const QString& command);
    QString m_dir, m_port, m_previousPort, m_why;
    QList<qint64> m_paused;
    bool m_down = false;
};

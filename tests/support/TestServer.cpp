#include "TestServer.h"

#include "data/Connection.h"
#include "data/DbError.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace TestServer {

namespace {
QString port() {
    return qEnvironmentVariable("ZANMO_TEST_PGPORT");
}

void onMaintenance(const QString& sql) {
    Connection cn;
    try {
        cn.Open(connectString(QStringLiteral("postgres")));
        cn.Execute(sql);
    } catch (const DbError& e) {
        qFatal("test server: %s: %s", qPrintable(sql), qPrintable(e.description()));
    }
}
} // namespace

bool active() {
    if (qEnvironmentVariable("ZANMO_TEST_ENGINE") != u"pg") return false;
    if (port().isEmpty()) {
        std::printf("SKIP: PostgreSQL half not run: no test server (ZANMO_TEST_PGPORT is not set; "
                    "scripts/test.sh starts one)\n");
        std::fflush(stdout);
        std::exit(77);
    }
    return true;
}

QString iniLines(const QString& name) {
    return QStringLiteral("dbmode=2\ndbhost=127.0.0.1\ndbport=%1\ndbname=%2\ndbuser=zanmo\n")
        .arg(port(), name);
}

QString connectString(const QString& name) {
    return QStringLiteral("Provider=PostgreSQL;Host=127.0.0.1;Port=%1;Database=%2;User ID=zanmo")
        .arg(port(), name);
}

QString createDatabase() {
    static QAtomicInt seq;
    const QString name =
        QStringLiteral("zt_%1_%2").arg(QCoreApplication::applicationPid()).arg(seq.fetchAndAddRelaxed(1) + 1);
    onMaintenance(QStringLiteral("DROP DATABASE IF EXISTS ") + name + QStringLiteral(" WITH (FORCE)"));
    onMaintenance(QStringLiteral("CREATE DATABASE ") + name);
    return name;
}

void dropDatabase(const QString& name) {
    onMaintenance(QStringLiteral("DROP DATABASE IF EXISTS ") + name + QStringLiteral(" WITH (FORCE)"));
}

} // namespace TestServer

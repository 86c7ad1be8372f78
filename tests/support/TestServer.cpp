#include "TestServer.h"

#include "data/Connection.h"
#include "data/DbError.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace TestServer {

namespace {
QString port() {
    return qEnvironmentVariable("ZANMO_TEST_PGPORT");
}

void onMaintenance(const QString& sql) {
    Connection cn;
    try {
        cn.Open(connectString(u"postgres"_s));
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
    return u"dbmode=2\ndbhost=127.0.0.1\ndbport=%1\ndbname=%2\ndbuser=zanmo\n"_s.arg(port(), name);
}

QString connectString(const QString& name) {
    return u"Provider=PostgreSQL;Host=127.0.0.1;Port=%1;Database=%2;User ID=zanmo"_s.arg(port(), name);
}

QString createDatabase() {
    static QAtomicInt seq;
    const QString name =
        u"zt_%1_%2"_s.arg(QCoreApplication::applicationPid()).arg(seq.fetchAndAddRelaxed(1) + 1);
    dropDatabase(name);
    onMaintenance(u"CREATE DATABASE "_s + name);
    return name;
}

void dropDatabase(const QString& name) {
    onMaintenance(u"DROP DATABASE IF EXISTS "_s + name + u" WITH (FORCE)"_s);
}

} // namespace TestServer

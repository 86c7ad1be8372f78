#pragma once

#include <QString>

// The throw-away PostgreSQL server of the test run (scripts/pg-cluster.sh). A test program run with
// ZANMO_TEST_ENGINE=pg puts its temporary databases there instead of a data1.dat.
namespace TestServer {
// True when this run tests the server engine. Without ZANMO_TEST_PGPORT the program says so and
// ends with 77, which CTest shows as skipped.
bool active();
// The zanmo.ini lines pointing at database `name` on the server (dbmode=2 and its keys).
QString iniLines(const QString& name);
// The connection text of database `name`.
QString connectString(const QString& name);
// A new empty database with a unique name; DROP it with dropDatabase.
QString createDatabase();
void dropDatabase(const QString& name);
} // namespace TestServer

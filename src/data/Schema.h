#pragma once

#include <QString>
#include <QStringList>

class Connection;

// Every table and column the program uses, in the stored forms the suite relies on.
namespace Schema {
// CREATE TABLE / CREATE INDEX statements in order.
QStringList createStatements();
// Creates a new database file with the tables and the sysfile row id = 1.
// Throws DbError when the file exists already or cannot be written.
void createDatabase(const QString& filePath, int gno = 0, int maxline = 1000, int stankakbn = 0);
} // namespace Schema

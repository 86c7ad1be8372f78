#pragma once

#include "data/SqlDialect.h"

#include <QString>
#include <QStringList>

class Connection;

// Every table and column the program uses, in the stored forms the suite relies on.
namespace Schema {
// CREATE TABLE / CREATE INDEX statements in order, as SQLite takes them (DbEngine::schemaStatements
// gives another engine's).
QStringList createStatements();
// Creates the tables, indexes and the sysfile row on an open server connection in one
// transaction (the caller's, when one is open). Throws DbError when the server holds any of the tables
// already.
void createOnServer(Connection& cn, int gno = 0, int maxline = 1000, int stankakbn = 0);
// The program's tables, in the order a copy fills them, and the columns of each.
QStringList tableNames();
QStringList columnsOf(const QString& table);
// The indexes alone, each made only when missing.
QStringList indexStatements();
// Creates a new database file with the tables and the sysfile row id = 1; in a group-writable
// folder the file is group-writable. Throws DbError when the file exists already or cannot be
// written.
void createDatabase(const QString& filePath, int gno = 0, int maxline = 1000, int stankakbn = 0);
// Where a database for filePath is built before it is published: a hidden file beside it, named
// after this process and this computer.
QString buildFileFor(const QString& filePath);
// Removes the hidden build files (and their journals) a killed run left in `folder`: this computer's
// whose process is gone, another computer's untouched for a day. Returns how many went.
int removeAbandonedBuilds(const QString& folder);
// Moves a finished (closed, journal-free) database file to filePath, never over an existing file.
// Throws DbError.
void publishDatabase(const QString& built, const QString& filePath);
// The tables ("goods") and columns ("goods.kakuho") of the program missing from an open database.
QStringList missingParts(Connection& cn);
// Removes a database file with its journal files.
void removeDatabaseFiles(const QString& filePath);
} // namespace Schema

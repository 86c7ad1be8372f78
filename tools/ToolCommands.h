#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Connection;

// Subcommands of zanmo-tool. Each takes the arguments after its name and returns the exit status
// (0 done, 2 usage or data error, with the reason on stderr).
int toolInit(const QStringList& args);
int toolGenerate(const QStringList& args);
int toolStock(const QStringList& args);
int toolReport(const QStringList& args);
int toolLedger(const QStringList& args);
int toolOptimize(const QStringList& args);
int toolCopy(const QStringList& args);
int toolStocktake(const QStringList& args);
int toolBackup(const QStringList& args);
int toolRestore(const QStringList& args);

// Prints "zanmo-tool: message" to stderr and returns 2.
int toolFail(const QString& message);
// Makes DIR the program folder and opens the shared connection (gcnData) on DIR/data1.dat.
// On failure the reason has been printed; returns false.
bool toolOpenDatabase(const QString& dir);
// Parses a yyyymmdd text into a date; false when it is no calendar day.
bool toolParseDay(const QString& text, int* day);
// Makes DIR/data1.dat: the tables, then fill(file) on the database being built, then the finished
// file moved into place (never over an existing one). False with the reason printed.
bool toolBuildDatabase(const QString& dir, const std::function<void(const QString& file)>& fill,
                       QString* file);
// Makes the program's tables on the PostgreSQL server DIR/zanmo.ini names (dbhost, dbport, dbname,
// dbuser, dbpassword), then fill(connection), in one transaction: a failure leaves the server as
// it was. Refused when the server holds the tables already. False with the reason printed.
bool toolBuildOnServer(const QString& dir, const std::function<void(Connection& cn)>& fill, QString* where);
// Tells on stderr when the server's database folds more than ASCII letters in its case-blind text.
void toolNoteServerCase(Connection& cn);
// The program's connection text for a database file.
QString toolConnectString(const QString& file);
// Builds the new database file `built` (journal DELETE) with every row of the program's tables that
// `from` sees, each table's rows counted on both sides. Throws DbError.
void toolCopyIntoFile(Connection& from, const QString& built);
// Opens a server's connection text (`shown` as a user reads it). When the server asks for a
// password none was given for (PGPASSWORD, ~/.pgpass), it is asked for at the terminal without
// echo; never taken from the command line. Throws DbError.
void toolOpenServer(Connection& cn, const QString& connect, const QString& shown);
// The file being built now (empty: none), removed with its journals when a signal ends the tool.
void toolBuilding(const QString& built);
// Fresh statistics for the server's planner after a bulk load (DbEngine::statisticsStatements); a
// failure is noted on stderr, the rows stay.
void toolAnalyze(Connection& cn);

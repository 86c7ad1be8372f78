#pragma once

#include <QString>

// The settings file zanmo.ini beside the executable, and the connection string built from it.

inline constexpr const char* kIniFileName = "zanmo.ini";
inline constexpr const char* kIniSection = "zanmo";
inline constexpr const char* kDataFileName = "data1.dat";
inline constexpr const char* kDbPassword = "QelMorvan";

// The executable's folder (no trailing separator); tests and tools may point it elsewhere.
QString fnProgramFolder();
void fnSetProgramFolder(const QString& folder); // empty restores the executable's folder

// The settings file read: zanmo.ini in the program folder; for an installed program
// (PREFIX/lib/zanmo) without one there, PREFIX/etc/zanmo/zanmo.ini (/etc/zanmo/zanmo.ini for /usr).
QString fnIniPath();

// Profile-string read with the Windows rules: section and key case-insensitive, value trimmed,
// the default when missing, the result cut to bufferSize - 1 characters, every NUL removed.
QString fnGetIniString(const QString& section, const QString& key, const QString& defaultValue,
                       int bufferSize, const QString& filePath);
// Profile integer read: the leading digits of the value (an optional sign first), the default when missing.
int fnGetIniInt(const QString& section, const QString& key, int defaultValue, const QString& filePath);

// Why zanmo.ini cannot be read, naming the file ("" when it reads, or is not there). It is read as
// UTF-8, Shift-JIS or UTF-16 (with a byte-order mark, or without one when its NUL bytes tell the
// byte order); a file in none of them gives its keys no values, so start-up refuses it.
QString fnIniProblem();
// dbmode of zanmo.ini as a byte (0 when missing).
quint8 fnGetDbMode();
// The connection text for the mode: the Jet text of the file for 0 and 1, the server's text
// (fnServerConnectString) for 2; empty for any other mode.
QString fnConnectString(quint8 mode, const QString& fileName);
// A value of the connection text: in double quotes (a quote inside doubled) when it holds ';' or '"'.
QString fnConnectValue(QString value);
// The PostgreSQL server of zanmo.ini: dbhost, dbport, dbname, dbuser, dbpassword, each optional.
QString fnServerConnectString();
// The database the mode points at, as a user reads it: the file's path for 0 and 1,
// "postgresql://user@host:port/name" for 2 (parts not set are left out); empty for other modes.
QString fnDataDescription(quint8 mode);
// A server as a user reads it: "postgresql://user@host:port/name", parts not set left out.
QString fnServerText(const QString& user, const QString& host, const QString& port, const QString& name);

// The database file the mode points at (mode 0: the program folder, 1: zanmo.ini's dbpath), as a
// local path; empty for a mode other than 0 and 1.
QString fnDataFilePath(quint8 mode);

#pragma once

#include <QString>
#include <QTemporaryDir>

class Connection;
class Recordset;

// A temporary program folder with a real data1.dat, made the program folder for the test's lifetime.
// Opens the shared connection (gcnData) on it unless told not to. In a run on the test server
// (TestServer::active) the folder's zanmo.ini points at a new database of its own instead.
class TempProgramDir {
public:
    explicit TempProgramDir(bool openShared = true, bool createDatabase = true);
    ~TempProgramDir();

    QString path() const { return m_dir.path(); }
    QString dataFile() const;
    // The server database of this folder; empty when it has a data1.dat.
    QString serverDatabase() const { return m_server; }
    // Runs statements on the shared connection; fails the test (QFAIL-style abort) on error.
    void exec(const QString& sql) const;
    void exec(const QStringList& sqls) const;
    // First column of the first row as text ("" when no row).
    QString scalar(const QString& sql) const;
    int count(const QString& sql) const { return scalar(sql).toInt(); }
    // Every row of the query, fields joined with fieldSep and rows with rowSep; a whole REAL
    // reads "5.0" and Null "", on either engine.
    QString rows(const QString& sql, const QString& fieldSep = QStringLiteral("|"),
                 const QString& rowSep = QStringLiteral(",")) const;
    // The same rows of a query on another connection; an error of the query rises as DbError.
    static QString rowsOn(Connection& cn, const QString& sql, const QString& fieldSep = QStringLiteral("|"),
                          const QString& rowSep = QStringLiteral(","));
    // The same of an open cursor, from its current row on; it is left past its last row.
    static QString rowsOf(Recordset& rec, const QString& fieldSep = QStringLiteral("|"),
                          const QString& rowSep = QStringLiteral(","));
    // The connection text of a database file, as the program writes it for data1.dat.
    static QString fileConnectString(const QString& file);
    // Another connection on the same database taking the write lock, as another program of the
    // suite does while it saves; ROLLBACK on it lets go.
    void holdWriteLock(Connection& other) const;
    // The column that orders a table's rows as they were added, on the shared connection's engine.
    static QString insertionOrder();
    // The first field of the first row as "kind:value": kind null, integer, real or text, the
    // value as rows() writes it.
    QString typedValue(const QString& sql) const;
    // The names of the database's tables and indexes, sorted and joined with ','.
    QString schemaNames() const;

    // Convenience rows in the stored forms.
    void addCategory(int code, const QString& name) const;
    void addGoods(const QString& code, const QString& name, int bunrui = 1, int zkubun = 0, int stop = 0,
                  const QString& kana = QString()) const;
    void addLedger(const QString& code, int day, int kubun, double suu, int denno = 0, int line = 0) const;
    void writeIni(const QString& text) const;

private:
    QTemporaryDir m_dir;
    QString m_previousFolder; // the program folder to go back to
    QString m_server;
};

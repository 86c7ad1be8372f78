#pragma once

#include <QString>
#include <QTemporaryDir>

// A temporary program folder with a real data1.dat, made the program folder for the test's lifetime.
// Opens the shared connection (gcnData) on it unless told not to.
class TempProgramDir {
public:
    explicit TempProgramDir(bool openShared = true, bool createDatabase = true);
    ~TempProgramDir();

    QString path() const { return m_dir.path(); }
    QString dataFile() const;
    // Runs statements on the shared connection; fails the test (QFAIL-style abort) on error.
    void exec(const QString& sql) const;
    void exec(const QStringList& sqls) const;
    // First column of the first row as text ("" when no row).
    QString scalar(const QString& sql) const;
    int count(const QString& sql) const { return scalar(sql).toInt(); }

    // Convenience rows in the stored forms.
    void addCategory(int code, const QString& name) const;
    void addGoods(const QString& code, const QString& name, int bunrui = 1, int zkubun = 0, int stop = 0,
                  const QString& kana = QString()) const;
    void addLedger(const QString& code, int day, int kubun, double suu, int denno = 0, int line = 0) const;
    void writeIni(const QString& text) const;

private:
    QTemporaryDir m_dir;
    QString m_previousFolder; // the program folder to go back to
};

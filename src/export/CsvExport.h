#pragma once

#include <QString>
#include <QStringList>

struct ExportTable;

// Writes a table export as CSV: for a list, its title and header lines and a blank line (see
// ExportTable::csvHeading); a line with the column captions, then one line per row, each
// column as shown (trimmed), then the figures under the rows as "caption,figure". UTF-8 with a
// byte-order mark, or Shift-JIS. Lines end with CR LF; a value holding a comma, quote or line break
// is quoted. The file appears only when it was written whole (an appended file is rewritten whole).
class CsvExport {
public:
    QString FileName;
    bool ShiftJis = false;
    // Adds the lines after the captions to the end of an existing file (no second caption line, no
    // second byte-order mark); without a file it is written as new.
    bool Append = false;

    // False on failure, with errorNumber() and errorDescription(); errorNumber() 0 when the
    // table's progress stopped it.
    bool write(const ExportTable& table);
    int errorNumber() const { return m_errorNumber; }
    const QString& errorDescription() const { return m_error; }

    // One CSV line (without its end) of the values.
    static QString csvLine(const QStringList& values);

protected:
    bool fail(int number, const QString& description);

private:
    int m_errorNumber = 0;
    QString m_error;
};

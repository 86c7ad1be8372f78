#pragma once

#include <QString>

class ActiveReport;
struct ExportTable;

// Writes a table export as an Excel workbook (.xlsx) of one sheet: the title and header lines at
// the top, the column captions as a bold header row that stays in view, then the rows: numbers as
// numbers in the column's number format (so the sheet can add them up), dates as dates, texts as
// text; the figures under the rows last. Columns are as wide as their texts; printed on A4 in the
// table's orientation and margins, the caption row repeated on every page, one page wide.
// The file appears only when it was written whole.
class ReportXlsxExport {
public:
    QString FileName;

    // A report's printed detail lines; runs the report first when it has not run. False on
    // failure, with errorNumber() and errorDescription().
    bool Export(ActiveReport& report);
    bool write(const ExportTable& table);
    int errorNumber() const { return m_errorNumber; }
    const QString& errorDescription() const { return m_error; }

    // Excel's column width (in characters of the standard font) that fits the texts: a character
    // wider than a letter (kanji, kana) counts two.
    static double columnWidth(const QStringList& texts);

private:
    bool fail(int number, const QString& description);

    int m_errorNumber = 0;
    QString m_error;
};

#pragma once

#include <QString>

struct ExportTable;

// Writes a table export as an Excel workbook (.xlsx) of one sheet: the title and header lines at
// the top, the column captions as a bold header row that stays in view, then the rows: numbers as
// numbers in the column's number format (so the sheet can add them up), dates as dates, texts as
// text; the figures under the rows last. Columns are as wide as their texts; printed on A4 in the
// table's orientation and margins, the caption row repeated on every page, one page wide.
// The file appears only when it was written whole.
class XlsxExport {
public:
    QString FileName;

    // False on failure, with errorNumber() and errorDescription(); errorNumber() 0 when the
    // table's progress stopped it.
    bool write(const ExportTable& table);
    int errorNumber() const { return m_errorNumber; }
    const QString& errorDescription() const { return m_error; }

    // Excel's column width (in characters of the standard font) that fits the texts: a character
    // wider than a letter (kanji, kana) counts two.
    static double columnWidth(const QStringList& texts);

protected:
    bool fail(int number, const QString& description);

private:
    int m_errorNumber = 0;
    QString m_error;
};

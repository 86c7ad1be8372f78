#include "export/XlsxExport.h"

#include "export/ExportTable.h"
#include "export/basExportFile.h"

#include <QDate>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace {

constexpr uint8_t kPaperA4 = 9;
constexpr double kTwipsPerInch = 1440.0;

// Characters that take two columns of a letter's width (the halfwidth katakana take one).
bool isWide(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x1100) return false;
    if (u >= 0xFF61 && u <= 0xFF9F) return false;
    return true;
}

// The sheet's name: the title without the characters a sheet name may not hold, at most 31 long.
QByteArray sheetName(const QString& title) {
    QString name = title;
    for (QChar c : QStringLiteral("[]:*?/\\"))
        name.remove(c);
    name = name.trimmed().left(31);
    return (name.isEmpty() ? QStringLiteral("Sheet1") : name).toUtf8();
}

// A shown number read back: blanks and thousands separators removed.
bool shownNumber(const QString& text, double* value) {
    bool ok = false;
    *value = QString(text).remove(u',').trimmed().toDouble(&ok);
    return ok;
}

// Builds the sheet; each step's error is kept, the first one ends the build.
class SheetWriter {
public:
    SheetWriter(lxw_workbook* book, lxw_worksheet* sheet) : m_book(book), m_sheet(sheet) {}

    lxw_format* format(const QString& numberFormat, bool bold = false, bool rightAligned = false,
                       bool bottomBorder = false, double size = 0) {
        lxw_format* f = workbook_add_format(m_book);
        if (!numberFormat.isEmpty()) format_set_num_format(f, numberFormat.toUtf8().constData());
        if (bold) format_set_bold(f);
        if (rightAligned) format_set_align(f, LXW_ALIGN_RIGHT);
        if (bottomBorder) format_set_bottom(f, LXW_BORDER_THIN);
        if (size > 0) format_set_font_size(f, size);
        return f;
    }

    void text(int row, int col, const QString& value, lxw_format* f) {
        if (value.isEmpty()) return;
        check(worksheet_write_string(m_sheet, row, col, value.toUtf8().constData(), f));
    }

    void cell(int row, int col, const QString& shown, ExportColumn::Kind kind, lxw_format* f,
              lxw_format* asText) {
        const QString trimmed = shown.trimmed();
        if (trimmed.isEmpty()) return;
        if (kind == ExportColumn::Kind::Number) {
            double value = 0;
            if (shownNumber(trimmed, &value)) {
                check(worksheet_write_number(m_sheet, row, col, value, f));
                return;
            }
        } else if (kind == ExportColumn::Kind::Date) {
            const QDate day = QDate::fromString(trimmed, QStringLiteral("yyyy/MM/dd"));
            if (day.isValid() && day.year() >= 1900) {
                lxw_datetime when{day.year(), day.month(), day.day(), 0, 0, 0.0};
                check(worksheet_write_datetime(m_sheet, row, col, &when, f));
                return;
            }
        } else {
            text(row, col, shown, f);
            return;
        }
        // Not a number or date after all: kept as the text shown rather than lost.
        text(row, col, trimmed, asText);
    }

    void check(lxw_error error) {
        if (error != LXW_NO_ERROR && m_error == LXW_NO_ERROR) m_error = error;
    }
    lxw_error error() const { return m_error; }

private:
    lxw_workbook* m_book;
    lxw_worksheet* m_sheet;
    lxw_error m_error = LXW_NO_ERROR;
};

} // namespace

bool XlsxExport::fail(int number, const QString& description) {
    m_errorNumber = number;
    m_error = description;
    return false;
}

double XlsxExport::columnWidth(const QStringList& texts) {
    int widest = 0;
    for (const QString& t : texts) {
        int w = 0;
        for (QChar c : t)
            w += isWide(c) ? 2 : 1;
        widest = qMax(widest, w);
    }
    return qBound(6.0, widest + 2.0, 80.0);
}

bool XlsxExport::write(const ExportTable& table) {
    m_errorNumber = 0;
    m_error.clear();
    int number = 0;
    QString description;
    if (!fnCheckExportTarget(FileName, &number, &description)) return fail(number, description);
    // Opened first, so a folder that takes no file is told before the work is done.
    QSaveFile target(FileName);
    if (!target.open(QIODevice::WriteOnly))
        return fail(kExportPermissionDenied, fnExportPermissionText(FileName));

    // The library writes a file of its own: it is made aside and copied into the target whole.
    QTemporaryDir work;
    if (!work.isValid())
        return fail(kExportDeviceIo,
                    fnExportErrorText(QStringLiteral("一時ファイルを作成できません。"), work.errorString()));
    const QString bookFile = work.filePath(QStringLiteral("book.xlsx"));
    QByteArray workPath = QFile::encodeName(work.path());
    lxw_workbook_options options{};
    options.tmpdir = workPath.data();
    lxw_workbook* book = workbook_new_opt(QFile::encodeName(bookFile).constData(), &options);
    if (!book) return fail(kExportDeviceIo, fnExportDeviceIoText(bookFile));
    lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName(table.title).constData());
    if (!sheet) {
        lxw_workbook_free(book);
        return fail(kExportDeviceIo, fnExportDeviceIoText(bookFile));
    }

    SheetWriter w(book, sheet);
    using Kind = ExportColumn::Kind;
    lxw_format* titleFormat = w.format({}, true, false, false, 14);
    lxw_format* asText = w.format(QStringLiteral("@"));
    lxw_format* bold = w.format({}, true);
    int row = 0;
    w.text(row++, 0, table.title, titleFormat);
    for (const QString& line : table.headerLines)
        w.text(row++, 0, line, nullptr);
    ++row; // a blank line above the captions
    const int captionRow = row++;

    QList<lxw_format*> cellFormats;
    for (int c = 0; c < table.columns.size(); ++c) {
        const ExportColumn& column = table.columns.at(c);
        const bool figure = column.kind != Kind::Text;
        w.text(captionRow, c, column.caption, w.format({}, true, figure, true));
        if (column.kind == Kind::Number)
            cellFormats << w.format(column.format.isEmpty() ? QStringLiteral("General") : column.format);
        else if (column.kind == Kind::Date)
            cellFormats << w.format(column.format.isEmpty() ? QStringLiteral("yyyy/mm/dd") : column.format);
        else
            cellFormats << asText;
    }
    for (const QStringList& cells : table.rows) {
        if (!table.goOn(row - captionRow - 1)) {
            lxw_workbook_free(book);
            return fail(0, QString());
        }
        for (int c = 0; c < table.columns.size() && c < cells.size(); ++c)
            w.cell(row, c, cells.at(c), table.columns.at(c).kind, cellFormats.at(c), asText);
        ++row;
    }
    table.rowsDone();
    if (!table.totals.isEmpty()) ++row;
    for (const ExportTable::Total& total : table.totals) {
        w.text(row, 0, total.caption, bold);
        w.cell(row, 1, total.text, Kind::Number,
               w.format(total.format.isEmpty() ? QStringLiteral("General") : total.format), asText);
        ++row;
    }

    // Widths from the captions and the cells (the title and header lines run over empty cells).
    for (int c = 0; c < table.columns.size(); ++c) {
        QStringList texts{table.columns.at(c).caption};
        for (const QStringList& cells : table.rows)
            texts << cells.value(c).trimmed();
        for (const ExportTable::Total& total : table.totals)
            texts << (c == 0 ? total.caption : c == 1 ? total.text : QString());
        w.check(worksheet_set_column(sheet, c, c, columnWidth(texts), nullptr));
    }
    worksheet_freeze_panes(sheet, captionRow + 1, 0);
    worksheet_set_paper(sheet, kPaperA4);
    if (table.landscape)
        worksheet_set_landscape(sheet);
    else
        worksheet_set_portrait(sheet);
    const auto inches = [](int twips) { return twips < 0 ? -1.0 : twips / kTwipsPerInch; };
    worksheet_set_margins(sheet, inches(table.leftMargin), inches(table.rightMargin), inches(table.topMargin),
                          inches(table.bottomMargin));
    w.check(worksheet_repeat_rows(sheet, captionRow, captionRow));
    worksheet_fit_to_pages(sheet, 1, 0);

    if (w.error() != LXW_NO_ERROR) {
        lxw_workbook_free(book);
        return fail(kExportDeviceIo,
                    fnExportDeviceIoText(FileName) + u' ' + QString::fromUtf8(lxw_strerror(w.error())));
    }
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR)
        return fail(kExportDeviceIo,
                    fnExportDeviceIoText(FileName) + u' ' + QString::fromUtf8(lxw_strerror(closed)));

    QFile made(bookFile);
    if (!made.open(QIODevice::ReadOnly)) return fail(kExportDeviceIo, fnExportDeviceIoText(bookFile));
    const QByteArray bytes = made.readAll();
    if (target.write(bytes) != bytes.size() || !target.commit())
        return fail(kExportDeviceIo, fnExportDeviceIoText(FileName) + u' ' + target.errorString());
    return true;
}

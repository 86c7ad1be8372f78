#pragma once

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <unzip.h>

using namespace Qt::Literals::StringLiterals;

// Reads back a workbook the Excel export wrote: the zip's parts (minizip, CRCs checked), then the
// first sheet's cells with their types, values, number formats and fonts, the frozen rows, the
// column widths and the page setup.
class XlsxReader {
    using L = QLatin1StringView;

public:
    struct Cell {
        bool present = false, bold = false;
        QString type, value, text, format; // t="s" or none, <v> as written, the shared string, number format
    };

    explicit XlsxReader(const QString& fileName) {
        if (!readDirectory(fileName)) return;
        readStyles();
        readSheet();
    }

    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    Cell cell(const QString& ref) const { return m_cells.value(ref); }
    int frozenRows() const { return m_frozenRows; }
    double columnWidth(int column) const { return m_widths.value(column, -1); } // 1-based
    int paperSize() const { return m_paperSize; }
    QString orientation() const { return m_orientation; }
    QString printTitles() const { return m_printTitles; }
    QString sheetName() const { return m_sheetName; }

    // A cell as "type:value:format": s (text), n (number), d (a number in a date format, shown as
    // the day), "-" for no cell.
    QString describe(const QString& ref) const {
        const Cell c = cell(ref);
        if (!c.present) return u"-"_s;
        if (c.type == L("s")) return u"s:"_s + c.text + u':' + c.format;
        if (!c.type.isEmpty() && c.type != L("n")) return c.type + u':' + c.value;
        if (c.format.contains(L("yy"))) // Excel's serial days from 1899-12-30
            return u"d:"_s + QDate(1899, 12, 30).addDays(c.value.toLongLong()).toString(u"yyyy/MM/dd") +
                   u':' + c.format;
        return u"n:"_s + QString::number(c.value.toDouble(), 'g', 15) + u':' + c.format;
    }
    // Every "REF=type:value:format" of the list (separated by '|') against the sheet: the mismatches.
    QStringList mismatches(const QString& expected) const {
        QStringList wrong;
        for (const QString& e : expected.split(u'|'))
            if (const QString ref = e.section(u'=', 0, 0), got = describe(ref); got != e.section(u'=', 1))
                wrong << ref + u": got "_s + got + u", expected "_s + e.section(u'=', 1);
        return wrong;
    }
    // "A1" for row 1, column 1.
    static QString ref(int row, int column) {
        QString letters;
        for (int c = column; c > 0; c = (c - 1) / 26)
            letters.prepend(QChar(u'A' + (c - 1) % 26));
        return letters + QString::number(row);
    }

private:
    // minizip checks each part's CRC once the part is read to its end.
    bool readDirectory(const QString& fileName) {
        unzFile zip = unzOpen64(QFile::encodeName(fileName).constData());
        if (!zip) return fail(u"not a zip file"_s);
        for (int at = unzGoToFirstFile(zip); at == UNZ_OK; at = unzGoToNextFile(zip)) {
            char name[512];
            unz_file_info64 info;
            if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
                unzOpenCurrentFile(zip) != UNZ_OK)
                break;
            QByteArray content(qsizetype(info.uncompressed_size), Qt::Uninitialized);
            const int read = unzReadCurrentFile(zip, content.data(), unsigned(content.size()));
            if (unzCloseCurrentFile(zip) != UNZ_OK || read != content.size()) {
                unzClose(zip);
                return fail(u"cannot inflate "_s + QString::fromUtf8(name));
            }
            m_parts.insert(QString::fromUtf8(name), content);
        }
        unzClose(zip);
        return !m_parts.isEmpty() || fail(u"bad directory"_s);
    }
    bool fail(const QString& error) {
        m_error = error;
        return false;
    }
    void readStyles() {
        m_formats = {{0, u"General"_s}, {1, u"0"_s}, {3, u"#,##0"_s}, {4, u"#,##0.00"_s}, {49, u"@"_s}};
        QXmlStreamReader x(m_parts.value(u"xl/styles.xml"_s));
        QStringView section; // fonts or cellXfs
        while (!x.atEnd()) {
            x.readNext();
            const auto a = x.attributes();
            if (x.isEndElement() && (x.name() == L("fonts") || x.name() == L("cellXfs")))
                section = {};
            else if (!x.isStartElement())
                continue;
            else if (x.name() == L("numFmt"))
                m_formats.insert(a.value(L("numFmtId")).toInt(), a.value(L("formatCode")).toString());
            else if (x.name() == L("fonts") || x.name() == L("cellXfs"))
                section = x.name() == L("fonts") ? u"fonts" : u"cellXfs";
            else if (x.name() == L("font") && section == L("fonts"))
                m_bold.append(false);
            else if (x.name() == L("b") && section == L("fonts") && !m_bold.isEmpty())
                m_bold.last() = true;
            else if (x.name() == L("xf") && section == L("cellXfs"))
                m_styles.append({a.value(L("numFmtId")).toInt(), a.value(L("fontId")).toInt()});
        }
        QXmlStreamReader s(m_parts.value(u"xl/sharedStrings.xml"_s));
        while (!s.atEnd())
            if (s.readNext(); s.isStartElement() && s.name() == L("si"))
                m_strings.append(QString());
            else if (s.isStartElement() && s.name() == L("t") && !m_strings.isEmpty())
                m_strings.last() += s.readElementText();
    }
    void readSheet() {
        QXmlStreamReader book(m_parts.value(u"xl/workbook.xml"_s));
        while (!book.atEnd())
            if (book.readNext(); book.isStartElement() && book.name() == L("sheet") && m_sheetName.isEmpty())
                m_sheetName = book.attributes().value(L("name")).toString();
            else if (book.isStartElement() && book.name() == L("definedName") &&
                     book.attributes().value(L("name")) == L("_xlnm.Print_Titles"))
                m_printTitles = book.readElementText();
        QXmlStreamReader x(m_parts.value(u"xl/worksheets/sheet1.xml"_s));
        Cell* current = nullptr;
        while (!x.atEnd()) {
            if (x.readNext(); !x.isStartElement()) continue;
            const auto a = x.attributes();
            if (x.name() == L("pane") && a.value(L("state")) == L("frozen")) {
                m_frozenRows = a.value(L("ySplit")).toInt();
            } else if (x.name() == L("col")) {
                for (int c = a.value(L("min")).toInt(); c <= a.value(L("max")).toInt(); ++c)
                    m_widths.insert(c, a.value(L("width")).toDouble());
            } else if (x.name() == L("pageSetup")) {
                m_paperSize = a.value(L("paperSize")).toInt();
                m_orientation = a.value(L("orientation")).toString();
            } else if (x.name() == L("c")) {
                current = &m_cells[a.value(L("r")).toString()];
                const std::pair<int, int> style = m_styles.value(a.value(L("s")).toInt());
                *current = {true, m_bold.value(style.second),  a.value(L("t")).toString(), {},
                            {},   m_formats.value(style.first)};
            } else if (x.name() == L("v") && current) {
                current->value = x.readElementText();
                if (current->type == L("s")) current->text = m_strings.value(current->value.toInt());
            }
        }
        if (x.hasError()) m_error = u"sheet: "_s + x.errorString();
    }

    QString m_error;
    QHash<QString, QByteArray> m_parts;
    QHash<int, QString> m_formats;
    QList<bool> m_bold;
    QList<std::pair<int, int>> m_styles; // number format, font
    QStringList m_strings;
    QHash<QString, Cell> m_cells;
    QMap<int, double> m_widths;
    int m_frozenRows = 0, m_paperSize = 0;
    QString m_orientation, m_printTitles, m_sheetName;
};

#pragma once

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QXmlStreamReader>

#include <array>
#include <zlib.h>

// Reads back a workbook the Excel export wrote: the zip's parts found by its central directory,
// inflated by zlib and checked against their CRC, then the first sheet's cells with their types,
// values, number formats and fonts, the frozen rows, the column widths and the page setup.
class XlsxReader {
public:
    struct Cell {
        bool present = false;
        QString type;   // "s" shared string, "n" or "" number, "str", "inlineStr", "b"
        QString value;  // <v> as written
        QString text;   // the string of a string cell
        QString format; // number format code ("General", "#,##0", "yyyy/mm/dd", "@", ...)
        bool bold = false;
        QString align; // horizontal alignment, "" when none

        bool isNumber() const { return present && (type.isEmpty() || type == QLatin1String("n")); }
        bool isString() const {
            return present && (type == QLatin1String("s") || type == QLatin1String("inlineStr"));
        }
        double number() const { return value.toDouble(); }
        // A date cell's day: Excel's serial days from 1899-12-30.
        QDate date() const { return QDate(1899, 12, 30).addDays(qint64(number())); }
    };

    explicit XlsxReader(const QString& fileName) {
        QFile f(fileName);
        if (!f.open(QIODevice::ReadOnly)) {
            m_error = QStringLiteral("cannot open ") + fileName;
            return;
        }
        m_zip = f.readAll();
        if (!readDirectory()) return;
        readStyles();
        readSharedStrings();
        readSheet();
    }

    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    QStringList partNames() const { return m_parts.keys(); }
    // A part of the package, inflated; empty when missing (error() then tells).
    QByteArray part(const QString& name) const {
        const auto it = m_parts.constFind(name);
        if (it == m_parts.constEnd()) return {};
        return it.value();
    }

    Cell cell(const QString& ref) const { return m_cells.value(ref); }
    // All cell references of the sheet ("A1", "B7", ...).
    QStringList cellRefs() const { return m_cells.keys(); }
    int frozenRows() const { return m_frozenRows; }
    double columnWidth(int column) const { return m_widths.value(column, -1); } // 1-based
    int paperSize() const { return m_paperSize; }
    QString orientation() const { return m_orientation; }
    QString printTitles() const { return m_printTitles; }
    QString sheetName() const { return m_sheetName; }

    // "A1" for row 1, column 1.
    // A cell as "type:value:format": s (text), n (number), d (a number in a date format, shown as
    // the day), "-" for no cell.
    QString describe(const QString& ref) const {
        const Cell c = cell(ref);
        if (!c.present) return QStringLiteral("-");
        if (c.isString()) return QStringLiteral("s:") + c.text + u':' + c.format;
        if (c.isNumber() && c.format.contains(QLatin1String("yy")))
            return QStringLiteral("d:") + c.date().toString(QStringLiteral("yyyy/MM/dd")) + u':' + c.format;
        if (c.isNumber())
            return QStringLiteral("n:") + QString::number(c.number(), 'g', 15) + u':' + c.format;
        return c.type + u':' + c.value;
    }
    // Every "REF=type:value:format" of the list (separated by '|') against the sheet: the mismatches.
    QStringList mismatches(const QString& expected) const {
        QStringList wrong;
        for (const QString& e : expected.split(u'|')) {
            const QString ref = e.section(u'=', 0, 0), got = describe(ref);
            if (got != e.section(u'=', 1))
                wrong << ref + QStringLiteral(": got ") + got + QStringLiteral(", expected ") +
                             e.section(u'=', 1);
        }
        return wrong;
    }
    static QString ref(int row, int column) {
        QString letters;
        for (int c = column; c > 0; c = (c - 1) / 26)
            letters.prepend(QChar(u'A' + (c - 1) % 26));
        return letters + QString::number(row);
    }

private:
    // --- inflate (zlib, raw DEFLATE) ---------------------------------------------------------
    static bool inflate(const QByteArray& data, QByteArray& out) {
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
        z.avail_in = uInt(data.size());
        std::array<char, 1 << 16> chunk;
        int status = Z_OK;
        while (status == Z_OK) {
            z.next_out = reinterpret_cast<Bytef*>(chunk.data());
            z.avail_out = uInt(chunk.size());
            status = ::inflate(&z, Z_NO_FLUSH);
            out.append(chunk.data(), qsizetype(chunk.size() - z.avail_out));
        }
        inflateEnd(&z);
        return status == Z_STREAM_END;
    }
    static quint32 crc32(const QByteArray& data) {
        return quint32(::crc32(0L, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size())));
    }

    // --- zip -----------------------------------------------------------------------------------
    quint32 u16(qsizetype at) const {
        const auto* p = reinterpret_cast<const uchar*>(m_zip.constData()) + at;
        return p[0] | (p[1] << 8);
    }
    quint32 u32(qsizetype at) const { return u16(at) | (u16(at + 2) << 16); }
    bool readDirectory() {
        qsizetype end = -1;
        for (qsizetype i = m_zip.size() - 22; i >= 0; --i)
            if (u32(i) == 0x06054b50u) {
                end = i;
                break;
            }
        if (end < 0) return fail(QStringLiteral("not a zip file"));
        const int entries = int(u16(end + 10));
        qsizetype at = u32(end + 16);
        for (int e = 0; e < entries; ++e) {
            if (at + 46 > m_zip.size() || u32(at) != 0x02014b50u)
                return fail(QStringLiteral("bad directory"));
            const quint32 method = u16(at + 10), crc = u32(at + 16), packed = u32(at + 20);
            const quint32 nameLength = u16(at + 28), extraLength = u16(at + 30), commentLength = u16(at + 32);
            const qsizetype local = u32(at + 42);
            const QString name = QString::fromUtf8(m_zip.mid(at + 46, nameLength));
            at += 46 + nameLength + extraLength + commentLength;
            if (local + 30 > m_zip.size() || u32(local) != 0x04034b50u)
                return fail(QStringLiteral("bad entry ") + name);
            const qsizetype data = local + 30 + u16(local + 26) + u16(local + 28);
            const QByteArray packedData = m_zip.mid(data, packed);
            QByteArray content;
            if (method == 0)
                content = packedData;
            else if (method != 8 || !inflate(packedData, content))
                return fail(QStringLiteral("cannot inflate ") + name);
            if (crc32(content) != crc) return fail(QStringLiteral("CRC mismatch in ") + name);
            m_parts.insert(name, content);
        }
        return true;
    }
    bool fail(const QString& error) {
        m_error = error;
        return false;
    }

    // --- workbook ------------------------------------------------------------------------------
    struct Style {
        int numFmt = 0;
        int font = 0;
        QString align;
    };
    void readStyles() {
        static const QHash<int, QString> builtIn = {
            {0, QStringLiteral("General")}, {1, QStringLiteral("0")},        {2, QStringLiteral("0.00")},
            {3, QStringLiteral("#,##0")},   {4, QStringLiteral("#,##0.00")}, {14, QStringLiteral("m/d/yyyy")},
            {49, QStringLiteral("@")}};
        m_formats = builtIn;
        QXmlStreamReader x(part(QStringLiteral("xl/styles.xml")));
        QString section;
        while (!x.atEnd()) {
            x.readNext();
            if (!x.isStartElement()) {
                if (x.isEndElement() &&
                    (x.name() == QLatin1String("cellXfs") || x.name() == QLatin1String("fonts") ||
                     x.name() == QLatin1String("cellStyleXfs")))
                    section.clear();
                continue;
            }
            const auto a = x.attributes();
            if (x.name() == QLatin1String("numFmt"))
                m_formats.insert(a.value(QLatin1String("numFmtId")).toInt(),
                                 a.value(QLatin1String("formatCode")).toString());
            else if (x.name() == QLatin1String("fonts") || x.name() == QLatin1String("cellXfs") ||
                     x.name() == QLatin1String("cellStyleXfs"))
                section = x.name().toString();
            else if (x.name() == QLatin1String("font") && section == QLatin1String("fonts"))
                m_bold.append(false);
            else if (x.name() == QLatin1String("b") && section == QLatin1String("fonts") && !m_bold.isEmpty())
                m_bold.last() = true;
            else if (x.name() == QLatin1String("xf") && section == QLatin1String("cellXfs"))
                m_styles.append(Style{a.value(QLatin1String("numFmtId")).toInt(),
                                      a.value(QLatin1String("fontId")).toInt(), QString()});
            else if (x.name() == QLatin1String("alignment") && section == QLatin1String("cellXfs") &&
                     !m_styles.isEmpty())
                m_styles.last().align = a.value(QLatin1String("horizontal")).toString();
        }
    }
    void readSharedStrings() {
        QXmlStreamReader x(part(QStringLiteral("xl/sharedStrings.xml")));
        while (!x.atEnd()) {
            x.readNext();
            if (x.isStartElement() && x.name() == QLatin1String("si"))
                m_strings.append(QString());
            else if (x.isStartElement() && x.name() == QLatin1String("t") && !m_strings.isEmpty())
                m_strings.last() += x.readElementText();
        }
    }
    void readSheet() {
        QXmlStreamReader book(part(QStringLiteral("xl/workbook.xml")));
        while (!book.atEnd()) {
            book.readNext();
            if (book.isStartElement() && book.name() == QLatin1String("sheet") && m_sheetName.isEmpty())
                m_sheetName = book.attributes().value(QLatin1String("name")).toString();
            else if (book.isStartElement() && book.name() == QLatin1String("definedName") &&
                     book.attributes().value(QLatin1String("name")) == QLatin1String("_xlnm.Print_Titles"))
                m_printTitles = book.readElementText();
        }
        QXmlStreamReader x(part(QStringLiteral("xl/worksheets/sheet1.xml")));
        Cell* current = nullptr;
        while (!x.atEnd()) {
            x.readNext();
            if (!x.isStartElement()) continue;
            const auto a = x.attributes();
            if (x.name() == QLatin1String("pane") &&
                a.value(QLatin1String("state")) == QLatin1String("frozen")) {
                m_frozenRows = a.value(QLatin1String("ySplit")).toInt();
            } else if (x.name() == QLatin1String("col")) {
                for (int c = a.value(QLatin1String("min")).toInt();
                     c <= a.value(QLatin1String("max")).toInt(); ++c)
                    m_widths.insert(c, a.value(QLatin1String("width")).toDouble());
            } else if (x.name() == QLatin1String("pageSetup")) {
                m_paperSize = a.value(QLatin1String("paperSize")).toInt();
                m_orientation = a.value(QLatin1String("orientation")).toString();
            } else if (x.name() == QLatin1String("c")) {
                Cell& c = m_cells[a.value(QLatin1String("r")).toString()];
                c.present = true;
                c.type = a.value(QLatin1String("t")).toString();
                const Style style = m_styles.value(a.value(QLatin1String("s")).toInt());
                c.format = m_formats.value(style.numFmt);
                c.bold = m_bold.value(style.font);
                c.align = style.align;
                current = &c;
            } else if (x.name() == QLatin1String("v") && current) {
                current->value = x.readElementText();
                if (current->type == QLatin1String("s"))
                    current->text = m_strings.value(current->value.toInt());
                if (current->type == QLatin1String("str")) current->text = current->value;
            } else if (x.name() == QLatin1String("t") && current &&
                       current->type == QLatin1String("inlineStr")) {
                current->text += x.readElementText();
            }
        }
        if (x.hasError()) m_error = QStringLiteral("sheet: ") + x.errorString();
    }

    QByteArray m_zip;
    QString m_error;
    QMap<QString, QByteArray> m_parts;
    QHash<int, QString> m_formats;
    QList<bool> m_bold;
    QList<Style> m_styles;
    QStringList m_strings;
    QMap<QString, Cell> m_cells;
    QMap<int, double> m_widths;
    int m_frozenRows = 0;
    int m_paperSize = 0;
    QString m_orientation;
    QString m_printTitles;
    QString m_sheetName;
};

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

// Reads back a workbook the Excel export wrote, with nothing but Qt: the zip's parts found by its
// central directory, inflated here (RFC 1951) and checked against their CRC, then the first sheet's
// cells with their types, values, number formats and fonts, the frozen rows, the column widths and
// the page setup. A fresh machine has neither unzip nor the zlib headers.
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
    static QString ref(int row, int column) {
        QString letters;
        for (int c = column; c > 0; c = (c - 1) / 26)
            letters.prepend(QChar(u'A' + (c - 1) % 26));
        return letters + QString::number(row);
    }

private:
    // --- inflate -------------------------------------------------------------------------------
    struct Bits {
        const uchar* in = nullptr;
        qsizetype length = 0, pos = 0;
        quint32 buffer = 0;
        int count = 0;
        bool failed = false;
        int bits(int need) {
            quint32 value = buffer;
            while (count < need) {
                if (pos >= length) {
                    failed = true;
                    return 0;
                }
                value |= quint32(in[pos++]) << count;
                count += 8;
            }
            buffer = value >> need;
            count -= need;
            return int(value & ((1u << need) - 1));
        }
    };
    struct Huffman {
        std::array<short, 16> count{};
        std::array<short, 288> symbol{};
    };
    static int decode(Bits& s, const Huffman& h) {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len < 16; ++len) {
            code |= s.bits(1);
            const int count = h.count[len];
            if (code - count < first) return h.symbol[index + (code - first)];
            index += count;
            first += count;
            first <<= 1;
            code <<= 1;
        }
        return -1;
    }
    static void construct(Huffman& h, const short* length, int n) {
        h.count.fill(0);
        for (int s = 0; s < n; ++s)
            h.count[length[s]]++;
        std::array<short, 16> offsets{};
        for (int len = 1; len < 15; ++len)
            offsets[len + 1] = short(offsets[len] + h.count[len]);
        for (int s = 0; s < n; ++s)
            if (length[s] != 0) h.symbol[offsets[length[s]]++] = short(s);
    }
    static bool codes(Bits& s, QByteArray& out, const Huffman& lengths, const Huffman& distances) {
        static const short base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                       31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const short extra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                        2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static const short distBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                           33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                           1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        static const short distExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                            6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        for (;;) {
            int symbol = decode(s, lengths);
            if (symbol < 0 || s.failed) return false;
            if (symbol < 256) {
                out.append(char(symbol));
                continue;
            }
            if (symbol == 256) return true;
            symbol -= 257;
            if (symbol >= 29) return false;
            const int len = base[symbol] + s.bits(extra[symbol]);
            const int d = decode(s, distances);
            if (d < 0 || d >= 30) return false;
            const int dist = distBase[d] + s.bits(distExtra[d]);
            if (s.failed || dist > out.size()) return false;
            for (int i = 0; i < len; ++i)
                out.append(out.at(out.size() - dist));
        }
    }
    static bool inflate(const QByteArray& data, QByteArray& out) {
        Bits s;
        s.in = reinterpret_cast<const uchar*>(data.constData());
        s.length = data.size();
        int last = 0;
        do {
            last = s.bits(1);
            const int type = s.bits(2);
            if (s.failed) return false;
            if (type == 0) { // stored
                s.buffer = 0, s.count = 0;
                if (s.pos + 4 > s.length) return false;
                const int len = s.in[s.pos] | (s.in[s.pos + 1] << 8);
                s.pos += 4;
                if (s.pos + len > s.length) return false;
                out.append(reinterpret_cast<const char*>(s.in + s.pos), len);
                s.pos += len;
            } else if (type == 1) { // fixed codes
                short lengths[288 + 30];
                for (int i = 0; i < 288; ++i)
                    lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
                for (int i = 0; i < 30; ++i)
                    lengths[288 + i] = 5;
                Huffman lencode, distcode;
                construct(lencode, lengths, 288);
                construct(distcode, lengths + 288, 30);
                if (!codes(s, out, lencode, distcode)) return false;
            } else if (type == 2) { // dynamic codes
                static const short order[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                11, 4,  12, 3, 13, 2, 14, 1, 15};
                const int nlen = s.bits(5) + 257, ndist = s.bits(5) + 1, ncode = s.bits(4) + 4;
                if (nlen > 286 || ndist > 30) return false;
                short lengths[320] = {};
                for (int i = 0; i < ncode; ++i)
                    lengths[order[i]] = short(s.bits(3));
                Huffman lencode, distcode;
                construct(lencode, lengths, 19);
                int index = 0;
                while (index < nlen + ndist) {
                    int symbol = decode(s, lencode);
                    if (symbol < 0 || s.failed) return false;
                    if (symbol < 16) {
                        lengths[index++] = short(symbol);
                        continue;
                    }
                    short len = 0;
                    int repeat;
                    if (symbol == 16) {
                        if (index == 0) return false;
                        len = lengths[index - 1];
                        repeat = 3 + s.bits(2);
                    } else if (symbol == 17) {
                        repeat = 3 + s.bits(3);
                    } else {
                        repeat = 11 + s.bits(7);
                    }
                    if (index + repeat > nlen + ndist) return false;
                    while (repeat--)
                        lengths[index++] = len;
                }
                construct(lencode, lengths, nlen);
                construct(distcode, lengths + nlen, ndist);
                if (!codes(s, out, lencode, distcode)) return false;
            } else {
                return false;
            }
        } while (!last);
        return true;
    }
    static quint32 crc32(const QByteArray& data) {
        quint32 crc = 0xFFFFFFFFu;
        for (char ch : data) {
            crc ^= uchar(ch);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return ~crc;
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

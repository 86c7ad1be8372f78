#include "stock/StocktakeFile.h"

#include <QFile>
#include <QStringDecoder>

namespace {

// The text of the bytes: UTF-8 (a byte-order mark dropped) when they are valid UTF-8, otherwise
// Shift-JIS; false when they are neither.
bool decode(const QByteArray& bytes, QString* text, StocktakeFile::Encoding* encoding) {
    static const QByteArray bom("\xEF\xBB\xBF");
    const bool hasBom = bytes.startsWith(bom);
    {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString t = utf8.decode(hasBom ? bytes.mid(bom.size()) : bytes);
        if (!utf8.hasError()) {
            *text = t;
            *encoding = hasBom ? StocktakeFile::Encoding::Utf8Bom : StocktakeFile::Encoding::Utf8;
            return true;
        }
    }
    if (hasBom) return false; // a file that says it is UTF-8 and is not
    QStringDecoder sjis("Shift_JIS", QStringDecoder::Flag::Stateless);
    if (!sjis.isValid()) return false;
    const QString t = sjis.decode(bytes);
    if (sjis.hasError() || t.contains(QChar::ReplacementCharacter)) return false;
    *text = t;
    *encoding = StocktakeFile::Encoding::ShiftJis;
    return true;
}

struct Record {
    int line = 0;
    QStringList fields;
};

// RFC 4180 records: fields between separators, a field opened by a quote runs to the closing quote
// (a doubled quote is one quote; separators and line breaks inside are text); CR LF, LF or CR ends
// a record. Blanks before an opening quote and text after a closing one are taken leniently.
QList<Record> splitRecords(const QString& text, QChar sep) {
    QList<Record> out;
    Record rec;
    QString field;
    int line = 1;
    rec.line = 1;
    bool quoted = false;
    bool wasQuoted = false;
    const qsizetype n = text.size();
    auto endField = [&] {
        rec.fields << field;
        field.clear();
        wasQuoted = false;
    };
    auto endRecord = [&] {
        endField();
        out << rec;
        rec = Record();
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text.at(i + 1) == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n' || (c == u'\r' && !(i + 1 < n && text.at(i + 1) == u'\n'))) ++line;
                field += c;
            }
            continue;
        }
        if (c == u'"' && !wasQuoted && field.trimmed().isEmpty()) {
            field.clear();
            quoted = true;
            wasQuoted = true;
        } else if (c == sep) {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') ++i;
            endRecord();
            rec.line = ++line;
        } else {
            field += c;
        }
    }
    // The last record, unless the text ended with a line break.
    if (!field.isEmpty() || !rec.fields.isEmpty() || quoted || wasQuoted) endRecord();
    return out;
}

// Whether the first record holding anything has a tab outside quotes.
QChar detectSeparator(const QString& text) {
    bool quoted = false;
    bool any = false;
    for (const QChar c : text) {
        if (c == u'"') quoted = !quoted;
        if (quoted) continue;
        if (c == u'\t') return QLatin1Char('\t');
        if (c == u'\n' || c == u'\r') {
            if (any) break;
        } else if (!c.isSpace() && c != u',') {
            any = true;
        }
    }
    return QLatin1Char(',');
}

} // namespace

bool StocktakeFile::looksNumeric(const QString& text) {
    QString t = text.trimmed();
    t.remove(QLatin1Char(','));
    if (t.isEmpty()) return false;
    bool ok = false;
    t.toDouble(&ok);
    // "inf", "nan" and the like are words here, not counts.
    return ok && (t.at(0).isDigit() || t.at(0) == u'-' || t.at(0) == u'+' || t.at(0) == u'.');
}

bool StocktakeFile::read(const QString& path) {
    m_lines.clear();
    m_captionLine = 0;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("ファイルを開けません: ") + f.errorString();
        return false;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        m_error = QStringLiteral("ファイルを読めません: ") + f.errorString();
        return false;
    }
    return parse(bytes);
}

bool StocktakeFile::parse(const QByteArray& bytes) {
    m_lines.clear();
    m_captionLine = 0;
    m_error.clear();
    QString text;
    if (!decode(bytes, &text, &m_encoding)) {
        m_error = QStringLiteral("文字コードがUTF-8でもShift-JISでもありません");
        return false;
    }
    m_separator = detectSeparator(text);
    bool first = true;
    for (const Record& r : splitRecords(text, m_separator)) {
        bool blank = true;
        for (const QString& f : r.fields)
            if (!f.trimmed().isEmpty()) blank = false;
        if (blank) continue;
        StocktakeFileLine l;
        l.line = r.line;
        l.code = r.fields.value(0).trimmed();
        l.quantity = r.fields.value(1).trimmed();
        if (first) {
            first = false;
            if (!looksNumeric(l.quantity)) {
                m_captionLine = r.line;
                continue;
            }
        }
        m_lines << l;
    }
    return true;
}

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One product's line of a stocktaking file: the goods code and the counted quantity as written
// (both trimmed; further columns are ignored).
struct StocktakeFileLine {
    int line = 0; // the file's line number where the record starts (1 = first line)
    QString code;
    QString quantity;
    bool operator==(const StocktakeFileLine&) const = default;
};

// A stocktaking file as a handheld scanner or a spreadsheet writes it: one product a line, the code
// first and the counted quantity second; comma- or tab-separated (the first record that holds a tab
// outside quotes makes it a tab file), RFC 4180 quotes (a doubled quote inside, separators and line
// breaks inside quotes kept); UTF-8 with or without a byte-order mark, or Shift-JIS (a file that is
// not valid UTF-8). Blank lines, and lines of empty fields only, are skipped; so is a first line
// whose second field is not a number (a caption). Nothing here knows the database.
class StocktakeFile {
public:
    enum class Encoding { Utf8, Utf8Bom, ShiftJis };

    // Reads and parses the file; false with errorText() when it cannot be read or decoded.
    bool read(const QString& path);
    // Parses the bytes of a file; false with errorText() when they are neither UTF-8 nor Shift-JIS.
    bool parse(const QByteArray& bytes);

    const QList<StocktakeFileLine>& lines() const { return m_lines; }
    Encoding encoding() const { return m_encoding; }
    QChar separator() const { return m_separator; }
    // The line number of the caption skipped, 0 when there was none.
    int captionLine() const { return m_captionLine; }
    QString errorText() const { return m_error; }

    // A quantity text that reads as a number (commas as thousands separators allowed): a first line
    // whose second field is not one is a caption.
    static bool looksNumeric(const QString& text);

private:
    QList<StocktakeFileLine> m_lines;
    Encoding m_encoding = Encoding::Utf8;
    QChar m_separator = QLatin1Char(',');
    int m_captionLine = 0;
    QString m_error;
};

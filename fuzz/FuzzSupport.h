#pragma once

// Shared by the fuzz targets: reading the input, the text alphabet, and property checks.

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// A broken property is a finding: say which and abort, so libFuzzer keeps the input.
#define FUZZ_CHECK(cond, detail)                                                                             \
    do {                                                                                                     \
        if (!(cond)) fuzzFail(__FILE__, __LINE__, #cond, (detail));                                          \
    } while (0)

[[noreturn]] inline void fuzzFail(const char* file, int line, const char* cond, const QString& detail) {
    std::fprintf(stderr, "\n%s:%d: property broken: %s\n  %s\n", file, line, cond,
                 detail.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

// Code units as hex, so blanks, NULs and lone surrogates show in a report.
inline QString fuzzShow(const QString& s) {
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F && u != u'"' && u != u'\\')
            out += c;
        else
            out += QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0'));
    }
    return out + u'"';
}

inline QString fuzzShow(const QStringList& list) {
    QStringList shown;
    for (const QString& s : list)
        shown << fuzzShow(s);
    return u'[' + shown.join(QStringLiteral(", ")) + u']';
}

// Codecs, the SQL driver and the program folder want an application object; made once.
inline void fuzzStartQt() {
    static int argc = 1;
    static char name[] = "zanmo-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

// The input read front to back: a few parameter bytes, then fields split by 0xFF.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

    bool empty() const { return p_ >= end_; }
    uint8_t byte() { return p_ < end_ ? *p_++ : 0; }
    // Up to eight bytes, little-endian, as raw bits (zeros past the end).
    uint64_t bits(int bytes) {
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= uint64_t(byte()) << (8 * i);
        return v;
    }
    double rawDouble() {
        const uint64_t b = bits(8);
        double d;
        std::memcpy(&d, &b, sizeof d);
        return d;
    }
    // Bytes up to the next 0xFF (dropped) or the end.
    QByteArray rawField() {
        const uint8_t* start = p_;
        while (p_ < end_ && *p_ != 0xFF)
            ++p_;
        QByteArray field(reinterpret_cast<const char*>(start), p_ - start);
        if (p_ < end_) ++p_;
        return field;
    }
    QByteArray rest() {
        QByteArray r(reinterpret_cast<const char*>(p_), end_ - p_);
        p_ = end_;
        return r;
    }
    QString text() { return fuzzText(rawField()); }

    // ASCII bytes stand for themselves, so seeds stay readable; a byte from 0x80 picks a class of
    // characters the program treats specially, and the next byte the character in it.
    static QString fuzzText(const QByteArray& bytes) {
        static const char16_t signs[] = {
            u'\u3000', u'【',     u'】',     u'「',     u'」',     u'（',     u'）',     u'！',
            u'／',     u'♪',      u'・',     u'、',     u'､',      u'･',      u'ー',     u'－',
            u'ｰ',      u'ヴ',     u'ﾞ',      u'ﾟ',      u'ッ',     u'ｯ',      u'\0',     u'\t',
            u'\r',     u'\n',     u'\u00A0', u'\u212A', u'\u017F', u'\u00E9', u'\u2460', u'\uFFFD',
            u'\u301C', u'\uFF5E', u'\u2225', u'\u00A5', u'\u203E', u'\uFEFF', u'\u2212', u'\u0130'};
        QString out;
        const auto* b = reinterpret_cast<const uint8_t*>(bytes.constData());
        const qsizetype n = bytes.size();
        for (qsizetype i = 0; i < n; ++i) {
            const uint8_t k = b[i];
            if (k < 0x80 || k > 0x8A) {
                out += QChar(char16_t(k)); // ASCII, or Latin-1 from 0x8B
                continue;
            }
            const uint8_t x = i + 1 < n ? b[++i] : 0;
            switch (k) {
            case 0x80: { // any code unit
                const uint8_t y = i + 1 < n ? b[++i] : 0;
                out += QChar(char16_t((x << 8) | y));
                break;
            }
            case 0x81:
                out += QChar(char16_t(0x3041 + x % 86));
                break; // hiragana
            case 0x82:
                out += QChar(char16_t(0x30A1 + x % 96));
                break; // katakana
            case 0x83:
                out += QChar(char16_t(0xFF61 + x % 63));
                break; // half-width katakana
            case 0x84:
                out += QChar(char16_t(0xFF01 + x % 94));
                break; // full-width ASCII
            case 0x85:
                out += QChar(char16_t(0x4E00 + x * 80));
                break; // kanji
            case 0x86:
                out += QChar(signs[x % (sizeof signs / sizeof signs[0])]);
                break;
            case 0x87:
                appendUcs4(out, 0x1F600 + x);
                break; // emoji, a surrogate pair
            case 0x88:
                out += QChar(char16_t(0xD800 + x));
                break; // lone high surrogate
            case 0x89:
                out += QChar(char16_t(0xDC00 + x));
                break; // lone low surrogate
            case 0x8A:
                appendUcs4(out, 0x20000 + x * 37);
                break; // rare kanji, a pair too
            }
        }
        return out;
    }

private:
    static void appendUcs4(QString& out, char32_t c) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    }

    const uint8_t* p_;
    const uint8_t* end_;
};

// Characters of a text, a surrogate pair taken as one.
inline QStringList fuzzCharacters(const QString& s) {
    QStringList out;
    for (qsizetype i = 0; i < s.size();) {
        const qsizetype len = i + 1 < s.size() && s[i].isHighSurrogate() && s[i + 1].isLowSurrogate() ? 2 : 1;
        out << s.mid(i, len);
        i += len;
    }
    return out;
}

// Is `piece` what is left of `whole` after deleting some of its code units?
inline bool fuzzIsSubsequence(const QString& piece, const QString& whole) {
    qsizetype j = 0;
    for (qsizetype i = 0; i < whole.size() && j < piece.size(); ++i)
        if (whole[i] == piece[j]) ++j;
    return j == piece.size();
}

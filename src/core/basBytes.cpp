#include "core/basBytes.h"

#include <QStringEncoder>

namespace {

// Bytes of one character (a surrogate pair is one character) by the lead-byte rule: a byte from
// 0x80 to 0x9F or from 0xE0 up starts a two-byte character, any other byte stands alone.
int characterBytes(QStringView character) {
    if (character.size() == 1 && character[0].unicode() < 0x80) return 1;
    // A lone surrogate is no character Shift-JIS holds; the encoder would only keep it back,
    // waiting for its other half, and count it with whatever is measured next.
    if (character.size() == 1 && character[0].isSurrogate()) return 2;
    thread_local QStringEncoder encoder("Shift_JIS");
    encoder.resetState(); // nothing of an earlier text carries over
    const QByteArray bytes = encoder.encode(character);
    int count = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int step = (lead >= 0x80 && lead <= 0x9F) || lead >= 0xE0 ? 2 : 1;
        count += step;
        i += step;
    }
    // The encoder drops what Unicode calls ignorable (soft hyphen, zero-width space, BOM) without a
    // trace; Shift-JIS holds none of them.
    return count > 0 ? count : 2;
}

qsizetype characterLength(const QString& text, qsizetype at) {
    return at + 1 < text.size() && text[at].isHighSurrogate() && text[at + 1].isLowSurrogate() ? 2 : 1;
}

} // namespace

int fnByteLength(const QString& text) {
    int total = 0;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype len = characterLength(text, at);
        total += characterBytes(QStringView(text).mid(at, len));
        at += len;
    }
    return total;
}

QString fnCutBytes(QString& text, int n) {
    // Walked character by character, so the text itself is cut and nothing is lost in a round
    // trip through the encoding.
    int walked = 0;
    qsizetype at = 0;
    while (walked < n && at < text.size()) {
        const qsizetype len = characterLength(text, at);
        const int bytes = characterBytes(QStringView(text).mid(at, len));
        if (walked + bytes > n) break; // it would straddle the limit: it belongs to the rest
        walked += bytes;
        at += len;
    }
    const QString head = text.left(at);
    text = text.mid(at);
    return head;
}

QString fnRemoveText(const QString& t, const QString& s) {
    if (t.isEmpty() || s.isEmpty()) return t;
    QString r = t;
    for (qsizetype at = r.indexOf(s); at >= 0; at = r.indexOf(s))
        r.remove(at, s.size());
    return r;
}

#include "ui/basTextNormalize.h"

#include <cmath>
#include <functional>
#include <limits>

namespace {

// Removes every occurrence of s, looking again from the start after each removal (so "aabb"
// without "ab" is empty), the way the lookup's words are meant to be cut out.
QString removeAll(QString t, const QString& s) {
    if (t.isEmpty() || s.isEmpty()) return t;
    for (qsizetype at = t.indexOf(s); at >= 0; at = t.indexOf(s))
        t.remove(at, s.size());
    return t;
}

bool inRange(QChar c, char16_t from, char16_t to) {
    return c.unicode() >= from && c.unicode() <= to;
}

// The word's leading run of one class: the prefix up to the first character outside the class
// that follows a character inside it. Empty when the word has no such place.
QString leadingRun(const QString& w, const std::function<bool(QChar)>& inClass) {
    bool seen = false;
    for (qsizetype i = 0; i < w.size(); ++i) {
        if (inClass(w[i]))
            seen = true;
        else if (seen)
            return w.left(i);
    }
    return {};
}

QString trailingRun(const QString& w, const std::function<bool(QChar)>& inClass) {
    bool seen = false;
    for (qsizetype i = w.size() - 1; i >= 0; --i) {
        if (inClass(w[i]))
            seen = true;
        else if (seen)
            return w.mid(i + 1);
    }
    return {};
}

// Splits off runs until a full pass over the words changes nothing. A split-off run never splits
// again and the word it came from gets shorter, so this ends.
void splitRuns(QStringList& words, const std::function<QString(const QString&)>& run) {
    bool changed = true;
    while (changed) {
        changed = false;
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString piece = run(words[i]);
            if (piece.isEmpty()) continue;
            words.append(piece);
            words[i] = removeAll(words[i], piece);
            changed = true;
            break;
        }
    }
}

bool isBlankOnly(const QString& w) {
    for (QChar c : w)
        if (c != u' ' && c != u'\u3000') return false;
    return true;
}

} // namespace

double fnToNumber(const QString& text, bool decimals, bool minus) {
    QString r;
    for (QChar c : text) {
        if (c == u'-') {
            if (r.isEmpty() && minus) r += c;
        } else if (c == u'.') {
            if (decimals && !r.contains(u'.')) {
                if (r.isEmpty() || r == u"-") r += u'0';
                r += c;
            }
        } else if (c >= u'0' && c <= u'9') {
            r += c;
        }
    }
    if (r == u"-") r.clear();
    if (r.isEmpty()) return 0;
    if (r.endsWith(u'.')) r.chop(1);
    // Beyond what a double holds (some 310 digits): the largest one stands in, never infinity.
    const double v = r.toDouble();
    if (std::isinf(v)) return std::copysign(std::numeric_limits<double>::max(), v);
    return v;
}

bool fnIsHiragana(QChar c) {
    if (inRange(c, u'あ', u'ん')) return true;
    static const QString signs = QStringLiteral(" 　！!/／♪・･、､");
    return signs.contains(c);
}

bool fnIsKatakana(QChar c) {
    if (inRange(c, u'ア', u'ン') || inRange(c, u'ｱ', u'ﾝ') || inRange(c, u'ｧ', u'ｮ') ||
        inRange(c, u'ァ', u'ョ'))
        return true;
    static const QString signs = QStringLiteral("－-ーｰﾟﾞｯッヴ");
    return signs.contains(c);
}

bool fnIsAlphabet(QChar c) {
    return inRange(c, u'Ａ', u'Ｚ') || inRange(c, u'ａ', u'ｚ') || inRange(c, u'a', u'z') ||
           inRange(c, u'A', u'Z');
}

int fnSplitName(QString& name, QStringList& words) {
    const QString original = name;
    const qsizetype length = original.size();
    QStringList found;

    // Bracketed parts, pair by pair. Only an opening sign with a closing one after it makes a
    // piece; a lone or reversed sign stays in the text as an ordinary character.
    static const char16_t pairs[][2] = {
        {u'【', u'】'}, {u'[', u']'}, {u'「', u'」'}, {u'（', u'）'}, {u'(', u')'}};
    for (const auto& pair : pairs) {
        const QChar open(pair[0]), close(pair[1]);
        for (;;) {
            const qsizetype a = name.indexOf(open);
            if (a < 0) break;
            const qsizetype b = name.indexOf(close, a + 1);
            if (b < 0) break;
            const QString piece = name.mid(a, b - a + 1);
            found.append(piece);
            name = removeAll(name, piece);
        }
        for (QString& w : found) {
            w.remove(open);
            w.remove(close);
        }
    }

    // A word ends after a run of hiragana or separator signs.
    QString word;
    bool inHiragana = false;
    for (qsizetype i = 0; i < length; ++i) {
        const bool past = i >= name.size();
        if (!past && fnIsHiragana(name[i])) {
            inHiragana = true;
        } else if (inHiragana) {
            found.append(word);
            word.clear();
            inHiragana = false;
        }
        if (!past) word += name[i];
    }
    found.append(word);

    splitRuns(found, [](const QString& w) { return leadingRun(w, fnIsAlphabet); });
    splitRuns(found, [](const QString& w) { return trailingRun(w, fnIsAlphabet); });
    splitRuns(found, [](const QString& w) { return leadingRun(w, fnIsKatakana); });
    splitRuns(found, [](const QString& w) { return trailingRun(w, fnIsKatakana); });

    for (QString& w : found) {
        // A trailing particle or separator after another kind of character goes.
        if (w.size() > 1 && fnIsHiragana(w.back()) && !fnIsHiragana(w[w.size() - 2])) w.chop(1);
        if (!w.isEmpty()) {
            const QChar first = w.front();
            if (first == u'ー' || first == u'－' || first == u'ｰ' || first == u'-') w.remove(first);
        }
    }

    // Keep the real words with the place they first occur in the name (0: no longer there).
    QStringList result;
    QList<qsizetype> places;
    for (const QString& w : found) {
        if (isBlankOnly(w)) continue;
        result.append(w);
        places.append(original.indexOf(w) + 1);
    }
    for (qsizetype i = 0; i + 1 < result.size(); ++i) {
        for (qsizetype j = i + 1; j < result.size(); ++j) {
            if (places[i] > places[j]) {
                result.swapItemsAt(i, j);
                places.swapItemsAt(i, j);
            }
        }
    }
    words = result;
    return int(words.size());
}

// fnToNumber and fnSplitName on any typed text.
// Input: a flag byte (decimals, minus), a count of stale words, then fields: the text, stale words.

#include "FuzzSupport.h"

#include "ui/basTextNormalize.h"

#include <QHash>

#include <cmath>

namespace {

// The number the header describes, built another way: digits before and after the first "." (when
// decimals count), negative when "-" comes before any digit or kept ".".
double expectedNumber(const QString& text, bool decimals, bool minus) {
    QString whole, frac;
    bool point = false, negative = false, started = false;
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9') {
            (point ? frac : whole) += c;
            started = true;
        } else if (c == u'.' && decimals && !point) {
            point = true;
            started = true;
        } else if (c == u'-' && minus && !started) {
            negative = true;
            started = true;
        }
    }
    if (whole.isEmpty() && frac.isEmpty()) return 0;
    const double v =
        (QStringLiteral("0") + whole + QStringLiteral(".") + frac + QStringLiteral("0")).toDouble();
    return negative ? -v : v;
}

QHash<QChar, int> histogram(const QString& s) {
    QHash<QChar, int> h;
    for (QChar c : s)
        ++h[c];
    return h;
}

void checkNumber(const QString& text, bool decimals, bool minus) {
    const double v = fnToNumber(text, decimals, minus);
    const QString shown =
        fuzzShow(text) +
        QStringLiteral(" decimals %1 minus %2 -> %3").arg(decimals).arg(minus).arg(v, 0, 'g', 17);
    FUZZ_CHECK(std::isfinite(v), shown);
    if (!minus) FUZZ_CHECK(v >= 0, shown);
    if (!decimals) FUZZ_CHECK(v == std::floor(v), shown);
    const double e = expectedNumber(text, decimals, minus);
    FUZZ_CHECK(v == e || (std::isinf(e) && v == std::copysign(std::numeric_limits<double>::max(), e)),
               shown + QStringLiteral(" expected %1").arg(e, 0, 'g', 17));
    // Nothing but digits, "-" and "." matters.
    QString kept;
    for (QChar c : text)
        if ((c >= u'0' && c <= u'9') || c == u'-' || c == u'.') kept += c;
    FUZZ_CHECK(fnToNumber(kept, decimals, minus) == v, shown);
}

void checkSplit(const QString& original, const QStringList& stale) {
    QString name = original;
    QStringList words = stale;
    const int count = fnSplitName(name, words);
    const QString shown =
        fuzzShow(original) + QStringLiteral(" -> ") + fuzzShow(name) + u' ' + fuzzShow(words);

    FUZZ_CHECK(count == words.size(), shown);
    // The name loses only its bracketed parts: what is left is the name with pieces deleted.
    FUZZ_CHECK(fuzzIsSubsequence(name, original), shown);
    bool bracket = false;
    for (QChar c : {u'【', u'[', u'「', u'（', u'('})
        bracket = bracket || original.contains(c);
    if (!bracket) FUZZ_CHECK(name == original, shown);

    // Words are cut out of the name, never made up: each is the name with characters deleted, no
    // character is used more often than the name holds it, and together they are no longer.
    const QHash<QChar, int> have = histogram(original);
    QHash<QChar, int> used;
    qsizetype total = 0;
    for (const QString& w : words) {
        FUZZ_CHECK(!w.isEmpty(), shown);
        bool blankOnly = true;
        for (QChar c : w)
            blankOnly = blankOnly && (c == u' ' || c == u'\u3000');
        FUZZ_CHECK(!blankOnly, shown);
        FUZZ_CHECK(fuzzIsSubsequence(w, original), shown + QStringLiteral(" word ") + fuzzShow(w));
        for (QChar c : w)
            ++used[c];
        total += w.size();
    }
    for (auto it = used.cbegin(); it != used.cend(); ++it)
        FUZZ_CHECK(it.value() <= have.value(it.key()), shown);
    FUZZ_CHECK(total <= original.size(), shown);

    // Ordered by where each first occurs in the name given (0: not there as it stands).
    for (qsizetype i = 0; i + 1 < words.size(); ++i)
        FUZZ_CHECK(original.indexOf(words[i]) + 1 <= original.indexOf(words[i + 1]) + 1, shown);

    // The same name splits the same way, whatever the word list held.
    QString name2 = original;
    QStringList words2;
    FUZZ_CHECK(fnSplitName(name2, words2) == count && name2 == name && words2 == words, shown);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzStartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t flags = in.byte();
    const int staleCount = in.byte() % 4;
    const QString text = in.text();
    QStringList stale;
    for (int i = 0; i < staleCount; ++i)
        stale << in.text();
    checkNumber(text, flags & 1, flags & 2);
    if (text.size() <= 512) checkSplit(text, stale); // quadratic in the name; names are short
    return 0;
}

// fnCutBytes / fnByteLength / fnRemoveText: text measured and cut in Shift-JIS bytes.
// Input: two bytes for the limit n, then fields: the text, a text to remove.

#include "FuzzSupport.h"

#include "core/basBytes.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzStartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int n = int(int16_t(uint16_t(in.bits(2)))) % 600; // some negative limits too
    const QString original = in.text();
    const QString removed = in.text();
    const QString shown = fuzzShow(original) + QStringLiteral(" n ") + QString::number(n);

    // Every character is one or two bytes (two when Shift-JIS cannot hold it); the length of a
    // text is the sum over its characters, whatever came before.
    const QStringList chars = fuzzCharacters(original);
    int sum = 0;
    for (const QString& c : chars) {
        const int b = fnByteLength(c);
        FUZZ_CHECK(b == 1 || b == 2, shown + QStringLiteral(" char ") + fuzzShow(c));
        if (c.size() == 1 && c[0].unicode() < 0x80) FUZZ_CHECK(b == 1, shown);
        if (c.size() == 1 && c[0].unicode() >= 0xFF61 && c[0].unicode() <= 0xFF9F) FUZZ_CHECK(b == 1, shown);
        if (c.size() == 2) FUZZ_CHECK(b == 2, shown); // nothing beyond 16 bits is in Shift-JIS
        sum += b;
    }
    FUZZ_CHECK(fnByteLength(original) == sum, shown + QStringLiteral(" length ") +
                                                  QString::number(fnByteLength(original)) +
                                                  QStringLiteral(" sum ") + QString::number(sum));

    QString rest = original;
    const QString head = fnCutBytes(rest, n);
    const QString cut =
        shown + QStringLiteral(" -> ") + fuzzShow(head) + QStringLiteral(" | ") + fuzzShow(rest);
    FUZZ_CHECK(head + rest == original, cut);
    const int headBytes = fnByteLength(head);
    FUZZ_CHECK(headBytes <= qMax(n, 0), cut);
    // A character is never split: no surrogate pair across the cut.
    FUZZ_CHECK(!(head.size() > 0 && rest.size() > 0 && head.back().isHighSurrogate() &&
                 rest.front().isLowSurrogate()),
               cut);
    if (!rest.isEmpty()) {
        // The head takes as much as fits: the next character would not, so at most one byte is left.
        const QString next = fuzzCharacters(rest).first();
        FUZZ_CHECK(headBytes + fnByteLength(next) > n, cut);
        FUZZ_CHECK(n <= 0 || headBytes >= n - 1, cut);
    } else {
        FUZZ_CHECK(fnByteLength(original) <= qMax(n, 0), cut);
    }

    // Removing again from the start: nothing of s is left, and only whole copies of s went.
    const QString r = fnRemoveText(original, removed);
    const QString why = fuzzShow(original) + QStringLiteral(" without ") + fuzzShow(removed) +
                        QStringLiteral(" -> ") + fuzzShow(r);
    if (original.isEmpty() || removed.isEmpty()) {
        FUZZ_CHECK(r == original, why);
    } else {
        FUZZ_CHECK(!r.contains(removed), why);
        FUZZ_CHECK((original.size() - r.size()) % removed.size() == 0, why);
        FUZZ_CHECK(fuzzIsSubsequence(r, original), why);
    }
    return 0;
}

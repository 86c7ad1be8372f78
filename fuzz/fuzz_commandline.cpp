// fnGetCommandLine: the launch text split into at most 11 blank-separated tokens.
// Input: a count of stale tokens already in the array, then fields: the text, the stale tokens.

#include "FuzzSupport.h"

#include "app/basMain.h"

namespace {

// The tokens as the header and the code's comments describe them: the text up to its first blank,
// then the rest trimmed and split at each run of blanks (the separator of a rest of nothing but
// blanks still opens an empty token), at most eleven.
QStringList expectedTokens(const QString& text) {
    const qsizetype blank = text.indexOf(u' ');
    if (blank < 0) return {text};
    QStringList out{text.left(blank)};
    qsizetype b = blank + 1, e = text.size();
    while (b < e && text[b] == u' ')
        ++b;
    while (e > b && text[e - 1] == u' ')
        --e;
    const QString rest = text.mid(b, e - b);
    if (rest.isEmpty())
        out << QString();
    else
        out << rest.split(u' ', Qt::SkipEmptyParts);
    return out.mid(0, 11);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzStartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int staleCount = in.byte() % 16;
    const QString text = in.text();
    QStringList tokens;
    for (int i = 0; i < staleCount; ++i)
        tokens << in.text();
    const QStringList before = tokens;

    const qint16 count = fnGetCommandLine(tokens, text);
    const QString shown =
        fuzzShow(text) + QStringLiteral(" -> ") + QString::number(count) + u' ' + fuzzShow(tokens);

    if (text.isEmpty()) {
        FUZZ_CHECK(count == 0, shown);
        FUZZ_CHECK(tokens == before, shown); // the array is left untouched
        return 0;
    }
    FUZZ_CHECK(count >= 1 && count <= 11, shown);
    // The array ends at the last token filled: nothing stale is left behind it.
    FUZZ_CHECK(tokens.size() == count, shown);
    for (const QString& t : tokens)
        FUZZ_CHECK(!t.contains(u' '), shown);
    // No token is empty but the first (text starting with a blank) and the second when only
    // blanks follow the first.
    for (qsizetype i = 1; i < tokens.size(); ++i)
        FUZZ_CHECK(!tokens[i].isEmpty() || (i == 1 && count == 2), shown);

    const QStringList expected = expectedTokens(text);
    FUZZ_CHECK(tokens == expected, shown + QStringLiteral(" expected ") + fuzzShow(expected));
    // Joined with blanks they are the text less some blanks (and less what follows the eleventh
    // token); single blanks inside the text are all separators, so such a text comes back whole.
    const QString joined = tokens.join(u' ');
    FUZZ_CHECK(fuzzIsSubsequence(joined, text) && joined.size() <= text.size(), shown);
    if (!text.contains(QStringLiteral("  ")) && !text.endsWith(u' ') && count < 11)
        FUZZ_CHECK(joined == text, shown);

    // Splitting again the same way gives the same, whatever the array held.
    QStringList again{QStringLiteral("x"), QStringLiteral("y")};
    FUZZ_CHECK(fnGetCommandLine(again, text) == count && again == tokens, shown);
    return 0;
}

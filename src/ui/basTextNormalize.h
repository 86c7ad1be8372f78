#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// Typed Japanese text turned into something to compare or search with. Every routine works on
// UTF-16 code units and compares characters by code-point order. Nothing here depends on the
// rest of the program.

// Numeric value of a field that may hold stray characters: digits are kept, "-" only first (when
// minus is allowed), one "." (when decimals are allowed; ".5" reads 0.5); everything else is dropped.
double fnToNumber(const QString& text, bool decimals, bool minus);

// Hiragana あ..ん, plus the signs that end a word in fnSplitName (blanks, "！", "/", "♪", "・", "、", ...).
bool fnIsHiragana(QChar c);
// Full- and half-width katakana, small forms, long-vowel and hyphen signs, voicing marks.
bool fnIsKatakana(QChar c);
// Latin letters, half- and full-width.
bool fnIsAlphabet(QChar c);

// Cuts a goods name into search words: bracketed parts, hiragana runs, leading and trailing Latin
// and katakana runs. `name` is consumed: on return it holds the name without its bracketed parts.
// `words` is replaced by the words, ordered by where they first occur in the name passed in
// (words[0] is the first word). Returns the number of words.
// A bracket sign without its partner (or a closing sign before the opening one) is kept as an
// ordinary character.
int fnSplitName(QString& name, QStringList& words);

#pragma once

#include <QString>

// Text measured and cut in Shift-JIS bytes, as the database's fields and the log count them.

// Byte length of the text in Shift-JIS. A character Shift-JIS cannot hold counts as two bytes.
int fnByteLength(const QString& text);

// Returns the head of the text that fits in n Shift-JIS bytes and leaves the rest in `text`.
// A two-byte character that would straddle the limit goes to the rest, so the head may be n - 1
// bytes; a character is never split.
QString fnCutBytes(QString& text, int n);

// Every occurrence of s removed from t, looking again from the start after each removal.
// An empty t or s gives t unchanged.
QString fnRemoveText(const QString& t, const QString& s);

#pragma once

#include <QString>

// Turns the few Jet forms SQLite does not accept into SQLite ("delete * from" -> "delete from").
QString fnJetToSqlite(const QString& sql);

// The text between quotes of a statement: every apostrophe doubled, so typed text cannot change it.
QString fnSqlText(const QString& value);

// LIKE-pattern body for a typed value: apostrophes doubled (the caller adds the % signs).
QString fnSqlLike(const QString& value);

#pragma once

#include <QString>

// The engines behind the data layer.
enum class SqlEngine { Sqlite, Postgres };

// Turns the few Jet forms SQLite does not accept into SQLite ("delete * from" -> "delete from").
QString fnJetToSqlite(const QString& sql);
// The same for PostgreSQL: also names every derived table that has no alias ("from (select ...)"
// gets "as zanmo_dt1"), which PostgreSQL requires and Jet and SQLite do not, and gives every
// "like '...'" an "ESCAPE ''", so a backslash in a pattern is no escape there either.
QString fnJetToPostgres(const QString& sql);

// The text between quotes of a statement: every apostrophe doubled, so typed text cannot change it;
// a lone surrogate or a NUL (which SQLite cannot take inside a literal) becomes U+FFFD.
QString fnSqlText(const QString& value);

// LIKE-pattern body for a typed value: apostrophes doubled (the caller adds the % signs).
QString fnSqlLike(const QString& value);

// Plain decimal notation, blanks around it allowed: an optional sign, digits with at most one decimal
// point ("5", "-5", "+1.25", ".5", "5."). No exponent, no "inf" or "nan", no hex, no separators,
// nothing blank. What numeric columns and unquoted number slots of a statement take from text.
bool fnIsPlainNumber(const QString& text);

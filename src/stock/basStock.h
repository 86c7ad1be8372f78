#pragma once

#include <QHash>
#include <QString>

// Stock of a product at the end of a day, computed from the ledger gdai (stock is never stored).
// The latest stock count (kind 9) is the starting point; later receipts (0) and returns (2) add,
// shipments (1) subtract, other kinds change nothing; the running stock is rounded to a whole
// number (halves to even) after every step; no floor (it may be negative).
// Both read the shared connection; a database error rises to the caller as DbError.

// gcode: the plain goods code, as typed or as stored (padded or not, never SQL-quoted); both pad
// it to the stored 12-character form and quote it themselves, so any character is safe in it.

// The goods code as stored and queried, for between quotes: right-justified with blanks to 12,
// apostrophes doubled.
QString fnGcodeSql(const QString& typed);

// Starting from the latest count dated on or before `day`.
qint32 fnGetStock(const QString& gcode, qint32 day);
// Starting from the latest count dated strictly before `day` (a count of `day` itself is ignored),
// for the entry screens that show the stock while that day's count is being entered.
qint32 fnGetStockBefore(const QString& gcode, qint32 day);

// The book stock of every product at the end of `day` as fnGetStockBefore gives it, in two queries
// over the whole ledger instead of two per product (the stocktaking check of a whole shop): the
// same starting count, the same movements, the same rounding after every step. Keyed by
// StockFigureTable::key of the stored code; a product without ledger rows is not in it (its stock
// is 0). Throws DbError.
QHash<QString, qint32> fnGetStocksBefore(qint32 day);

// The one row of an entry screen (kind 0 receipt, 9 count; denno 0, line 0) of a product and day,
// as the save of the receipt and stock-count screens opens it for editing. The server locks the
// key of a row not there yet by this text, so every writer of such a row must use it.
QString fnEntryRowSql(const QString& gcode, qint32 day, int kubun);

#pragma once

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

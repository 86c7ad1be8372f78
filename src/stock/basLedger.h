#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One product's goods ledger for one month, as the ledger screen shows it and the command line
// prints it: the month's ledger rows newest first (day desc, then receipt, shipment, return, count),
// each with the stock after it, the month's totals and the stock at the month's end.

// The ledger's columns and their captions.
enum LedgerColumn {
    LedgerDay = 0,
    LedgerDenno = 1,
    LedgerLine = 2,
    LedgerIn = 3,
    LedgerOut = 4,
    LedgerReturn = 5,
    LedgerCount = 6,
    LedgerStock = 7,
    LedgerColumnCount = 8
};
QStringList fnLedgerCaptions();
// Captions of the four figures under the rows: receipts, shipments, returns, month-end stock.
QStringList fnLedgerTotalCaptions();

struct LedgerRow {
    QString day;       // yyyymmdd as stored (the rows' double-click starts screens on it)
    QStringList cells; // LedgerColumnCount texts as shown: "2024/05/01", "", "", "1,500", ...
};

struct LedgerMonth {
    QString gcode;   // stored form
    qint32 from = 0; // yyyymm00
    qint32 to = 0;   // yyyymm99
    QList<LedgerRow> rows;
    // Receipts, shipments, returns of the month (whole units).
    qint64 receipts = 0;
    qint64 shipments = 0;
    qint64 returns = 0;
    qint32 monthEnd = 0; // stock at the end of `to`
    // The stock the running stock starts from: the end of the day before `from` (monthEnd when the
    // month has no rows, which is the same figure).
    qint64 opening = 0;
    // The four figures as shown: receipts, shipments, returns, month-end stock.
    QStringList totals() const;
};

// The month starting at `from` (yyyymm00) of a stored goods code, from the shared connection:
// one query of the month's rows and two stock computations (the day before `from`, and `to`).
// Throws DbError.
LedgerMonth fnLedgerMonth(const QString& gcode, qint32 from);

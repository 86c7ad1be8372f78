#pragma once

#include "stock/basLedger.h"

#include <QDate>
#include <QList>
#include <QSize>
#include <QString>

class QChart;

// A product's goods ledger as a picture: the running stock over the days shown as a step line,
// receipts and returns as bars above the axis and shipments below it, count days marked. Built from
// the ledger months (fnLedgerMonth) the screen and the command line already compute, oldest first:
// one for the ledger screen, several for `zanmo-tool ledger --months N --png`.
//
// The chart's parts carry object names: the series "stock" (line: two points per day, the day's
// value from x = day - 0.5 to day + 0.5, day 0 being the first day of the first month), "movements"
// (stacked bars, one per day) with the sets "receipts", "returns" and "shipments" (negative), and
// "counts" (points at x = day, y = the quantity counted).
class LedgerChart {
public:
    // What the ledger rows say of one calendar day.
    struct Day {
        QDate date;
        qint64 stock = 0; // the running stock after the day's last row; the day before's without rows
        qint64 receipts = 0;
        qint64 returns = 0;
        qint64 shipments = 0;
        QList<qint64> counts; // the quantities counted that day
    };
    // Every calendar day of the months, oldest first. Each month starts from its own opening stock,
    // as its ledger does.
    static QList<Day> days(const QList<LedgerMonth>& months);

    // A new, empty chart set up for the ledger (legend, margins); the caller owns it.
    static QChart* newChart();
    // Fills `chart` with the months anew (none: an empty chart). `title` may be empty.
    static void fill(QChart* chart, const QList<LedgerMonth>& months, const QString& title = QString());

    // Writes the chart as a PNG or (svg) an SVG picture of
    // `size` pixels, built aside and moved into place. Needs a QApplication. False with the reason.
    static bool save(QChart* chart, const QString& fileName, bool svg, const QSize& size, QString* error);
};

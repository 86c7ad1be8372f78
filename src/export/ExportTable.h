#pragma once

#include "export/ExportColumn.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// What a table export (CSV, Excel) writes, taken from a laid-out report or from the goods ledger:
// a title with header lines, column captions, the rows as shown, and figures under the rows.
struct ExportTable {
    // A figure under the rows (the ledger's totals): its caption and its text as shown.
    struct Total {
        QString caption;
        QString text;
        QString format; // Excel number format
    };

    QString name;            // the save dialog's title: the report's caption
    QString fileName;        // proposed file name without extension, saying what the table holds
    QString title;           // first line of the sheet
    QStringList headerLines; // lines under the title
    QList<ExportColumn> columns;
    QList<QStringList> rows; // one text per column, as shown
    QList<Total> totals;
    bool landscape = false;
    // A new CSV file starts with the title and header lines (a list's days and code range), then a
    // blank line, so the file still says what it lists when opened later.
    bool csvHeading = false;
    // Page margins in twips; negative leaves the sheet's own.
    int leftMargin = -1;
    int topMargin = -1;
    int rightMargin = -1;
    int bottomMargin = -1;

    // Called every few hundred rows while a file is written (rows done, all rows); false stops the
    // export: no file is made, nothing is appended, and the writer fails with error number 0.
    std::function<bool(int done, int total)> progress;
    bool goOn(int done) const { return !progress || done % 500 != 0 || progress(done, int(rows.size())); }
    void rowsDone() const {
        if (progress) progress(int(rows.size()), int(rows.size()));
    }

    QString fileTitle() const { return fileName.isEmpty() ? name : fileName; }
};

#pragma once

#include "reports/ActiveReport.h"

class Recordset;

// "入庫伝票一覧表": the receipts (Mode 0) or stock-count adjustments (Mode 9) recorded between two
// days, one line per ledger row with the goods code, name and quantity. Portrait A4. The records
// come from the recordset handed over; glngCnt of them are printed.
class rptNyuuden : public ActiveReport {
    Q_OBJECT
public:
    rptNyuuden();

    // The list's records: columns day, gcode, suu, gname, ordered by day and gcode (not owned).
    Recordset* grecBuff = nullptr;
    // Records still to print.
    qint32 glngCnt = 0;
    // 0 receipts, 9 adjustments: relabels the report; other values change nothing.
    void setMode(qint32 mode);
    // The range as the print screen holds it (start not later than end).
    qint32 StartDay = 0;
    qint32 EndDay = 0;

    // The query of the list: the ledger rows of the kind between the two days (both included)
    // whose goods exist, by day and code.
    static QString listSql(qint32 mode, qint32 start, qint32 end);

    // The list's title as relabelled by the mode; the day range and the made-on date.
    QString exportTitle() const override;
    // The list it is (receipts or adjustments) and its days, not the report's shared caption.
    QString fileTitle() const override;
    QStringList exportHeaderLines() const override;

    void ReportStart() override;
    void FetchData(bool& eof) override;
    void ReportEnd() override;
    void KeyDown(int& KeyCode, int Shift) override;
    void ToolbarClick(ReportToolbar::Tool& tool) override;
};

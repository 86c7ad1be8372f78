#pragma once

#include "reports/StockListReport.h"

// "現在庫一覧表": one line per stock-managed goods of the range with the movements of the day, the
// stock before and after them and its value at unit cost. Landscape A4.
class rptZaiko : public StockListReport {
    Q_OBJECT
public:
    rptZaiko();

    // 0: unit costs and amounts without decimals; any other value: with two decimals.
    qint32 StankaKbn = 0;

    QString sourceSql() const override;
    void ReportStart() override;
    void FetchData(bool& eof) override;
};

#pragma once

#include "reports/StockListReport.h"

// "確保割れ在庫一覧表": the goods of the range (discontinued ones included) whose stock at the end
// of the day is below the least quantity to keep (kakuho). Portrait A4.
class rptKakuhoZaiko : public StockListReport {
    Q_OBJECT
public:
    rptKakuhoZaiko();

    QString sourceSql() const override;
    void ReportStart() override;
    void FetchData(bool& eof) override;
    void Detail_Format() override;
    void PageFooter_Format() override;

    int printedLines() const { return m_printed; }

private:
    qint64 m_zaiko = 0; // Z of the goods being laid out
    int m_printed = 0;
};

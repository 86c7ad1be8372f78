#pragma once

#include "reports/ActiveReport.h"

class StocktakeCheck;

// "棚卸差異表": the stocktaking check of a count day as the stocktaking screen shows it, one line a
// goods (refused lines first, with their reasons): book stock, counted, difference, unit cost and
// the difference's amount, the totals in the header. Landscape A4.
class rptStocktake : public ActiveReport {
    Q_OBJECT
public:
    explicit rptStocktake(const StocktakeCheck& check);

    QString exportTitle() const override;
    QStringList exportHeaderLines() const override;

    void ReportStart() override;
    void KeyDown(int& KeyCode, int Shift) override;
    void ToolbarClick(ReportToolbar::Tool& tool) override;

private:
    QString m_day;
    QString m_summary;
};

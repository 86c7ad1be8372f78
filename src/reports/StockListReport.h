#pragma once

#include "reports/ActiveReport.h"
#include "reports/StockListRange.h"
#include "stock/basStockFigures.h"

// The common part of the two stock lists: the page header (title, date "現在", code range with
// names, made-on date, page n / m), the column captions, the figures of the range computed once
// when the report starts, and the preview handlers.
class StockListReport : public ActiveReport {
    Q_OBJECT
public:
    StockListRange Range;

    // The goods the list prints (the data source), in code order.
    virtual QString sourceSql() const = 0;

    // The date, the code range and the made-on date of the page header.
    QStringList exportHeaderLines() const override;
    // "在庫一覧表_20240131" and the code range when there is one.
    QString fileTitle() const override;

    void KeyDown(int& KeyCode, int Shift) override;
    void ToolbarClick(ReportToolbar::Tool& tool) override;
    void NoData() override;

protected:
    // Margins in twips; the header spans the width between them.
    StockListReport(const QString& title, int orientation, int left, int top, int right, int bottom);
    int printableWidth() const {
        return PageSettings.paperWidth() - PageSettings.LeftMargin - PageSettings.RightMargin;
    }

    // A column: caption in the header, a text field in the detail bound to `field`, and what a
    // table export makes of it.
    ReportControl* addColumn(const QString& field, const QString& caption, int left, int width, bool right,
                             ExportColumn::Kind kind = ExportColumn::Kind::Text,
                             const QString& sheetFormat = QString());
    // The sheet's number format of a column's export.
    void setSheetFormat(const QString& control, const QString& sheetFormat);
    // Header texts, page setup, data source and figures; call first from ReportStart.
    void startList();
    // The figures of the current record's product.
    StockDayFigures currentFigures() const;

    static constexpr int kCaptionTop = 1500;
    static constexpr int kHeaderHeight = 1900;

private:
    StockFigureTable m_figures;
};

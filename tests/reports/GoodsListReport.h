#pragma once

#include "reports/ActiveReport.h"
#include "reports/basActiveReport.h"

#include <QString>

// A small goods list built on the engine the way the program's reports are: data control on the
// program's database, page "n / count" in the header, a skipped detail, the common preview handlers.
class GoodsListReport : public ActiveReport {
public:
    explicit GoodsListReport(const QString& source = QString()) : m_source(source) {
        Caption = QStringLiteral("商品一覧表");
        PageHeader.Height = 1100;
        PageHeader.addLabel(QStringLiteral("lblMenu"), QStringLiteral("商品一覧表"), 0, 0, 4000, 400)
            ->setFont(QStringLiteral("IPAGothic"), 16, true);
        auto* page = PageHeader.addTextField(QStringLiteral("txtPage"), QString(), 7400, 100, 600, 300);
        page->SummaryType = ReportControl::Summary::PageNumber;
        page->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        PageHeader.addLabel(QStringLiteral("Label8"), QStringLiteral("/"), 8000, 100, 200, 300)
            ->setAlignment(Qt::AlignCenter);
        auto* total = PageHeader.addTextField(QStringLiteral("txtPageTotal"), QString(), 8200, 100, 600, 300);
        total->SummaryType = ReportControl::Summary::PageCount;
        PageHeader.addLabel(QStringLiteral("Label3"), QStringLiteral("商品コード"), 0, 700, 1800, 300);
        PageHeader.addLabel(QStringLiteral("Label4"), QStringLiteral("商品名称"), 1900, 700, 4000, 300);
        PageHeader.addLabel(QStringLiteral("Label5"), QStringLiteral("原価"), 6000, 700, 1400, 300)
            ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        PageHeader.addLabel(QStringLiteral("Label6"), QStringLiteral("金額"), 7500, 700, 1400, 300)
            ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        PageHeader.addLine(QStringLiteral("Line1"), 0, 1050, 9000, 1050);

        Detail.Height = 300;
        Detail.addTextField(QStringLiteral("txtcode"), QStringLiteral("code"), 0, 0, 1800, 300);
        Detail.addTextField(QStringLiteral("txtname"), QStringLiteral("name"), 1900, 0, 4000, 300);
        Detail
            .addTextField(QStringLiteral("txtstanka"), QStringLiteral("stanka"), 6000, 0, 1400, 300,
                          QStringLiteral("##,###,##0.00"))
            ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Detail
            .addTextField(QStringLiteral("txtkingaku"), QStringLiteral("kingaku"), 7500, 0, 1400, 300,
                          QStringLiteral("#,##0"))
            ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

        PageFooter.Height = 400;
        PageFooter.addLine(QStringLiteral("Line2"), 0, 0, 9000, 0);
        Fields().Add(QStringLiteral("kingaku"));
    }

    QString skipCode;   // the detail of this code is not printed
    int fetched = 0;    // FetchData calls that found a record
    int footers = 0;    // PageFooter_Format calls
    bool ended = false; // ReportEnd ran
    bool started = false;

    void ReportStart() override {
        started = true;
        fnSetDataControl(*this);
        PageSettings.PaperSize = ReportPageSettings::ddPaperA4;
        PageSettings.Orientation = ReportPageSettings::ddOPortrait;
        PageSettings.TopMargin = 720;
        PageSettings.BottomMargin = 720;
        PageSettings.LeftMargin = 1440;
        PageSettings.RightMargin = 1440;
        fnSetPreviewToolbar(*this);
        if (!m_source.isEmpty()) DataControl1.Source = m_source;
    }
    void FetchData(bool& eof) override {
        if (eof) return;
        ++fetched;
        // An unbound field the report fills in code.
        Fields().setValue(QStringLiteral("kingaku"), Fields(QStringLiteral("stanka")).toDouble() * 3);
    }
    void Detail_Format() override {
        if (!skipCode.isEmpty() && Fields(QStringLiteral("code")).toString().trimmed() == skipCode)
            Detail.LayoutAction = ReportSection::ddLANextRecord;
    }
    void PageFooter_Format() override { ++footers; }
    void NoData() override { fnPreviewNoData(*this); }
    void ReportEnd() override { ended = true; }
    void KeyDown(int& KeyCode, int Shift) override { fnPreviewKeyDown(*this, KeyCode, Shift); }
    void ToolbarClick(ReportToolbar::Tool& tool) override { fnPreviewToolbarClick(*this, tool); }

private:
    QString m_source;
};

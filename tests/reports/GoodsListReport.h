#pragma once

#include "support/TempProgramDir.h"

#include "data/DbError.h"
#include "data/Recordset.h"
#include "reports/ActiveReport.h"
#include "reports/basActiveReport.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

// A goods list built the way the program's reports are: data control on the program's database,
// page "n / count" in the header, a skipped detail, the common preview handlers. With a minimum a
// shortage list (kakuho below it printed, the footer closes the report when none was). With failAt
// the event of that name fails as a lost table would (FetchData at the second record).
class GoodsListReport : public ActiveReport {
public:
    explicit GoodsListReport(const QString& sql = QString()) : source(sql) {
        const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
        Caption = u"商品一覧表"_s;
        PageHeader.Height = 1100;
        PageHeader.addLabel(u"lblMenu"_s, Caption, 0, 0, 4000, 400)->setFont(u"IPAGothic"_s, 16, true);
        PageHeader.addTextField(u"txtPage"_s, {}, 7400, 100, 600, 300)->setAlignment(right).SummaryType =
            ReportControl::Summary::PageNumber;
        PageHeader.addLabel(u"Label8"_s, u"/"_s, 8000, 100, 200, 300)->setAlignment(Qt::AlignCenter);
        PageHeader.addTextField(u"txtPageTotal"_s, {}, 8200, 100, 600, 300)->SummaryType =
            ReportControl::Summary::PageCount;
        auto column = [&](const QString& field, const QString& heading, int x, int w, const QString& format) {
            auto* head = PageHeader.addLabel(u"lbl"_s + field, heading, x, 700, w, 300);
            auto* cell = Detail.addTextField(u"txt"_s + field, field, x, 0, w, 300, format);
            if (!format.isEmpty()) head->setAlignment(right), cell->setAlignment(right);
        };
        column(u"code"_s, u"商品コード"_s, 0, 1800, {});
        column(u"name"_s, u"商品名称"_s, 1900, 4000, {});
        column(u"stanka"_s, u"原価"_s, 6000, 1400, u"##,###,##0.00"_s);
        column(u"kingaku"_s, u"金額"_s, 7500, 1400, u"#,##0"_s);
        PageHeader.addLine(u"Line1"_s, 0, 1050, 9000, 1050);
        Detail.Height = 300;
        PageFooter.Height = 400;
        PageFooter.addLine(u"Line2"_s, 0, 0, 9000, 0);
        Fields().Add(u"kingaku"_s);
    }

    QString source;                      // DataControl1.Source when set
    QString skipCode;                    // the detail of this code is not printed
    int minimum = 0, printedLines = 0;   // a shortage list when minimum is set
    int fetched = 0, footers = 0;        // FetchData calls that found a record, PageFooter_Format calls
    bool started = false, ended = false; // ReportStart, ReportEnd ran
    QString failAt;

    void fail(const char* event) const {
        if (failAt == QLatin1String(event)) throw DbError(u"テーブル 'gdai' が見つかりません。"_s);
    }

    void ReportStart() override {
        started = true;
        fnSetDataControl(*this);
        PageSettings.TopMargin = PageSettings.BottomMargin = 720; // A4 portrait, sides 1440
        fnSetPreviewToolbar(*this);
        if (!source.isEmpty()) DataControl1.Source = source;
        fail("ReportStart");
    }
    void FetchData(bool& eof) override {
        if (eof) return;
        if (++fetched == 2) fail("FetchData");
        // An unbound field the report fills in code.
        Fields().setValue(u"kingaku"_s, Fields(u"stanka"_s).toDouble() * 3);
    }
    void Detail_Format() override {
        const bool enough = minimum > 0 && minimum <= Fields(u"kakuho"_s).toInt();
        if (enough || (!skipCode.isEmpty() && Fields(u"code"_s).toString().trimmed() == skipCode))
            Detail.LayoutAction = ReportSection::ddLANextRecord;
        else
            ++printedLines;
        fail("Detail_Format");
    }
    void PageFooter_Format() override {
        fail("PageFooter_Format");
        ++footers;
        if (minimum > 0 && printedLines == 0) fnPreviewNoData(*this);
    }
    void NoData() override { fnPreviewNoData(*this); }
    void ReportEnd() override { ended = true; }
    void KeyDown(int& KeyCode, int Shift) override { fnPreviewKeyDown(*this, KeyCode, Shift); }
    void ToolbarClick(ReportToolbar::Tool& tool) override { fnPreviewToolbarClick(*this, tool); }
};

inline const QString kAllGoods = u"SELECT * FROM goods ORDER BY code"_s;

inline QString nameOf(int i) {
    return u"テスト商品%1"_s.arg(i, 3, 10, QLatin1Char('0'));
}

// Goods 1..count named nameOf(i).
inline void addGoods(const TempProgramDir& dir, int count) {
    for (int i = 1; i <= count; ++i)
        dir.addGoods(QString::number(i), nameOf(i));
}

// Lets deferred deletes run, as the event loop would after an event handler returns.
inline void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

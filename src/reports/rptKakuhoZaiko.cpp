#include "reports/rptKakuhoZaiko.h"

#include "core/basFormat.h"
#include "core/basNumber.h"
#include "data/SqlDialect.h"
#include "reports/basActiveReport.h"

#include <cmath>

rptKakuhoZaiko::rptKakuhoZaiko()
    : StockListReport(QStringLiteral("確保割れ在庫一覧表"), ReportPageSettings::ddOPortrait, 1440, 720, 720,
                      1440) {
    addColumn(QStringLiteral("code"), QStringLiteral("商品コード"), 0, 1500, false);
    addColumn(QStringLiteral("name"), QStringLiteral("商品名称"), 1500, 4800, false);
    // The least quantity prints as stored, the stock as a plain whole number (Str$).
    addColumn(QStringLiteral("kakuho"), QStringLiteral("最小確保数"), 6300, 1700, true,
              ExportColumn::Kind::Number, QStringLiteral("General"));
    addColumn(QStringLiteral("genzai"), QStringLiteral("現在庫"), 8000, printableWidth() - 8000, true,
              ExportColumn::Kind::Number, QStringLiteral("0"));
}

QString rptKakuhoZaiko::sourceSql() const {
    return QStringLiteral("SELECT * FROM goods WHERE code BETWEEN '") + fnSqlText(Range.code0) +
           QStringLiteral("' AND '") + fnSqlText(Range.code1) +
           QStringLiteral("' AND gkubun = 0 AND zkubun = 0 ORDER BY code");
}

void rptKakuhoZaiko::ReportStart() {
    startList();
    m_printed = 0;
}

void rptKakuhoZaiko::FetchData(bool& eof) {
    if (eof) return;
    m_zaiko = currentFigures().Z;
    Fields().setValue(QStringLiteral("genzai"), fnStr(m_zaiko));
}

void rptKakuhoZaiko::Detail_Format() {
    // An empty kakuho counts as 0: only a negative stock is short of it.
    const double k = fnVal(fnFormat(Fields(QStringLiteral("kakuho")), QStringLiteral("#######0")));
    if (k <= double(m_zaiko)) {
        Detail.LayoutAction = ReportSection::ddLANextRecord;
        return;
    }
    ++m_printed;
}

void rptKakuhoZaiko::PageFooter_Format() {
    if (m_printed == 0) fnPreviewNoData(*this);
}

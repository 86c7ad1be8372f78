#include "reports/rptZaiko.h"

#include "core/basFormat.h"
#include "data/SqlDialect.h"

namespace {
const QString kWhole = QStringLiteral("##,###,##0");
const QString kDecimals = QStringLiteral("##,###,##0.00");
const QString kSheetPlain = QStringLiteral("0");
const QString kSheetWhole = QStringLiteral("#,##0");
const QString kSheetDecimals = QStringLiteral("#,##0.00");
} // namespace

rptZaiko::rptZaiko()
    : StockListReport(QStringLiteral("現在庫一覧表"), ReportPageSettings::ddOLandscape, 1440, 720, 720,
                      1200) {
    int x = 0;
    // The quantities print as plain whole numbers (Str$), the money with the unit-cost format.
    const auto column = [&](const QString& field, const QString& caption, int width, bool right) {
        if (right)
            addColumn(field, caption, x, width, right, ExportColumn::Kind::Number, kSheetPlain);
        else
            addColumn(field, caption, x, width, right);
        x += width;
    };
    column(QStringLiteral("code"), QStringLiteral("商品コード"), 1400, false);
    column(QStringLiteral("name"), QStringLiteral("商品名称"), 3100, false);
    column(QStringLiteral("zenzai"), QStringLiteral("前日在庫"), 1100, true);
    column(QStringLiteral("nyuuko"), QStringLiteral("当日入庫"), 1100, true);
    column(QStringLiteral("syukko"), QStringLiteral("当日出庫"), 1100, true);
    column(QStringLiteral("henpin"), QStringLiteral("当日返品"), 1100, true);
    column(QStringLiteral("tanaoroshi"), QStringLiteral("当日棚卸"), 1100, true);
    column(QStringLiteral("yotei"), QStringLiteral("出庫予定"), 1100, true);
    column(QStringLiteral("genzai"), QStringLiteral("現在庫"), 1100, true);
    column(QStringLiteral("stanka"), QStringLiteral("原価"), 1150, true);
    column(QStringLiteral("kingaku"), QStringLiteral("金額"), printableWidth() - x, true);
}

QString rptZaiko::sourceSql() const {
    return QStringLiteral("SELECT * FROM goods WHERE code BETWEEN '") + fnSqlText(Range.code0) +
           QStringLiteral("' AND '") + fnSqlText(Range.code1) +
           (Range.stopOnly ? QStringLiteral("' AND gkubun = 0 AND zkubun = 0 and stop = 1 ORDER BY code")
                           : QStringLiteral("' AND gkubun = 0 AND zkubun = 0 and stop = 0 ORDER BY code"));
}

void rptZaiko::ReportStart() {
    startList();
    control(QStringLiteral("txtstanka"))->OutputFormat = StankaKbn != 0 ? kDecimals : kWhole;
    for (const char* money : {"txtstanka", "txtkingaku"})
        setSheetFormat(QString::fromLatin1(money), StankaKbn != 0 ? kSheetDecimals : kSheetWhole);
}

void rptZaiko::FetchData(bool& eof) {
    if (eof) return;
    const StockDayFigures f = currentFigures();
    Fields().setValue(QStringLiteral("zenzai"), fnStr(f.P));
    Fields().setValue(QStringLiteral("nyuuko"), fnStr(f.R));
    Fields().setValue(QStringLiteral("syukko"), fnStr(f.H));
    Fields().setValue(QStringLiteral("henpin"), fnStr(f.T));
    Fields().setValue(QStringLiteral("tanaoroshi"), fnStr(f.count));
    Fields().setValue(QStringLiteral("yotei"), fnStr(f.F));
    Fields().setValue(QStringLiteral("genzai"), fnStr(f.Z));
    const QVariant stanka = Fields(QStringLiteral("stanka"));
    // A goods without a unit cost has no amount, as Null times a number is Null.
    Fields().setValue(QStringLiteral("kingaku"), stanka.isNull()
                                                     ? QString()
                                                     : fnFormat(QVariant(stanka.toDouble() * double(f.Z)),
                                                                StankaKbn != 0 ? kDecimals : kWhole));
}

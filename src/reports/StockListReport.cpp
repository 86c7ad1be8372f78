#include "reports/StockListReport.h"

#include "core/basFormat.h"
#include "export/basExportFile.h"
#include "reports/basActiveReport.h"
#include "ui/FormBase.h"

#include <QDate>

namespace {
const QString kFont = QStringLiteral("IPAGothic");
constexpr int kLine = 300;
} // namespace

StockListReport::StockListReport(const QString& title, int orientation, int left, int top, int right,
                                 int bottom) {
    Caption = title;
    PageSettings.PaperSize = ReportPageSettings::ddPaperA4;
    PageSettings.Orientation = orientation;
    PageSettings.LeftMargin = left;
    PageSettings.TopMargin = top;
    PageSettings.RightMargin = right;
    PageSettings.BottomMargin = bottom;
    const int width = printableWidth();
    const Qt::Alignment toRight = Qt::AlignRight | Qt::AlignVCenter;

    PageHeader.Height = kHeaderHeight;
    PageHeader.addLabel(QStringLiteral("lblTitle"), title, 0, 0, width, 500)
        ->setFont(kFont, 16, true)
        .setAlignment(Qt::AlignCenter);
    PageHeader.addLabel(QStringLiteral("lblDayCaption"), QStringLiteral("日付"), 0, 600, 600, kLine);
    PageHeader.addTextField(QStringLiteral("txtDay"), {}, 600, 600, 1300, kLine);
    PageHeader.addLabel(QStringLiteral("lblDayNow"), QStringLiteral("現在"), 1900, 600, 600, kLine);
    PageHeader.addLabel(QStringLiteral("lblGoodsCaption"), QStringLiteral("商品"), 0, 900, 600, kLine);
    PageHeader.addTextField(QStringLiteral("txtCode0"), {}, 600, 900, 1500, kLine);
    PageHeader.addTextField(QStringLiteral("txtName0"), {}, 2200, 900, 4200, kLine);
    PageHeader.addLabel(QStringLiteral("lblRange"), QStringLiteral("～"), 6400, 900, 300, kLine);
    PageHeader.addTextField(QStringLiteral("txtCode1"), {}, 600, 1200, 1500, kLine);
    PageHeader.addTextField(QStringLiteral("txtName1"), {}, 2200, 1200, 4200, kLine);
    PageHeader.addLabel(QStringLiteral("lblMadeCaption"), QStringLiteral("作成日"), width - 2700, 600, 800,
                        kLine);
    PageHeader.addTextField(QStringLiteral("txtMade"), {}, width - 1900, 600, 1900, kLine)
        ->setAlignment(toRight);
    PageHeader.addTextField(QStringLiteral("txtPage"), {}, width - 1900, 900, 800, kLine)
        ->setAlignment(toRight)
        .SummaryType = ReportControl::Summary::PageNumber;
    PageHeader.addLabel(QStringLiteral("lblSlash"), QStringLiteral("/"), width - 1100, 900, 300, kLine)
        ->setAlignment(Qt::AlignCenter);
    PageHeader.addTextField(QStringLiteral("txtPageCount"), {}, width - 800, 900, 800, kLine)->SummaryType =
        ReportControl::Summary::PageCount;
    PageHeader.addLine(QStringLiteral("lineCaptionTop"), 0, kCaptionTop - 40, width, kCaptionTop - 40);
    PageHeader.addLine(QStringLiteral("lineCaptionBottom"), 0, kCaptionTop + kLine + 40, width,
                       kCaptionTop + kLine + 40);
    Detail.Height = kLine;
    PageFooter.Height = 300;
}

ReportControl* StockListReport::addColumn(const QString& field, const QString& caption, int left, int width,
                                          bool right, ExportColumn::Kind kind, const QString& sheetFormat) {
    const Qt::Alignment align = (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    const QString name = QStringLiteral("txt") + field;
    PageHeader.addLabel(QStringLiteral("lbl") + field, caption, left, kCaptionTop, width - 60, kLine)
        ->setAlignment(align);
    ReportControl* cell = Detail.addTextField(name, field, left, 0, width - 60, kLine);
    cell->setFont(kFont, 9).setAlignment(align);
    if (!Fields().contains(field) && field != QLatin1String("code") && field != QLatin1String("name"))
        Fields().Add(field);
    ExportColumns.append({caption, name, kind, sheetFormat});
    return cell;
}

void StockListReport::setSheetFormat(const QString& control, const QString& sheetFormat) {
    for (ExportColumn& column : ExportColumns)
        if (column.control == control) column.format = sheetFormat;
}

QString StockListReport::fileTitle() const {
    QString name = Caption + u'_' + QString::number(Range.day);
    const QString from = Range.code0.trimmed(), to = Range.code1.trimmed();
    if (!from.isEmpty() || !to.isEmpty()) name += u'_' + from + u'-' + to;
    return fnSafeFileTitle(name);
}

QStringList StockListReport::exportHeaderLines() const {
    const auto shown = [this](const char* name) {
        return control(QString::fromLatin1(name))->Text.trimmed();
    };
    const auto joined = [](const QStringList& parts) {
        QStringList kept;
        for (const QString& p : parts)
            if (!p.isEmpty()) kept << p;
        return kept.join(u' ');
    };
    return {joined({QStringLiteral("日付"), shown("txtDay"), QStringLiteral("現在")}),
            joined({QStringLiteral("商品"), shown("txtCode0"), shown("txtName0"), QStringLiteral("～"),
                    shown("txtCode1"), shown("txtName1")}),
            joined({QStringLiteral("作成日"), shown("txtMade")})};
}

void StockListReport::startList() {
    fnSetDataControl(*this);
    Icon = fnProgramIcon();

    control(QStringLiteral("txtDay"))->Text = fnFormat(QVariant(Range.day), QStringLiteral("####/##/##"));
    control(QStringLiteral("txtMade"))->Text = fnFormat(QDate::currentDate(), QStringLiteral("YYYY/MM/DD"));
    control(QStringLiteral("txtCode0"))->Text = Range.code0;
    control(QStringLiteral("txtName0"))->Text = Range.name0;
    control(QStringLiteral("txtCode1"))->Text = Range.code1;
    control(QStringLiteral("txtName1"))->Text = Range.name1;

    DataControl1.Source = sourceSql();
    // The ledger read once for the whole range: the per-goods figures come from here. It is the
    // long part of a large list, so it is counted and may be stopped.
    m_figures.load(Range.code0, Range.code1, Range.day,
                   [this](int products) { return reportProgress(products, 0); });
    fnSetPreviewToolbar(*this);
}

StockDayFigures StockListReport::currentFigures() const {
    return m_figures.figures(Fields(QStringLiteral("code")).toString());
}

void StockListReport::KeyDown(int& KeyCode, int Shift) {
    fnPreviewKeyDown(*this, KeyCode, Shift);
}

void StockListReport::ToolbarClick(ReportToolbar::Tool& tool) {
    fnPreviewToolbarClick(*this, tool);
}

void StockListReport::NoData() {
    fnPreviewNoData(*this);
}

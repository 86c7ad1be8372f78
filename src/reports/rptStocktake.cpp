#include "reports/rptStocktake.h"

#include "core/basFormat.h"
#include "export/basStocktakeTable.h"
#include "reports/basActiveReport.h"
#include "stock/StocktakeCheck.h"
#include "ui/basToolbar.h"

namespace {
const QString kFont = QStringLiteral("IPAGothic");
constexpr int kLine = 300;
constexpr int kHeadingTop = 1300;
const char* const kFields[] = {"line", "code", "name", "book", "counted", "diff", "cost", "amount", "status"};
} // namespace

rptStocktake::rptStocktake(const StocktakeCheck& check) {
    Caption = QStringLiteral("棚卸差異表");
    for (const char* field : kFields)
        Fields().Add(QString::fromLatin1(field));
    PageSettings.PaperSize = ReportPageSettings::ddPaperA4;
    PageSettings.Orientation = ReportPageSettings::ddOLandscape;
    PageSettings.LeftMargin = 720;
    PageSettings.RightMargin = 720;
    PageSettings.TopMargin = 720;
    PageSettings.BottomMargin = 720;
    Icon = fnProgramIcon();
    PreviewCentered = true;
    m_day = fnFormat(check.day(), QStringLiteral("####/##/##"));
    m_summary = fnStocktakeSummary(check);

    const int width = PageSettings.paperWidth() - PageSettings.LeftMargin - PageSettings.RightMargin;
    PageHeader.Height = kHeadingTop + kLine + 100;
    PageHeader.addLabel(QStringLiteral("lblMenu"), Caption, 0, 0, width, 500)
        ->setFont(kFont, 16, true)
        .setAlignment(Qt::AlignCenter);
    PageHeader.addLabel(QStringLiteral("lblTDay"), QStringLiteral("棚卸日"), 0, 700, 800, kLine);
    PageHeader.addLabel(QStringLiteral("lblSday"), m_day, 800, 700, 1300, kLine);
    PageHeader.addLabel(QStringLiteral("lblSummary"), m_summary, 0, 1000, width - 2600, kLine);
    fnAddMadeOnAndPages(PageHeader, width, 700);

    // Columns: the check's captions, each with its width and side.
    using Kind = ExportColumn::Kind;
    const QString money = check.stankaKbn() != 0 ? QStringLiteral("#,##0.00") : QStringLiteral("#,##0");
    struct Column {
        int width;
        bool right;
        Kind kind;
        QString sheetFormat;
    };
    const Column columns[] = {{600, true, Kind::Number, QStringLiteral("0")},
                              {1500, false, Kind::Text, {}},
                              {3400, false, Kind::Text, {}},
                              {1100, true, Kind::Number, QStringLiteral("#,##0")},
                              {1100, true, Kind::Number, QStringLiteral("#,##0")},
                              {1100, true, Kind::Number, QStringLiteral("#,##0")},
                              {1200, true, Kind::Number, money},
                              {1500, true, Kind::Number, money},
                              {0, false, Kind::Text, {}}};
    const QStringList captions = StocktakeCheck::captions();
    int left = 0;
    for (int i = 0; i < captions.size(); ++i) {
        const Column& c = columns[i];
        const int w = c.width > 0 ? c.width : width - left;
        const Qt::Alignment align = (c.right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        const QString field = QString::fromLatin1(kFields[i]);
        PageHeader
            .addLabel(QStringLiteral("lbl") + field, captions.at(i), left + 60, kHeadingTop, w - 120, kLine)
            ->setAlignment(align);
        const QString name = QStringLiteral("txt") + field;
        Detail.addTextField(name, field, left + 60, 0, w - 120, kLine)->setAlignment(align);
        ExportColumns.append({captions.at(i), name, c.kind, c.sheetFormat});
        if (left > 0) {
            PageHeader.addLine(QStringLiteral("lineHead%1").arg(i), left, kHeadingTop - 40, left,
                               kHeadingTop + kLine + 40);
            Detail.addLine(QStringLiteral("lineDetail%1").arg(i), left, 0, left, kLine);
        }
        left += w;
    }
    PageHeader.addLine(QStringLiteral("lineHeadTop"), 0, kHeadingTop - 40, width, kHeadingTop - 40);
    PageHeader.addLine(QStringLiteral("lineHeadBottom"), 0, kHeadingTop + kLine + 40, width,
                       kHeadingTop + kLine + 40);
    Detail.Height = kLine;
    PageFooter.Height = 200;
    fnSetPreviewToolbar(*this);

    // The cells as the screen shows them; a refused line's reasons in the status column.
    QList<QVariantMap> records;
    const QList<StocktakeLine> lines = check.shownOrder();
    records.reserve(lines.size());
    for (const StocktakeLine& l : lines) {
        const QStringList cells = check.cells(l);
        QVariantMap r;
        for (int i = 0; i < cells.size(); ++i)
            r.insert(QString::fromLatin1(kFields[i]), cells.at(i));
        records << r;
    }
    setRecords(records);
    ProgressTotal = int(records.size());
}

QString rptStocktake::exportTitle() const {
    return Caption;
}

QStringList rptStocktake::exportHeaderLines() const {
    return {QStringLiteral("棚卸日 ") + m_day, m_summary,
            QStringLiteral("作成日 ") + control(QStringLiteral("lblDay"))->Caption};
}

void rptStocktake::ReportStart() {
    fnShowMadeOn(*this);
}

void rptStocktake::KeyDown(int& KeyCode, int Shift) {
    fnPreviewKeyDown(*this, KeyCode, Shift);
}

void rptStocktake::ToolbarClick(ReportToolbar::Tool& tool) {
    fnPreviewToolbarClick(*this, tool);
}

#include "reports/rptNyuuden.h"

#include "core/basFormat.h"
#include "data/Recordset.h"
#include "export/basExportFile.h"
#include "reports/basActiveReport.h"
#include "ui/basToolbar.h"

namespace {
const QString kFont = QStringLiteral("IPAGothic");
constexpr int kLine = 300;
constexpr int kHeadingTop = 1300;
} // namespace

rptNyuuden::rptNyuuden() {
    Caption = QStringLiteral("入庫伝票一覧表");
    for (const char* field : {"denno", "day", "gcode", "name", "suu", "stanka", "total"})
        Fields().Add(QString::fromLatin1(field));
    PageSettings.PaperSize = ReportPageSettings::ddPaperA4;
    PageSettings.Orientation = ReportPageSettings::ddOPortrait;
    PageSettings.LeftMargin = 1440;
    PageSettings.RightMargin = 1080;
    PageSettings.TopMargin = 720;
    PageSettings.BottomMargin = 720;
    Icon = fnProgramIcon();
    PreviewCentered = true;

    const int width = PageSettings.paperWidth() - PageSettings.LeftMargin - PageSettings.RightMargin;
    PageHeader.Height = kHeadingTop + kLine + 100;
    PageHeader.addLabel(QStringLiteral("lblMenu"), QStringLiteral("入庫処理一覧表"), 0, 0, width, 500)
        ->setFont(kFont, 16, true)
        .setAlignment(Qt::AlignCenter);
    PageHeader.addLabel(QStringLiteral("lblTDay"), QStringLiteral("入庫日"), 0, 700, 800, kLine);
    PageHeader.addLabel(QStringLiteral("lblSday"), {}, 800, 700, 1300, kLine);
    PageHeader.addLabel(QStringLiteral("Label11"), QStringLiteral("～"), 2100, 700, 400, kLine)
        ->setAlignment(Qt::AlignCenter);
    PageHeader.addLabel(QStringLiteral("lblEday"), {}, 2500, 700, 1300, kLine);
    fnAddMadeOnAndPages(PageHeader, width, 700);

    // Columns: heading, detail field, left edge, width.
    using Kind = ExportColumn::Kind;
    struct Column {
        const char* heading;
        const char* label;
        const char* field;
        int left, width;
        bool right;
        Kind kind;
        const char* sheetFormat;
    };
    const Column columns[] = {{"入庫日", "lblPDay", "day", 0, 1500, false, Kind::Date, "yyyy/mm/dd"},
                              {"商品コード", "Label3", "gcode", 1500, 1800, false, Kind::Text, ""},
                              {"商品名称", "Label4", "name", 3300, 4600, false, Kind::Text, ""},
                              {"数量", "Label5", "suu", 7900, width - 7900, true, Kind::Number, "#,##0"}};
    for (const Column& c : columns) {
        const Qt::Alignment align = (c.right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        const QString heading = QString::fromUtf8(c.heading);
        PageHeader
            .addLabel(QString::fromLatin1(c.label), heading, c.left + 60, kHeadingTop, c.width - 120, kLine)
            ->setAlignment(align);
        const QString name = QStringLiteral("txt") + QString::fromLatin1(c.field);
        Detail.addTextField(name, QString::fromLatin1(c.field), c.left + 60, 0, c.width - 120, kLine)
            ->setAlignment(align);
        ExportColumns.append({heading, name, c.kind, QString::fromLatin1(c.sheetFormat)});
        if (c.left > 0) {
            PageHeader.addLine(QStringLiteral("lineHead%1").arg(c.left), c.left, kHeadingTop - 40, c.left,
                               kHeadingTop + kLine + 40);
            Detail.addLine(QStringLiteral("lineDetail%1").arg(c.left), c.left, 0, c.left, kLine);
        }
    }
    control(QStringLiteral("txtsuu"))->OutputFormat = QStringLiteral("#,##0");
    PageHeader.addLine(QStringLiteral("lineHeadTop"), 0, kHeadingTop - 40, width, kHeadingTop - 40);
    PageHeader.addLine(QStringLiteral("lineHeadBottom"), 0, kHeadingTop + kLine + 40, width,
                       kHeadingTop + kLine + 40);
    Detail.Height = kLine;
    PageFooter.Height = 200;
    fnSetPreviewToolbar(*this);
}

QString rptNyuuden::listSql(qint32 mode, qint32 start, qint32 end) {
    return QStringLiteral("SELECT day,gcode,suu,g.name as gname") +
           QStringLiteral("  FROM gdai as d,goods as g") + QStringLiteral(" WHERE d.gcode=g.code") +
           QStringLiteral("   AND day BETWEEN ") + QString::number(start) + QStringLiteral(" AND ") +
           QString::number(end) +
           (mode == 0 ? QStringLiteral(" and kubun=0") : QStringLiteral(" and kubun=9")) +
           QStringLiteral(" ORDER BY day,gcode");
}

void rptNyuuden::setMode(qint32 mode) {
    QString title, day;
    if (mode == 0) {
        title = QStringLiteral("入庫処理一覧表");
        day = QStringLiteral("入庫日");
    } else if (mode == 9) {
        title = QStringLiteral("在庫数調整一覧表");
        day = QStringLiteral("調整日");
    } else {
        return;
    }
    control(QStringLiteral("lblMenu"))->Caption = title;
    control(QStringLiteral("lblPDay"))->Caption = day;
    control(QStringLiteral("lblTDay"))->Caption = day;
    ExportColumns[0].caption = day;
}

QString rptNyuuden::exportTitle() const {
    return control(QStringLiteral("lblMenu"))->Caption;
}

QString rptNyuuden::fileTitle() const {
    return fnSafeFileTitle(exportTitle() + u'_' + QString::number(StartDay) + u'-' + QString::number(EndDay));
}

QStringList rptNyuuden::exportHeaderLines() const {
    return {control(QStringLiteral("lblTDay"))->Caption + u' ' + control(QStringLiteral("lblSday"))->Caption +
                QStringLiteral(" ～ ") + control(QStringLiteral("lblEday"))->Caption,
            QStringLiteral("作成日 ") + control(QStringLiteral("lblDay"))->Caption};
}

void rptNyuuden::ReportStart() {
    fnShowMadeOn(*this);
    control(QStringLiteral("lblSday"))->Caption = fnFormat(QVariant(StartDay), QStringLiteral("####/##/##"));
    control(QStringLiteral("lblEday"))->Caption = fnFormat(QVariant(EndDay), QStringLiteral("####/##/##"));
    ProgressTotal = glngCnt;
}

void rptNyuuden::FetchData(bool& eof) {
    // The counter ends the list; a recordset shorter than it ends it too, rather than reading past
    // its last row.
    if (glngCnt > 0 && grecBuff && !grecBuff->Eof()) {
        Fields().setValue(QStringLiteral("day"),
                          fnFormat(grecBuff->Fields(QStringLiteral("day")), QStringLiteral("####/##/##")));
        Fields().setValue(QStringLiteral("gcode"), grecBuff->Fields(QStringLiteral("gcode")).toString());
        Fields().setValue(QStringLiteral("name"), grecBuff->Fields(QStringLiteral("gname")));
        Fields().setValue(QStringLiteral("suu"), grecBuff->Fields(QStringLiteral("suu")));
        grecBuff->MoveNext();
        --glngCnt;
        eof = false;
    } else {
        eof = true;
    }
}

void rptNyuuden::ReportEnd() {
    grecBuff = nullptr;
}

void rptNyuuden::KeyDown(int& KeyCode, int Shift) {
    fnPreviewKeyDown(*this, KeyCode, Shift);
}

void rptNyuuden::ToolbarClick(ReportToolbar::Tool& tool) {
    fnPreviewToolbarClick(*this, tool);
}

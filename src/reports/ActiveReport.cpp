#include "reports/ActiveReport.h"

#include "app/basMessage.h"
#include "core/basFormat.h"
#include "data/DbError.h"
#include "data/DialogSeam.h"
#include "data/Recordset.h"
#include "reports/PrinterSeam.h"
#include "reports/ReportPreview.h"
#include "reports/ReportTextCache.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>

namespace {

constexpr int kTwipsPerPixel = 15;

QString plainText(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return QString();
    return v.toString();
}

// Cuts a one-line text to what fits the box, as a fixed-size text box clips it.
QString fitText(const QString& text, ReportTextCache& texts, int font, int width) {
    QString t = text;
    while (!t.isEmpty() && texts.width(font, t) > width)
        t.chop(1);
    return t;
}

// A figure ("-2,469,133,987,654.33"): cut, it would read as another number.
bool isFigure(const QString& text) {
    static const QRegularExpression figure(QStringLiteral("^\\s*[-+]?[\\d,]+(\\.\\d+)?\\s*$"));
    return figure.match(text).hasMatch();
}

// The smallest type a figure may shrink to, as a share of its own size.
constexpr double kSmallestFigure = 0.6;

} // namespace

ActiveReport::ActiveReport(QObject* parent) : QObject(parent), m_texts(std::make_unique<ReportTextCache>()) {
    PrintWidth = PageSettings.paperWidth() - PageSettings.LeftMargin - PageSettings.RightMargin;
}

ActiveReport::~ActiveReport() {
    if (m_preview) delete m_preview.data();
}

ReportControl* ActiveReport::control(const QString& name) const {
    for (const ReportSection* s : {&PageHeader, &Detail, &PageFooter})
        if (ReportControl* c = s->control(name)) return c;
    return nullptr;
}

void ActiveReport::setRecords(const QList<QVariantMap>& records) {
    m_records = records;
    m_haveRecords = true;
}

void ActiveReport::setRecordset(Recordset& rec) {
    QList<QVariantMap> rows;
    const QStringList names = rec.fieldNames();
    while (!rec.Eof()) {
        QVariantMap row;
        for (int i = 0; i < names.size(); ++i)
            row.insert(names.at(i), rec.Fields(i));
        rows.append(row);
        rec.MoveNext();
    }
    setRecords(rows);
}

void ActiveReport::setError(int number, const QString& text) {
    m_errorNumber = number;
    m_errorText = text;
}

bool ActiveReport::Run() {
    if (m_ran || m_running) return m_runResult;
    m_running = true;
    m_pages.clear();
    m_pageCountSlots.clear();
    m_printedRows.clear();
    m_pageOpen = false;
    m_cancelled = false;
    try {
        runEvents();
    } catch (const DbError& e) {
        // A report that cannot read its data ends; the program goes on.
        setError(e.number(), e.description());
        fnShowDbError(e.description());
        if (!m_unloaded) {
            try {
                ReportEnd();
            } catch (const DbError&) {
                // Already told; ReportEnd only releases what the report held.
            }
        }
        m_running = false;
        m_ran = true;
        m_runResult = false;
        Unload();
        return false;
    }
    m_running = false;
    m_ran = true;
    m_runResult = !m_unloaded && !m_cancelled;
    m_currentPage = m_pages.isEmpty() ? 1 : qBound(1, m_currentPage, int(m_pages.size()));
    return m_runResult;
}

void ActiveReport::runEvents() {
    ReportStart();
    if (!m_unloaded && !m_cancelled && !DataControl1.Source.isEmpty()) {
        int number = 0;
        QString text;
        QList<QVariantMap> rows;
        if (DataControl1.fetch(&rows, &number, &text)) {
            setRecords(rows);
        } else {
            setError(number, text);
            MessageRequest box;
            box.title = QStringLiteral("エラー");
            box.text = QString::number(number) + QStringLiteral(": ") + text;
            box.icon = MsgIcon::Critical;
            dialogs().messageBox(box);
            ReportEnd();
            Unload();
            return;
        }
    }
    if (!m_unloaded) layOut();
    ReportEnd();
    // The pages hold what was printed; a preview kept open need not hold the records too.
    m_records = QList<QVariantMap>();

    // The page count is known only now.
    const QString count = QString::number(m_pages.size());
    for (const auto& slot : std::as_const(m_pageCountSlots))
        m_pages[slot.first].ops()[slot.second].text = count;
}

void ActiveReport::layOut() {
    startPage();
    int next = 0;
    bool first = true;
    const int step = qMax(1, ProgressStep);
    int done = 0;
    const int total = m_haveRecords ? int(m_records.size()) : ProgressTotal;
    if (!progress(0, total)) return;
    while (!m_unloaded) {
        if (done > 0 && done % step == 0 && !progress(done, total)) return;
        bool eof = false;
        if (m_haveRecords) {
            eof = next >= m_records.size();
            if (!eof) m_fields.load(m_records.at(next));
        }
        FetchData(eof);
        if (m_unloaded) return;
        if (eof) {
            if (first) NoData();
            break;
        }
        first = false;
        ++done;
        if (m_haveRecords) ++next;

        Detail.LayoutAction = ReportSection::ddLAPrintSection;
        bindFields(Detail);
        Detail_Format();
        if (m_unloaded) return;
        if (Detail.LayoutAction == ReportSection::ddLANextRecord || !Detail.Visible) continue;

        const int footerTop = PageSettings.paperHeight() - PageSettings.BottomMargin -
                              (PageFooter.Visible ? PageFooter.Height : 0);
        // A detail taller than a whole page still goes on its own page instead of looping.
        if (m_y + Detail.Height > footerTop && m_detailsOnPage > 0) {
            finishPage();
            if (m_unloaded) return;
            startPage();
            if (m_unloaded) return;
        }
        emitSection(Detail, PageSettings.LeftMargin, m_y);
        if (!ExportColumns.isEmpty()) capturePrintedRow();
        m_y += Detail.Height;
        ++m_detailsOnPage;
    }
    if (!m_unloaded && m_pageOpen) finishPage();
}

bool ActiveReport::progress(int done, int total) const {
    if (!Progress || m_cancelled) return !m_cancelled;
    if (!Progress(done, total)) m_cancelled = true;
    return !m_cancelled;
}

void ActiveReport::capturePrintedRow() {
    QStringList row;
    row.reserve(ExportColumns.size());
    for (const ExportColumn& column : std::as_const(ExportColumns)) {
        const ReportControl* c = Detail.control(column.control);
        if (!c || !c->Visible) {
            row << QString();
        } else if (column.kind == ExportColumn::Kind::Text) {
            // Leading blanks show on paper (a stored code is padded on the left); trailing ones do not.
            QString text = c->displayText();
            while (!text.isEmpty() && text.back().isSpace())
                text.chop(1);
            row << text;
        } else {
            row << c->displayText().trimmed();
        }
    }
    m_printedRows.append(row);
}

void ActiveReport::startPage() {
    m_pages.append(ReportPage(PageSettings.paperWidth(), PageSettings.paperHeight()));
    m_pageOpen = true;
    m_detailsOnPage = 0;
    m_y = PageSettings.TopMargin;
    PageHeader.LayoutAction = ReportSection::ddLAPrintSection;
    bindFields(PageHeader);
    PageHeader_Format();
    if (m_unloaded) return;
    if (PageHeader.Visible && PageHeader.LayoutAction != ReportSection::ddLANextRecord) {
        emitSection(PageHeader, PageSettings.LeftMargin, m_y);
        m_y += PageHeader.Height;
    }
}

void ActiveReport::finishPage() {
    PageFooter.LayoutAction = ReportSection::ddLAPrintSection;
    bindFields(PageFooter);
    PageFooter_Format();
    m_pageOpen = false;
    if (m_unloaded) return;
    if (PageFooter.Visible && PageFooter.LayoutAction != ReportSection::ddLANextRecord)
        emitSection(PageFooter, PageSettings.LeftMargin,
                    PageSettings.paperHeight() - PageSettings.BottomMargin - PageFooter.Height);
}

void ActiveReport::bindFields(ReportSection& section) {
    for (const auto& c : section.controls()) {
        if (c->kind != ReportControl::Kind::TextField || c->DataField.isEmpty() ||
            c->SummaryType != ReportControl::Summary::None)
            continue;
        const QVariant v = m_fields.value(c->DataField);
        c->Text = c->OutputFormat.isEmpty() ? plainText(v) : fnFormat(v, c->OutputFormat);
    }
}

void ActiveReport::emitSection(const ReportSection& section, int x, int y) {
    ReportPage& page = m_pages.last();
    for (const auto& c : section.controls()) {
        if (!c->Visible) continue;
        ReportPage::Op op;
        if (c->kind == ReportControl::Kind::Line) {
            op.type = ReportPage::Op::Line;
            op.line = QLine(x + c->X1, y + c->Y1, x + c->X2, y + c->Y2);
            op.penWidth = qMax(1, c->LineWeight) * kTwipsPerPixel;
            op.color = c->ForeColor;
            page.append(op);
            continue;
        }
        op.type = ReportPage::Op::Text;
        op.rect = QRect(x + c->Left, y + c->Top, c->Width, c->Height);
        op.family = c->FontName;
        op.pointSize = c->FontSize;
        op.bold = c->FontBold;
        op.alignment = int(c->Alignment);
        op.wordWrap = c->WordWrap;
        op.color = c->ForeColor;
        switch (c->SummaryType) {
        case ReportControl::Summary::PageNumber:
            op.text = QString::number(m_pages.size());
            break;
        case ReportControl::Summary::PageCount:
            m_pageCountSlots.append({int(m_pages.size()) - 1, int(page.ops().size())});
            break;
        case ReportControl::Summary::None:
            op.text = c->displayText();
            if (!op.wordWrap) fitInto(op, c->Width);
            break;
        }
        page.append(op);
    }
}

void ActiveReport::fitInto(ReportPage::Op& op, int width) {
    ReportTextCache& texts = *m_texts;
    const int font = texts.fontId(op.family, op.pointSize, op.bold);
    if (texts.width(font, op.text) <= width) return;
    if (!isFigure(op.text)) {
        op.text = fitText(op.text, texts, font, width);
        return;
    }
    // A figure too wide prints smaller, or as a row of '#' (as a spreadsheet shows it), never cut.
    for (double size = op.pointSize - 0.5; size >= op.pointSize * kSmallestFigure; size -= 0.5) {
        if (texts.width(texts.fontId(op.family, size, op.bold), op.text) <= width) {
            op.pointSize = size;
            return;
        }
    }
    const int marks = qMax(1, int(width / texts.width(font, QStringLiteral("#"))));
    op.text = QString(marks, u'#');
}

QPointer<ActiveReport> ActiveReport::Show(std::unique_ptr<ActiveReport> report) {
    ActiveReport* r = report.release();
    QPointer<ActiveReport> shown(r);
    r->m_ownedByPreview = true;
    r->Run();
    if (r->m_unloaded || r->m_cancelled) {
        r->deleteLater();
        return shown;
    }
    if (!r->m_preview) r->m_preview = new ReportPreview(r);
    r->m_preview->showPreview();
    return shown;
}

bool ActiveReport::PrintReport(bool promptUser) {
    setError(0, QString());
    if (!Run() || m_pages.isEmpty()) return false;
    PrintRequest request;
    request.documentName = Caption;
    request.pageLayout = PageSettings.pageLayout();
    request.pageCount = m_pages.size();
    request.showDialog = promptUser;
    int first = 1;
    int last = m_pages.size();
    std::unique_ptr<QPagedPaintDevice> device = printers().openPrinter(request, &first, &last);
    if (!device) return false;
    if (!paintPages(device.get(), first, last)) {
        if (m_cancelled) return false;
        setError(482, QStringLiteral("プリンタ エラーです。"));
        return false;
    }
    return true;
}

bool ActiveReport::paintPages(QPagedPaintDevice* device, int first, int last) const {
    first = qMax(1, first);
    last = qMin(last, int(m_pages.size()));
    if (first > last) return false;
    m_cancelled = false;
    QPainter painter;
    if (!painter.begin(device)) return false;
    for (int i = first; i <= last; ++i) {
        if (!progress(i - first, last - first + 1)) {
            // Nothing of a stopped print reaches the printer.
            if (auto* printer = dynamic_cast<QPrinter*>(device)) printer->abort();
            painter.end();
            return false;
        }
        if (i > first && !device->newPage()) {
            painter.end();
            return false;
        }
        m_pages.at(i - 1).paint(painter, device->logicalDpiX(), *m_texts);
    }
    return painter.end();
}

void ActiveReport::Unload() {
    m_unloaded = true;
    if (m_preview) {
        // Closed, not only hidden: the program ends when its last window closes.
        m_preview->close();
        m_preview->deleteLater();
    }
    if (m_ownedByPreview) deleteLater();
}

void ActiveReport::setZoom(int percent) {
    percent = qBound(10, percent, 800);
    if (percent == m_zoom) return;
    m_zoom = percent;
    emit zoomChanged(m_zoom);
}

void ActiveReport::setCurrentPage(int page) {
    page = qBound(1, page, qMax(1, int(m_pages.size())));
    if (page == m_currentPage) return;
    m_currentPage = page;
    emit currentPageChanged(m_currentPage);
}

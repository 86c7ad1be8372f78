#include "reports/ReportPreview.h"

#include "data/DialogSeam.h"
#include "reports/ActiveReport.h"
#include "reports/ReportPageView.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

ReportPreview::ReportPreview(ActiveReport* report) : QWidget(nullptr, Qt::Window), m_report(report) {
    setObjectName(QStringLiteral("ReportPreview"));
    setAttribute(Qt::WA_DeleteOnClose, false); // the report decides when the window goes
    setWindowTitle(report->Caption.isEmpty() ? QStringLiteral("ﾌﾟﾚﾋﾞｭｰ") : report->Caption);
    if (!report->Icon.isNull()) setWindowIcon(report->Icon);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("tlbPreview"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolbar->setIconSize(QSize(20, 20));
    m_toolbar->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(m_toolbar);

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("scrPage"));
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // The desk around the paper: the same grey as the page view paints beside the paper.
    QPalette desk = m_scroll->viewport()->palette();
    desk.setColor(QPalette::Window, ReportPageView::deskColor());
    m_scroll->viewport()->setPalette(desk);
    m_scroll->viewport()->setAutoFillBackground(true);
    m_scroll->setWidgetResizable(false);
    m_view = new ReportPageView;
    m_view->setObjectName(QStringLiteral("pagView"));
    // The two views a user expects of any document viewer, beside the report's own tools: on the
    // page's menu and as Ctrl+0 / Ctrl+2.
    m_view->setContextMenuPolicy(Qt::ActionsContextMenu);
    QAction* wholePage = new QAction(QStringLiteral("ページ全体 (Ctrl+0)"), m_view);
    wholePage->setObjectName(QStringLiteral("actFitPage"));
    connect(wholePage, &QAction::triggered, this, &ReportPreview::fitWholePage);
    QAction* pageWidth = new QAction(QStringLiteral("幅に合わせる (Ctrl+2)"), m_view);
    pageWidth->setObjectName(QStringLiteral("actFitWidth"));
    connect(pageWidth, &QAction::triggered, this, &ReportPreview::fitPageWidth);
    m_view->addActions({wholePage, pageWidth});
    m_scroll->setWidget(m_view);
    layout->addWidget(m_scroll, 1);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setContentsMargins(8, 3, 8, 3);
    layout->addWidget(m_status);

    rebuildToolbar();
    connect(report, &ActiveReport::currentPageChanged, this, &ReportPreview::showCurrentPage);
    connect(report, &ActiveReport::zoomChanged, this, &ReportPreview::zoomKeepingPoint);
    showCurrentPage();
}

ReportPreview::~ReportPreview() = default;

void ReportPreview::rebuildToolbar() {
    m_toolbar->clear();
    // Widgets of the old page and zoom boxes went with clear(); new ones are made below.
    m_pageBox = nullptr;
    m_pageTotal = nullptr;
    m_zoomLabel = nullptr;
    const auto& tools = m_report->Toolbar.tools();
    bool lastWasSeparator = true;
    for (int i = 0; i < tools.size(); ++i) {
        const auto& t = tools.at(i);
        if (!t.Visible) continue;
        using T = ReportToolbar::Tool::Type;
        switch (t.type) {
        case T::Separator:
            if (!lastWasSeparator) m_toolbar->addSeparator();
            lastWasSeparator = true;
            continue;
        case T::Button: {
            QAction* a = m_toolbar->addAction(t.Caption.isEmpty() ? t.Tooltip : t.Caption);
            a->setToolTip(t.Tooltip);
            a->setIcon(t.Icon.isNull() ? ReportToolbar::iconForId(t.ID) : t.Icon);
            a->setObjectName(QStringLiteral("tool%1").arg(i));
            a->setData(i);
            connect(a, &QAction::triggered, this, [this, i] { clickTool(i); });
            if (auto* b = m_toolbar->widgetForAction(a)) b->setFocusPolicy(Qt::NoFocus);
            break;
        }
        case T::PageBox: {
            auto* box = new QWidget(m_toolbar);
            auto* h = new QHBoxLayout(box);
            h->setContentsMargins(4, 0, 4, 0);
            h->setSpacing(4);
            m_pageBox = new QLineEdit(box);
            m_pageBox->setObjectName(QStringLiteral("txtPageNo"));
            m_pageBox->setAlignment(Qt::AlignRight);
            // Digits only; a number out of range is refused when Enter is pressed.
            m_pageBox->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,5}")), m_pageBox));
            m_pageBox->setFixedWidth(m_pageBox->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                                     12);
            m_pageBox->setToolTip(t.Tooltip);
            m_pageTotal = new QLabel(box);
            m_pageTotal->setObjectName(QStringLiteral("lblPageTotal"));
            h->addWidget(m_pageBox);
            h->addWidget(m_pageTotal);
            box->setToolTip(t.Tooltip);
            box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
            connect(m_pageBox, &QLineEdit::returnPressed, this, &ReportPreview::jumpToTypedPage);
            m_toolbar->addWidget(box);
            break;
        }
        case T::ZoomBox:
            m_zoomLabel = new QLabel(m_toolbar);
            m_zoomLabel->setObjectName(QStringLiteral("lblZoom"));
            m_zoomLabel->setAlignment(Qt::AlignCenter);
            m_zoomLabel->setMinimumWidth(
                m_zoomLabel->fontMetrics().horizontalAdvance(QStringLiteral("800%")) + 12);
            m_toolbar->addWidget(m_zoomLabel);
            break;
        }
        lastWasSeparator = false;
    }
    watchChildren();
    if (m_view) showCurrentPage();
}

void ReportPreview::watchChildren() {
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void ReportPreview::showPreview() {
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect(0, 0, 1280, 900);
    // Wide enough for every tool, so none hides behind the toolbar's overflow arrow.
    const int wanted = qMax(1100, m_toolbar->sizeHint().width());
    resize(qMin(wanted, screen.width() * 9 / 10), qMin(860, screen.height() * 9 / 10));
    if (m_report && m_report->PreviewCentered)
        move(screen.left() + (screen.width() - width()) / 2, screen.top() + (screen.height() - height()) / 2);
    if (!isVisible()) WindowPlacement::restore(this, WindowPlacement::keyOf(this));
    fitToolbar();
    show();
    QTimer::singleShot(200, this, [this] { WindowPlacement::fitFrame(this); });
    if (!m_fitted) {
        m_fitted = true;
        fitPageWidth();
    }
    activateWindow();
    setFocus();
}

void ReportPreview::fitPageWidth() {
    if (!m_report || !m_view->page()) return;
    if (layout()) layout()->activate(); // the viewport's size, before the first paint
    const QSize room = m_scroll->maximumViewportSize();
    const int scrollBar = m_scroll->verticalScrollBar()->sizeHint().width();
    // Steps of 10 keep F9 and Shift+F9 on their usual stops (20% ... 800%).
    int zoom = 800;
    for (; zoom > 20; zoom -= 10) {
        const QSize size = m_view->sizeAt(zoom);
        const int width = room.width() - (size.height() > room.height() ? scrollBar : 0);
        if (size.width() <= width) break;
    }
    m_report->setZoom(zoom);
    m_scroll->horizontalScrollBar()->setValue(0);
    m_scroll->verticalScrollBar()->setValue(0);
}

void ReportPreview::fitWholePage() {
    if (!m_report || !m_view->page()) return;
    if (layout()) layout()->activate();
    const QSize room = m_scroll->maximumViewportSize();
    int zoom = 800;
    for (; zoom > 20; zoom -= 10) {
        const QSize size = m_view->sizeAt(zoom);
        if (size.width() <= room.width() && size.height() <= room.height()) break;
    }
    m_report->setZoom(zoom);
}

void ReportPreview::stepZoom(int steps, std::optional<QPoint> anchor) {
    if (!m_report) return;
    // The same stops as the report's F9 keys.
    int zoom = m_report->Zoom();
    for (; steps < 0 && zoom > 20; ++steps)
        zoom -= 10;
    for (; steps > 0 && zoom < 800; --steps)
        zoom += 10;
    m_zoomAnchor = anchor;
    m_report->setZoom(zoom);
    m_zoomAnchor.reset();
}

void ReportPreview::zoomKeepingPoint() {
    QWidget* viewport = m_scroll->viewport();
    const QPoint anchor = m_zoomAnchor.value_or(viewport->rect().center());
    // The view still has the old zoom here: the spot of the page under the anchor.
    const QPointF spot = m_view->pageAt(m_view->mapFrom(viewport, anchor));
    showCurrentPage();
    const QPointF now = m_view->widgetPosOf(spot);
    m_scroll->horizontalScrollBar()->setValue(qRound(now.x() - anchor.x()));
    m_scroll->verticalScrollBar()->setValue(qRound(now.y() - anchor.y()));
}

void ReportPreview::showCurrentPage() {
    if (!m_report) return;
    const int count = m_report->PageCount();
    const int page = m_report->CurrentPage();
    m_view->setPage(count > 0 ? &m_report->Pages().at(page - 1) : nullptr, m_report->Zoom());
    if (m_pageBox) m_pageBox->setText(QString::number(page));
    if (m_pageTotal) m_pageTotal->setText(QStringLiteral("/ %1").arg(count));
    if (m_zoomLabel) m_zoomLabel->setText(QStringLiteral("%1%").arg(m_report->Zoom()));
    m_status->setText(QStringLiteral("ﾍﾟｰｼﾞ %1 / %2　　倍率 %3%").arg(page).arg(count).arg(m_report->Zoom()));
    if (!m_walkingHistory && (m_historyPos < 0 || m_history.value(m_historyPos) != page)) {
        m_history = m_history.mid(0, m_historyPos + 1);
        m_history.append(page);
        m_historyPos = m_history.size() - 1;
    }
}

void ReportPreview::jumpToTypedPage() {
    if (!m_report) return;
    bool ok = false;
    const int page = m_pageBox->text().trimmed().toInt(&ok);
    if (ok && page >= 1 && page <= m_report->PageCount()) m_report->setCurrentPage(page);
    showCurrentPage(); // a number out of range shows the current page again
}

void ReportPreview::clickTool(int position) {
    if (!m_report || position < 0 || position >= m_report->Toolbar.Count()) return;
    QPointer<ActiveReport> report = m_report;
    ReportToolbar::Tool& tool = report->Toolbar.Tools(position);
    const int id = tool.ID;
    report->ToolbarClick(tool);
    if (report && !report->isUnloaded()) runEngineTool(id);
}

void ReportPreview::runEngineTool(int id) {
    ActiveReport* r = m_report;
    switch (id) {
    case ReportToolbar::IdPrint:
        if (!r->PrintReport(true) && r->lastErrorNumber() != 0) {
            MessageRequest box;
            box.title = QStringLiteral("エラー");
            box.text = QString::number(r->lastErrorNumber()) + QStringLiteral(": ") + r->lastErrorText();
            box.icon = MsgIcon::Critical;
            dialogs().messageBox(box);
        }
        break;
    case ReportToolbar::IdCopy:
        if (m_view->page()) {
            const double dpi = m_view->dotsPerInch();
            const ReportPage* page = m_view->page();
            QImage image(qCeil(page->width() * dpi / 1440.0), qCeil(page->height() * dpi / 1440.0),
                         QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            page->paint(p, dpi, m_view->textCache());
            p.end();
            QApplication::clipboard()->setImage(image);
        }
        break;
    case ReportToolbar::IdZoomOut:
        stepZoom(-1);
        break;
    case ReportToolbar::IdZoomIn:
        stepZoom(1);
        break;
    case ReportToolbar::IdPreviousPage:
        if (r->CurrentPage() > 1) r->setCurrentPage(r->CurrentPage() - 1);
        break;
    case ReportToolbar::IdNextPage:
        if (r->CurrentPage() < r->PageCount()) r->setCurrentPage(r->CurrentPage() + 1);
        break;
    case ReportToolbar::IdBack:
    case ReportToolbar::IdForward: {
        const int pos = m_historyPos + (id == ReportToolbar::IdBack ? -1 : 1);
        if (pos >= 0 && pos < m_history.size()) {
            m_historyPos = pos;
            m_walkingHistory = true;
            r->setCurrentPage(m_history.at(pos));
            m_walkingHistory = false;
        }
        break;
    }
    default:
        break;
    }
}

int ReportPreview::keyCodeOf(const QKeyEvent* event) {
    const int k = event->key();
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) return k;
    switch (k) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    default:
        return 0;
    }
}

int ReportPreview::shiftOf(Qt::KeyboardModifiers modifiers) {
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= 1;
    if (modifiers & Qt::ControlModifier) shift |= 2;
    if (modifiers & Qt::AltModifier) shift |= 4;
    return shift;
}

bool ReportPreview::handleKey(QKeyEvent* event) {
    if (!m_report || m_report->isUnloaded()) return true;
    int code = keyCodeOf(event);
    const bool functionKey = event->key() >= Qt::Key_F1 && event->key() <= Qt::Key_F24;
    if (code == 0) return false;
    m_report->KeyDown(code, shiftOf(event->modifiers()));
    // Function keys belong to the preview; a key the report cleared is used up as well.
    return functionKey || code == 0;
}

bool ReportPreview::viewerKey(const QKeyEvent* event) {
    if (!m_report || m_report->isUnloaded()) return false;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const int count = m_report->PageCount();
    const int page = m_report->CurrentPage();
    if (mods == Qt::NoModifier || mods == Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_PageDown:
            if (page < count) m_report->setCurrentPage(page + 1);
            return true;
        case Qt::Key_PageUp:
            if (page > 1) m_report->setCurrentPage(page - 1);
            return true;
        case Qt::Key_Home:
            if (count > 0) m_report->setCurrentPage(1);
            return true;
        case Qt::Key_End:
            if (count > 0) m_report->setCurrentPage(count);
            return true;
        default:
            break;
        }
    }
    if (mods & Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_0:
            fitWholePage();
            return true;
        case Qt::Key_2:
            fitPageWidth();
            return true;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            stepZoom(1);
            return true;
        case Qt::Key_Minus:
            stepZoom(-1);
            return true;
        default:
            break;
        }
    }
    return false;
}

bool ReportPreview::eventFilter(QObject* watched, QEvent* event) {
    // Function keys go to the report whichever child has the focus. Other keys reach the child
    // first and come to keyPressEvent only when the child leaves them, so none is told twice.
    if (event->type() == QEvent::KeyPress && watched != this) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() >= Qt::Key_F1 && key->key() <= Qt::Key_F24) return handleKey(key);
        // Paging keys turn pages wherever the focus is, except in the page number box.
        if (watched != m_pageBox && viewerKey(key)) return true;
    }
    // Ctrl+wheel over the page zooms around the mouse; a plain wheel scrolls as usual.
    if (event->type() == QEvent::Wheel && (watched == m_view || watched == m_scroll->viewport())) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            m_wheelDelta += wheel->angleDelta().y();
            const int steps = m_wheelDelta / 120;
            m_wheelDelta -= steps * 120;
            if (steps != 0)
                stepZoom(steps, static_cast<QWidget*>(watched)->mapTo(m_scroll->viewport(),
                                                                      wheel->position().toPoint()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ReportPreview::keyPressEvent(QKeyEvent* event) {
    if (handleKey(event)) return;
    if (!viewerKey(event)) QWidget::keyPressEvent(event);
}

void ReportPreview::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitToolbar();
}

void ReportPreview::fitToolbar() {
    // Too narrow a window (a small screen, a large scale factor) shows the tools as pictures with
    // their names as tips, rather than hiding some behind the overflow arrow.
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    if (m_toolbar->sizeHint().width() > width()) m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
}

void ReportPreview::closeEvent(QCloseEvent* event) {
    WindowPlacement::remember(this, WindowPlacement::keyOf(this));
    event->accept();
    if (m_report && !m_report->isUnloaded()) m_report->Unload();
}

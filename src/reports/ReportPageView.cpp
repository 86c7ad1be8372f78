#include "reports/ReportPageView.h"

#include "reports/ReportPage.h"
#include "reports/ReportTextCache.h"

#include <QPaintEvent>
#include <QPainter>

ReportPageView::ReportPageView(QWidget* parent)
    : QWidget(parent), m_texts(std::make_unique<ReportTextCache>()) {
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
}

ReportPageView::~ReportPageView() = default;

void ReportPageView::setPage(const ReportPage* page, int zoomPercent) {
    m_page = page;
    m_zoom = zoomPercent;
    setFixedSize(sizeHint());
    update();
}

double ReportPageView::dotsPerInch() const {
    return logicalDpiX() * m_zoom / 100.0;
}

QSize ReportPageView::sizeHint() const {
    return sizeAt(m_zoom);
}

QSize ReportPageView::sizeAt(int zoomPercent) const {
    if (!m_page) return QSize(2 * kGap, 2 * kGap);
    const double s = logicalDpiX() * zoomPercent / 100.0 / 1440.0;
    return QSize(qCeil(m_page->width() * s) + 2 * kGap, qCeil(m_page->height() * s) + 2 * kGap);
}

QRect ReportPageView::paperRect() const {
    if (!m_page) return {};
    const double s = dotsPerInch() / 1440.0;
    return QRect(kGap, kGap, qCeil(m_page->width() * s), qCeil(m_page->height() * s));
}

QPointF ReportPageView::pageAt(const QPointF& widgetPos) const {
    return (widgetPos - QPointF(kGap, kGap)) * (1440.0 / dotsPerInch());
}

QPointF ReportPageView::widgetPosOf(const QPointF& twips) const {
    return twips * (dotsPerInch() / 1440.0) + QPointF(kGap, kGap);
}

void ReportPageView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.fillRect(event->rect(), deskColor());
    if (!m_page) return;
    const QRect paper = paperRect();
    p.fillRect(paper.translated(4, 4), QColor(0x40, 0x40, 0x40));
    p.fillRect(paper, Qt::white);
    p.translate(paper.topLeft());
    p.setClipRect(QRect(QPoint(0, 0), paper.size()));
    m_page->paint(p, dotsPerInch(), *m_texts);
}

#include "reports/ReportToolbar.h"

#include "reports/basActiveReport.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace {

ReportToolbar::Tool tool(ReportToolbar::Tool::Type type, const QString& caption, int id,
                         bool visible = true) {
    ReportToolbar::Tool t;
    t.type = type;
    t.Caption = caption;
    t.Tooltip = caption;
    t.ID = id;
    t.Visible = visible;
    return t;
}

} // namespace

ReportToolbar::ReportToolbar() {
    using T = Tool::Type;
    m_tools = {
        tool(T::Button, QStringLiteral("目次"), IdContents, false),
        tool(T::Separator, QString(), IdSeparator),
        tool(T::Button, QStringLiteral("印刷"), IdPrint),
        tool(T::Button, QStringLiteral("ｺﾋﾟｰ"), IdCopy),
        tool(T::Button, QStringLiteral("縮小"), IdZoomOut),
        tool(T::Button, QStringLiteral("拡大"), IdZoomIn),
        tool(T::Separator, QString(), IdSeparator),
        tool(T::ZoomBox, QString(), IdZoomBox),
        tool(T::Button, QStringLiteral("前のﾍﾟｰｼﾞ"), IdPreviousPage),
        tool(T::Button, QStringLiteral("次のﾍﾟｰｼﾞ"), IdNextPage),
        tool(T::PageBox, QString(), IdPageBox),
        tool(T::Separator, QString(), IdSeparator),
        tool(T::Button, QStringLiteral("戻る"), IdBack),
        tool(T::Button, QStringLiteral("進む"), IdForward),
    };
}

ReportToolbar::Tool& ReportToolbar::Insert(int position, const QString& caption) {
    Tool t;
    t.type = Tool::Type::Button;
    t.Caption = caption;
    t.ID = IdSeparator;
    position = qBound(0, position, int(m_tools.size()));
    m_tools.insert(position, t);
    return m_tools[position];
}

int ReportToolbar::indexOfId(int id) const {
    for (int i = 0; i < m_tools.size(); ++i)
        if (m_tools.at(i).Visible && m_tools.at(i).ID == id) return i;
    return -1;
}

namespace {

// Pictures are drawn on a 16 x 16 grid and rendered at each size a toolbar may ask for, so they
// stay sharp on large screens and the style can still grey them out for a disabled tool.
QIcon drawn(const std::function<void(QPainter&, double)>& draw) {
    QIcon icon;
    for (int size : {16, 20, 24, 32, 40, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        draw(p, size / 16.0);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QColor kInk(0x33, 0x33, 0x33);

QPen pen(const QColor& color, double width = 1.0) {
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet of paper with a folded corner.
void paper(QPainter& p, const QRectF& r) {
    QPainterPath path;
    const double fold = r.width() * 0.3;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(pen(kInk, 0.8));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.drawPolyline(QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                              QPointF(r.right(), r.top() + fold)}));
}

// Text lines on a sheet.
void lines(QPainter& p, double left, double right, double top, int count, double step = 2.0) {
    p.setPen(pen(QColor(0x90, 0x90, 0x90), 0.8));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(left, top + i * step), QPointF(right, top + i * step));
}

// A file type: a sheet with a coloured label across it, as file managers show them.
QIcon fileIcon(const QColor& color, const QString& label, bool grid) {
    return drawn([=](QPainter& p, double scale) {
        paper(p, QRectF(3.5, 0.5, 11, 15));
        if (grid) {
            p.setPen(pen(color.lighter(130), 0.6));
            for (double y : {2.5, 4.5, 6.5})
                p.drawLine(QPointF(5, y), QPointF(10.5, y));
            p.drawLine(QPointF(7.5, 1.5), QPointF(7.5, 7));
        } else {
            lines(p, 5, 10, 2.5, 3);
        }
        const QRectF band(0.5, 8, 14, 6.5);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawRoundedRect(band, 1.2, 1.2);
        // The label in device pixels: a font scaled with the painter would snap to whole sizes.
        p.save();
        p.resetTransform();
        QFont font;
        font.setBold(true);
        font.setPixelSize(qMax(5, qRound(5.4 * scale)));
        font.setStretch(QFont::SemiCondensed);
        p.setFont(font);
        p.setPen(Qt::white);
        const QRectF px(band.x() * scale, band.y() * scale, band.width() * scale, band.height() * scale);
        p.drawText(px, Qt::AlignCenter, label);
        p.restore();
    });
}

QIcon printerIcon() {
    return drawn([](QPainter& p, double) {
        p.setPen(pen(kInk, 0.8));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 1, 8, 5));
        p.setBrush(QColor(0x6b, 0x7b, 0x8c));
        p.drawRoundedRect(QRectF(1, 5, 14, 7), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 9.5, 8, 5.5));
        lines(p, 5.5, 10.5, 11.5, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x4c, 0xd0, 0x5a));
        p.drawEllipse(QRectF(12, 6.5, 1.6, 1.6));
    });
}

QIcon copyIcon() {
    return drawn([](QPainter& p, double) {
        paper(p, QRectF(1.5, 0.5, 8.5, 11));
        lines(p, 3, 6.5, 3.5, 3);
        paper(p, QRectF(6, 4.5, 8.5, 11));
        lines(p, 7.5, 11, 8, 3);
    });
}

QIcon magnifierIcon(bool in) {
    return drawn([in](QPainter& p, double) {
        p.setPen(pen(QColor(0x6b, 0x4a, 0x2b), 2.4));
        p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
        p.setPen(pen(kInk, 1.2));
        p.setBrush(QColor(0xd8, 0xec, 0xfa));
        p.drawEllipse(QPointF(6.5, 6.5), 5, 5);
        p.setPen(pen(QColor(0x1f, 0x5f, 0xaf), 1.6));
        p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
        if (in) p.drawLine(QPointF(6.5, 4), QPointF(6.5, 9));
    });
}

// An arrow pointing right, or left when mirrored.
QIcon arrowIcon(bool left, const QColor& color) {
    return drawn([=](QPainter& p, double) {
        if (left) {
            p.translate(16, 0);
            p.scale(-1, 1);
        }
        const QPolygonF arrow({QPointF(2, 6), QPointF(8, 6), QPointF(8, 2.5), QPointF(14.5, 8),
                               QPointF(8, 13.5), QPointF(8, 10), QPointF(2, 10)});
        p.setPen(pen(color.darker(140), 0.8));
        p.setBrush(color);
        p.drawPolygon(arrow);
    });
}

QIcon closeIcon() {
    return drawn([](QPainter& p, double) {
        p.setPen(pen(QColor(0x9c, 0x1c, 0x1c), 0.8));
        p.setBrush(QColor(0xd9, 0x3a, 0x3a));
        p.drawEllipse(QPointF(8, 8), 7, 7);
        p.setPen(pen(Qt::white, 2));
        p.drawLine(QPointF(5, 5), QPointF(11, 11));
        p.drawLine(QPointF(11, 5), QPointF(5, 11));
    });
}

QIcon contentsIcon() {
    return drawn([](QPainter& p, double) {
        paper(p, QRectF(2.5, 0.5, 11, 15));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1f, 0x5f, 0xaf));
        for (double y : {4.0, 7.5, 11.0})
            p.drawEllipse(QPointF(5, y), 0.9, 0.9);
        lines(p, 7, 11, 4, 3, 3.5);
    });
}

} // namespace

QIcon ReportToolbar::iconForId(int id) {
    const QColor blue(0x3b, 0x82, 0xd6);
    switch (id) {
    case ToolPdf:
        return fileIcon(QColor(0xc6, 0x28, 0x28), QStringLiteral("PDF"), false);
    case ToolXlsx:
        return fileIcon(QColor(0x1d, 0x6f, 0x42), QStringLiteral("XLS"), true);
    case ToolCsv:
        return fileIcon(QColor(0x1f, 0x5f, 0xaf), QStringLiteral("CSV"), false);
    case ToolClose:
        return closeIcon();
    case IdContents:
        return contentsIcon();
    case IdPrint:
        return printerIcon();
    case IdCopy:
        return copyIcon();
    case IdZoomOut:
        return magnifierIcon(false);
    case IdZoomIn:
        return magnifierIcon(true);
    case IdPreviousPage:
        return arrowIcon(true, blue);
    case IdNextPage:
        return arrowIcon(false, blue);
    case IdBack:
        return arrowIcon(true, QColor(0x4c, 0xa6, 0x4c));
    case IdForward:
        return arrowIcon(false, QColor(0x4c, 0xa6, 0x4c));
    default:
        return {};
    }
}

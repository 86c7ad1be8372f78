#include "reports/ReportPage.h"

#include <QFont>
#include <QPainter>
#include <QPen>

QFont ReportPage::fontFor(const QString& family, double pointSize, bool bold) {
    QFont f(family);
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(qMax(1, qRound(pointSize * 20.0))); // 20 twips per point
    f.setBold(bold);
    // Metrics must not follow the screen's hinting: the same layout goes to paper and PDF.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QStringList ReportPage::texts() const {
    QStringList out;
    for (const Op& op : m_ops)
        if (op.type == Op::Text) out << op.text;
    return out;
}

void ReportPage::paint(QPainter& painter, double dotsPerInch) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const double s = dotsPerInch / 1440.0;
    painter.scale(s, s);
    for (const Op& op : m_ops) {
        if (op.type == Op::Line) {
            QPen pen(op.color);
            pen.setWidthF(op.penWidth);
            pen.setCapStyle(Qt::FlatCap);
            painter.setPen(pen);
            painter.drawLine(op.line);
        } else if (!op.text.isEmpty()) {
            painter.setPen(op.color);
            painter.setFont(fontFor(op.family, op.pointSize, op.bold));
            int flags = op.alignment;
            if (op.wordWrap) flags |= Qt::TextWordWrap;
            painter.drawText(op.rect, flags, op.text);
        }
    }
    painter.restore();
}

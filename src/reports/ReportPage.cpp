#include "reports/ReportPage.h"

#include "reports/ReportTextCache.h"

#include <QFont>
#include <QGlyphRun>
#include <QPainter>
#include <QPen>
#include <QRawFont>
#include <vector>

QFont ReportPage::fontFor(const QString& family, double pointSize, bool bold) {
    return ReportTextCache::fontFor(family, pointSize, bold);
}

QStringList ReportPage::texts() const {
    QStringList out;
    for (const Op& op : m_ops)
        if (op.type == Op::Text) out << op.text;
    return out;
}

namespace {

// Where a one-line text of that size starts in its box, as a text box aligns it.
QPointF alignedOrigin(const QRect& box, int alignment, qreal width, qreal height) {
    qreal x = box.x(), y = box.y();
    if (alignment & Qt::AlignRight)
        x += box.width() - width;
    else if (alignment & Qt::AlignHCenter)
        x += (box.width() - width) / 2;
    if (alignment & Qt::AlignBottom)
        y += box.height() - height;
    else if (alignment & Qt::AlignVCenter)
        y += (box.height() - height) / 2;
    return {x, y};
}

// The glyphs of one font and colour on a page, drawn in one go: a PDF page then carries one text
// object for them instead of one (with its own state and matrix) per text.
struct GlyphBatch {
    QRawFont font;
    QColor color;
    QList<quint32> glyphs;
    QList<QPointF> positions;
};

GlyphBatch& batchFor(std::vector<GlyphBatch>& batches, const QRawFont& font, const QColor& color) {
    for (GlyphBatch& b : batches)
        if (b.color == color && b.font == font) return b;
    batches.push_back({font, color, {}, {}});
    return batches.back();
}

void addRun(std::vector<GlyphBatch>& batches, const QGlyphRun& run, const QPointF& origin,
            const QColor& color) {
    GlyphBatch* batch = &batchFor(batches, run.rawFont(), color);
    batch->glyphs += run.glyphIndexes();
    for (const QPointF& p : run.positions())
        batch->positions.append(p + origin);
}

} // namespace

void ReportPage::paint(QPainter& painter, double dotsPerInch, ReportTextCache& texts) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const double s = dotsPerInch / 1440.0;
    painter.scale(s, s);
    // State is set only when it changes: each change is written into a PDF page.
    QPen pen(Qt::black);
    pen.setWidthF(15);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    int fontSet = -1;
    std::vector<GlyphBatch> batches;
    for (const Op& op : m_ops) {
        if (op.type == Op::Line) {
            if (pen.color() != op.color || pen.widthF() != op.penWidth) {
                pen.setColor(op.color);
                pen.setWidthF(op.penWidth);
                painter.setPen(pen);
            }
            painter.drawLine(op.line);
            continue;
        }
        if (op.text.isEmpty()) continue;
        const int font = texts.fontId(op.family, op.pointSize, op.bold);
        qreal width = 0;
        if (!op.wordWrap && texts.plainWidth(font, op.text, &width)) {
            const qreal height = texts.lineHeight(font);
            if (width <= op.rect.width() && height <= op.rect.height()) {
                GlyphBatch& batch = batchFor(batches, texts.rawFont(font), op.color);
                texts.appendGlyphs(font, op.text, alignedOrigin(op.rect, op.alignment, width, height),
                                   &batch.glyphs, &batch.positions);
                continue;
            }
        } else if (!op.wordWrap) {
            const ReportTextCache::Shaped& shaped = texts.shaped(font, op.text);
            // A text wider or taller than its box is clipped to it: the text box draws that one.
            if (shaped.width <= op.rect.width() && shaped.height <= op.rect.height()) {
                const QPointF origin = alignedOrigin(op.rect, op.alignment, shaped.width, shaped.height);
                for (const QGlyphRun& run : shaped.runs)
                    addRun(batches, run, origin, op.color);
                continue;
            }
        }
        if (pen.color() != op.color) {
            pen.setColor(op.color);
            painter.setPen(pen);
        }
        if (fontSet != font) {
            painter.setFont(texts.font(font));
            fontSet = font;
        }
        int flags = op.alignment;
        if (op.wordWrap) flags |= Qt::TextWordWrap;
        painter.drawText(op.rect, flags, op.text);
    }
    for (const GlyphBatch& b : batches) {
        QGlyphRun run;
        run.setRawFont(b.font);
        run.setGlyphIndexes(b.glyphs);
        run.setPositions(b.positions);
        pen.setColor(b.color);
        painter.setPen(pen);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
    painter.restore();
}

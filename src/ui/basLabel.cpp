#include "ui/basLabel.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextDocument>
#include <QToolTip>

namespace {

// Text that QLabel paints by itself in one line, without a text document.
bool isPlainLine(const QLabel* l) {
    const QString text = l->text();
    if (text.isEmpty() || text.contains(QLatin1Char('\n')) || l->wordWrap() || l->buddy()) return false;
    if (l->textInteractionFlags() &
        (Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard | Qt::TextEditable))
        return false;
    switch (l->textFormat()) {
    case Qt::PlainText:
        return true;
    case Qt::AutoText:
        return !Qt::mightBeRichText(text);
    default:
        return false;
    }
}

Qt::LayoutDirection textDirection(const QLabel* l) {
    return l->text().isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
}

// Where QLabel puts its text: inside the frame and margin, and a half "x" in from a frame.
QRect textRect(const QLabel* l) {
    QRect r = l->contentsRect();
    const int margin = l->margin();
    r.adjust(margin, margin, -margin, -margin);
    int indent = l->indent();
    if (indent < 0 && l->frameWidth())
        indent = l->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin;
    if (indent > 0) {
        const Qt::Alignment align = QStyle::visualAlignment(textDirection(l), l->alignment());
        if (align & Qt::AlignLeft) r.setLeft(r.left() + indent);
        if (align & Qt::AlignRight) r.setRight(r.right() - indent);
        if (align & Qt::AlignTop) r.setTop(r.top() + indent);
        if (align & Qt::AlignBottom) r.setBottom(r.bottom() - indent);
    }
    return r;
}

QString elided(const QLabel* l) {
    if (!isPlainLine(l)) return l->text();
    return l->fontMetrics().elidedText(l->text(), Qt::ElideRight, textRect(l).width());
}

// QFrame::drawFrame, which a label outside cannot call.
void drawFrame(QLabel* l, QPainter* p) {
    QStyleOptionFrame opt;
    opt.initFrom(l);
    opt.rect = l->frameRect();
    const int shape = l->frameStyle() & QFrame::Shape_Mask;
    const int shadow = l->frameStyle() & QFrame::Shadow_Mask;
    opt.frameShape = QFrame::Shape(int(opt.frameShape) | shape);
    switch (shape) {
    case QFrame::Box:
    case QFrame::HLine:
    case QFrame::VLine:
    case QFrame::StyledPanel:
    case QFrame::Panel:
        opt.lineWidth = l->lineWidth();
        opt.midLineWidth = l->midLineWidth();
        break;
    default:
        opt.lineWidth = l->frameWidth();
        break;
    }
    if (shadow == QFrame::Sunken)
        opt.state |= QStyle::State_Sunken;
    else if (shadow == QFrame::Raised)
        opt.state |= QStyle::State_Raised;
    l->style()->drawControl(QStyle::CE_ShapedFrame, &opt, p, l);
}

// QLabel's own painting of a plain text, with the shortened text.
void paintElided(QLabel* l, const QString& text) {
    QPainter painter(l);
    drawFrame(l, &painter);
    QStyleOption opt;
    opt.initFrom(l);
    const Qt::LayoutDirection direction = textDirection(l);
    const int flags = int(QStyle::visualAlignment(direction, l->alignment())) |
                      (direction == Qt::LeftToRight ? Qt::TextForceLeftToRight : Qt::TextForceRightToLeft);
    l->style()->drawItemText(&painter, textRect(l), flags, opt.palette, l->isEnabled(), text,
                             l->foregroundRole());
}

class LabelElider : public QObject {
public:
    explicit LabelElider(QLabel* label) : QObject(label) { setObjectName(QStringLiteral("labelElider")); }
    bool eventFilter(QObject* obj, QEvent* e) override {
        return obj == parent() && fnElidedLabelEvent(static_cast<QLabel*>(obj), e);
    }
};

} // namespace

QString fnShownLabelText(const QLabel* label) {
    return label ? elided(label) : QString();
}

void fnElideLabel(QLabel* label) {
    if (!label || label->findChild<QObject*>(QStringLiteral("labelElider"), Qt::FindDirectChildrenOnly))
        return;
    label->installEventFilter(new LabelElider(label));
    label->update();
}

bool fnElidedLabelEvent(QLabel* label, QEvent* e) {
    if (!label) return false;
    switch (e->type()) {
    case QEvent::Paint: {
        const QString shown = elided(label);
        if (shown == label->text()) return false;
        paintElided(label, shown);
        return true;
    }
    case QEvent::ToolTip: {
        // A tool tip of the label's own wins.
        if (!label->toolTip().isEmpty() || elided(label) == label->text()) return false;
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), label->text(), label);
        return true;
    }
    default:
        return false;
    }
}

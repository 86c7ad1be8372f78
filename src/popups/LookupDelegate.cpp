#include "popups/LookupDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace {
// Enough for every cell of several screenfuls; past it the texts are laid out afresh.
constexpr qsizetype kMaxTexts = 8192;
} // namespace

const QStaticText& LookupDelegate::laidOut(const QString& text, const QFont& font, int width) const {
    Key key{text, font, width};
    auto it = m_texts.constFind(key);
    if (it != m_texts.cend()) return *it;
    if (m_texts.size() >= kMaxTexts) m_texts.clear();
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    laid.setPerformanceHint(QStaticText::AggressiveCaching);
    laid.prepare(QTransform(), font);
    if (laid.size().width() > width) {
        laid.setText(QFontMetrics(font).elidedText(text, Qt::ElideRight, width));
        laid.prepare(QTransform(), font);
    }
    return *m_texts.insert(std::move(key), std::move(laid));
}

void LookupDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QString text = opt.text;
    // The style draws the cell without its text: panel, selection, focus.
    opt.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if (text.isEmpty()) return;

    // The text where and in the colour the style puts it.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect area =
        style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).adjusted(margin, 0, -margin, 0);
    if (area.width() <= 0) return;
    const QStaticText& laid = laidOut(text, opt.font, area.width());
    const QSizeF size = laid.size();
    const Qt::Alignment align = QStyle::visualAlignment(opt.direction, opt.displayAlignment);
    qreal x = area.left();
    if (align & Qt::AlignRight)
        x = area.right() + 1 - size.width();
    else if (align & Qt::AlignHCenter)
        x = area.left() + (area.width() - size.width()) / 2;
    // Centred in whole pixels, as the style places a line.
    const int y = area.top() + (area.height() - int(size.height())) / 2;

    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (opt.state & QStyle::State_Active) ? QPalette::Normal
                                                                            : QPalette::Inactive;
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                                : QPalette::Text));
    painter->setClipRect(area, Qt::IntersectClip);
    painter->drawStaticText(QPointF(x, y), laid);
    painter->restore();
}

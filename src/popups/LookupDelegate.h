#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

// Paints a lookup list's cells as the style does (panel, selection, focus), but keeps each cell
// text laid out once: a list is painted several times after a search (busy, message, enabled
// again), and laying out Japanese text again on every paint costs more than the search itself.
class LookupDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    struct Key {
        QString text;
        QFont font;
        int width;
        bool operator==(const Key& o) const { return width == o.width && text == o.text && font == o.font; }
    };
    friend size_t qHash(const Key& k, size_t seed) { return qHashMulti(seed, k.text, k.font, k.width); }

    // The text as shown in that width (elided when it does not fit), laid out.
    const QStaticText& laidOut(const QString& text, const QFont& font, int width) const;

    mutable QHash<Key, QStaticText> m_texts;
};

#pragma once

#include <QColor>
#include <QFont>
#include <QLine>
#include <QList>
#include <QRect>
#include <QString>

class QPainter;
class ReportTextCache;

// One laid-out page: the paint operations recorded in twips from the paper's corner. Preview,
// printer and PDF writer all replay the same list, so they show the same page.
class ReportPage {
public:
    struct Op {
        enum Type { Text, Line };
        Type type = Text;
        QRect rect; // text box
        QLine line;
        QString text;
        QString family;
        double pointSize = 10.0;
        bool bold = false;
        int alignment = 0; // Qt::Alignment flags
        bool wordWrap = false;
        QColor color = Qt::black;
        int penWidth = 15; // twips
    };

    ReportPage() = default;
    ReportPage(int widthTwips, int heightTwips) : m_width(widthTwips), m_height(heightTwips) {}

    int width() const { return m_width; }
    int height() const { return m_height; }
    const QList<Op>& ops() const { return m_ops; }
    QList<Op>& ops() { return m_ops; }
    void append(const Op& op) { m_ops.append(op); }

    // All texts of the page in drawing order (for searching and tests).
    QStringList texts() const;

    // Paints the page with the painter's origin at the paper's corner; dotsPerInch is the
    // resolution of the painter's coordinates. Texts are shaped through the cache, which a painter
    // of many pages keeps from page to page.
    void paint(QPainter& painter, double dotsPerInch, ReportTextCache& texts) const;

    // The font of a text operation, sized in twips (painted under a twips-to-device scale).
    static QFont fontFor(const QString& family, double pointSize, bool bold);

private:
    int m_width = 0;
    int m_height = 0;
    QList<Op> m_ops;
};

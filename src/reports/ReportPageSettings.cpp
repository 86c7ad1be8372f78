#include "reports/ReportPageSettings.h"

#include <QMarginsF>

QSizeF ReportPageSettings::portraitSize() const {
    // Only A4 is used; other codes fall back to it.
    const QSizeF mm = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    return QSizeF(mm.width() / 25.4 * 1440.0, mm.height() / 25.4 * 1440.0);
}

int ReportPageSettings::paperWidth() const {
    const QSizeF s = portraitSize();
    return qRound(Orientation == ddOLandscape ? s.height() : s.width());
}

int ReportPageSettings::paperHeight() const {
    const QSizeF s = portraitSize();
    return qRound(Orientation == ddOLandscape ? s.width() : s.height());
}

QPageLayout ReportPageSettings::pageLayout() const {
    return QPageLayout(QPageSize(QPageSize::A4),
                       Orientation == ddOLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

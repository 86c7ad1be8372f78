#include "reports/ReportControl.h"

ReportControl& ReportControl::setFont(const QString& family, double points, bool bold) {
    if (!family.isEmpty()) FontName = family;
    FontSize = points;
    FontBold = bold;
    return *this;
}

ReportControl& ReportControl::setAlignment(Qt::Alignment alignment) {
    Alignment = alignment;
    return *this;
}

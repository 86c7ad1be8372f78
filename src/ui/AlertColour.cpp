#include "ui/AlertColour.h"

#include <QEvent>
#include <QLabel>
#include <cmath>

namespace {

double luminance(const QColor& c) {
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

} // namespace

double AlertColour::contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor AlertColour::forBackground(const QColor& background) {
    static const QColor reds[] = {QColor(0xa0, 0x00, 0x00), QColor(0xc0, 0x00, 0x00),
                                  QColor(0xff, 0x6b, 0x6b), QColor(0xff, 0x99, 0x99),
                                  QColor(0xff, 0xcc, 0xcc)};
    const bool dark = luminance(background) < 0.18;
    // On a light ground the darkest red that reads; on a dark one the most saturated that does.
    if (!dark) {
        for (const QColor& c : reds)
            if (contrast(c, background) >= 4.5) return c;
    } else {
        for (int i = 2; i < 5; ++i)
            if (contrast(reds[i], background) >= 4.5) return reds[i];
    }
    return dark ? QColor(Qt::white) : QColor(Qt::black);
}

void AlertColour::apply(QLabel* label) {
    auto* watcher = new AlertColour(label);
    label->installEventFilter(watcher);
    recolour(label);
}

void AlertColour::recolour(QLabel* label) {
    QPalette p = label->palette();
    const QColor red = forBackground(p.color(QPalette::Window));
    if (p.color(QPalette::WindowText) == red) return;
    p.setColor(QPalette::WindowText, red);
    label->setPalette(p);
}

bool AlertColour::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        recolour(static_cast<QLabel*>(watched));
    return false;
}

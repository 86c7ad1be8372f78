#pragma once

#include <QColor>
#include <QObject>

class QLabel;

// The red of a warning text (a discontinued product, a busy or failed list) taken against the
// label's own background, so it stays readable in a dark theme: the first of a row of reds, dark to
// light, that has a contrast of at least 4.5:1 there. Follows theme changes while the label lives.
class AlertColour : public QObject {
    Q_OBJECT
public:
    // Colours label's text so from now on.
    static void apply(QLabel* label);

    // The red for a background colour, and the contrast ratio of two colours (1 to 21).
    static QColor forBackground(const QColor& background);
    static double contrast(const QColor& a, const QColor& b);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
    static void recolour(QLabel* label);
};

#include "DataRows.h"
#include "ui/AlertColour.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

// Warning texts stay readable (contrast 4.5:1 or more) on light, mid and dark themes, and follow
// a theme change.
class TestAlertColour : public QObject, DataRows {
    Q_OBJECT

private slots:
    void readableOn_data() {
        cols<QColor>("background");
        row("white", QColor(Qt::white)), row("light grey (Fusion)", QColor(0xef, 0xef, 0xef));
        row("mid grey", QColor(0x80, 0x80, 0x80)), row("dark (Breeze dark)", QColor(0x31, 0x36, 0x3b));
        row("black", QColor(Qt::black));
    }
    void readableOn() {
        const QColor background = fetch<QColor>("background");
        const QColor red = AlertColour::forBackground(background);
        QVERIFY2(AlertColour::contrast(red, background) >= 4.5, qPrintable(red.name()));
        // Still a warning colour, not plain text, where a red can be read.
        if (background.lightness() > 200 || background.lightness() < 60) QVERIFY(red.red() > red.green());
    }
    void followsThemeChange() {
        QLabel label(QStringLiteral("この商品は中止商品です"));
        AlertColour::apply(&label);
        QPalette dark = label.palette();
        dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        label.setPalette(dark);
        QVERIFY(AlertColour::contrast(label.palette().color(QPalette::WindowText),
                                      QColor(0x20, 0x20, 0x20)) >= 4.5);
    }
};

QTEST_MAIN(TestAlertColour)
#include "tst_alertcolour.moc"

#include "DataRows.h"
#include "ui/AlertColour.h"
#include "ui/basToolbar.h"

#include <QAction>
#include <QLabel>
#include <QToolBar>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QString enabledKeys(const QToolBar* tb) {
    QStringList keys;
    for (int n = 1; n <= 12; ++n)
        if (QAction* a = fnToolbarButton(tb, n); a && a->isEnabled()) keys << u"F%1"_s.arg(n);
    return keys.join(u' ');
}

} // namespace

// The function-key toolbar, and warning texts readable (contrast 4.5:1 or more) on light, mid and dark
// themes, following a theme change.
class TestToolbar : public QObject, DataRows {
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
    // A usable button is in colour and an unusable one grey and faint, so a user tells them apart
    // at a glance; no usable button looks unusable (as a grey "F12 終了" did).
    void usableLooksUsable() {
        // The button's ground, left of its key name and sign.
        const auto saturation = [](const QPixmap& pm) {
            return pm.toImage().pixelColor(3, 16).hsvSaturationF();
        };
        for (int n = 1; n <= 12; ++n) {
            const QIcon icon = fnToolbarPicture(n);
            const double usable = saturation(icon.pixmap(32, QIcon::Normal));
            const double unusable = saturation(icon.pixmap(32, QIcon::Disabled));
            QVERIFY2(usable > 0.35, qPrintable(u"F%1 %2"_s.arg(n).arg(usable)));
            QVERIFY2(unusable < 0.05, qPrintable(u"F%1 %2"_s.arg(n).arg(unusable)));
        }
    }

    void createAndSetToolbar() {
        QWidget w;
        QToolBar* tb = fnCreateFunctionToolbar(&w);
        QCOMPARE(tb->objectName(), u"tlbFunction"_s);
        QStringList names; // the keys in three groups
        for (QAction* a : tb->actions())
            names << (a->isSeparator() ? u"|"_s : a->objectName());
        QCOMPARE(names.join(u' '), u"F1 F2 F3 F4 | F5 F6 F7 F8 | F9 F10 F11 F12 |"_s);
        QVERIFY(!fnToolbarButton(tb, 13) && !fnToolbarButton(nullptr, 1));
        QList<QIcon> images;
        fnSetToolbar(tb, images, u"1111-1101-0001"_s);
        QCOMPARE(images.size(), 12);
        QCOMPARE(enabledKeys(tb), u"F1 F2 F3 F4 F5 F6 F8 F12"_s);
        QCOMPARE(fnToolbarButton(tb, 5)->toolTip() + u'/' + fnToolbarButton(tb, 12)->toolTip(),
                 u"F5 保存/F12 終了"_s);
        QVERIFY(!fnToolbarButton(tb, 5)->icon().isNull());
        QVERIFY(fnToolbarButton(tb, 7)->icon().isNull()); // a button left out gets no picture
    }
    void enableToolbar_data() {
        cols<QString, QString, QString>("before", "pattern", "enabled");
        const char* all = "1111-1111-1111";
        row("screen start, code fields", all, "1111-1101-0001", "F1 F2 F3 F4 F5 F6 F8 F12");
        row("date and quantity fields", all, "1001-1101-0001", "F1 F4 F5 F6 F8 F12");
        row("buttons and picker", all, "1000-1101-0001", "F1 F5 F6 F8 F12");
        row("goods lookup, category field", all, "1111-0100-0001", "F1 F2 F3 F4 F6 F12");
        row("code list", all, "1000-0000-0001", "F1 F12"), row("none", all, "0000-0000-0000", ""),
            row("without dashes", all, "010101010101", "F2 F4 F6 F8 F10 F12");
        row("short pattern leaves the rest", "0000-0000-0001", "11", "F1 F2 F12");
        row("longer than the buttons", "0000-0000-0000", "1111-1111-1111-1111",
            "F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 F11 F12");
    }
    void enableToolbar() {
        QWidget w;
        QToolBar* tb = fnCreateFunctionToolbar(&w);
        fnEnableToolbar(tb, fetch<QString>("before"));
        fnEnableToolbar(tb, fetch<QString>("pattern"));
        QTEST(enabledKeys(tb), "enabled");
    }
    // Free controls move down under the toolbar and the form widens to all its buttons; with fewer
    // buttons, none or no toolbar a wide form keeps its width.
    void fitToolbar() {
        QWidget form, wide;
        form.resize(100, 200);
        QToolBar* tb = fnCreateFunctionToolbar(&form);
        QList<QIcon> images;
        fnSetToolbar(tb, images, u"1111-1111-1111"_s);
        auto* label = new QLabel(u"x"_s, &form);
        label->move(10, 20);
        fnFitToolbar(&form, tb);
        const int h = tb->sizeHint().height();
        QVERIFY(h > 0 && form.width() > 100);
        QCOMPARE(label->pos(), QPoint(10, 20 + h));
        QCOMPARE(form.height(), 200 + h);
        QCOMPARE(tb->pos(), QPoint(0, 0));
        wide.resize(1000, 100);
        auto* few = new QToolBar(&wide);
        few->addAction(u"F1"_s)->setObjectName(u"F1"_s);
        QToolBar empty;
        for (QToolBar* t : {few, &empty, static_cast<QToolBar*>(nullptr)}) {
            fnFitToolbar(&wide, t);
            QCOMPARE(wide.width(), 1000);
        }
    }
};

QTEST_MAIN(TestToolbar)
#include "tst_toolbar.moc"

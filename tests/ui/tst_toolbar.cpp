#include "ui/basToolbar.h"

#include <QAction>
#include <QLabel>
#include <QToolBar>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

class TestToolbar : public QObject {
    Q_OBJECT

private slots:
    void createsTwelveKeyedButtons();
    void setToolbar();
    void enableToolbar_data();
    void enableToolbar();
    void enableToolbarLeavesButtonsPastThePattern();
    void tips_data();
    void tips();
    void fitToolbarMovesFreeControlsAndWidens();
    void fitToolbarWithFewerButtons();
};

namespace {

QString enabledKeys(const QToolBar* tb) {
    QStringList keys;
    for (int n = 1; n <= 12; ++n)
        if (QAction* a = fnToolbarButton(tb, n); a && a->isEnabled()) keys << u"F%1"_s.arg(n);
    return keys.join(u' ');
}

} // namespace

void TestToolbar::createsTwelveKeyedButtons() {
    QWidget w;
    QToolBar* tb = fnCreateFunctionToolbar(&w);
    QCOMPARE(tb->objectName(), u"tlbFunction"_s);
    const QList<QAction*> actions = tb->actions();
    QCOMPARE(actions.size(), 15);
    int separators = 0;
    for (QAction* a : actions)
        if (a->isSeparator()) ++separators;
    QCOMPARE(separators, 3);
    for (int n = 1; n <= 12; ++n) {
        QAction* a = fnToolbarButton(tb, n);
        QVERIFY(a);
        QCOMPARE(a->objectName(), u"F%1"_s.arg(n));
    }
    QVERIFY(!fnToolbarButton(tb, 13));
    QVERIFY(!fnToolbarButton(nullptr, 1));
}

void TestToolbar::setToolbar() {
    QWidget w;
    QToolBar* tb = fnCreateFunctionToolbar(&w);
    QList<QIcon> images;
    fnSetToolbar(tb, images, u"1111-1101-0001"_s);
    QCOMPARE(images.size(), 12);
    QCOMPARE(enabledKeys(tb), u"F1 F2 F3 F4 F5 F6 F8 F12"_s);
    QCOMPARE(fnToolbarButton(tb, 5)->toolTip(), u"F5 保存"_s);
    QCOMPARE(fnToolbarButton(tb, 12)->toolTip(), u"F12 終了"_s);
    QVERIFY(!fnToolbarButton(tb, 5)->icon().isNull());
    // A button left out gets no picture.
    QVERIFY(fnToolbarButton(tb, 7)->icon().isNull());
}

void TestToolbar::enableToolbar_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("enabled");

    QTest::newRow("screen start, code fields") << u"1111-1101-0001"_s << u"F1 F2 F3 F4 F5 F6 F8 F12"_s;
    QTest::newRow("date and quantity fields") << u"1001-1101-0001"_s << u"F1 F4 F5 F6 F8 F12"_s;
    QTest::newRow("buttons and picker") << u"1000-1101-0001"_s << u"F1 F5 F6 F8 F12"_s;
    QTest::newRow("goods lookup, category field") << u"1111-0100-0001"_s << u"F1 F2 F3 F4 F6 F12"_s;
    QTest::newRow("code list") << u"1000-0000-0001"_s << u"F1 F12"_s;
    QTest::newRow("without dashes") << u"010101010101"_s << u"F2 F4 F6 F8 F10 F12"_s;
    QTest::newRow("none") << u"0000-0000-0000"_s << QString();
}

void TestToolbar::enableToolbar() {
    QFETCH(QString, pattern);
    QFETCH(QString, enabled);
    QWidget w;
    QToolBar* tb = fnCreateFunctionToolbar(&w);
    QList<QIcon> images;
    fnSetToolbar(tb, images, u"1111-1111-1111"_s);
    fnEnableToolbar(tb, pattern);
    QCOMPARE(enabledKeys(tb), enabled);
}

void TestToolbar::enableToolbarLeavesButtonsPastThePattern() {
    QWidget w;
    QToolBar* tb = fnCreateFunctionToolbar(&w);
    fnEnableToolbar(tb, u"0000-0000-0001"_s);
    fnEnableToolbar(tb, u"11"_s);
    QCOMPARE(enabledKeys(tb), u"F1 F2 F12"_s);
    // Longer than the buttons: no failure.
    fnEnableToolbar(tb, u"1111-1111-1111-1111"_s);
    QCOMPARE(enabledKeys(tb), u"F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 F11 F12"_s);
}

void TestToolbar::tips_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("tip");

    QTest::newRow("1") << 1 << u"F1 ヘルプを表示"_s;
    QTest::newRow("2") << 2 << u"F2 次のデータを検索"_s;
    QTest::newRow("3") << 3 << u"F3 前のデータを検索"_s;
    QTest::newRow("4") << 4 << u"F4 一覧表を表示"_s;
    QTest::newRow("6") << 6 << u"F6 ｷｬﾝｾﾙ"_s;
    QTest::newRow("7") << 7 << u"F7"_s;
    QTest::newRow("8") << 8 << u"F8 削除"_s;
    QTest::newRow("9") << 9 << u"F9 マスター画面を呼出"_s;
    QTest::newRow("10") << 10 << u"F10 印刷"_s;
    QTest::newRow("11") << 11 << u"F11"_s;
}

void TestToolbar::tips() {
    QFETCH(int, n);
    QFETCH(QString, tip);
    QCOMPARE(fnToolbarTip(n), tip);
}

void TestToolbar::fitToolbarMovesFreeControlsAndWidens() {
    QWidget form;
    form.resize(100, 200);
    QToolBar* tb = fnCreateFunctionToolbar(&form);
    QList<QIcon> images;
    fnSetToolbar(tb, images, u"1111-1111-1111"_s);
    auto* label = new QLabel(u"x"_s, &form);
    label->move(10, 20);
    fnFitToolbar(&form, tb);
    const int h = tb->sizeHint().height();
    QVERIFY(h > 0);
    QCOMPARE(label->pos(), QPoint(10, 20 + h));
    QCOMPARE(form.height(), 200 + h);
    QVERIFY(form.width() > 100);
    QCOMPARE(tb->pos(), QPoint(0, 0));
}

void TestToolbar::fitToolbarWithFewerButtons() {
    QWidget form;
    form.resize(1000, 100);
    auto* tb = new QToolBar(&form);
    tb->addAction(u"F1"_s)->setObjectName(u"F1"_s);
    fnFitToolbar(&form, tb);
    QCOMPARE(form.width(), 1000);
    QToolBar empty;
    fnFitToolbar(&form, &empty);
    fnFitToolbar(&form, nullptr);
    QCOMPARE(form.width(), 1000);
}

QTEST_MAIN(TestToolbar)
#include "tst_toolbar.moc"

#include "PopupDriver.h"
#include "popups/clsPopup.h"
#include "popups/frmPopup.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include <QAction>
#include <QHeaderView>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kNoData = u"該当データがありません"_s;
const QString kMaxLine = u"最大表示行数を超えました"_s;

bool loaded(frmPopup* dlg) {
    return dlg->isListLoaded() && dlg->isEnabled();
}

QStringList column(const QTreeWidget* list, int col) {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(col);
    return out;
}

QStringList messageTexts(const ScriptedDialogs& dialogs) {
    QStringList out;
    for (const MessageRequest& m : dialogs.messages)
        out << m.text;
    return out;
}

void categories(const TempProgramDir& dir) {
    dir.addCategory(1, u"食品"_s);
    dir.addCategory(3, u"雑貨"_s);
    dir.addCategory(7, u"衣料"_s);
}

} // namespace

class TestPopup : public QObject {
    Q_OBJECT

private slots:
    void listStartsAtTheCallersCode_data();
    void listStartsAtTheCallersCode();
    void enterChoosesTheSelectedRow_data();
    void enterChoosesTheSelectedRow();
    void doubleClickChooses();
    void noDataClosesWithTheFieldUnchanged();
    void closingWithoutChoice_data();
    void closingWithoutChoice();
    void rowLimit_data();
    void rowLimit();
    void headerSortsAsText();
    void escapeKeepsTheDialogOpen();
    void shippingListHasAnOrderColumn();
    void listDefinitions_data();
    void listDefinitions();
    void f1OpensTheCategoryListHelp();
};

void TestPopup::listStartsAtTheCallersCode_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("at 3") << u"3"_s << QStringList{u"     3"_s, u"     7"_s}
                          << QStringList{u"雑貨"_s, u"衣料"_s};
    QTest::newRow("at 0: all") << u"0"_s << QStringList{u"     1"_s, u"     3"_s, u"     7"_s}
                               << QStringList{u"食品"_s, u"雑貨"_s, u"衣料"_s};
    QTest::newRow("blank: all") << u"  "_s << QStringList{u"     1"_s, u"     3"_s, u"     7"_s}
                                << QStringList{u"食品"_s, u"雑貨"_s, u"衣料"_s};
    QTest::newRow("between codes") << u"4"_s << QStringList{u"     7"_s} << QStringList{u"衣料"_s};
}

void TestPopup::listStartsAtTheCallersCode() {
    QFETCH(QString, start);
    QFETCH(QStringList, codes);
    QFETCH(QStringList, names);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);
    dir.exec(u"insert into bunrui (kubun, code, name, jun) values (5, 2, '他の一覧', 0)"_s);

    QStringList shownCodes, shownNames;
    QString title;
    bool listFocused = false;
    ModalDriver<frmPopup> driver(loaded, [&](frmPopup* dlg) {
        shownCodes = column(dlg->listView(), 0);
        shownNames = column(dlg->listView(), 1);
        title = dlg->windowTitle();
        listFocused =
            dlg->listView()->hasFocus() && dlg->listView()->currentItem() == dlg->listView()->topLevelItem(0);
        dlg->tlbFunction()->findChild<QAction*>(u"F12"_s)->trigger();
    });
    clsPopup popup;
    popup.IdxKey = u"4"_s;
    popup.IdxKey2 = start;
    popup.fnSetPopup(2);

    QVERIFY(driver.driven());
    QCOMPARE(shownCodes, codes);
    QCOMPARE(shownNames, names);
    QCOMPARE(title, u"商品分類一覧"_s);
    QVERIFY(listFocused);
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(popup.IdxKey, u"4"_s);
    QCOMPARE(popup.IdxKey2, start);
}

void TestPopup::enterChoosesTheSelectedRow_data() {
    QTest::addColumn<int>("downs");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("first row") << 0 << u"     3"_s;
    QTest::newRow("second row") << 1 << u"     7"_s;
    QTest::newRow("down past the end") << 3 << u"     7"_s;
}

void TestPopup::enterChoosesTheSelectedRow() {
    QFETCH(int, downs);
    QFETCH(QString, chosen);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);

    ModalDriver<frmPopup> driver(loaded, [&](frmPopup* dlg) {
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(dlg->listView(), Qt::Key_Down);
        QTest::keyClick(dlg->listView(), Qt::Key_Return);
    });
    clsPopup popup;
    popup.IdxKey = u"4"_s;
    popup.IdxKey2 = u"3"_s;
    popup.fnSetPopup(2);

    QVERIFY(driver.driven());
    QVERIFY(!driver.timedOut());
    QCOMPARE(popup.IdxKey2, chosen);
    QCOMPARE(popup.IdxKey2.trimmed(), chosen.trimmed());
}

void TestPopup::doubleClickChooses() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);

    ModalDriver<frmPopup> driver(loaded, [&](frmPopup* dlg) {
        QTreeWidget* list = dlg->listView();
        const QRect r = list->visualItemRect(list->topLevelItem(2));
        // As a mouse does it: a click, then the second press that makes the double-click.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
    });
    clsPopup popup;
    popup.IdxKey = u"4"_s;
    popup.IdxKey2 = u"0"_s;
    popup.fnSetPopup(2);

    QVERIFY(driver.driven());
    QVERIFY(!driver.timedOut());
    QCOMPARE(popup.IdxKey2, u"     7"_s);
}

void TestPopup::noDataClosesWithTheFieldUnchanged() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);

    ModalDriver<frmPopup> driver(loaded, [](frmPopup*) {});
    clsPopup popup;
    popup.IdxKey = u"4"_s;
    popup.IdxKey2 = u"9"_s;
    popup.fnSetPopup(2);

    QVERIFY(driver.sawDialog());
    QVERIFY(!driver.driven()); // closed by itself
    QVERIFY(!driver.timedOut());
    QCOMPARE(messageTexts(dialogs), QStringList{kNoData});
    QCOMPARE(dialogs.lastMessage().title, u"ＰＥＬＫＯ"_s);
    QCOMPARE(popup.IdxKey2, u"9"_s);
}

void TestPopup::closingWithoutChoice_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("result");
    QTest::newRow("F12 key clears") << u"key"_s << QString();
    QTest::newRow("toolbar F12 hands back the code") << u"toolbar"_s << u"3"_s;
    QTest::newRow("frame hands back the code") << u"frame"_s << u"3"_s;
}

void TestPopup::closingWithoutChoice() {
    QFETCH(QString, how);
    QFETCH(QString, result);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);

    bool f12Enabled = false, f2Enabled = true;
    ModalDriver<frmPopup> driver(loaded, [&](frmPopup* dlg) {
        f12Enabled = dlg->isToolbarEnabled(12);
        f2Enabled = dlg->isToolbarEnabled(2);
        QTest::keyClick(dlg->listView(), Qt::Key_Down); // a selection that must not be taken
        if (how == u"key")
            QTest::keyClick(dlg->listView(), Qt::Key_F12);
        else if (how == u"toolbar")
            dlg->tlbFunction()->findChild<QAction*>(u"F12"_s)->trigger();
        else
            dlg->close();
    });
    clsPopup popup;
    popup.IdxKey = u"4"_s;
    popup.IdxKey2 = u"3"_s;
    popup.fnSetPopup(2);

    QVERIFY(driver.driven());
    QVERIFY(!driver.timedOut());
    QVERIFY(f12Enabled);
    QVERIFY(!f2Enabled);
    QCOMPARE(popup.IdxKey2, result);
}

void TestPopup::rowLimit_data() {
    QTest::addColumn<int>("maxline");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("message");
    QTest::newRow("limit above the rows") << 5 << 3 << false;
    QTest::newRow("limit exactly reached") << 3 << 3 << false;
    QTest::newRow("limit exceeded") << 2 << 2 << true;
}

void TestPopup::rowLimit() {
    QFETCH(int, maxline);
    QFETCH(int, rows);
    QFETCH(bool, message);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);
    dir.exec(u"update sysfile set maxline = %1 where id = 1"_s.arg(maxline));

    int shown = -1;
    ModalDriver<frmPopup> driver(loaded, [&](frmPopup* dlg) {
        shown = dlg->listView()->topLevelItemCount();
        QTest::keyClick(dlg->listView(), Qt::Key_Return);
    });
    clsPopup popup;
    popup.IdxKey = u"4"_s;
    popup.IdxKey2 = u"0"_s;
    popup.fnSetPopup(2);

    QVERIFY(driver.driven());
    QCOMPARE(shown, rows);
    QCOMPARE(messageTexts(dialogs), message ? QStringList{kMaxLine} : QStringList{});
    QCOMPARE(popup.IdxKey2, u"     1"_s);
}

void TestPopup::headerSortsAsText() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addCategory(1, u"ﾜｺﾞﾑ"_s);
    dir.addCategory(2, u"ｱｲﾛﾝ"_s);
    dir.addCategory(10, u"ｶｻ"_s);

    QStringList byCode, byName, backByCode;
    ModalDriver<frmPopup> driver(loaded, [&](frmPopup* dlg) {
        QTreeWidget* list = dlg->listView();
        QHeaderView* header = list->header();
        auto clickHeader = [&](int section) {
            const QPoint p(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                           header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, p);
        };
        byCode = column(list, 0);
        clickHeader(1);
        byName = column(list, 1);
        clickHeader(0);
        backByCode = column(list, 0);
        // The row selected on loading is still the one chosen.
        QTest::keyClick(list, Qt::Key_Return);
    });
    clsPopup popup;
    popup.IdxKey = u"4"_s;
    popup.IdxKey2 = u"0"_s;
    popup.fnSetPopup(2);

    QVERIFY(driver.driven());
    QCOMPARE(byCode, (QStringList{u"     1"_s, u"     2"_s, u"    10"_s}));
    QCOMPARE(byName, (QStringList{u"ｱｲﾛﾝ"_s, u"ｶｻ"_s, u"ﾜｺﾞﾑ"_s}));
    // Text order of right-justified codes is their numeric order.
    QCOMPARE(backByCode, byCode);
    QCOMPARE(popup.IdxKey2, u"     1"_s);
}

void TestPopup::escapeKeepsTheDialogOpen() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);

    bool stillOpen = false;
    ModalDriver<frmPopup> driver(loaded, [&](frmPopup* dlg) {
        QTest::keyClick(dlg->listView(), Qt::Key_Escape);
        stillOpen = dlg->isVisible();
        QTest::keyClick(dlg->listView(), Qt::Key_Down);
        QTest::keyClick(dlg->listView(), Qt::Key_Return);
    });
    clsPopup popup;
    popup.IdxKey = u"4"_s;
    popup.IdxKey2 = u"1"_s;
    popup.fnSetPopup(2);

    QVERIFY(stillOpen);
    QCOMPARE(popup.IdxKey2, u"     3"_s);
}

void TestPopup::shippingListHasAnOrderColumn() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.exec({u"insert into bunrui (kubun, code, name, jun) values (3, 12, 'ヤマト', 5)"_s,
              u"insert into bunrui (kubun, code, name, jun) values (3, 4, '佐川', 120)"_s,
              u"insert into bunrui (kubun, code, name, jun) values (4, 1, '食品', 0)"_s});

    QStringList codes, orders;
    int columns = 0;
    QString title;
    ModalDriver<frmPopup> driver(loaded, [&](frmPopup* dlg) {
        codes = column(dlg->listView(), 0);
        orders = column(dlg->listView(), 2);
        columns = dlg->listView()->columnCount();
        title = dlg->windowTitle();
        QTest::keyClick(dlg->listView(), Qt::Key_Down);
        QTest::keyClick(dlg->listView(), Qt::Key_Return);
    });
    clsPopup popup;
    popup.IdxKey = u"3"_s;
    popup.IdxKey2 = QString();
    popup.IdxKey3 = u"passed"_s;
    popup.fnSetPopup(2);

    QCOMPARE(title, u"分類一覧（送り状種類）"_s);
    QCOMPARE(columns, 3);
    QCOMPARE(codes, (QStringList{u"     4"_s, u"    12"_s}));
    QCOMPARE(orders, (QStringList{u"120"_s, u"  5"_s}));
    QCOMPARE(popup.IdxKey2, u"    12"_s);
    QCOMPARE(popup.IdxKey3, u"passed"_s);
}

void TestPopup::listDefinitions_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("help");
    QTest::addColumn<QList<int>>("widths");
    const QList<int> two{900, 6300};
    QTest::newRow("0") << u"0"_s << u"受注方法一覧"_s << 6107 << two;
    QTest::newRow("1") << u"1"_s << u"入金方法一覧"_s << 6108 << two;
    QTest::newRow("3") << u"3"_s << u"分類一覧（送り状種類）"_s << 0 << QList<int>{900, 5300, 1000};
    QTest::newRow("4") << u"4"_s << u"商品分類一覧"_s << 6101 << two;
    QTest::newRow("5") << u"5"_s << u"分類一覧（納品書）"_s << 0 << two;
    QTest::newRow("6") << u"6"_s << u"分類一覧（タックシール）"_s << 0 << two;
}

void TestPopup::listDefinitions() {
    QFETCH(QString, key);
    QFETCH(QString, title);
    QFETCH(int, help);
    QFETCH(QList<int>, widths);
    clsPopup popup;
    popup.IdxKey = key;
    popup.fnDefineList(2);
    QCOMPARE(popup.title(), title);
    QCOMPARE(popup.helpContext(), help);
    QCOMPARE(popup.widths(), widths);
    QCOMPARE(popup.headers().first(), u"コード"_s);
    QCOMPARE(popup.headers().at(1), u"名称"_s);
    if (widths.size() == 3) QCOMPARE(popup.headers().at(2), u"順番"_s);
}

void TestPopup::f1OpensTheCategoryListHelp() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);

    QString page;
    bool helpShown = false;
    ModalDriver<frmPopup> driver(loaded, [&](frmPopup* dlg) {
        page = dlg->helpPage();
        QTest::keyClick(dlg->listView(), Qt::Key_F1);
        helpShown = dlg->helpWindow() && dlg->helpWindow()->isVisible();
        if (dlg->helpWindow()) dlg->helpWindow()->close();
        QTest::keyClick(dlg->listView(), Qt::Key_F12);
    });
    clsPopup popup;
    popup.IdxKey = u"4"_s;
    popup.IdxKey2 = u"0"_s;
    popup.fnSetPopup(2);

    QCOMPARE(page, u"context6101"_s);
    QVERIFY(helpShown);
    QCOMPARE(popup.IdxKey2, QString());
}

QTEST_MAIN(TestPopup)
#include "tst_popup.moc"

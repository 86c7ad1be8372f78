#include "PopupDriver.h"
#include "popups/frmPopup.h"
#include "popups/frmPopupGoods.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kNoData = u"該当データがありません"_s;
const QString kMaxLine = u"最大表示行数を超えました"_s;

QString pad(const QString& code) {
    return (QString(12, u' ') + code).right(12);
}

QStringList padded(const QStringList& codes) {
    QStringList out;
    for (const QString& c : codes)
        out << pad(c);
    return out;
}

QLineEdit* box(const frmPopupGoods& d, const QString& name) {
    return d.findChild<QLineEdit*>(name);
}
QTreeWidget* list(const frmPopupGoods& d) {
    return d.findChild<QTreeWidget*>(u"ListView"_s);
}
QLabel* label(const frmPopupGoods& d, const QString& name) {
    return d.findChild<QLabel*>(name);
}

QStringList column(const frmPopupGoods& d, int col) {
    QStringList out;
    for (int i = 0; i < list(d)->topLevelItemCount(); ++i)
        out << list(d)->topLevelItem(i)->text(col);
    return out;
}

// Typing as a keyboard does: ASCII by its keys, other characters as key events carrying the text.
void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(w, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QStringList messageTexts(const ScriptedDialogs& dialogs) {
    QStringList out;
    for (const MessageRequest& m : dialogs.messages)
        out << m.text;
    return out;
}

// Shown as a user sees it: on the screen and active, so focus moves reach the form.
bool showActive(frmPopupGoods& d) {
    d.show();
    d.activateWindow();
    return QTest::qWaitForWindowActive(&d);
}

void clickFind(frmPopupGoods& d) {
    QTest::mouseClick(d.findChild<QPushButton*>(u"cmdFind"_s), Qt::LeftButton);
}

void categories(const TempProgramDir& dir) {
    dir.addCategory(1, u"食品"_s);
    dir.addCategory(3, u"雑貨"_s);
    dir.addCategory(7, u"衣料"_s);
}

// A goods row with every listed column given.
void addFullGoods(const TempProgramDir& dir, const QString& code, const QString& name, const QString& kana,
                  int bunrui, int gkubun, int tkubun, int zkubun, int stop, double tanka1) {
    dir.exec(
        u"insert into goods (code, name, kana, sname, skana, unit, tanka1, tanka2, tanka3, bunrui, gkubun, "
        u"tkubun, zkubun, stop, stanka, kakuho) values ('%1', '%2', '%3', '%2', '%3', '箱', %4, 12, 0, %5, "
        u"%6, "
        u"%7, %8, %9, 0, 0)"_s.arg(pad(code), name, kana)
            .arg(tanka1, 0, 'f', 0)
            .arg(bunrui)
            .arg(gkubun)
            .arg(tkubun)
            .arg(zkubun)
            .arg(stop));
}

} // namespace

class TestPopupGoods : public QObject {
    Q_OBJECT

private slots:
    void searchFromTheStartCode_data();
    void searchFromTheStartCode();
    void searchByCategory();
    void searchByKanaAndName_data();
    void searchByKanaAndName();
    void apostropheInTheSearchFields_data();
    void apostropheInTheSearchFields();
    void discontinuedGoods_data();
    void discontinuedGoods();
    void rowColumns();
    void stockModeAndCaption();
    void goodsKindFilter();
    void rowLimit_data();
    void rowLimit();
    void rankedNameSearch();
    void rankedNameSearchWithApostrophe();
    void categoryStepping_data();
    void categoryStepping();
    void categoryListByF4_data();
    void categoryListByF4();
    void unknownCategoryClearedOnLeaving();
    void presets();
    void clearByF6AndEscape();
    void choosingAndClosing_data();
    void choosingAndClosing();
    void focusAfterAnEmptySearch_data();
    void focusAfterAnEmptySearch();
    void headerSortStaysForLaterSearches();
    void toolbarFollowsTheFocus();
    void modalAsTheScreensOpenIt();
    void usableWhileTheCallerIsBusy();
};

void TestPopupGoods::searchFromTheStartCode_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("empty: from the lowest") << QString() << QStringList{u"1"_s, u"15"_s, u"20"_s, u"300"_s};
    QTest::newRow("15") << u"15"_s << QStringList{u"15"_s, u"20"_s, u"300"_s};
    QTest::newRow("3: right-justified text order") << u"3"_s << QStringList{u"15"_s, u"20"_s, u"300"_s};
    QTest::newRow("21") << u"21"_s << QStringList{u"300"_s};
}

void TestPopupGoods::searchFromTheStartCode() {
    QFETCH(QString, typed);
    QFETCH(QStringList, codes);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    for (const QString& c : {u"300"_s, u"1"_s, u"20"_s, u"15"_s})
        dir.addGoods(c, u"商品"_s + c);

    frmPopupGoods d;
    d.gbytMode = 1;
    QVERIFY(showActive(d));
    typeText(box(d, u"txtCode"_s), typed);
    clickFind(d);

    QCOMPARE(column(d, 0), padded(codes));
    QVERIFY(dialogs.messages.isEmpty());
    QVERIFY(list(d)->hasFocus());
    QCOMPARE(list(d)->currentItem(), list(d)->topLevelItem(0));
    QVERIFY(d.listHasRows());
}

void TestPopupGoods::searchByCategory() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);
    dir.addGoods(u"1"_s, u"パン"_s, 1);
    dir.addGoods(u"2"_s, u"タオル"_s, 3);
    dir.addGoods(u"3"_s, u"石鹸"_s, 3);
    dir.addGoods(u"4"_s, u"謎"_s, 9);

    frmPopupGoods d;
    d.gbytMode = 1;
    QVERIFY(showActive(d));
    clickFind(d);
    QCOMPARE(column(d, 7), (QStringList{u"食品"_s, u"雑貨"_s, u"雑貨"_s, u" "_s}));

    typeText(box(d, u"txtBunrui"_s), u"3"_s);
    clickFind(d); // leaving the field right-justifies it and names it
    QCOMPARE(box(d, u"txtBunrui"_s)->text(), u" 3"_s);
    QCOMPARE(label(d, u"lblBunruiName"_s)->text(), u"雑貨"_s);
    QCOMPARE(column(d, 0), padded({u"2"_s, u"3"_s}));
}

void TestPopupGoods::searchByKanaAndName_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("kana") << u"txtKana"_s << u"ﾘﾝｺﾞ"_s << QStringList{u"1"_s, u"2"_s};
    QTest::newRow("kana with hyphens removed") << u"txtKana"_s << u"ﾘﾝ-ｺﾞｼﾞ-"_s << QStringList{u"2"_s};
    QTest::newRow("kana of only hyphens: every value")
        << u"txtKana"_s << u"--"_s << QStringList{u"1"_s, u"2"_s, u"3"_s};
    QTest::newRow("name") << u"txtname"_s << u"ジュース"_s << QStringList{u"2"_s, u"3"_s};
    QTest::newRow("name inside") << u"txtname"_s << u"ンジ"_s << QStringList{u"3"_s};
    QTest::newRow("name of only a hyphen: every value")
        << u"txtname"_s << u"-"_s << QStringList{u"1"_s, u"2"_s, u"3"_s};
    QTest::newRow("latin letters ignore case") << u"txtname"_s << u"abc"_s << QStringList{u"1"_s};
}

void TestPopupGoods::searchByKanaAndName() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QStringList, codes);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addGoods(u"1"_s, u"りんごABC"_s, 1, 0, 0, u"ﾘﾝｺﾞ"_s);
    dir.addGoods(u"2"_s, u"りんごジュース"_s, 1, 0, 0, u"ﾘﾝｺﾞｼﾞｭｰｽ"_s);
    dir.addGoods(u"3"_s, u"オレンジジュース"_s, 1, 0, 0, u"ｵﾚﾝｼﾞｼﾞｭｰｽ"_s);

    frmPopupGoods d;
    QVERIFY(showActive(d));
    typeText(box(d, field), typed);
    QCOMPARE(box(d, field)->text(), typed);
    clickFind(d);

    QCOMPARE(column(d, 0), padded(codes));
    QVERIFY(dialogs.messages.isEmpty());
}

void TestPopupGoods::apostropheInTheSearchFields_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("name with an apostrophe") << u"txtname"_s << u"O'Ne"_s << QStringList{u"2"_s};
    QTest::newRow("apostrophe alone") << u"txtname"_s << u"'"_s << QStringList{u"2"_s};
    QTest::newRow("a typed condition stays text") << u"txtname"_s << u"x' or '1'='1"_s << QStringList{};
    QTest::newRow("kana with an apostrophe") << u"txtKana"_s << u"ｵ'ﾆ"_s << QStringList{u"2"_s};
    QTest::newRow("kana hyphen and apostrophe") << u"txtKana"_s << u"-ｵ'-ﾆ"_s << QStringList{u"2"_s};
}

void TestPopupGoods::apostropheInTheSearchFields() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QStringList, codes);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addGoods(u"1"_s, u"Oneil"_s, 1, 0, 0, u"ｵﾆ"_s);
    dir.addGoods(u"2"_s, u"O'Neil"_s, 1, 0, 0, u"ｵ'ﾆ"_s);

    frmPopupGoods d;
    QVERIFY(showActive(d));
    typeText(box(d, field), typed);
    clickFind(d);

    QCOMPARE(column(d, 0), padded(codes));
    // Nothing found is told as such: the statement itself did not fail.
    QCOMPARE(messageTexts(dialogs), codes.isEmpty() ? QStringList{kNoData} : QStringList{});
    QCOMPARE(dir.count(u"select count(*) from goods"_s), 2);
}

void TestPopupGoods::discontinuedGoods_data() {
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("unticked: active goods only") << false << QStringList{u"1"_s};
    QTest::newRow("ticked: discontinued too") << true << QStringList{u"1"_s, u"2"_s};
}

void TestPopupGoods::discontinuedGoods() {
    QFETCH(bool, ticked);
    QFETCH(QStringList, codes);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addGoods(u"1"_s, u"りんご"_s, 1, 0, 0);
    dir.addGoods(u"2"_s, u"りんご旧"_s, 1, 0, 1);

    frmPopupGoods d;
    QVERIFY(showActive(d));
    QVERIFY(!d.findChild<QCheckBox*>(u"chkStop"_s)->isChecked());
    if (ticked) QTest::mouseClick(d.findChild<QCheckBox*>(u"chkStop"_s), Qt::LeftButton);
    typeText(box(d, u"txtname"_s), u"りんご"_s);
    clickFind(d);

    QCOMPARE(column(d, 0), padded(codes));
    const QColor red(255, 0, 0);
    QTreeWidgetItem* active = list(d)->topLevelItem(0);
    QCOMPARE(active->text(11), QString());
    QVERIFY(active->foreground(0).color() != red);
    if (ticked) {
        QTreeWidgetItem* stopped = list(d)->topLevelItem(1);
        QCOMPARE(stopped->text(11), u"中止"_s);
        for (int col = 0; col < 12; ++col)
            QCOMPARE(stopped->foreground(col).color(), red);
    }
}

void TestPopupGoods::rowColumns() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);
    addFullGoods(dir, u"77"_s, u" 特製ジャム "_s, u" ﾄｸｾｲｼﾞｬﾑ "_s, 7, 2, 1, 1, 0, 1234567);
    addFullGoods(dir, u"78"_s, u"割引"_s, u"ﾜﾘﾋﾞｷ"_s, 0, 3, 2, 0, 0, 0);
    addFullGoods(dir, u"79"_s, u"謎"_s, u"ﾅｿﾞ"_s, 1, 7, 5, 4, 0, 5);

    frmPopupGoods d;
    QVERIFY(showActive(d));
    clickFind(d);

    QCOMPARE(list(d)->columnCount(), 12);
    const QStringList headers{u"コード"_s, u"フリガナ"_s, u"名称"_s, u"単価１"_s, u"単価２"_s, u"単価３"_s,
                              u"単位"_s,   u"分類"_s,     u"区分"_s, u"税"_s,     u"在庫"_s,   u"中止"_s};
    for (int i = 0; i < 12; ++i)
        QCOMPARE(list(d)->headerItem()->text(i), headers.at(i));

    QTreeWidgetItem* a = list(d)->topLevelItem(0);
    const QStringList first{pad(u"77"_s), u"ﾄｸｾｲｼﾞｬﾑ"_s, u"特製ジャム"_s, u"1,234,567"_s,
                            u"12"_s,      u"0"_s,        u"箱"_s,         u"衣料"_s,
                            u"手数料"_s,  u"内税"_s,     u"対象外"_s,     QString()};
    for (int i = 0; i < 12; ++i)
        QCOMPARE(a->text(i), first.at(i));
    QVERIFY(a->textAlignment(3) & Qt::AlignRight);
    QVERIFY(a->textAlignment(5) & Qt::AlignRight);
    QVERIFY(!(a->textAlignment(6) & Qt::AlignRight));

    QTreeWidgetItem* b = list(d)->topLevelItem(1);
    QCOMPARE(b->text(7), u" "_s); // category 0 does not exist
    QCOMPARE(b->text(8), u"値引き"_s);
    QCOMPARE(b->text(9), u"非課税"_s);
    QCOMPARE(b->text(10), u"対象"_s);

    QTreeWidgetItem* c = list(d)->topLevelItem(2);
    QCOMPARE(c->text(8), QString());
    QCOMPARE(c->text(9), QString());
    QCOMPARE(c->text(10), QString());
}

void TestPopupGoods::stockModeAndCaption() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addGoods(u"1"_s, u"在庫品"_s, 1, 0);
    dir.addGoods(u"2"_s, u"サービス"_s, 1, 1);

    frmPopupGoods d;
    d.gbytMode = 1;
    QCOMPARE(d.windowTitle(), u"商品一覧"_s);
    QVERIFY(showActive(d));
    QCOMPARE(d.windowTitle(), u"商品一覧（在庫対象外は除く）"_s);
    clickFind(d);
    QCOMPARE(d.windowTitle(), u"商品一覧"_s);
    QCOMPARE(column(d, 0), padded({u"1"_s}));
    clickFind(d);
    QCOMPARE(column(d, 0), padded({u"1"_s})); // the filter stays with the caption gone

    frmPopupGoods all;
    QVERIFY(showActive(all));
    QCOMPARE(all.windowTitle(), u"商品一覧"_s);
    clickFind(all);
    QCOMPARE(column(all, 0), padded({u"1"_s, u"2"_s}));
}

void TestPopupGoods::goodsKindFilter() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    addFullGoods(dir, u"1"_s, u"通常品"_s, u"ﾂ"_s, 1, 0, 0, 0, 0, 1);
    addFullGoods(dir, u"2"_s, u"送料"_s, u"ｿ"_s, 1, 1, 0, 0, 0, 1);
    addFullGoods(dir, u"3"_s, u"値引"_s, u"ﾈ"_s, 1, 3, 0, 0, 0, 1);

    frmPopupGoods d;
    d.gstrGkbn = u"1"_s;
    d.gbytMode = 1;
    QVERIFY(showActive(d));
    QCOMPARE(d.windowTitle(), u"商品一覧（在庫対象外は除く）（送料のみ検索）"_s);
    clickFind(d);
    QCOMPARE(d.windowTitle(), u"商品一覧（在庫対象外は除く）（送料のみ検索）"_s);
    QCOMPARE(column(d, 0), padded({u"2"_s}));

    frmPopupGoods ordinary;
    ordinary.gstrGkbn = u"0"_s;
    QVERIFY(showActive(ordinary));
    QCOMPARE(ordinary.windowTitle(), u"商品一覧"_s);
    clickFind(ordinary);
    QCOMPARE(column(ordinary, 0), padded({u"1"_s}));
}

void TestPopupGoods::rowLimit_data() {
    QTest::addColumn<int>("goods");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("message");
    QTest::newRow("fewer than the limit") << 2 << 2 << false;
    QTest::newRow("limit exactly reached") << 3 << 3 << false;
    QTest::newRow("limit exceeded") << 5 << 3 << true;
}

void TestPopupGoods::rowLimit() {
    QFETCH(int, goods);
    QFETCH(int, rows);
    QFETCH(bool, message);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.exec(u"update sysfile set maxline = 3 where id = 1"_s);
    for (int i = 1; i <= goods; ++i)
        dir.addGoods(QString::number(i), u"商品"_s);

    frmPopupGoods d;
    QVERIFY(showActive(d));
    QCOMPARE(d.maxLine(), 3);
    clickFind(d);

    QCOMPARE(list(d)->topLevelItemCount(), rows);
    QCOMPARE(column(d, 0).first(), pad(u"1"_s));
    QCOMPARE(messageTexts(dialogs), message ? QStringList{kMaxLine} : QStringList{});
    QVERIFY(list(d)->hasFocus());
}

void TestPopupGoods::rankedNameSearch() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addGoods(u"10"_s, u"オレンジジュース"_s, 1, 1, 1); // neither stock-managed nor active: still listed
    dir.addGoods(u"20"_s, u"りんごジュース"_s);
    dir.addGoods(u"30"_s, u"特価りんごジュース500"_s);
    dir.addGoods(u"40"_s, u"みかん"_s);

    frmPopupGoods d;
    d.gbytMode = 1;
    d.gstrCode = pad(u"25"_s);
    d.gstrGname = u"【特価】りんごジュース(500)"_s;
    QVERIFY(showActive(d));
    QTRY_VERIFY(d.gstrGname.isEmpty() && d.isEnabled());

    QCOMPARE(d.windowTitle(), u"商品一覧（特価、りんご、ジュース、500）"_s);
    QCOMPARE(column(d, 0), padded({u"30"_s, u"20"_s, u"10"_s}));
    QCOMPARE(column(d, 2),
             (QStringList{u"特価りんごジュース500"_s, u"りんごジュース"_s, u"オレンジジュース"_s}));
    QVERIFY(!label(d, u"txtMsg"_s)->isVisible());
    QCOMPARE(box(d, u"txtCode"_s)->text(), QString()); // the ranked search clears the conditions
    QVERIFY(list(d)->hasFocus());
    QVERIFY(dialogs.messages.isEmpty());

    // Enter takes the best match.
    QTest::keyClick(list(d), Qt::Key_Return);
    QCOMPARE(d.gstrCode, pad(u"30"_s));
    QVERIFY(!d.isVisible());
}

void TestPopupGoods::rankedNameSearchWithApostrophe() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addGoods(u"1"_s, u"O'Neil 牛肉"_s);
    dir.addGoods(u"2"_s, u"豚肉"_s);

    frmPopupGoods d;
    d.gstrGname = u"O'Neil 牛肉"_s;
    QVERIFY(showActive(d));
    QTRY_VERIFY(d.gstrGname.isEmpty() && d.isEnabled());

    QVERIFY(dialogs.messages.isEmpty());
    QVERIFY(column(d, 0).contains(pad(u"1"_s)));
    QCOMPARE(column(d, 0).first(), pad(u"1"_s));
}

void TestPopupGoods::categoryStepping_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::newRow("F2 from 3") << 3 << int(Qt::Key_F2) << u" 7"_s << u"衣料"_s;
    QTest::newRow("F3 from 3") << 3 << int(Qt::Key_F3) << u" 1"_s << u"食品"_s;
    QTest::newRow("Page Up from 3") << 3 << int(Qt::Key_PageUp) << u" 7"_s << u"衣料"_s;
    QTest::newRow("Page Down from 3") << 3 << int(Qt::Key_PageDown) << u" 1"_s << u"食品"_s;
    QTest::newRow("F2 on the highest") << 7 << int(Qt::Key_F2) << u"7"_s << u"衣料"_s;
    QTest::newRow("F3 on the lowest") << 1 << int(Qt::Key_F3) << u"1"_s << u"食品"_s;
    QTest::newRow("F2 from blank") << 0 << int(Qt::Key_F2) << u" 1"_s << u"食品"_s;
    QTest::newRow("F3 from blank") << 0 << int(Qt::Key_F3) << QString() << QString();
}

void TestPopupGoods::categoryStepping() {
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(QString, name);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);

    frmPopupGoods d;
    d.Gbun(start);
    QVERIFY(showActive(d));
    QLineEdit* bunrui = box(d, u"txtBunrui"_s);
    QVERIFY(bunrui->hasFocus());
    QTest::keyClick(bunrui, Qt::Key(key));

    QCOMPARE(bunrui->text(), text);
    QCOMPARE(label(d, u"lblBunruiName"_s)->text(), name);
    QVERIFY(bunrui->hasFocus());
    QCOMPARE(bunrui->selectedText(), text);
    QVERIFY(d.isVisible());

    // Elsewhere the same key leaves the category alone.
    QTest::keyClick(box(d, u"txtCode"_s), Qt::Key(key));
    QCOMPARE(bunrui->text().trimmed(), text.trimmed());
    QCOMPARE(label(d, u"lblBunruiName"_s)->text(), name);
}

void TestPopupGoods::categoryListByF4_data() {
    QTest::addColumn<bool>("choose");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::newRow("7 chosen") << true << u" 7"_s << u"衣料"_s;
    QTest::newRow("F12 in the list") << false << u"3"_s << u"雑貨"_s;
}

void TestPopupGoods::categoryListByF4() {
    QFETCH(bool, choose);
    QFETCH(QString, text);
    QFETCH(QString, name);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);

    frmPopupGoods d;
    d.Gbun(3);
    QVERIFY(showActive(d));
    QLineEdit* bunrui = box(d, u"txtBunrui"_s);

    QStringList listed;
    ModalDriver<frmPopup> driver([](frmPopup* p) { return p->isListLoaded() && p->isEnabled(); },
                                 [&](frmPopup* p) {
                                     for (int i = 0; i < p->listView()->topLevelItemCount(); ++i)
                                         listed << p->listView()->topLevelItem(i)->text(0);
                                     if (choose) {
                                         QTest::keyClick(p->listView(), Qt::Key_Down);
                                         QTest::keyClick(p->listView(), Qt::Key_Return);
                                     } else {
                                         QTest::keyClick(p->listView(), Qt::Key_F12);
                                     }
                                 });
    QTest::keyClick(bunrui, Qt::Key_F4);

    QVERIFY(driver.driven());
    QVERIFY(!driver.timedOut());
    QCOMPARE(listed, (QStringList{u"     3"_s, u"     7"_s}));
    QCOMPARE(bunrui->text(), text);
    QCOMPARE(label(d, u"lblBunruiName"_s)->text(), name);
    QVERIFY(d.isVisible());
    QTRY_VERIFY(bunrui->hasFocus());
    QCOMPARE(bunrui->selectedText(), text);
}

void TestPopupGoods::unknownCategoryClearedOnLeaving() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);

    frmPopupGoods d;
    QVERIFY(showActive(d));
    QLineEdit* bunrui = box(d, u"txtBunrui"_s);
    typeText(bunrui, u"7"_s);
    QTest::keyClick(bunrui, Qt::Key_Return);
    QVERIFY(box(d, u"txtCode"_s)->hasFocus());
    QCOMPARE(bunrui->text(), u" 7"_s);
    QCOMPARE(label(d, u"lblBunruiName"_s)->text(), u"衣料"_s);

    bunrui->setFocus();
    typeText(bunrui, u"5"_s); // replaces the selected text
    QTest::keyClick(bunrui, Qt::Key_Return);
    QCOMPARE(bunrui->text(), QString());
    QCOMPARE(label(d, u"lblBunruiName"_s)->text(), QString());
    QVERIFY(dialogs.messages.isEmpty());

    bunrui->setFocus();
    typeText(bunrui, u"x"_s); // digits only
    QCOMPARE(bunrui->text(), QString());
}

void TestPopupGoods::presets() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);

    frmPopupGoods d;
    d.gstrCode = u"  15"_s;
    d.Gbun(3);
    QCOMPARE(box(d, u"txtBunrui"_s)->text(), u"3"_s);
    QCOMPARE(label(d, u"lblBunruiName"_s)->text(), u"雑貨"_s);
    d.Gbun(0);
    QCOMPARE(box(d, u"txtBunrui"_s)->text(), QString());
    QCOMPARE(label(d, u"lblBunruiName"_s)->text(), QString());
    d.Gbun(7);
    QCOMPARE(box(d, u"txtCode"_s)->text(), QString()); // taken on showing, not before
    QVERIFY(showActive(d));
    QCOMPARE(box(d, u"txtCode"_s)->text(), pad(u"15"_s));
    QCOMPARE(box(d, u"txtBunrui"_s)->text(), u"7"_s);

    frmPopupGoods blank;
    blank.gstrCode = QString(12, u' ');
    QVERIFY(showActive(blank));
    QCOMPARE(box(blank, u"txtCode"_s)->text(), QString());
}

void TestPopupGoods::clearByF6AndEscape() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addGoods(u"1"_s, u"abc"_s, 1, 0, 0, u"ｱ"_s);
    dir.addGoods(u"2"_s, u"abd"_s, 1, 0, 0, u"ｲ"_s);

    frmPopupGoods d;
    QVERIFY(showActive(d));
    QLineEdit* name = box(d, u"txtname"_s);
    QLineEdit* kana = box(d, u"txtKana"_s);
    typeText(name, u"ab"_s);
    clickFind(d);
    QCOMPARE(list(d)->topLevelItemCount(), 2);

    // The first Escape undoes the typing in the field; the second one clears.
    kana->setFocus();
    typeText(kana, u"ｱ"_s);
    QTest::keyClick(kana, Qt::Key_Escape);
    QCOMPARE(kana->text(), QString());
    QCOMPARE(name->text(), u"ab"_s);
    QCOMPARE(list(d)->topLevelItemCount(), 2);
    QTest::keyClick(kana, Qt::Key_Escape);
    QCOMPARE(name->text(), QString());
    QCOMPARE(list(d)->topLevelItemCount(), 0);
    QVERIFY(!d.listHasRows());
    QVERIFY(box(d, u"txtCode"_s)->hasFocus());
    QVERIFY(d.isVisible());

    // F6 from the list.
    typeText(box(d, u"txtCode"_s), u"2"_s);
    clickFind(d);
    QVERIFY(list(d)->hasFocus());
    QTest::keyClick(list(d), Qt::Key_F6);
    QCOMPARE(box(d, u"txtCode"_s)->text(), QString());
    QCOMPARE(list(d)->topLevelItemCount(), 0);
    QVERIFY(box(d, u"txtCode"_s)->hasFocus());

    // Enter on the emptied list chooses nothing.
    list(d)->setFocus();
    QTest::keyClick(list(d), Qt::Key_Return);
    QVERIFY(d.isVisible());
}

void TestPopupGoods::choosingAndClosing_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter on the first row") << u"enter"_s << pad(u"1"_s) << int(QDialog::Accepted);
    QTest::newRow("Down and Enter") << u"down"_s << pad(u"2"_s) << int(QDialog::Accepted);
    QTest::newRow("double-click") << u"double"_s << pad(u"3"_s) << int(QDialog::Accepted);
    QTest::newRow("F12 key") << u"f12"_s << QString() << int(QDialog::Rejected);
    QTest::newRow("toolbar F12") << u"toolbar"_s << QString() << int(QDialog::Rejected);
    QTest::newRow("window frame") << u"frame"_s << QString() << int(QDialog::Rejected);
}

void TestPopupGoods::choosingAndClosing() {
    QFETCH(QString, how);
    QFETCH(QString, code);
    QFETCH(int, result);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    for (const QString& c : {u"1"_s, u"2"_s, u"3"_s})
        dir.addGoods(c, u"商品"_s + c);

    frmPopupGoods d;
    d.gstrCode = pad(u"1"_s);
    QVERIFY(showActive(d));
    clickFind(d);
    QTreeWidget* lv = list(d);
    if (how == u"enter") {
        QTest::keyClick(lv, Qt::Key_Return);
    } else if (how == u"down") {
        QTest::keyClick(lv, Qt::Key_Down);
        QTest::keyClick(lv, Qt::Key_Return);
    } else if (how == u"double") {
        const QPoint p = lv->visualItemRect(lv->topLevelItem(2)).center();
        QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(lv->viewport(), Qt::LeftButton, {}, p);
    } else if (how == u"f12") {
        QTest::keyClick(lv, Qt::Key_F12);
    } else if (how == u"toolbar") {
        d.tlbFunction()->findChild<QAction*>(u"F12"_s)->trigger();
    } else {
        d.close();
    }

    QVERIFY(!d.isVisible());
    QCOMPARE(d.gstrCode, code);
    QCOMPARE(d.result(), result);
}

void TestPopupGoods::focusAfterAnEmptySearch_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("kana");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("focus");
    QTest::newRow("code first") << u"999"_s << u"ｱ"_s << u"zz"_s << u"txtCode"_s;
    QTest::newRow("kana next") << QString() << u"ﾝﾝ"_s << u"zz"_s << u"txtKana"_s;
    QTest::newRow("name last") << QString() << QString() << u"zz"_s << u"txtname"_s;
}

void TestPopupGoods::focusAfterAnEmptySearch() {
    QFETCH(QString, code);
    QFETCH(QString, kana);
    QFETCH(QString, name);
    QFETCH(QString, focus);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addGoods(u"1"_s, u"りんご"_s, 1, 0, 0, u"ﾘﾝｺﾞ"_s);

    frmPopupGoods d;
    QVERIFY(showActive(d));
    typeText(box(d, u"txtCode"_s), code);
    typeText(box(d, u"txtKana"_s), kana);
    typeText(box(d, u"txtname"_s), name);
    clickFind(d);

    QCOMPARE(list(d)->topLevelItemCount(), 0);
    QCOMPARE(messageTexts(dialogs), QStringList{kNoData});
    QVERIFY(box(d, focus)->hasFocus());
    QVERIFY(d.isVisible());

    // A header click on the empty list does nothing.
    QHeaderView* header = list(d)->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
    QVERIFY(!header->isSortIndicatorShown());
}

void TestPopupGoods::headerSortStaysForLaterSearches() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addGoods(u"1"_s, u"ｳ"_s);
    dir.addGoods(u"2"_s, u"ｱ"_s);
    dir.addGoods(u"3"_s, u"ｲ"_s);
    dir.addGoods(u"4"_s, u"ｴ"_s);

    frmPopupGoods d;
    QVERIFY(showActive(d));
    clickFind(d);
    QCOMPARE(column(d, 2), (QStringList{u"ｳ"_s, u"ｱ"_s, u"ｲ"_s, u"ｴ"_s}));

    QHeaderView* header = list(d)->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 10, header->height() / 2));
    QCOMPARE(column(d, 2), (QStringList{u"ｱ"_s, u"ｲ"_s, u"ｳ"_s, u"ｴ"_s}));
    // The row selected by the search stays selected.
    QCOMPARE(list(d)->currentItem()->text(0), pad(u"1"_s));

    typeText(box(d, u"txtCode"_s), u"2"_s);
    clickFind(d);
    QCOMPARE(column(d, 2), (QStringList{u"ｱ"_s, u"ｲ"_s, u"ｴ"_s}));
    QCOMPARE(list(d)->currentItem()->text(2), u"ｱ"_s);
}

void TestPopupGoods::toolbarFollowsTheFocus() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;

    frmPopupGoods d;
    QVERIFY(showActive(d));
    auto enabled = [&] {
        QString mask;
        for (int n = 1; n <= 12; ++n)
            mask += d.isToolbarEnabled(n) ? u'1' : u'0';
        return mask;
    };
    QVERIFY(box(d, u"txtBunrui"_s)->hasFocus());
    QCOMPARE(enabled(), u"111101000001"_s);
    QTest::keyClick(box(d, u"txtBunrui"_s), Qt::Key_Return);
    QVERIFY(box(d, u"txtCode"_s)->hasFocus());
    QCOMPARE(enabled(), u"100001000001"_s);
    // F4 is off away from the category field: no list opens.
    QTest::keyClick(box(d, u"txtCode"_s), Qt::Key_F4);
    QVERIFY(QApplication::activeModalWidget() == nullptr || QApplication::activeModalWidget() == &d);
    box(d, u"txtBunrui"_s)->setFocus();
    QCOMPARE(enabled(), u"111101000001"_s);
}

void TestPopupGoods::modalAsTheScreensOpenIt() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);
    dir.addGoods(u"10"_s, u"パン"_s, 1);
    dir.addGoods(u"11"_s, u"タオル"_s, 3);
    dir.addGoods(u"12"_s, u"石鹸"_s, 3);

    auto* d = new frmPopupGoods;
    d->Gbun(3);
    d->gbytMode = 1;
    d->gstrCode = pad(u"11"_s);
    QString caption, startCode;
    ModalDriver<frmPopupGoods> driver([](frmPopupGoods* p) { return p->isEnabled(); },
                                      [&](frmPopupGoods* p) {
                                          caption = p->windowTitle();
                                          startCode = box(*p, u"txtCode"_s)->text();
                                          clickFind(*p);
                                          QTest::keyClick(list(*p), Qt::Key_Down);
                                          QTest::keyClick(list(*p), Qt::Key_Return);
                                      });
    d->exec();
    const QString chosen = d->gstrCode;
    delete d;

    QVERIFY(driver.driven());
    QVERIFY(!driver.timedOut());
    QCOMPARE(caption, u"商品一覧（在庫対象外は除く）"_s);
    QCOMPARE(startCode, pad(u"11"_s));
    QCOMPARE(chosen, pad(u"12"_s));
}

void TestPopupGoods::usableWhileTheCallerIsBusy() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addGoods(u"5"_s, u"パン"_s);

    QWidget screen;
    screen.show();
    auto* d = new frmPopupGoods(&screen);
    screen.setEnabled(false); // the caller's busy state, taken after creating the popup
    ModalDriver<frmPopupGoods> driver([](frmPopupGoods* p) { return p->isEnabled(); },
                                      [&](frmPopupGoods* p) {
                                          clickFind(*p);
                                          QTest::keyClick(list(*p), Qt::Key_Return);
                                      });
    d->exec();
    const QString chosen = d->gstrCode;
    delete d;

    QVERIFY(driver.driven());
    QCOMPARE(chosen, pad(u"5"_s));
}

QTEST_MAIN(TestPopupGoods)
#include "tst_popupgoods.moc"

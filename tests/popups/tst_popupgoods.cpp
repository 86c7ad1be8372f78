#include "PopupDriver.h"
#include "popups/LookupView.h"
#include "popups/frmPopup.h"
#include "popups/frmPopupGoods.h"
#include "ui/DataRows.h"

#include <QCheckBox>
#include <QClipboard>
#include <QPushButton>
#include <optional>

using namespace Qt::Literals::StringLiterals;
using screen::joined, screen::like, screen::showAndActivate;

namespace {

const auto pad = [](const QString& code) { return code.rightJustified(12); };
const auto box = [](const QWidget& d, const QString& name) { return d.findChild<QLineEdit*>(name); };
const auto list = [](const QWidget& d) { return d.findChild<QTreeView*>(u"ListView"_s); };
const auto rows = [](const QTreeView* lv) { return lv->model()->rowCount(); };
const auto chosenCode = [](const QTreeView* lv) {
    return chosenRow(lv) < 0 ? QString() : rowText(lv, chosenRow(lv), 0);
};
const auto bunruiName = [](const QWidget& d) { return d.findChild<QLabel*>(u"lblBunruiName"_s)->text(); };
const auto clickFind = [](QWidget& d) {
    QTest::mouseClick(d.findChild<QPushButton*>(u"cmdFind"_s), Qt::LeftButton);
};

// Codes given as "1 15 20", as the list shows them.
QStringList padded(const QString& codes) {
    QStringList out = codes.split(u' ', Qt::SkipEmptyParts);
    for (QString& c : out)
        c = pad(c);
    return out;
}

// Whether some of the text painted in the rectangle is red.
bool paintedRed(const QImage& shot, const QRect& r) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 90 && c.blue() < 90) return true;
        }
    return false;
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

// A program folder with the categories 1, 3, 7 and (unless told not to) the goods below.
struct Env {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    explicit Env(bool withGoods = true) {
        categories(dir);
        const QStringList goods{
            // code|name|kana|bunrui|gkubun|tkubun|zkubun|stop|tanka1
            u"1|りんごABC|ﾘﾝｺﾞ|1|0|0|0|0|0"_s,
            u"2|りんごジュース|ﾘﾝｺﾞｼﾞｭｰｽ|3|1|1|0|0|1234567"_s,
            u"3| オレンジジュース | ｵﾚﾝｼﾞｼﾞｭｰｽ |3|2|2|1|0|5"_s, // not stock-managed
            u"15|Oneil|ｵﾆ|9|3|5|4|0|0"_s,                       // unknown category and kinds
            u"20|O'Neil|ｵ'ﾆ|7|7|0|0|0|0"_s,
            u"300|りんご旧|ﾘﾝｺﾞｷｭｳ|0|0|0|0|1|0"_s, // discontinued
        };
        for (const QString& row : withGoods ? goods : QStringList()) {
            const QStringList g = row.split(u'|');
            dir.addGoods(g[0], g[1], g[3].toInt(), g[6].toInt(), g[7].toInt(), g[2]);
            dir.exec(
                u"update goods set unit='箱', tanka1=%1, tanka2=12, gkubun=%2, tkubun=%3 where code='%4'"_s
                    .arg(g[8], g[4], g[5], pad(g[0])));
        }
    }
};

const QString kActive = u"1 2 3 15 20"_s, kBase = u"商品一覧"_s, kStock = u"商品一覧（在庫対象外は除く）"_s;

// A search as typed (field=text|field=text) and what it finds; `script` is played on the found list
// and `after` is what the same search finds next.
struct Search {
    QString typed, codes;
    bool ticked = false; // a click on the discontinued box, unticked when shown
    QString message, focus = u"ListView"_s, script, after = codes;
    int mode = 0, maxline = 0;                     // maxline 0: as the database has it
    QString kind, shown = kBase, searched = kBase; // captions on showing and after the search
    QStringList rows;                              // every column, when given
};

struct Category {
    int start, key;
    QString input, text, name; // input: steps played on the list F4 opens, else text typed before the key
};

struct Choose {
    QString script, code;
    int result;
    bool busyCaller = false;
};

} // namespace
Q_DECLARE_METATYPE(Search)
Q_DECLARE_METATYPE(Category)
Q_DECLARE_METATYPE(Choose)

class TestPopupGoods : public QObject, DataRows {
    Q_OBJECT

private slots:
    void search_data();
    void search();
    void categoryKeys_data();
    void categoryKeys();
    void categoryGoesInAsANumber_data();
    void categoryGoesInAsANumber();
    void ownGoods_data();
    void ownGoods();
    void clearByF6AndEscape();
    void choosingAndClosing_data();
    void choosingAndClosing();
};

void TestPopupGoods::search_data() {
    QTest::addColumn<Search>("c");
    const QString postage = kStock + u"（送料のみ検索）"_s;
    QTest::newRow("nothing typed: from the lowest") << Search{{}, kActive};
    QTest::newRow("nothing typed, discontinued too: every column")
        << Search{.codes = kActive + u" 300"_s,
                  .ticked = true,
                  .rows = {u"           1|ﾘﾝｺﾞ|りんごABC|0|12|0|箱|食品|通常|外税|対象|"_s,
                           u"           2|ﾘﾝｺﾞｼﾞｭｰｽ|りんごジュース|1,234,567|12|0|箱|雑貨|送料|内税|対象|"_s,
                           u"           3|ｵﾚﾝｼﾞｼﾞｭｰｽ|オレンジジュース|5|12|0|箱|雑貨|手数料|非課税|対象外|"_s,
                           u"          15|ｵﾆ|Oneil|0|12|0|箱| |値引き|||"_s,
                           u"          20|ｵ'ﾆ|O'Neil|0|12|0|箱|衣料||外税|対象|"_s,
                           u"         300|ﾘﾝｺﾞｷｭｳ|りんご旧|0|12|0|箱| |通常|外税|対象|中止"_s}};
    QTest::newRow("stock-managed only") << Search{.codes = u"1 2 20"_s, .mode = 1, .shown = kStock};
    QTest::newRow("postage only") << Search{
        .codes = u"2"_s, .mode = 1, .kind = u"1"_s, .shown = postage, .searched = postage};
    QTest::newRow("ordinary only") << Search{.codes = u"1"_s, .kind = u"0"_s};
    QTest::newRow("code 15") << Search{u"txtCode=15"_s, u"15 20"_s};
    QTest::newRow("code 3: right-justified text order") << Search{u"txtCode=3"_s, u"3 15 20"_s};
    QTest::newRow("code 21, discontinued too") << Search{u"txtCode=21"_s, u"300"_s, true};
    QTest::newRow("category 3") << Search{u"txtBunrui=3"_s, u"2 3"_s};
    QTest::newRow("category 3, stock-managed")
        << Search{.typed = u"txtBunrui=3"_s, .codes = u"2"_s, .mode = 1, .shown = kStock};
    QTest::newRow("kana") << Search{u"txtKana=ﾘﾝｺﾞ"_s, u"1 2"_s};
    QTest::newRow("kana, discontinued too") << Search{u"txtKana=ﾘﾝｺﾞ"_s, u"1 2 300"_s, true};
    QTest::newRow("kana with hyphens removed") << Search{u"txtKana=ﾘﾝ-ｺﾞｼﾞ-"_s, u"2"_s};
    QTest::newRow("kana of only hyphens: every value") << Search{u"txtKana=--"_s, kActive};
    QTest::newRow("name") << Search{u"txtname=ジュース"_s, u"2 3"_s};
    QTest::newRow("name inside") << Search{u"txtname=ンジ"_s, u"3"_s};
    QTest::newRow("name of only a hyphen: every value") << Search{u"txtname=-"_s, kActive};
    QTest::newRow("latin letters ignore case") << Search{u"txtname=abc"_s, u"1"_s};
    QTest::newRow("name, active goods only") << Search{u"txtname=りんご"_s, u"1 2"_s};
    QTest::newRow("name, discontinued too") << Search{u"txtname=りんご"_s, u"1 2 300"_s, true};
    QTest::newRow("name with an apostrophe") << Search{u"txtname=O'Ne"_s, u"20"_s};
    QTest::newRow("apostrophe alone") << Search{u"txtname='"_s, u"20"_s};
    QTest::newRow("a typed condition stays text")
        << Search{u"txtname=x' or '1'='1"_s, {}, false, kNoData, u"txtname"_s};
    QTest::newRow("kana with an apostrophe") << Search{u"txtKana=ｵ'ﾆ"_s, u"20"_s};
    QTest::newRow("kana hyphen and apostrophe") << Search{u"txtKana=-ｵ'-ﾆ"_s, u"20"_s};
    QTest::newRow("nothing found: code first")
        << Search{u"txtCode=999|txtKana=ｱ|txtname=zz"_s, {}, false, kNoData, u"txtCode"_s};
    QTest::newRow("nothing found: kana next")
        << Search{u"txtKana=ﾝﾝ|txtname=zz"_s, {}, false, kNoData, u"txtKana"_s};
    QTest::newRow("nothing found: name last") << Search{u"txtname=zz"_s, {}, false, kNoData, u"txtname"_s};
    QTest::newRow("maxline above the rows") << Search{.codes = kActive, .maxline = 6};
    QTest::newRow("maxline exactly reached") << Search{.codes = kActive, .maxline = 5};
    QTest::newRow("maxline exceeded") << Search{.codes = u"1 2 3"_s, .message = kMaxLine, .maxline = 3};
    // The selected row stays with a header click, and the sort with the next search.
    QTest::newRow("sorted by name") << Search{
        .typed = u"txtCode=2"_s, .codes = u"2 3 15 20"_s, .script = u"sort2"_s, .after = u"20 15 2 3"_s};
}

void TestPopupGoods::search() {
    QFETCH(Search, c);
    Env env;
    if (c.maxline) env.dir.exec(u"update sysfile set maxline = %1 where id = 1"_s.arg(c.maxline));
    frmPopupGoods d;
    d.gbytMode = c.mode;
    d.gstrGkbn = c.kind;
    QVERIFY(showAndActivate(&d));
    QCOMPARE(d.windowTitle(), c.shown);
    if (c.ticked) QTest::mouseClick(d.findChild<QCheckBox*>(u"chkStop"_s), Qt::LeftButton);
    for (const QString& part : c.typed.split(u'|', Qt::SkipEmptyParts)) {
        typeText(box(d, part.section(u'=', 0, 0)), part.section(u'=', 1));
        QCOMPARE(box(d, part.section(u'=', 0, 0))->text(), part.section(u'=', 1));
    }
    clickFind(d);

    QTreeView* lv = list(d);
    QCOMPARE(rowTexts(lv, 0), padded(c.codes));
    QCOMPARE(rowText(lv, -1), u"コード|フリガナ|名称|単価１|単価２|単価３|単位|分類|区分|税|在庫|中止"_s);
    if (!c.rows.isEmpty()) QCOMPARE(rowTexts(lv), c.rows);
    // Nothing found is told as such: the statement itself did not fail.
    QCOMPARE(joined(messageTexts(env.dialogs).join(u'/'), d.windowTitle(),
                    env.dir.count(u"select count(*) from goods"_s), d.listHasRows(),
                    d.isVisible() && d.findChild<QWidget*>(c.focus)->hasFocus(), chosenRow(lv)),
             joined(c.message, c.searched, 6, !c.codes.isEmpty(), true, rows(lv) ? 0 : -1));
    // Discontinued rows say so and are red in every column (and painted so, unless selected);
    // prices are right-aligned, headers too.
    const QAbstractItemModel* m = lv->model();
    const QImage shot = lv->viewport()->grab().toImage();
    for (int i = 0; i < rows(lv); ++i) {
        const bool stopped = rowText(lv, i, 0) == pad(u"300"_s);
        QCOMPARE(rowText(lv, i, 11), stopped ? u"中止"_s : QString());
        if (i != chosenRow(lv)) QCOMPARE(paintedRed(shot, lv->visualRect(m->index(i, 2))), stopped);
        for (int col = 0; col < 12; ++col) {
            const QModelIndex at = m->index(i, col);
            QCOMPARE(at.data(Qt::ForegroundRole).value<QBrush>().color() == QColor(255, 0, 0), stopped);
            QCOMPARE(bool(at.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight), col >= 3 && col <= 5);
            QCOMPARE(bool(m->headerData(col, Qt::Horizontal, Qt::TextAlignmentRole).toInt() & Qt::AlignRight),
                     col >= 3 && col <= 5);
        }
    }
    const QString selected = chosenCode(lv);
    QVERIFY(play(&d, lv, c.codes.isEmpty() ? u"sort2"_s : c.script).isEmpty());
    QCOMPARE(chosenCode(lv), selected);
    QCOMPARE(lv->header()->isSortIndicatorShown(), !c.script.isEmpty()); // none on an empty list
    clickFind(d); // the filters stay once the caption is gone
    QCOMPARE(rowTexts(lv, 0), padded(c.after));
    QCOMPARE(chosenRow(lv), rows(lv) ? 0 : -1);
}

void TestPopupGoods::categoryKeys_data() {
    QTest::addColumn<Category>("c");
    const int f2 = Qt::Key_F2, f3 = Qt::Key_F3, f4 = Qt::Key_F4, enter = Qt::Key_Return;
    QTest::newRow("F2 from 3") << Category{3, f2, {}, u" 7"_s, u"衣料"_s};
    QTest::newRow("F3 from 3") << Category{3, f3, {}, u" 1"_s, u"食品"_s};
    QTest::newRow("Page Up from 3") << Category{3, Qt::Key_PageUp, {}, u" 7"_s, u"衣料"_s};
    QTest::newRow("Page Down from 3") << Category{3, Qt::Key_PageDown, {}, u" 1"_s, u"食品"_s};
    QTest::newRow("F2 on the highest") << Category{7, f2, {}, u"7"_s, u"衣料"_s};
    QTest::newRow("F3 on the lowest") << Category{1, f3, {}, u"1"_s, u"食品"_s};
    QTest::newRow("F2 from blank") << Category{0, f2, {}, u" 1"_s, u"食品"_s};
    QTest::newRow("F3 from blank") << Category{0, f3, {}, QString(), QString()};
    QTest::newRow("F4: 7 chosen") << Category{3, f4, u"down enter"_s, u" 7"_s, u"衣料"_s};
    QTest::newRow("F4: F12 in the list") << Category{3, f4, u"f12"_s, u"3"_s, u"雑貨"_s};
    // Leaving the field right-justifies and names a known category, clears an unknown one.
    QTest::newRow("7 typed") << Category{0, enter, u"7"_s, u" 7"_s, u"衣料"_s};
    QTest::newRow("unknown 5 typed over 3") << Category{3, enter, u"5"_s, QString(), QString()};
    QTest::newRow("digits only") << Category{3, enter, u"x"_s, u" 3"_s, u"雑貨"_s};
}

void TestPopupGoods::categoryKeys() {
    QFETCH(Category, c);
    Env env(false);
    frmPopupGoods d;
    d.Gbun(3);
    d.Gbun(c.start); // 0, the caller's blank, clears the category
    QVERIFY(showAndActivate(&d));
    QLineEdit *bunrui = box(d, u"txtBunrui"_s), *code = box(d, u"txtCode"_s);
    QVERIFY(bunrui->hasFocus());
    const bool f4 = c.key == Qt::Key_F4;
    QStringList listed;
    QString problem;
    std::optional<ModalDriver<frmPopup>> driver;
    if (f4)
        driver.emplace([](frmPopup* p) { return p->isListLoaded() && p->isEnabled(); },
                       [&](frmPopup* p) {
                           listed = rowTexts(p->listView(), 0);
                           problem = play(p, p->listView(), c.input);
                       });
    else
        typeText(bunrui, c.input); // replaces the selected text
    QTest::keyClick(bunrui, Qt::Key(c.key));

    QCOMPARE(joined(driver && driver->driven, problem, listed.join(u','), bunrui->text(), bunruiName(d),
                    d.isVisible(), env.dialogs.messages.size()),
             joined(f4, QString(), f4 ? u"     3,     7"_s : QString(), c.text, c.name, true, 0));
    QTRY_VERIFY((c.key == Qt::Key_Return ? code : bunrui)->hasFocus());
    if (bunrui->hasFocus()) QCOMPARE(bunrui->selectedText(), c.text);
    // Elsewhere the key leaves the category alone (F4 opens no list).
    QTest::keyClick(code, Qt::Key(c.key));
    QVERIFY(QApplication::activeModalWidget() == nullptr || QApplication::activeModalWidget() == &d);
    QCOMPARE(joined(bunrui->text().trimmed(), bunruiName(d), driver && driver->timedOut),
             joined(c.text.trimmed(), c.name, false));
}

// Whatever reaches the category field, the statements get a number: typed keys and pastes pass the
// digits-only rule, a text set directly is read as a number (its leading digits).
void TestPopupGoods::categoryGoesInAsANumber_data() {
    cols<QString, QString, QString>("how", "input", "field"); // field: what it shows after the search
    for (const char* input : {"1 or 1=1", "1;drop table goods", "1'", "1) or (1=1", "1 union select 1"}) {
        const QString in = QString::fromUtf8(input);
        row(qPrintable(u"set, then left: "_s + in), "set", input, " 1");
        row(qPrintable(u"set from elsewhere: "_s + in), "elsewhere", input, input);
        row(qPrintable(u"typed: "_s + in), "keys", input, " 1");
        row(qPrintable(u"pasted: "_s + in), "paste", input, " 1");
    }
    row("text only, set: no category 0", "set", "x or 1=1", "");
}

void TestPopupGoods::categoryGoesInAsANumber() {
    const auto how = fetch<QString>("how");
    const auto input = fetch<QString>("input");
    const auto field = fetch<QString>("field");
    Env env;
    env.dir.addGoods(u"400"_s, u"りんご旧2"_s, 1, 0, 1); // category 1, discontinued: stays out
    const QString tables = env.dir.schemaNames();
    frmPopupGoods d;
    QVERIFY(showAndActivate(&d));
    QLineEdit* bunrui = box(d, u"txtBunrui"_s);
    QVERIFY(bunrui->hasFocus());
    if (how == u"elsewhere") box(d, u"txtCode"_s)->setFocus(); // no check on leaving before the search
    if (how == u"set" || how == u"elsewhere") bunrui->setText(input);
    if (how == u"keys") typeText(bunrui, input);
    if (how == u"paste") {
        QGuiApplication::clipboard()->setText(input);
        QTest::keySequence(bunrui, QKeySequence::Paste);
        QVERIFY(!bunrui->text().isEmpty());
    }
    clickFind(d);

    const bool known = !field.isEmpty();
    QCOMPARE(bunrui->text(), field);
    QCOMPARE(bunruiName(d), known && how != u"elsewhere" ? u"食品"_s : QString());
    QCOMPARE(rowTexts(list(d), 0), padded(known ? u"1"_s : kActive));
    QCOMPARE(joined(env.dialogs.messages.size(), env.dir.schemaNames(),
                    env.dir.count(u"select count(*) from goods"_s),
                    env.dir.count(u"select count(*) from bunrui"_s)),
             joined(0, tables, 7, 3));
    // The category keys read the same number.
    bunrui->setFocus();
    bunrui->setText(input);
    QTest::keyClick(bunrui, Qt::Key_F2);
    QCOMPARE(bunrui->text(), known ? u" 3"_s : u" 1"_s);
}

void TestPopupGoods::clearByF6AndEscape() {
    Env env;
    frmPopupGoods d;
    QVERIFY(showAndActivate(&d));
    QLineEdit *name = box(d, u"txtname"_s), *kana = box(d, u"txtKana"_s), *code = box(d, u"txtCode"_s);
    QTreeView* lv = list(d);
    // code|kana|name, the rows listed, whether it has rows, the focus, whether shown
    const auto state = [&] {
        return joined(code->text(), kana->text(), name->text(), rows(lv), d.listHasRows(),
                      screen::focusName(), d.isVisible());
    };
    typeText(name, u"りんご"_s);
    clickFind(d);
    kana->setFocus();
    typeText(kana, u"ｱ"_s);
    QTest::keyClick(kana, Qt::Key_Escape); // the first Escape undoes the typing in the field
    QCOMPARE(state(), u"||りんご|2|true|txtKana|true"_s);
    QTest::keyClick(kana, Qt::Key_Escape); // the second one clears
    QCOMPARE(state(), u"|||0|false|txtCode|true"_s);
    typeText(code, u"2"_s);
    clickFind(d);
    QVERIFY(lv->hasFocus());
    QTest::keyClick(lv, Qt::Key_F6);
    QCOMPARE(state(), u"|||0|false|txtCode|true"_s);
    lv->setFocus(); // Enter on the emptied list chooses nothing
    QTest::keyClick(lv, Qt::Key_Return);
    QVERIFY(d.isVisible());
}

void TestPopupGoods::choosingAndClosing_data() {
    QTest::addColumn<Choose>("c");
    const int yes = QDialog::Accepted, no = QDialog::Rejected;
    QTest::newRow("Enter on the first row") << Choose{u"enter"_s, pad(u"2"_s), yes};
    QTest::newRow("Down and Enter") << Choose{u"down enter"_s, pad(u"3"_s), yes};
    QTest::newRow("double-click") << Choose{u"dclick2"_s, pad(u"15"_s), yes};
    QTest::newRow("F12 key") << Choose{u"f12"_s, QString(), no};
    QTest::newRow("toolbar F12") << Choose{u"tb12"_s, QString(), no};
    QTest::newRow("window frame: empty code") << Choose{u"frame"_s, QString(), no};
    QTest::newRow("caller busy after creating it") << Choose{u"down enter"_s, pad(u"3"_s), yes, true};
}

void TestPopupGoods::choosingAndClosing() {
    QFETCH(Choose, c);
    Env env;
    QWidget screen;
    screen.show();
    auto* d = new frmPopupGoods(&screen); // modal, as the screens open it
    d->gstrCode = u"2"_s;                 // padded on showing
    if (c.busyCaller) screen.setEnabled(false);
    QString startCode, problem;
    ModalDriver<frmPopupGoods> driver([](frmPopupGoods* p) { return p->isEnabled(); },
                                      [&](frmPopupGoods* p) {
                                          startCode = box(*p, u"txtCode"_s)->text();
                                          clickFind(*p);
                                          problem = play(p, list(*p), c.script);
                                      });
    const int result = d->exec();
    const QString chosen = d->gstrCode;
    delete d;

    QCOMPARE(joined(driver.driven, driver.timedOut, problem, startCode, chosen, result),
             joined(true, false, QString(), pad(u"2"_s), c.code, c.result));
}

// Searches over goods of their own. A header click orders the list as the database orders it:
// letters without regard to case, so "a5", "A6" and "a7" stay together, and the search's own order
// is the database's (`order`: the column the database orders by, checked against it). A backslash
// typed into the name or kana field matches itself on every engine: the server takes no escape
// character in the lookup's patterns either, so a trailing one is no error and "a\b" does not find
// "ab". A name handed over by the caller ("ranked=NAME=CAPTION") is searched word by word, the best
// match first (neither stock-managed nor active goods left out), and Enter takes it.
void TestPopupGoods::ownGoods_data() {
    cols<QString, QString, QString, QString, QString>("goods", "typed", "clicks", "order", "codes");
    const char* letters =
        "a5|zeta|ｳb;A6|Yak|ｴa;a7|xray|ｱ;B0|Whisky|ｳC;b1|victor|ｵ;C2|Uniform|ｲB;c3|uniforms|ｲa";
    row("the search", letters, "", "", "code", "a5 A6 a7 B0 b1 C2 c3");
    row("code header after the name", letters, "", "2 0", "code", "a5 A6 a7 B0 b1 C2 c3");
    row("kana header", letters, "", "1", "kana", "a7 c3 C2 a5 B0 A6 b1");
    row("name header", letters, "", "2", "name", "C2 c3 b1 B0 a7 A6 a5");
    const char* slashes =
        "1|C:\\PELKO\\在庫|ｼｰｺﾛﾝ\\ﾍﾟﾙｺ;2|x\\\\y|ｴｯｸｽ;3|a\\b|ｴｰﾋﾞｰ;4|ab|ｱﾌﾞ;5|50%引き|ｺﾞｼﾞｭｯ";
    row("name: a backslash", slashes, "txtname=\\", "", "", "1 2 3");
    row("name: a backslash before a letter", slashes, "txtname=a\\b", "", "", "3");
    row("name: two backslashes", slashes, "txtname=\\\\", "", "", "2");
    row("name: ending in a backslash", slashes, "txtname=PELKO\\", "", "", "1");
    row("kana: a backslash", slashes, "txtKana=\\", "", "", "1");
    row("kana: a backslash between kana", slashes, "txtKana=ｺﾛﾝ\\ﾍﾟ", "", "", "1");
    row("name: no backslash", slashes, "txtname=50%", "", "", "5");
    const char* ranked =
        "10|オレンジジュース||1|1|1;20|りんごジュース|;30|特価りんごジュース500|;40|みかん|;50|O'Neil 牛肉|;"
        "60|豚肉|";
    row("ranked: best match first", ranked,
        "ranked=【特価】りんごジュース(500)=商品一覧（特価、りんご、ジュース、500）", "", "", "30 20 10");
    row("ranked: apostrophe", ranked, "ranked=O'Neil 牛肉=*", "", "", "50");
}

void TestPopupGoods::ownGoods() {
    const auto typed = fetch<QString>("typed");
    const auto order = fetch<QString>("order");
    const auto codes = fetch<QString>("codes");
    Env env(false);
    for (const QString& g : fetch<QString>("goods").split(u';')) {
        const QStringList f = g.split(u'|');
        env.dir.addGoods(f[0], f[1], f.value(3, u"1"_s).toInt(), f.value(4).toInt(), f.value(5).toInt(),
                         f[2]);
    }
    if (!order.isEmpty())
        QCOMPARE(env.dir.rows(u"select trim(code) from goods order by "_s + order + u", code"_s, {}, u" "_s),
                 codes);
    frmPopupGoods d;
    const QString field = typed.section(u'=', 0, 0), text = typed.section(u'=', 1);
    if (field == u"ranked") {
        d.gbytMode = 1;
        d.gstrCode = pad(u"25"_s);
        d.gstrGname = typed.section(u'=', 1, 1);
    }
    QVERIFY(showAndActivate(&d));
    if (field == u"ranked") { // the ranked search clears the conditions
        QTRY_VERIFY(d.gstrGname.isEmpty() && d.isEnabled());
        QVERIFY(like(d.windowTitle(), typed.section(u'=', 2)));
        QCOMPARE(joined(rowTexts(list(d), 0).join(u','), d.findChild<QLabel*>(u"txtMsg"_s)->isVisible(),
                        box(d, u"txtCode"_s)->text(), list(d)->hasFocus(), env.dialogs.messages.size()),
                 joined(padded(codes).join(u','), false, QString(), true, 0));
        QTest::keyClick(list(d), Qt::Key_Return);
        QCOMPARE(joined(d.gstrCode, d.isVisible()), joined(padded(codes).first(), false));
        return;
    }
    if (!typed.isEmpty()) {
        typeText(box(d, field), text);
        QCOMPARE(box(d, field)->text(), text);
    }
    clickFind(d);
    QTreeView* lv = list(d);
    for (const QString& c : fetch<QString>("clicks").split(u' ', Qt::SkipEmptyParts))
        clickHeader(lv, c.toInt());
    QCOMPARE(rowTexts(lv, 0), padded(codes));
    clickFind(d); // the next search keeps the column
    QCOMPARE(rowTexts(lv, 0), padded(codes));
    QCOMPARE(messageTexts(env.dialogs), QStringList());
}

QTEST_MAIN(TestPopupGoods)
#include "tst_popupgoods.moc"

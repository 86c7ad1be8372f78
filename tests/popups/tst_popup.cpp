#include "PopupDriver.h"
#include "popups/LookupView.h"
#include "popups/clsPopup.h"
#include "popups/frmPopup.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const auto loaded = [](frmPopup* dlg) { return dlg->isListLoaded() && dlg->isEnabled(); };

// A list run: kubun and start code in, the steps played, the rows seen (on opening and after the
// steps) and the code handed back.
struct Case {
    QString kubun, start;
    int maxline; // 0: as the database has it
    QString script;
    QStringList listed;
    QString result;
    QStringList messages, after = listed;
};

} // namespace
Q_DECLARE_METATYPE(Case)

class TestPopup : public QObject {
    Q_OBJECT

private slots:
    void categoryList_data();
    void categoryList();
};

void TestPopup::categoryList_data() {
    QTest::addColumn<Case>("c");
    const QStringList all{u"     1|食品"_s, u"     3|雑貨"_s, u"     7|衣料"_s}, from3 = all.mid(1);
    const QString k4 = u"4"_s;
    QTest::newRow("at 3: 3 and 7") << Case{k4, u"3"_s, 0, u"tb12"_s, from3, u"3"_s};
    QTest::newRow("at 0: all") << Case{k4, u"0"_s, 0, u"tb12"_s, all, u"0"_s};
    QTest::newRow("blank: all") << Case{k4, u"  "_s, 0, u"tb12"_s, all, u"  "_s};
    QTest::newRow("between codes") << Case{k4, u"4"_s, 0, u"tb12"_s, {all.last()}, u"4"_s};
    QTest::newRow("Enter on the first row") << Case{k4, u"3"_s, 0, u"enter"_s, from3, u"     3"_s};
    QTest::newRow("7 chosen: the padded code") << Case{k4, u"3"_s, 0, u"down enter"_s, from3, u"     7"_s};
    QTest::newRow("down past the end") << Case{k4, u"3"_s, 0, u"down down down enter"_s, from3, u"     7"_s};
    QTest::newRow("double-click") << Case{k4, u"0"_s, 0, u"dclick2"_s, all, u"     7"_s};
    QTest::newRow("F12 key clears") << Case{k4, u"3"_s, 0, u"down f12"_s, from3, QString()};
    QTest::newRow("toolbar F12 hands back the code") << Case{k4, u"3"_s, 0, u"down tb12"_s, from3, u"3"_s};
    QTest::newRow("frame hands back the code") << Case{k4, u"3"_s, 0, u"down frame"_s, from3, u"3"_s};
    QTest::newRow("Escape keeps it open") << Case{k4, u"1"_s, 0, u"esc down enter"_s, all, u"     3"_s};
    QTest::newRow("F1 help") << Case{k4, u"0"_s, 0, u"f1 f12"_s, all, QString()};
    QTest::newRow("maxline above the rows") << Case{k4, u"0"_s, 5, u"enter"_s, all, u"     1"_s};
    QTest::newRow("maxline exactly reached") << Case{k4, u"0"_s, 3, u"enter"_s, all, u"     1"_s};
    QTest::newRow("maxline exceeded")
        << Case{k4, u"0"_s, 2, u"enter"_s, all.mid(0, 2), u"     1"_s, {kMaxLine}};
    QTest::newRow("at 9: no data") << Case{k4, u"9"_s, 0, QString(), {}, u"9"_s, {kNoData}};
    // Selectors that are not numbers never change the statement.
    QTest::newRow("start with a condition") << Case{k4, u"3 or 1=1"_s, 0, u"tb12"_s, from3, u"3 or 1=1"_s};
    const QStringList ship{u"     4|佐川|120"_s, u"    12|ヤマト|  5"_s}, byName{ship.last(), ship.first()};
    QTest::newRow("shipping kinds with their order")
        << Case{u"3"_s, {}, 0, u"down enter"_s, ship, u"    12"_s};
    // Text order of the right-justified codes is their numeric order; the loaded row stays chosen.
    QTest::newRow("sorted by name") << Case{u"3"_s, {}, 0, u"sort1 enter"_s, ship, u"     4"_s, {}, byName};
    QTest::newRow("sorted back by code") << Case{u"3"_s, {}, 0, u"sort1 sort0 enter"_s, ship, u"     4"_s};
}

void TestPopup::categoryList() {
    QFETCH(Case, c);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    categories(dir);
    dir.exec({u"insert into bunrui (kubun, code, name, jun) values (3, 12, 'ヤマト', 5)"_s,
              u"insert into bunrui (kubun, code, name, jun) values (3, 4, '佐川', 120)"_s,
              u"insert into bunrui (kubun, code, name, jun) values (5, 2, '他の一覧', 0)"_s});
    if (c.maxline) dir.exec(u"update sysfile set maxline = %1 where id = 1"_s.arg(c.maxline));

    QStringList shown, after;
    QString title, page, problem;
    bool ready = false; // the list focused on its first row, F12 on, F2 off
    ModalDriver<frmPopup> driver(loaded, [&](frmPopup* dlg) {
        QTreeView* list = dlg->listView();
        shown = rowTexts(list);
        title = dlg->windowTitle();
        page = dlg->helpPage();
        ready = list->hasFocus() && chosenRow(list) == 0 && dlg->isToolbarEnabled(12) &&
                !dlg->isToolbarEnabled(2);
        problem = play(dlg, list, c.script);
        after = rowTexts(list);
    });
    clsPopup popup;
    popup.IdxKey = c.kubun;
    popup.IdxKey2 = c.start;
    popup.IdxKey3 = u"passed"_s;
    popup.fnSetPopup(2);

    QVERIFY(driver.saw && !driver.timedOut);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(driver.driven, !c.listed.isEmpty()); // no data: closed by itself
    QCOMPARE(shown, c.listed);
    QCOMPARE(after, c.after);
    if (driver.driven) {
        QCOMPARE(title, c.kubun == u"4" ? u"商品分類一覧"_s : u"分類一覧（送り状種類）"_s);
        if (c.kubun == u"4") QCOMPARE(page, u"context6101"_s);
        QVERIFY(ready);
    }
    QCOMPARE(messageTexts(dialogs), c.messages);
    if (!c.messages.isEmpty()) QCOMPARE(dialogs.lastMessage().title, u"ＰＥＬＫＯ"_s);
    QCOMPARE(popup.IdxKey, c.kubun);
    QCOMPARE(popup.IdxKey2, c.result);
    QCOMPARE(popup.IdxKey3, u"passed"_s);
}

QTEST_MAIN(TestPopup)
#include "tst_popup.moc"

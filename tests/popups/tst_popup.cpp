#include "PopupDriver.h"
#include "popups/clsPopup.h"
#include "popups/frmPopup.h"
#include "ui/DataRows.h"

using namespace Qt::Literals::StringLiterals;
using screen::joined;

// clsPopup's list of one kind of category from a start code: the steps played on the list as it
// opens (the first row chosen, the list focused), the code handed back and the boxes said.
class TestPopup : public QObject, DataRows {
    Q_OBJECT

private slots:
    void categoryList_data() {
        cols<QString, QString, int, QString, QString, QString>("kubun", "start", "maxline", "steps", "result",
                                                               "said");
        const QString all = u"?codes=1 3 7;"_s, from3 = u"?codes=3 7;"_s;
        row("at 3: 3 and 7", "4", "3", 0, from3 + "toolbar:12", "3", "");
        row("at 0: all", "4", "0", 0, "?list=コード|名称#     1|食品#     3|雑貨#     7|衣料;toolbar:12", "0",
            "");
        row("blank: all", "4", "  ", 0, all + "toolbar:12", "  ", "");
        row("between codes", "4", "4", 0, "?codes=7;toolbar:12", "4", "");
        row("Enter on the first row", "4", "3", 0, from3 + "Enter", "     3", "");
        row("7 chosen: the padded code", "4", "3", 0, "Down;Enter", "     7", "");
        row("down past the end", "4", "3", 0, "Down;Down;Down;Enter", "     7", "");
        row("double-click", "4", "0", 0, all + "dclick:2", "     7", "");
        row("F12 key clears", "4", "3", 0, "Down;F12", "", "");
        row("toolbar F12 hands back the code", "4", "3", 0, "Down;toolbar:12", "3", "");
        row("frame hands back the code", "4", "3", 0, "Down;close", "3", "");
        row("Escape keeps it open", "4", "1", 0, all + "Esc;Down;Enter", "     3", "");
        row("F1 help", "4", "0", 0, "F1;?help;F12", "", "");
        row("maxline above the rows", "4", "0", 5, all + "Enter", "     1", "");
        row("maxline exactly reached", "4", "0", 3, all + "Enter", "     1", "");
        row("maxline exceeded", "4", "0", 2, "?codes=1 3;Enter", "     1", kMaxLine);
        row("at 9: no data", "4", "9", 0, "", "9", kNoData);
        // Selectors that are not numbers never change the statement.
        row("start with a condition", "4", "3 or 1=1", 0, from3 + "toolbar:12", "3 or 1=1", "");
        row("shipping kinds with their order", "3", "", 0,
            "?list=コード|名称|順番#     4|佐川|120#    12|ヤマト|  5;Down;Enter", "    12", "");
        // Text order of the right-justified codes is their numeric order; the loaded row stays chosen.
        row("sorted by name", "3", "", 0, "sort:1;?codes=12 4;Enter", "     4", "");
        row("sorted back by code", "3", "", 0, "sort:1;sort:0;?codes=4 12;Enter", "     4", "");
    }

    void categoryList() {
        const auto kubun = fetch<QString>("kubun"), steps = fetch<QString>("steps");
        ScreenBench b;
        categories(b.dir);
        b.dir.exec({u"insert into bunrui (kubun, code, name, jun) values (3, 12, 'ヤマト', 5)"_s,
                    u"insert into bunrui (kubun, code, name, jun) values (3, 4, '佐川', 120)"_s,
                    u"insert into bunrui (kubun, code, name, jun) values (5, 2, '他の一覧', 0)"_s});
        if (fetch<int>("maxline"))
            b.dir.exec(u"update sysfile set maxline = %1 where id = 1"_s.arg(fetch<int>("maxline")));
        QString problem;
        bool ready = false; // F12 on, F2 off, the goods categories' help page
        ModalDriver<frmPopup> driver(
            [](frmPopup* dlg) { return dlg->isListLoaded() && dlg->isEnabled(); },
            [&](frmPopup* dlg) {
                ready = dlg->isToolbarEnabled(12) && !dlg->isToolbarEnabled(2) &&
                        (kubun != u"4" || dlg->helpPage() == u"context6101");
                b.extraStep = [dlg](const QString& s) {
                    if (s != u"?help") return false;
                    const bool shown = dlg->helpWindow() && dlg->helpWindow()->isVisible();
                    if (shown) dlg->helpWindow()->close();
                    return shown && screen::showAndActivate(dlg);
                };
                const QString title = kubun == u"4" ? u"商品分類一覧"_s : u"分類一覧（送り状種類）"_s;
                problem = b.play(u"?title="_s + title + u";?focus=ListView;?chosen=0;"_s + steps, dlg);
            });
        clsPopup popup;
        popup.IdxKey = kubun;
        popup.IdxKey2 = fetch<QString>("start");
        popup.IdxKey3 = u"passed"_s;
        popup.fnSetPopup(2);

        // No data: the list closed by itself.
        QCOMPARE(joined(driver.driven, ready, problem, b.said(), popup.IdxKey, popup.IdxKey2, popup.IdxKey3),
                 joined(!steps.isEmpty(), !steps.isEmpty(), QString(), fetch<QString>("said"), kubun,
                        fetch<QString>("result"), u"passed"_s));
        QVERIFY(driver.saw && !driver.timedOut);
    }
};

QTEST_MAIN(TestPopup)
#include "tst_popup.moc"

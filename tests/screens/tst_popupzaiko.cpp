// The receipt / count list popup: search, list, pick, clear and close, each scenario one row of
// steps (ScreenBench::play).

#include "support/ScreenBench.h"
#include "ui/DataRows.h"

#include "popups/LookupView.h"
#include "screens/frmPopupZaiko.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <algorithm>

using namespace screen;
using namespace Qt::Literals::StringLiterals;

namespace {
// The header, then the rows sorted by day and within a day by their text (the statement orders by
// day alone).
QString byDay(QStringList rows) {
    if (rows.size() > 1)
        std::stable_sort(rows.begin() + 1, rows.end(), [](const QString& a, const QString& b) {
            const QString da = a.section(u'|', 0, 0), db = b.section(u'|', 0, 0);
            return da != db ? da < db : a < b;
        });
    return rows.join(u'#');
}
} // namespace

class TestPopupZaiko : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<ScreenBench> b;
    frmPopupZaiko* popup() const { return static_cast<frmPopupZaiko*>(b->form.get()); }

    void open(int mode) {
        b.reset();
        b = std::make_unique<ScreenBench>();
        addGoodsRows(b->dir, u"12 みかん 1; 7 石鹸 2"_s);
        addLedgerRows(
            b->dir,
            u"20240110 0 1500; 20240103 0 20 0 0 7; 20240103 0 3; 20240105 9 77; 20240104 1 2 31 1"_s);
        b->extraStep = [this](const QString& s) { return step(s); };
        QVERIFY(b->open<frmPopupZaiko>([mode](frmPopupZaiko* p) { p->setMode(mode); })->isActiveWindow());
    }
    // Steps this file adds to the bench's; the checks among them fail the test where they stand.
    bool step(const QString& s) {
        bool known = true;
        [&] {
            auto* picker = child<QDateEdit>(popup(), "DTPicker");
            if (s.startsWith(u"pick:"))
                picker->setDate(QDate::fromString(s.mid(5), u"yyyyMMdd"_s)); // as the calendar does
            else if (s.startsWith(u"?picker=")) { // a blank picker's calendar opens on this month
                QCOMPARE(picker->text().trimmed(), s.mid(8));
                QCalendarWidget* calendar = picker->calendarWidget();
                calendar->window()->show();
                const QDate page =
                    s.mid(8).isEmpty() ? QDate::currentDate() : QDate::fromString(s.mid(8), u"yyyy/MM/dd"_s);
                QCOMPARE(QDate(calendar->yearShown(), calendar->monthShown(), 1),
                         QDate(page.year(), page.month(), 1));
                calendar->window()->hide();
                QCOMPARE(picker->text().trimmed(), s.mid(8));
            } else
                known = false;
        }();
        return known;
    }

private slots:
    void cleanup() { b.reset(); }

    // mode 0 receipts, 9 counts; listed: the header then the rows (byDay), '#' between; picked:
    // FindDay|FindGcode; open: the popup still shown.
    void scenario_data() {
        cols<int, QString, QString, QString, QString, bool>("mode", "steps", "listed", "said", "picked",
                                                            "open");
        const QString in = u"入庫日|商品コード|商品名|入庫数"_s, r3a = u"2024/01/03|7|石鹸|20"_s,
                      r3b = u"2024/01/03|12|みかん|3"_s, r10 = u"2024/01/10|12|みかん|1,500"_s;
        const QString find = u"?focus=txtYy;?title=入庫処理一覧;?lblDay=入庫日;"_s;
        row("everything, oldest first", 0, find + "click:cmdFind;?focus=ListView;?chosen=0",
            in + '#' + r3b + '#' + r3a + '#' + r10, "", "0|", true);
        row("one day", 0, find + "date:20240103;click:cmdFind", in + '#' + r3b + '#' + r3a, "", "0|", true);
        row("one goods", 0, find + "txtGcode=12;Enter;?lblGoodsName=みかん;click:cmdFind",
            in + '#' + r3b + '#' + r10, "", "0|", true);
        row("day and goods", 0, find + "date:20240103;txtGcode=12;Enter;click:cmdFind", in + '#' + r3b, "",
            "0|", true);
        row("counts", 9, "?title=在庫数調整一覧;?lblDay=調整日;click:cmdFind",
            u"調整日|商品コード|商品名|調整数#2024/01/05|12|みかん|77"_s, "", "0|", true);
        // A pick by Enter or double-click hands back day and code and closes; F12 closes without one;
        // an empty search says so and Enter then picks nothing.
        row("receipt, double-click", 0, "click:cmdFind;dclick:1", "*", "", "20240103|*", false);
        row("receipt, enter", 0, "click:cmdFind;Down;Enter", "*", "", "20240103|*", false);
        row("count, double-click", 9, "click:cmdFind;dclick:0", "*", "", "20240105|12", false);
        row("count, enter", 9, "click:cmdFind;Enter", "*", "", "20240105|12", false);
        row("F12", 9, "click:cmdFind;F12", "*", "", "0|", false);
        row("nothing listed", 0, "date:20230101;click:cmdFind;focusOn:ListView;Enter", in,
            "該当データがありません*", "0|", true);
        // The picker shows no date while the boxes hold none: not on opening, nor after a box was
        // emptied or F6 cleared them; a date typed or picked shows.
        const QString day3 = u"?picker=2024/01/03;?txtYy=2024;?txtMm= 1;?txtDd= 3;"_s;
        row("picker on opening", 0, "?picker=;?txtYy=;?txtMm=;?txtDd=", "*", "", "0|", true);
        row("picker: a date typed", 0, "date:20240103;" + day3, "*", "", "0|", true);
        row("picker: the day emptied", 0,
            "date:20240103;txtDd=;Backspace;txtGcode=;?picker=;?txtYy=2024;?txtMm= 1;?txtDd=", "*", "", "0|",
            true);
        row("picker: the day typed again", 0,
            "date:20240103;txtDd=;Backspace;txtGcode=;date:20240105;?picker=2024/01/05", "*", "", "0|", true);
        row("picker: the year emptied, then picked", 0,
            "date:20240103;txtYy=;Backspace;txtGcode=;?picker=;?txtYy=;?txtMm= 1;?txtDd= 3;"
            "pick:20240210;?picker=2024/02/10;?txtYy=2024;?txtMm= 2;?txtDd=10",
            "*", "", "0|", true);
        row("picker after F6, then picked", 0,
            "date:20240103;yes;F6;?picker=;?txtYy=;?txtMm=;?txtDd=;pick:20240103;" + day3, "*", "*", "0|",
            true);
        // Text set into the category box goes into no statement: the goods check reads it as a number
        // (category 2: no category condition finds goods 7).
        for (const char* input : {"1 or 1=1", "1{semicolon}drop table goods", "1'", "2 or 1=1"})
            row(input, 0,
                u"set:txtBunrui="_s + QLatin1String(input) + u";txtGcode=7;Enter;?txtGcode=;?lblGoodsName="_s,
                "*", "未登録です*", "0|", true);
        // A header click sorts by that column's text, and the next search's rows come sorted the same way.
        row("the sort stays for the next search", 0,
            "click:cmdFind;sort:1;?list=" + in +
                "#2024/01/03|12|みかん|3#2024/01/10|12|みかん|1,500#2024/01/"
                "03|7|石鹸|20;date:20240103;click:cmdFind",
            in + "#2024/01/03|12|みかん|3#2024/01/03|7|石鹸|20", "", "0|", true);
        row("leaving the picker goes to the month", 0, "focusOn:DTPicker;txtGcode=;?focus=txtMm", "*", "",
            "0|", true);
        row("F6 clears the conditions, not the list", 0,
            "date:20240103;txtGcode=12;Enter;click:cmdFind;yes;F6;?txtYy=;?txtMm=;?txtDd=;?txtBunrui=;?"
            "txtGcode=;?lblGoodsName=;?focus=txtYy",
            in + '#' + r3b, "入力項目を無効にします (ＰＥＬＫＯ)", "0|", true);
        // Leaving the date boxes adds 2000 to a year not four digits long; the picker takes the date
        // within its limits and writes it back.
        for (auto [year, shown] : {std::pair{"5", "2005/02/03"},
                                   {"99", "2099/02/03"},
                                   {"0", "2000/02/03"},
                                   {"123", "2099/12/31"},
                                   {"1999", "1999/02/03"}})
            row(qPrintable(u"year "_s + year), 0,
                u"date:"_s + year + u"0203;?picker="_s + shown + u";?txtYy="_s + QLatin1String(shown).left(4),
                "*", "", "0|", true);
    }
    void scenario() {
        open(fetch<int>("mode"));
        const QString tables = b->dir.schemaNames();
        QCOMPARE(b->play(fetch<QString>("steps")), QString());
        // "*": the list is not looked at; after a header click it is compared in the order shown.
        if (const QString want = fetch<QString>("listed"); want != u"*"_s) {
            const QStringList shown = listed(popup()->listView());
            QCOMPARE(fetch<QString>("steps").contains(u"sort:"_s) ? shown.join(u'#') : byDay(shown), want);
        }
        QVERIFY2(like(b->said(), fetch<QString>("said")), qPrintable(b->said()));
        const QString picked = joined(popup()->FindDay, popup()->FindGcode);
        QVERIFY2(like(picked, fetch<QString>("picked")), qPrintable(picked));
        QCOMPARE(popup()->isVisible(), fetch<bool>("open"));
        // Nothing changed, and this popup writes no log.
        QCOMPARE(joined(b->dir.schemaNames(), b->dir.count(u"select count(*) from goods"_s),
                        b->dir.count(u"select count(*) from gdai"_s),
                        b->dir.count(u"select count(*) from operatlog"_s)),
                 joined(tables, 2, 5, 0));
        QCOMPARE(popup()->listView()->model()->headerData(3, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
                     Qt::AlignRight,
                 int(Qt::AlignRight)); // the quantity's header
    }
};

QTEST_MAIN(TestPopupZaiko)
#include "tst_popupzaiko.moc"

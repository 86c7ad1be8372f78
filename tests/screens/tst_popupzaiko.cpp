// The receipt / count list popup: search, list, pick, clear and close.

#include "EntryDriver.h"

#include <algorithm>

#include "screens/frmPopupZaiko.h"
#include "ui/DataRows.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QHeaderView>
#include <QtTest>

using namespace entry;
using namespace Qt::Literals::StringLiterals;

class TstPopupZaiko : public QObject, DataRows {
    Q_OBJECT
    struct Bench { // the popup goes first, the folder last
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        std::unique_ptr<frmPopupZaiko> popup;
    };
    std::unique_ptr<Bench> b;
    QWidget* popup() const { return b->popup.get(); }
    void openPopup(int mode, int day = 0) { // and a date typed, when not 0
        b->popup = std::make_unique<frmPopupZaiko>();
        b->popup->setMode(mode);
        QVERIFY(showAndActivate(popup()));
        if (day) typeDate(popup(), day);
    }
    void find() { QTest::mouseClick(child<QPushButton>(popup(), "cmdFind"), Qt::LeftButton); }

private slots:
    void init() {
        b = std::make_unique<Bench>();
        b->dir.addGoods(u"12"_s, u"みかん"_s, 1);
        b->dir.addGoods(u"7"_s, u"石鹸"_s, 2);
        for (auto [code, day, kind, suu] : {std::tuple{"12", 20240110, 0, 1500},
                                            {"7", 20240103, 0, 20},
                                            {"12", 20240103, 0, 3},
                                            {"12", 20240105, 9, 77}})
            b->dir.addLedger(QString::fromLatin1(code), day, kind, suu);
        b->dir.addLedger(u"12"_s, 20240104, 1, 2, 31, 1);
    }
    void cleanup() { b.reset(); }
    // The header, then the rows sorted by day and within a day by their text.
    static QStringList byDay(QStringList rows) {
        if (rows.size() > 1)
            std::stable_sort(rows.begin() + 1, rows.end(), [](const QString& a, const QString& b) {
                const QString da = a.section(u'|', 0, 0), db = b.section(u'|', 0, 0);
                return da != db ? da < db : a < b;
            });
        return rows;
    }
    void searchNarrowsByDateAndCode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("expected"); // header first
        const QString in = u"入庫日|商品コード|商品名|入庫数"_s, r3a = u"2024/01/03|7|石鹸|20"_s,
                      r3b = u"2024/01/03|12|みかん|3"_s, r10 = u"2024/01/10|12|みかん|1,500"_s;
        auto row = [](const char* name, int mode, int day, QString code, QStringList expected) {
            QTest::newRow(name) << mode << day << code << expected;
        };
        row("everything, oldest first", 0, 0, "", {in, r3a, r3b, r10});
        row("one day", 0, 20240103, "", {in, r3a, r3b});
        row("one product", 0, 0, "12", {in, r3b, r10});
        row("day and product", 0, 20240103, "12", {in, r3b});
        row("counts", 9, 0, "", {u"調整日|商品コード|商品名|調整数"_s, u"2024/01/05|12|みかん|77"_s});
    }
    void searchNarrowsByDateAndCode() {
        QFETCH(int, mode);
        QFETCH(int, day);
        QFETCH(QString, code);
        QFETCH(QStringList, expected);
        openPopup(mode);
        QCOMPARE(focusName(), u"txtYy"_s);
        if (day) typeDate(popup(), day);
        if (!code.isEmpty()) {
            type(popup(), "txtGcode", code);
            press(Qt::Key_Return); // to the search button
            QCOMPARE(labelText(popup(), "lblGoodsName"), u"みかん"_s);
        }
        find();
        QCOMPARE(popup()->windowTitle(), mode == 0 ? u"入庫処理一覧"_s : u"在庫数調整一覧"_s);
        QCOMPARE(labelText(popup(), "lblDay"), expected[0].section(u'|', 0, 0));
        QVERIFY(b->popup->listView()->headerItem()->textAlignment(3) & Qt::AlignRight);
        // Rows of one day come in no set order (the statement orders by day alone).
        QCOMPARE(byDay(listed(b->popup->listView())), byDay(expected));
        QVERIFY(b->dialogs.messages.isEmpty());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(b->popup->listView()));
        QCOMPARE(b->popup->listView()->currentItem(), b->popup->listView()->topLevelItem(0));
        QCOMPARE(b->dir.count("select count(*) from operatlog"), 0); // this popup writes no log
    }
    // A pick by Enter or double-click hands back day and code and closes; F12 closes without one;
    // an empty search says "ﾃﾞｰﾀなし" and Enter then picks nothing.
    void pickHandsBackDayAndCode_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("day"); // searched for, 0 any
        QTest::addColumn<int>("how"); // Qt::Key_Return, Qt::Key_F12 or 0 for a double-click
        QTest::addColumn<int>("picked");
        QTest::newRow("receipt, double-click") << 0 << 0 << 0 << 20240103;
        QTest::newRow("receipt, enter") << 0 << 0 << int(Qt::Key_Return) << 20240103;
        QTest::newRow("count, double-click") << 9 << 0 << 0 << 20240105;
        QTest::newRow("count, enter") << 9 << 0 << int(Qt::Key_Return) << 20240105;
        QTest::newRow("F12") << 9 << 0 << int(Qt::Key_F12) << 0;
        QTest::newRow("nothing listed") << 0 << 20230101 << int(Qt::Key_Return) << 0;
    }
    void pickHandsBackDayAndCode() {
        QFETCH(int, mode);
        QFETCH(int, day);
        QFETCH(int, how);
        QFETCH(int, picked);
        openPopup(mode, day);
        find();
        QTreeWidget* list = b->popup->listView();
        QCOMPARE(b->popup->hasRows(), day == 0);
        QCOMPARE(b->dialogs.messages.size(), day ? 1 : 0);
        if (day) {
            QCOMPARE(b->dialogs.lastMessage().text, u"該当データがありません"_s);
            QCOMPARE(listed(list).size(), 1);
            list->setFocus();
        }
        const int row = mode == 0 ? 1 : 0; // the second receipt, the only count
        const QString shownCode =
            list->topLevelItem(row) ? list->topLevelItem(row)->text(1).trimmed() : QString();
        if (how) {
            if (row && how == Qt::Key_Return) press(Qt::Key_Down);
            press(Qt::Key(how));
        } else {
            const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        }
        QCOMPARE(b->popup->FindDay, picked);
        QCOMPARE(b->popup->FindGcode, picked ? shownCode : QString());
        QCOMPARE(popup()->isVisible(), day != 0);
    }
    // Leaving the date fields adds 2000 to a year that is not four digits long (and the picker takes
    // the date, within its limits).
    void yearIsCompletedOnLeaving_data() {
        QTest::addColumn<int>("typed");
        QTest::addColumn<int>("year");
        for (auto [typed, year] : {std::pair{5, 2005},
                                   {24, 2024},
                                   {50, 2050},
                                   {51, 2051},
                                   {75, 2075},
                                   {99, 2099},
                                   {0, 2000},
                                   {123, 2123},
                                   {1999, 1999}})
            QTest::newRow(qPrintable(QString::number(typed))) << typed << year;
    }
    void yearIsCompletedOnLeaving() {
        QFETCH(int, typed);
        QFETCH(int, year);
        openPopup(0);
        QStringList years; // the picker may clamp the year it is given and write its own back
        connect(child<QLineEdit>(popup(), "txtYy"), &QLineEdit::textChanged, this,
                [&years](const QString& t) { years << t; });
        typeDate(popup(), typed * 10000 + 203);
        QVERIFY2(years.contains(QString::number(year)), qPrintable(years.join(u',')));
        auto* picker = child<QDateEdit>(popup(), "DTPicker");
        const QDate taken = qMin(QDate(year, 2, 3), picker->maximumDate());
        QCOMPARE(picker->date(), taken);
        QCOMPARE(text(popup(), "txtYy"), QString::number(taken.year()));
    }
    // The picker shows no date while the boxes hold none: not on opening, not after a box was emptied
    // or F6 cleared them; a date typed or picked shows.
    void pickerShowsNoStaleDate_data() {
        cols<QString, QString, QString>("steps", "picker", "boxes");
        row("on opening", "", "", "||");
        row("a date typed", "date 20240103", "2024/01/03", "2024| 1| 3");
        row("the day emptied", "date 20240103|clear txtDd", "", "2024| 1|");
        row("the year emptied", "date 20240103|clear txtYy", "", "| 1| 3");
        row("the day typed again", "date 20240103|clear txtDd|date 20240105", "2024/01/05", "2024| 1| 5");
        row("F6", "date 20240103|f6", "", "||");
        row("picked in the calendar", "pick 20240210", "2024/02/10", "2024| 2|10");
        row("picked after F6", "date 20240103|f6|pick 20240103", "2024/01/03", "2024| 1| 3");
    }
    void pickerShowsNoStaleDate() {
        const auto steps = fetch<QString>("steps");
        const auto shown = fetch<QString>("picker");
        const auto boxes = fetch<QString>("boxes");
        openPopup(0);
        auto* picker = child<QDateEdit>(popup(), "DTPicker");
        for (const QString& step : steps.split(u'|', Qt::SkipEmptyParts)) {
            const QString what = step.section(u' ', 0, 0), arg = step.section(u' ', 1);
            if (what == u"date") typeDate(popup(), arg.toInt());
            if (what == u"clear") {
                type(popup(), arg.toLatin1().constData(), {});
                press(Qt::Key_Backspace);
                type(popup(), "txtGcode", {});
            }
            if (what == u"f6") {
                b->dialogs.answerMessage(MsgYes);
                press(Qt::Key_F6);
            }
            if (what == u"pick")
                picker->setDate(QDate::fromString(arg, u"yyyyMMdd"_s)); // as the calendar does
            QApplication::processEvents();
        }
        QCOMPARE(picker->text().trimmed(), shown);
        QCOMPARE(text(popup(), "txtYy") + u'|' + text(popup(), "txtMm") + u'|' + text(popup(), "txtDd"),
                 boxes);
        // A blank picker's calendar opens on this month.
        QCalendarWidget* calendar = picker->calendarWidget();
        calendar->window()->show();
        const QDate page = shown.isEmpty() ? QDate::currentDate() : QDate::fromString(shown, u"yyyy/MM/dd"_s);
        QCOMPARE(QDate(calendar->yearShown(), calendar->monthShown(), 1),
                 QDate(page.year(), page.month(), 1));
        calendar->window()->hide();
        QCOMPARE(picker->text().trimmed(), shown);
    }
    // Text set into the category field goes into no statement: the goods check reads it as a number.
    void categoryTextIsNoStatement_data() {
        cols<QString>("input");
        for (const char* input : {"1 or 1=1", "1;drop table goods", "1'", "2 or 1=1"})
            row(input, input);
    }
    void categoryTextIsNoStatement() {
        const auto input = fetch<QString>("input");
        const QString tables = b->dir.schemaNames();
        openPopup(0);
        child<QLineEdit>(popup(), "txtBunrui")->setText(input);
        type(popup(), "txtGcode", u"7"_s); // category 2: no category condition finds it
        press(Qt::Key_Return);
        QCOMPARE(b->dialogs.messages.size(), 1);
        QCOMPARE(b->dialogs.lastMessage().text, u"未登録です"_s);
        QCOMPARE(text(popup(), "txtGcode") + labelText(popup(), "lblGoodsName"), QString());
        QCOMPARE(b->dir.schemaNames(), tables);
        QCOMPARE(b->dir.count("select count(*) from goods"), 2);
        QCOMPARE(b->dir.count("select count(*) from gdai"), 5);
    }
    // A header click sorts by that column's text, and the next search's rows come sorted the same way.
    void sortStaysForTheNextSearch() {
        openPopup(0);
        find();
        QHeaderView* header = b->popup->listView()->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
        QCOMPARE(listed(b->popup->listView()).mid(1).join(u','),
                 u"2024/01/03|12|みかん|3,2024/01/10|12|みかん|1,500,2024/01/03|7|石鹸|20"_s);
        typeDate(popup(), 20240103);
        find();
        QCOMPARE(listed(b->popup->listView()).mid(1).join(u','),
                 u"2024/01/03|12|みかん|3,2024/01/03|7|石鹸|20"_s);
    }
    void leavingThePickerGoesToTheMonth() {
        openPopup(0);
        child<QDateEdit>(popup(), "DTPicker")->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        type(popup(), "txtGcode", {});
        QApplication::processEvents();
        QCOMPARE(focusName(), u"txtMm"_s);
    }
    void f6ClearsTheConditions() {
        openPopup(0, 20240103);
        type(popup(), "txtGcode", u"12"_s);
        press(Qt::Key_Return);
        find();
        b->dialogs.answerMessage(MsgYes);
        press(Qt::Key_F6);
        QCOMPARE(b->dialogs.lastMessage().text, u"入力項目を無効にします"_s);
        QString conditions;
        for (const char* name : {"txtYy", "txtMm", "txtDd", "txtBunrui", "txtGcode"})
            conditions += text(popup(), name);
        QCOMPARE(conditions + labelText(popup(), "lblGoodsName"), QString());
        QCOMPARE(focusName(), u"txtYy"_s);
        QCOMPARE(listed(b->popup->listView()).size(), 2); // the list keeps its rows
    }
};

QTEST_MAIN(TstPopupZaiko)
#include "tst_popupzaiko.moc"

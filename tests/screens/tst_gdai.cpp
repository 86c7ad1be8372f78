#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include "app/basMain.h"
#include "core/basPadding.h"
#include "data/basDb.h"
#include "screens/frmGdai.h"
#include "screens/frmSiiden.h"
#include "screens/frmTanaden.h"
#include "ui/basInput.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include <memory>

static const QString kNoData = QStringLiteral("該当データがありません");

// The goods ledger worked as a user works it: codes and months typed into the named fields, function
// keys, double-clicks on rows; grid cells, labels, boxes, program starts and log rows checked.
class tst_gdai : public QObject {
    Q_OBJECT
    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<frmGdai> m_form;

    template <typename T> T* control(const char* name) const {
        T* w = m_form->findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no control %s", name);
        return w;
    }
    QLineEdit* txtCode() const { return control<QLineEdit>("txtCode"); }
    QLineEdit* txtYy() const { return control<QLineEdit>("txtYy"); }
    QLineEdit* txtMm() const { return control<QLineEdit>("txtMm"); }
    QTableWidget* grid() const { return control<QTableWidget>("msgMei"); }
    QString label(const char* name) const { return control<QLabel>(name)->text(); }
    static QWidget* focus() { return QApplication::focusWidget(); }

    // Ledger rows "day kubun suu [denno line [code]]" separated by ';', code 1001 unless given.
    void addLedger(const QString& rows) const {
        for (const QString& r : rows.split(u';', Qt::SkipEmptyParts)) {
            const QStringList f = r.split(u' ', Qt::SkipEmptyParts);
            m_dir->addLedger(f.value(5, QStringLiteral("1001")), f.at(0).toInt(), f.at(1).toInt(),
                             f.at(2).toDouble(), f.value(3).toInt(), f.value(4).toInt());
        }
    }
    void openForm(const QString& rows = QString()) {
        addLedger(rows);
        m_form = std::make_unique<frmGdai>();
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    // As a person works the screen: the code and Enter, then year and month, Enter to the grid.
    void showLedger(const QString& code = "1001", const QString& year = "2024", const QString& month = "05") {
        QTest::keyClicks(txtCode(), code);
        QTest::keyClick(txtCode(), Qt::Key_Return);
        QTest::keyClicks(txtYy(), year);
        QTest::keyClicks(txtMm(), month);
        QTest::keyClick(txtMm(), Qt::Key_Return);
    }
    // The grid's rows, newest first, cells joined by '|'.
    QStringList gridRows() const {
        QStringList rows;
        for (int r = 0; r < grid()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < frmGdai::ColumnCount; ++c)
                cells << (grid()->item(r, c) ? grid()->item(r, c)->text() : QStringLiteral("<none>"));
            rows << cells.join(u'|');
        }
        return rows;
    }
    QStringList messageTexts() const {
        QStringList texts;
        for (const MessageRequest& m : m_dialogs->messages)
            texts << m.text;
        return texts;
    }
    void doubleClickRow(int r) {
        const QRect rect = grid()->visualRect(grid()->model()->index(r, frmGdai::ColDenno));
        // What a real double-click delivers: press, release, double-click.
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    }
    // The log's kinds for this screen, oldest first.
    QString logKinds() const {
        return m_dir->rows("select kubun from operatlog where naiyou = '商品台帳'", {}, {});
    }
private slots:
    void init() {
        m_dir = std::make_unique<TempProgramDir>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dir->addGoods(QStringLiteral("1001"), QStringLiteral("テスト商品Ａ"));
        m_dir->addGoods(QStringLiteral("1002"), QStringLiteral("中止品"), 1, 0, 1);
        m_dir->addGoods(QStringLiteral("1003"), QStringLiteral("在庫外品"), 1, 1, 0);
        m_dir->addGoods(QStringLiteral("1004"), QStringLiteral("テスト商品Ｄ"));
    }
    void cleanup() { m_form.reset(), m_dialogs.reset(), m_dir.reset(); }

    void openAndCloseAreLogged() {
        openForm();
        QCOMPARE(txtYy()->text() + txtMm()->text(), QDate::currentDate().toString("yyyyMM"));
        QCOMPARE(logKinds(), QStringLiteral("0"));
        QTest::keyClick(txtCode(), Qt::Key_F12);
        QVERIFY(!m_form->isVisible() && gcnData == nullptr); // the ledger ends the shared connection
        QVERIFY(fnOpenDB());
        QCOMPARE(logKinds(), QStringLiteral("09"));
    }

    void codeInputModeFollowsSysfile_data() {
        QTest::addColumn<int>("gno");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("kept"); // of "A-1'x" typed
        // clang-format off
        QTest::newRow("gno 0: letters and signs") << 0 << "4" << "A-1x";
        QTest::newRow("gno 1: digits") << 1 << "6" << "1";
        QTest::newRow("gno 2: no rule") << 2 << "" << "A-1'x";
        // clang-format on
    }
    void codeInputModeFollowsSysfile() {
        QFETCH(int, gno);
        QFETCH(QString, mode);
        QFETCH(QString, kept);
        m_dir->exec(QStringLiteral("update sysfile set gno = %1 where id = 1").arg(gno));
        openForm();
        QCOMPARE(inputMode(txtCode()), mode);
        QTest::keyClicks(txtCode(), "A-1'x");
        QCOMPARE(txtCode()->text(), kept);
    }

    void ledger_data() {
        QTest::addColumn<QString>("rows");         // as addLedger takes them
        QTest::addColumn<QStringList>("expected"); // May 2024, as gridRows gives it
        QTest::addColumn<QString>("totals");       // receipts|shipments|returns|month-end stock
        // clang-format off
        // April ends at 120 (a count of 100, a receipt of 20); June's row and product 1004's are not shown.
        QTest::newRow("every kind")
            << "20240401 9 100; 20240410 0 20; 20240502 0 30; 20240507 1 15 5001 2; 20240507 1 5 5002 1;"
               "20240515 2 3 6001 1; 20240520 9 140; 20240522 0 2000; 20240528 1 1500 5003 3;"
               "20240601 0 7; 20240510 0 9 0 0 1004"
            << QStringList{"2024/05/28|5003|3||1,500|||640", "2024/05/22|||2,000||||2,140",
                           "2024/05/20||||||140|140",        "2024/05/15|6001|1|||3||133",
                           "2024/05/07|5002|1||5|||130",     "2024/05/07|5001|2||15|||135",
                           "2024/05/02|||30||||150"}
            << "2,030|1,520|3|640";
        QTest::newRow("oldest row a count") << "20240420 0 50; 20240501 9 10; 20240503 1 4 7001 1"
            << QStringList{"2024/05/03|7001|1||4|||6", "2024/05/01||||||10|10"} << "0|4|0|6";
        // The receipt is listed above the count and applied after it. The stock engine counts the
        // count's own day inside the count: the month-end figure differs by design.
        QTest::newRow("receipt and count on one day") << "20240405 0 8; 20240510 9 40; 20240510 0 5"
            << QStringList{"2024/05/10|||5||||45", "2024/05/10||||||40|40"} << "5|0|0|40";
        QTest::newRow("kind 3 keeps the stock") << "20240501 0 10; 20240505 3 99 8001 4; 20240506 1 2 8002 1"
            << QStringList{"2024/05/06|8002|1||2|||8", "2024/05/05|8001|4|||||10", "2024/05/01|||10||||10"}
            << "10|2|0|8";
        QTest::newRow("no rows") << "20240415 9 77; 20240601 0 5" << QStringList{} << "0|0|0|77";
        // The month-end stock comes from the stock engine, which stops at 32 bits: not compared.
        QTest::newRow("beyond 32 bits") << "20240502 0 2000000000; 20240503 0 1500000000"
            << QStringList{"2024/05/03|||1,500,000,000||||3,500,000,000",
                           "2024/05/02|||2,000,000,000||||2,000,000,000"} << "3,500,000,000|0|0|*";
        // clang-format on
    }
    void ledger() {
        QFETCH(QString, rows);
        QFETCH(QStringList, expected);
        QFETCH(QString, totals);
        openForm(rows);
        showLedger();
        QCOMPARE(txtCode()->text() + "|" + label("lblName"), QStringLiteral("        1001|テスト商品Ａ"));
        QCOMPARE(gridRows(), expected);
        QStringList sums = {label("lblNsuu"), label("lblSsuu"), label("lblHsuu"), label("lblZsuu")};
        if (totals.endsWith(u'*')) sums.last() = u'*';
        QCOMPARE(sums.join(u'|'), totals);
        // The code's Enter first showed today's month, which has no rows.
        QCOMPARE(messageTexts(), QStringList(expected.isEmpty() ? 2 : 1, kNoData));
        QVERIFY(grid()->isVisible() && m_form->isEnabled());
        QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("ＰＥＬＫＯ"));
        if (expected.isEmpty()) return;
        QCOMPARE(grid()->item(0, frmGdai::ColStock)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
        // The newest row is current and selected across all columns; the grid has the focus.
        QCOMPARE(grid()->currentRow(), 0);
        QCOMPARE(grid()->selectionModel()->selectedIndexes().size(), 8);
        QCOMPARE(focus(), grid());
    }

    void databaseErrorIsShown() {
        openForm();
        fnCloseDB(); // the shared connection is gone
        QTest::keyClicks(txtCode(), "1001");
        QTest::keyClick(txtCode(), Qt::Key_Return);
        QCOMPARE(m_dialogs->messages.size(), 1);
        const MessageRequest& m = m_dialogs->lastMessage();
        QVERIFY(m.icon == MsgIcon::Critical && m.title == QStringLiteral("ＰＥＬＫＯ") && !m.text.isEmpty());
        QVERIFY(m_form->isEnabled()); // the screen stays usable
        QVERIFY(fnOpenDB());
        QTest::mouseClick(txtCode(), Qt::LeftButton);
        QTest::keyClick(txtCode(), Qt::Key_Return);
        QCOMPARE(label("lblName"), QStringLiteral("テスト商品Ａ"));
    }

    void untypedBlanksStillFindTheCode() {
        // Straight from the code to the month skips the goods check; the ledger still finds the rows
        // of the stored (blank-padded) code.
        openForm("20240502 0 30");
        QTest::keyClicks(txtCode(), "1001");
        QTest::keyClicks(txtMm(), "05");
        QCOMPARE(focus(), txtMm());
        QVERIFY(m_dialogs->messages.isEmpty());
        QTest::keyClicks(txtYy(), "2024"); // leaving the month shows the ledger
        QTest::keyClick(txtYy(), Qt::Key_F5);
        QCOMPARE(gridRows(), QStringList{"2024/05/02|||30||||30"});
        // No goods check ran: the code stays as typed, with its own name.
        QCOMPARE(txtCode()->text() + label("lblName"), QStringLiteral("1001テスト商品Ａ"));
    }

    void stepping() {
        openForm("20241205 0 10; 20250103 1 4 9001 2; 20241203 0 12 0 0 1004");
        showLedger("1001", "2024", "12");
        const QString a = "        1001|テスト商品Ａ|2024/12|2024/12/05|||10||||10";
        const QString d = "        1004|テスト商品Ｄ|2024/12|2024/12/03|||12||||12";
        // F2/F3: the month in the grid, the code (1002 discontinued and 1003 not stock-managed passed
        // over) in the code field; at either end of the list nothing changes.
        // clang-format off
        const QList<std::tuple<int, Qt::Key, QString>> steps = { // 1: in the code field, 0: in the grid
            // January opens with all of December (to day 20250099).
            {0, Qt::Key_F2, "        1001|テスト商品Ａ|2025/01|2025/01/03|9001|2||4|||6"},
            {0, Qt::Key_F3, a}, {0, Qt::Key_F3, "        1001|テスト商品Ａ|2024/11|"}, {0, Qt::Key_F2, a},
            {1, Qt::Key_F2, d}, {1, Qt::Key_F2, d}, {1, Qt::Key_F3, a}, {1, Qt::Key_F3, a}};
        // clang-format on
        for (const auto& [inCode, key, shown] : steps) {
            if (inCode && focus() != txtCode()) QTest::mouseClick(txtCode(), Qt::LeftButton);
            m_dialogs->clear();
            QWidget* w = inCode ? static_cast<QWidget*>(txtCode()) : grid();
            QTest::keyClick(w, key);
            const QString now = QString("%1|%2|%3/%4|%5")
                                    .arg(txtCode()->text(), label("lblName"), txtYy()->text(),
                                         txtMm()->text(), gridRows().join(u';'));
            QCOMPARE(now, shown);
            QCOMPARE(messageTexts(), shown.endsWith(u'|') ? QStringList{kNoData} : QStringList());
            QCOMPARE(focus(), w);
            if (inCode) QCOMPARE(txtCode()->selectedText(), txtCode()->text());
        }
    }

    void doubleClickStartsProgram_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("commandLine"); // after the program folder and '\'
        QTest::addColumn<QString>("error");       // the start's failure
        // Rows, newest first: shipment 5001, return 6001 (both from vouchers), receipt, count.
        // clang-format off
        QTest::newRow("shipment voucher") << 0 << "denpyo 1 5001" << "";
        QTest::newRow("return voucher") << 1 << "denpyo 6 6001" << "";
        QTest::newRow("receipt") << 2 << "zanmo 1 20240512 A-7" << "";
        QTest::newRow("count") << 3 << "zanmo 2 20240510 A-7" << "";
        QTest::newRow("start fails") << 0 << "denpyo 1 5001" << "ファイルが見つかりません。";
        // clang-format on
    }
    void doubleClickStartsProgram() {
        QFETCH(int, row);
        QFETCH(QString, commandLine);
        QFETCH(QString, error);
        m_dir->addGoods(QStringLiteral("A-7"), QStringLiteral("記号コード"));
        openForm(
            "20240510 9 50 0 0 A-7; 20240512 0 5 0 0 A-7; 20240520 2 1 6001 1 A-7; 20240525 1 2 5001 3 A-7");
        showLedger("A-7");
        const QStringList before = gridRows();
        QCOMPARE(before.size(), 4);
        m_dialogs->clear();
        if (!error.isEmpty()) m_dialogs->failProgramStart(error);
        doubleClickRow(row);
        QCOMPARE(m_dialogs->starts.size(), 1);
        QCOMPARE(m_dialogs->starts.first().commandLine, m_dir->path() + "\\" + commandLine);
        QStringList args = commandLine.split(u' ');
        QCOMPARE(m_dialogs->starts.first().program, m_dir->path() + "/" + args.takeFirst());
        QCOMPARE(m_dialogs->starts.first().args, args);
        QCOMPARE(messageTexts(),
                 error.isEmpty() ? QStringList() : QStringList{"プログラムの呼び出しエラーです\r\n" + error});
        QCOMPARE(gridRows(), before);
    }

    void doubleClickStartsNothing() {
        openForm("20240502 0 30");
        showLedger("1001", "2024", "06");
        QCOMPARE(grid()->rowCount(), 0); // the header only
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
        QTest::mouseDClick(grid()->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
        QVERIFY(m_dialogs->starts.isEmpty());
        // Nor while the code field is active: an unknown code typed, then a row double-clicked.
        QTest::keyClick(grid(), Qt::Key_F3);
        QCOMPARE(grid()->rowCount(), 1);
        QTest::mouseClick(txtCode(), Qt::LeftButton);
        QTest::keyClicks(txtCode(), "9999");
        m_dialogs->clear();
        doubleClickRow(0);
        // Each press that takes the focus to the grid runs the check again, which keeps the focus.
        QVERIFY(!messageTexts().isEmpty());
        QCOMPARE(messageTexts().filter("未登録です").size(), messageTexts().size());
        QCOMPARE(focus(), txtCode());
        QVERIFY(m_dialogs->starts.isEmpty());
    }

    // Rows on days that are no dates (written by another program) are listed as they are; the
    // screen their double-click starts refuses the day and opens nothing.
    void impossibleDaysListedAndRefused_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("commandLine"); // after the program folder and '\'
        QTest::newRow("count on 31 Feb") << 0 << "zanmo 2 20230231 1001";
        QTest::newRow("receipt on 29 Feb 2023") << 1 << "zanmo 1 20230229 1001";
        QTest::newRow("receipt on day 00") << 2 << "zanmo 1 20230200 1001";
    }
    void impossibleDaysListedAndRefused() {
        QFETCH(int, row);
        QFETCH(QString, commandLine);
        openForm("20230231 9 8; 20230229 0 5; 20230200 0 1; 20230301 0 2");
        showLedger("1001", "2023", "02");
        QCOMPARE(gridRows(),
                 (QStringList{"2023/02/31||||||8|8", "2023/02/29|||5||||6", "2023/02/00|||1||||1"}));
        m_dialogs->clear();
        doubleClickRow(row);
        QCOMPARE(m_dialogs->starts.size(), 1);
        QCOMPARE(m_dialogs->starts.first().commandLine, m_dir->path() + "\\" + commandLine);
        gstrArgs = m_dialogs->starts.first().args;
        std::unique_ptr<StockEntryForm> screen;
        if (gstrArgs.value(0) == "1")
            screen = std::make_unique<frmSiiden>();
        else
            screen = std::make_unique<frmTanaden>();
        gstrArgs.clear();
        QCOMPARE(messageTexts(), QStringList{screen->texts().missingDate});
        for (const char* box : {"txtGcode", "txtSuu"})
            QCOMPARE(screen->findChild<QLineEdit*>(box)->text(), QString());
        const QString today = QDate::currentDate().toString("yyyy|M|d");
        QCOMPARE(QStringList({screen->findChild<QLineEdit*>("txtYy")->text().trimmed(),
                              screen->findChild<QLineEdit*>("txtMm")->text().trimmed(),
                              screen->findChild<QLineEdit*>("txtDd")->text().trimmed()})
                     .join(u'|'),
                 today);
        screen->close();
    }

    // Codes holding apostrophes (accepted with Sysfile.gno 2): the ledger and stock of that goods,
    // not of 1001, whose later count a code pasted into SQL unquoted would show.
    void quotedCodes_data() {
        QTest::addColumn<QString>("code");
        QTest::newRow("O'NEIL") << "O'NEIL";
        QTest::newRow("1' or ''='") << "1' or ''='";
        QTest::newRow("a lone quote") << "'";
    }
    void quotedCodes() {
        QFETCH(QString, code);
        m_dir->exec(QStringLiteral("update sysfile set gno = 2 where id = 1"));
        m_dir->addGoods(code, QStringLiteral("クォート"));
        m_dir->addLedger(code, 20240401, 9, 100);
        m_dir->addLedger(code, 20240502, 0, 30);
        m_dir->addLedger(code, 20240510, 1, 4, 5001, 1);
        openForm("20240415 9 900; 20240503 0 1; 20240531 9 700");
        showLedger(code, "2024", "05");
        QCOMPARE(txtCode()->text() + "|" + label("lblName"), fnPadLeft(code, 12) + "|クォート");
        QCOMPARE(gridRows(), (QStringList{"2024/05/10|5001|1||4|||126", "2024/05/02|||30||||130"}));
        QCOMPARE(
            QStringList({label("lblNsuu"), label("lblSsuu"), label("lblHsuu"), label("lblZsuu")}).join(u'|'),
            QStringLiteral("30|4|0|126"));
        QCOMPARE(messageTexts(), QStringList{kNoData}); // today's month, shown first
    }

    void goodsCodeChecks_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("shown"); // the box's text|the name (then the grid shows the row)|focus
        const QString stop = QStringLiteral("この商品は中止商品です。入力を行いますか？");
        QTest::newRow("unknown") << "9999" << 0 << "未登録です||txtCode";
        QTest::newRow("discontinued, No") << "1002" << 7 << stop + "|中止品|txtCode";
        QTest::newRow("discontinued, Yes") << "1002" << 6 << stop + "|中止品|msgMei";
        QTest::newRow("not stock-managed") << "1003" << 0 << "この商品は在庫対象外です||txtCode";
    }
    void goodsCodeChecks() {
        QFETCH(QString, code);
        QFETCH(int, answer);
        QFETCH(QString, shown);
        openForm(QStringLiteral("%1 0 3 0 0 1002; %1 0 3 0 0 1003")
                     .arg(QDate::currentDate().toString("yyyyMM01")));
        if (answer) m_dialogs->answerMessage(answer);
        QTest::keyClicks(txtCode(), code);
        QTest::keyClick(txtCode(), Qt::Key_Return);
        QCOMPARE(messageTexts().value(0) + "|" + label("lblName") + "|" + focus()->objectName(), shown);
        QCOMPARE(grid()->rowCount(), label("lblName").isEmpty() ? 0 : 1);
    }

    void blankFieldsOnDisplay() {
        openForm("20240502 0 30");
        showLedger();
        m_dialogs->clear();
        // Year emptied, then F5 from the month field: nothing shown, the year gets the focus.
        QTest::keyClick(txtYy(), Qt::Key_Delete);
        QCOMPARE(txtYy()->text(), QString());
        QTest::keyClicks(txtMm(), "06");
        QTest::keyClick(txtMm(), Qt::Key_F5);
        QCOMPARE(messageTexts().value(0), QStringLiteral("未記入項目があります"));
        QCOMPARE(focus(), txtYy());
        QCOMPARE(grid()->rowCount(), 1);
    }

    // A code changed and left straight for the month: its own name and rows, or nothing at all.
    void codeLeftStraightForTheMonth_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("shown"); // name|grid rows|message
        QTest::newRow("another stock-managed product") << "1004"
                                                       << "テスト商品Ｄ|1|";
        QTest::newRow("not stock-managed") << "1003"
                                           << "|0|該当データがありません";
        QTest::newRow("not registered") << "9999"
                                        << "|0|該当データがありません";
    }
    void codeLeftStraightForTheMonth() {
        QFETCH(QString, code);
        QFETCH(QString, shown);
        openForm("20240502 0 30; 20240503 0 4 0 0 1004; 20240503 0 5 0 0 1003; 20240503 0 6 0 0 9999");
        showLedger();
        QCOMPARE(label("lblName"), QStringLiteral("テスト商品Ａ"));
        m_dialogs->clear();
        txtCode()->setFocus(Qt::MouseFocusReason);
        txtCode()->selectAll();
        QTest::keyClicks(txtCode(), code);
        txtMm()->setFocus(Qt::MouseFocusReason); // a click on the month: the code is not checked
        QTest::keyClick(txtMm(), Qt::Key_Return);
        QCOMPARE(label("lblName") + "|" + QString::number(grid()->rowCount()) + "|" + messageTexts().value(0),
                 shown);
    }
};

QTEST_MAIN(tst_gdai)
#include "tst_gdai.moc"

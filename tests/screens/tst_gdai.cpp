#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include "data/basDb.h"
#include "popups/frmPopupGoods.h"
#include "screens/frmGdai.h"
#include "ui/basInput.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include <memory>

// The goods ledger worked as a user works it: codes and months typed into the named fields, function
// keys, double-clicks on rows; grid cells, labels, boxes, program starts and log rows checked.
class tst_gdai : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutAtLoad();
    void codeInputModeFollowsSysfile_data();
    void codeInputModeFollowsSysfile();
    void monthWithEveryKind();
    void oldestRowIsACount();
    void receiptAndCountOnOneDay();
    void otherKindRepeatsStockBelow();
    void emptyMonthShowsZeroTotals();
    void totalsBeyond32Bits();
    void databaseErrorIsShown();
    void untypedBlanksStillFindTheCode();
    void monthStepsAcrossYearEnd();
    void codeStepsStopAtTheEnds();
    void doubleClickStartsProgram_data();
    void doubleClickStartsProgram();
    void doubleClickOnEmptyGridDoesNothing();
    void doubleClickWhileCodeIsActiveDoesNothing();
    void startFailureShowsMessage();
    void goodsCodeChecks_data();
    void goodsCodeChecks();
    void monthFieldSkipsTheCodeCheck();
    void blankFieldsOnDisplay();
    void enterGoesFromCodeToGrid();
    void toolbarFollowsFocus();
    void goodsListHandsBackACode();
    void cancelClearsTheScreen();
    void resizeKeepsTheMargins();
    void closeLogsAndClosesConnection();

private:
    void openForm();
    void showLedger(const QString& code, const QString& year, const QString& month);
    QString cell(int row, int column) const;
    QStringList row(int r) const;
    QStringList messageTexts() const;
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
    void doubleClickRow(int r);

    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<frmGdai> m_form;
};

namespace {
const QString kNoData = QStringLiteral("該当データがありません");
const QString kBlank = QStringLiteral("未記入項目があります");
} // namespace

void tst_gdai::init() {
    m_dir = std::make_unique<TempProgramDir>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_dir->addGoods(QStringLiteral("1001"), QStringLiteral("テスト商品Ａ"));
    m_dir->addGoods(QStringLiteral("1002"), QStringLiteral("中止品"), 1, 0, 1);
    m_dir->addGoods(QStringLiteral("1003"), QStringLiteral("在庫外品"), 1, 1, 0);
    m_dir->addGoods(QStringLiteral("1004"), QStringLiteral("テスト商品Ｄ"));
}

void tst_gdai::cleanup() {
    m_form.reset();
    m_dialogs.reset();
    m_dir.reset();
}

void tst_gdai::openForm() {
    m_form = std::make_unique<frmGdai>();
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

// As a person works the screen: the code and Enter, then year and month, Enter to the grid.
void tst_gdai::showLedger(const QString& code, const QString& year, const QString& month) {
    QTest::keyClicks(txtCode(), code);
    QTest::keyClick(txtCode(), Qt::Key_Return);
    QTest::keyClicks(txtYy(), year);
    QTest::keyClicks(txtMm(), month);
    QTest::keyClick(txtMm(), Qt::Key_Return);
}

QString tst_gdai::cell(int r, int c) const {
    const QTableWidgetItem* item = grid()->item(r, c);
    return item ? item->text() : QStringLiteral("<none>");
}

QStringList tst_gdai::row(int r) const {
    QStringList cells;
    for (int c = 0; c < frmGdai::ColumnCount; ++c)
        cells << cell(r, c);
    return cells;
}

QStringList tst_gdai::messageTexts() const {
    QStringList texts;
    for (const MessageRequest& m : m_dialogs->messages)
        texts << m.text;
    return texts;
}

void tst_gdai::doubleClickRow(int r) {
    QTableWidget* g = grid();
    const QRect rect = g->visualRect(g->model()->index(r, frmGdai::ColDenno));
    // What a real double-click delivers: press, release, double-click.
    QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

void tst_gdai::layoutAtLoad() {
    openForm();
    QCOMPARE(m_form->windowTitle(), QStringLiteral("商品台帳"));
    QTableWidget* g = grid();
    QCOMPARE(g->columnCount(), 8);
    QCOMPARE(g->rowCount(), 0);
    const QStringList headers = {"日付", "伝票番号", "行番号", "入庫", "出庫", "返品入庫", "棚卸", "在庫数"};
    for (int c = 0; c < 8; ++c) {
        QCOMPARE(g->horizontalHeaderItem(c)->text(), headers.at(c));
        QCOMPARE(g->columnWidth(c), 100); // 1500 twips
    }
    QCOMPARE(txtYy()->text(), QDate::currentDate().toString("yyyy"));
    QCOMPARE(txtMm()->text(), QDate::currentDate().toString("MM"));
    QCOMPARE(txtCode()->toolTip(), QStringLiteral("商品コードを入力してください"));
    QCOMPARE(byteMaxLength(txtCode()), 12);
    QCOMPARE(inputMode(txtYy()), QStringLiteral("6"));
    QCOMPARE(byteMaxLength(txtYy()), 4);
    QCOMPARE(byteMaxLength(txtMm()), 2);
    for (const char* l : {"lblName", "lblNsuu", "lblSsuu", "lblHsuu", "lblZsuu"})
        QVERIFY2(label(l).isEmpty(), l);
    QCOMPARE(m_dir->count("select count(*) from operatlog where kubun = 0 and naiyou = '商品台帳'"), 1);
}

void tst_gdai::codeInputModeFollowsSysfile_data() {
    QTest::addColumn<int>("gno");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("gno 0: letters and signs") << 0 << "4"
                                              << "A-1'x"
                                              << "A-1x";
    QTest::newRow("gno 1: digits") << 1 << "6"
                                   << "A-1'x"
                                   << "1";
    QTest::newRow("gno 2: no rule") << 2 << ""
                                    << "A-1'x"
                                    << "A-1'x";
}

void tst_gdai::codeInputModeFollowsSysfile() {
    QFETCH(int, gno);
    QFETCH(QString, mode);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    m_dir->exec(QStringLiteral("update sysfile set gno = %1 where id = 1").arg(gno));
    openForm();
    QCOMPARE(inputMode(txtCode()), mode);
    QTest::keyClicks(txtCode(), typed);
    QCOMPARE(txtCode()->text(), kept);
}

void tst_gdai::monthWithEveryKind() {
    // April ends at 120: a count of 100 and a receipt of 20.
    m_dir->addLedger("1001", 20240401, 9, 100);
    m_dir->addLedger("1001", 20240410, 0, 20);
    m_dir->addLedger("1001", 20240502, 0, 30);
    m_dir->addLedger("1001", 20240507, 1, 15, 5001, 2);
    m_dir->addLedger("1001", 20240507, 1, 5, 5002, 1);
    m_dir->addLedger("1001", 20240515, 2, 3, 6001, 1);
    m_dir->addLedger("1001", 20240520, 9, 140);
    m_dir->addLedger("1001", 20240522, 0, 2000);
    m_dir->addLedger("1001", 20240528, 1, 1500, 5003, 3);
    // Not this month, not this product.
    m_dir->addLedger("1001", 20240601, 0, 7);
    m_dir->addLedger("1004", 20240510, 0, 9);
    openForm();
    showLedger("1001", "2024", "05");

    QCOMPARE(txtCode()->text(), QStringLiteral("        1001"));
    QCOMPARE(label("lblName"), QStringLiteral("テスト商品Ａ"));
    QCOMPARE(grid()->rowCount(), 7);
    const QList<QStringList> expected = {
        {"2024/05/28", "5003", "3", "", "1,500", "", "", "640"},
        {"2024/05/22", "", "", "2,000", "", "", "", "2,140"},
        {"2024/05/20", "", "", "", "", "", "140", "140"},
        {"2024/05/15", "6001", "1", "", "", "3", "", "133"},
        {"2024/05/07", "5002", "1", "", "5", "", "", "130"},
        {"2024/05/07", "5001", "2", "", "15", "", "", "135"},
        {"2024/05/02", "", "", "30", "", "", "", "150"},
    };
    for (int r = 0; r < expected.size(); ++r)
        QCOMPARE(row(r), expected.at(r));
    QCOMPARE(label("lblNsuu"), QStringLiteral("2,030"));
    QCOMPARE(label("lblSsuu"), QStringLiteral("1,520"));
    QCOMPARE(label("lblHsuu"), QStringLiteral("3"));
    QCOMPARE(label("lblZsuu"), QStringLiteral("640"));
    QCOMPARE(grid()->item(0, 7)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
    // The newest row is current and selected across all columns; the grid has the focus.
    QCOMPARE(grid()->currentRow(), 0);
    QCOMPARE(grid()->selectionModel()->selectedIndexes().size(), 8);
    QCOMPARE(QApplication::focusWidget(), grid());
    QVERIFY(grid()->isVisible());
    QVERIFY(m_form->isEnabled());
}

void tst_gdai::oldestRowIsACount() {
    m_dir->addLedger("1001", 20240420, 0, 50);
    m_dir->addLedger("1001", 20240501, 9, 10);
    m_dir->addLedger("1001", 20240503, 1, 4, 7001, 1);
    openForm();
    showLedger("1001", "2024", "05");
    QCOMPARE(grid()->rowCount(), 2);
    QCOMPARE(row(1), QStringList({"2024/05/01", "", "", "", "", "", "10", "10"}));
    QCOMPARE(row(0), QStringList({"2024/05/03", "7001", "1", "", "4", "", "", "6"}));
    QCOMPARE(label("lblZsuu"), QStringLiteral("6"));
}

void tst_gdai::receiptAndCountOnOneDay() {
    m_dir->addLedger("1001", 20240405, 0, 8);
    m_dir->addLedger("1001", 20240510, 9, 40);
    m_dir->addLedger("1001", 20240510, 0, 5);
    openForm();
    showLedger("1001", "2024", "05");
    QCOMPARE(grid()->rowCount(), 2);
    // The receipt is listed above the count and applied after it.
    QCOMPARE(row(0), QStringList({"2024/05/10", "", "", "5", "", "", "", "45"}));
    QCOMPARE(row(1), QStringList({"2024/05/10", "", "", "", "", "", "40", "40"}));
    QCOMPARE(label("lblNsuu"), QStringLiteral("5"));
    // The stock engine counts the count's own day inside the count: the figures differ by design.
    QCOMPARE(label("lblZsuu"), QStringLiteral("40"));
}

void tst_gdai::otherKindRepeatsStockBelow() {
    m_dir->addLedger("1001", 20240501, 0, 10);
    m_dir->addLedger("1001", 20240505, 3, 99, 8001, 4);
    m_dir->addLedger("1001", 20240506, 1, 2, 8002, 1);
    openForm();
    showLedger("1001", "2024", "05");
    QCOMPARE(grid()->rowCount(), 3);
    QCOMPARE(row(0), QStringList({"2024/05/06", "8002", "1", "", "2", "", "", "8"}));
    QCOMPARE(row(1), QStringList({"2024/05/05", "8001", "4", "", "", "", "", "10"}));
    QCOMPARE(row(2), QStringList({"2024/05/01", "", "", "10", "", "", "", "10"}));
    QCOMPARE(label("lblNsuu"), QStringLiteral("10"));
    QCOMPARE(label("lblSsuu"), QStringLiteral("2"));
    QCOMPARE(label("lblHsuu"), QStringLiteral("0"));
}

void tst_gdai::emptyMonthShowsZeroTotals() {
    m_dir->addLedger("1001", 20240415, 9, 77);
    m_dir->addLedger("1001", 20240601, 0, 5);
    openForm();
    showLedger("1001", "2024", "05");
    QCOMPARE(grid()->rowCount(), 0);
    QCOMPARE(messageTexts().last(), kNoData);
    QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("ＰＥＬＫＯ"));
    QCOMPARE(label("lblNsuu"), QStringLiteral("0"));
    QCOMPARE(label("lblSsuu"), QStringLiteral("0"));
    QCOMPARE(label("lblHsuu"), QStringLiteral("0"));
    QCOMPARE(label("lblZsuu"), QStringLiteral("77"));
}

void tst_gdai::totalsBeyond32Bits() {
    m_dir->addLedger("1001", 20240502, 0, 2000000000);
    m_dir->addLedger("1001", 20240503, 0, 1500000000);
    openForm();
    showLedger("1001", "2024", "05");
    QCOMPARE(label("lblNsuu"), QStringLiteral("3,500,000,000"));
    QCOMPARE(cell(0, frmGdai::ColStock), QStringLiteral("3,500,000,000"));
}

void tst_gdai::databaseErrorIsShown() {
    openForm();
    fnCloseDB(); // the shared connection is gone
    QTest::keyClicks(txtCode(), "1001");
    QTest::keyClick(txtCode(), Qt::Key_Return);
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->lastMessage().icon, MsgIcon::Critical);
    QCOMPARE(m_dialogs->lastMessage().title, QStringLiteral("ＰＥＬＫＯ"));
    QVERIFY(!m_dialogs->lastMessage().text.isEmpty());
    // The screen stays usable.
    QVERIFY(m_form->isEnabled());
    QVERIFY(fnOpenDB());
    QTest::mouseClick(txtCode(), Qt::LeftButton);
    QTest::keyClick(txtCode(), Qt::Key_Return);
    QCOMPARE(label("lblName"), QStringLiteral("テスト商品Ａ"));
}

void tst_gdai::untypedBlanksStillFindTheCode() {
    // Straight from the code to the month skips the goods check; the ledger still finds the rows of
    // the stored (blank-padded) code.
    m_dir->addLedger("1001", 20240502, 0, 30);
    openForm();
    QTest::keyClicks(txtCode(), "1001");
    QTest::keyClicks(txtMm(), "05");
    QTest::keyClicks(txtYy(), "2024"); // leaving the month shows the ledger
    QTest::keyClick(txtYy(), Qt::Key_F5);
    QCOMPARE(grid()->rowCount(), 1);
    QCOMPARE(cell(0, frmGdai::ColStock), QStringLiteral("30"));
    // No goods check ran: the code stays as typed and no name is shown.
    QCOMPARE(txtCode()->text(), QStringLiteral("1001"));
    QCOMPARE(label("lblName"), QString());
}

void tst_gdai::monthStepsAcrossYearEnd() {
    m_dir->addLedger("1001", 20241205, 0, 10);
    m_dir->addLedger("1001", 20250103, 1, 4, 9001, 2);
    openForm();
    showLedger("1001", "2024", "12");
    QCOMPARE(QApplication::focusWidget(), grid());
    QCOMPARE(row(0), QStringList({"2024/12/05", "", "", "10", "", "", "", "10"}));

    QTest::keyClick(grid(), Qt::Key_F2);
    QCOMPARE(txtYy()->text(), QStringLiteral("2025"));
    QCOMPARE(txtMm()->text(), QStringLiteral("01"));
    QCOMPARE(grid()->rowCount(), 1);
    // January opens with all of December (day number 20250099).
    QCOMPARE(row(0), QStringList({"2025/01/03", "9001", "2", "", "4", "", "", "6"}));
    QCOMPARE(QApplication::focusWidget(), grid());

    QTest::keyClick(grid(), Qt::Key_F3);
    QCOMPARE(txtYy()->text(), QStringLiteral("2024"));
    QCOMPARE(txtMm()->text(), QStringLiteral("12"));
    QCOMPARE(row(0), QStringList({"2024/12/05", "", "", "10", "", "", "", "10"}));

    QTest::keyClick(grid(), Qt::Key_F3);
    QCOMPARE(txtMm()->text(), QStringLiteral("11"));
    QCOMPARE(grid()->rowCount(), 0);
    QCOMPARE(messageTexts().last(), kNoData);
    QCOMPARE(QApplication::focusWidget(), grid());
}

void tst_gdai::codeStepsStopAtTheEnds() {
    m_dir->addLedger("1004", 20240502, 0, 12);
    openForm();
    showLedger("1001", "2024", "05");
    QTest::mouseClick(txtCode(), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), txtCode());

    // 1002 is discontinued and 1003 not stock-managed: both are passed over.
    QTest::keyClick(txtCode(), Qt::Key_F2);
    QCOMPARE(txtCode()->text(), QStringLiteral("        1004"));
    QCOMPARE(label("lblName"), QStringLiteral("テスト商品Ｄ"));
    QCOMPARE(row(0), QStringList({"2024/05/02", "", "", "12", "", "", "", "12"}));
    QCOMPARE(QApplication::focusWidget(), txtCode());
    QCOMPARE(txtCode()->selectedText(), txtCode()->text());

    m_dialogs->clear();
    QTest::keyClick(txtCode(), Qt::Key_F2); // the last code: nothing changes
    QCOMPARE(txtCode()->text(), QStringLiteral("        1004"));
    QCOMPARE(label("lblName"), QStringLiteral("テスト商品Ｄ"));
    QCOMPARE(grid()->rowCount(), 1);
    QVERIFY(m_dialogs->messages.isEmpty());

    QTest::keyClick(txtCode(), Qt::Key_F3);
    QCOMPARE(txtCode()->text(), QStringLiteral("        1001"));
    QCOMPARE(label("lblName"), QStringLiteral("テスト商品Ａ"));
    m_dialogs->clear();
    QTest::keyClick(txtCode(), Qt::Key_F3); // the first code
    QCOMPARE(txtCode()->text(), QStringLiteral("        1001"));
    QVERIFY(m_dialogs->messages.isEmpty());
}

void tst_gdai::doubleClickStartsProgram_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    // Rows, newest first: shipment 5001, return 6001 (both from vouchers), receipt, count.
    QTest::newRow("shipment voucher") << 0 << "denpyo" << QStringList{"1", "5001"};
    QTest::newRow("return voucher") << 1 << "denpyo" << QStringList{"6", "6001"};
    QTest::newRow("receipt") << 2 << "zanmo" << QStringList{"1", "20240512", "A-7"};
    QTest::newRow("count") << 3 << "zanmo" << QStringList{"2", "20240510", "A-7"};
}

void tst_gdai::doubleClickStartsProgram() {
    QFETCH(int, row);
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    m_dir->addGoods(QStringLiteral("A-7"), QStringLiteral("記号コード"));
    m_dir->addLedger("A-7", 20240510, 9, 50);
    m_dir->addLedger("A-7", 20240512, 0, 5);
    m_dir->addLedger("A-7", 20240520, 2, 1, 6001, 1);
    m_dir->addLedger("A-7", 20240525, 1, 2, 5001, 3);
    openForm();
    showLedger("A-7", "2024", "05");
    QCOMPARE(grid()->rowCount(), 4);
    m_dialogs->clear();

    doubleClickRow(row);
    QCOMPARE(m_dialogs->starts.size(), 1);
    const ProgramStart& start = m_dialogs->starts.first();
    QCOMPARE(start.commandLine, m_dir->path() + "\\" + program + " " + args.join(' '));
    QCOMPARE(start.program, m_dir->path() + "/" + program);
    QCOMPARE(start.args, args);
    QVERIFY(m_dialogs->messages.isEmpty());
}

void tst_gdai::doubleClickOnEmptyGridDoesNothing() {
    openForm();
    showLedger("1001", "2024", "05");
    QCOMPARE(grid()->rowCount(), 0);
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QTest::mouseDClick(grid()->horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 5));
    QVERIFY(m_dialogs->starts.isEmpty());
}

void tst_gdai::doubleClickWhileCodeIsActiveDoesNothing() {
    m_dir->addLedger("1001", 20240502, 0, 30);
    openForm();
    showLedger("1001", "2024", "05");
    QCOMPARE(grid()->rowCount(), 1);
    // An unknown code typed, then a row double-clicked: the check keeps the focus in the code field.
    QTest::mouseClick(txtCode(), Qt::LeftButton);
    QTest::keyClicks(txtCode(), "9999");
    m_dialogs->clear();
    doubleClickRow(0);
    // Each press that takes the focus to the grid runs the check again.
    QVERIFY(!messageTexts().isEmpty());
    QCOMPARE(messageTexts().filter("未登録です").size(), messageTexts().size());
    QCOMPARE(QApplication::focusWidget(), txtCode());
    QVERIFY(m_dialogs->starts.isEmpty());
}

void tst_gdai::startFailureShowsMessage() {
    m_dir->addLedger("1001", 20240507, 1, 15, 5001, 2);
    openForm();
    showLedger("1001", "2024", "05");
    const QStringList before = row(0);
    m_dialogs->clear();
    m_dialogs->failProgramStart(QStringLiteral("ファイルが見つかりません。"));
    doubleClickRow(0);
    QCOMPARE(m_dialogs->starts.size(), 1);
    QCOMPARE(messageTexts(), QStringList({"プログラムの呼び出しエラーです\r\nファイルが見つかりません。"}));
    QCOMPARE(grid()->rowCount(), 1);
    QCOMPARE(row(0), before);
}

void tst_gdai::goodsCodeChecks_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("focusInCode");
    QTest::newRow("unknown") << "9999" << 0 << "未登録です"
                             << "" << true;
    QTest::newRow("discontinued, No") << "1002" << 7 << "この商品は中止商品です。入力を行いますか？"
                                      << "中止品" << true;
    QTest::newRow("discontinued, Yes") << "1002" << 6 << "この商品は中止商品です。入力を行いますか？"
                                       << "中止品" << false;
    QTest::newRow("not stock-managed") << "1003" << 0 << "この商品は在庫対象外です"
                                       << "" << true;
}

void tst_gdai::goodsCodeChecks() {
    QFETCH(QString, code);
    QFETCH(int, answer);
    QFETCH(QString, message);
    QFETCH(QString, name);
    QFETCH(bool, focusInCode);
    const int month = QDate::currentDate().year() * 10000 + QDate::currentDate().month() * 100;
    m_dir->addLedger("1002", month + 1, 0, 3);
    m_dir->addLedger("1003", month + 1, 0, 3);
    openForm();
    if (answer) m_dialogs->answerMessage(answer);
    QTest::keyClicks(txtCode(), code);
    QTest::keyClick(txtCode(), Qt::Key_Return);
    QCOMPARE(messageTexts().value(0), message);
    QCOMPARE(label("lblName"), name);
    // The discontinued product is shown either way; the others leave the grid empty.
    QCOMPARE(grid()->rowCount(), name.isEmpty() ? 0 : 1);
    QCOMPARE(QApplication::focusWidget(), focusInCode ? static_cast<QWidget*>(txtCode()) : grid());
}

void tst_gdai::monthFieldSkipsTheCodeCheck() {
    openForm();
    QTest::keyClicks(txtCode(), "9999");
    QTest::keyClicks(txtMm(), "05");
    QCOMPARE(QApplication::focusWidget(), txtMm());
    QVERIFY(m_dialogs->messages.isEmpty());
}

void tst_gdai::blankFieldsOnDisplay() {
    m_dir->addLedger("1001", 20240502, 0, 30);
    openForm();
    showLedger("1001", "2024", "05");
    QCOMPARE(grid()->rowCount(), 1);
    m_dialogs->clear();
    // Year emptied, then F5 from the month field: nothing shown, the year gets the focus.
    QTest::keyClick(txtYy(), Qt::Key_Delete);
    QCOMPARE(txtYy()->text(), QString());
    QTest::keyClicks(txtMm(), "06");
    QTest::keyClick(txtMm(), Qt::Key_F5);
    QCOMPARE(messageTexts().value(0), kBlank);
    QCOMPARE(QApplication::focusWidget(), txtYy());
    QCOMPARE(grid()->rowCount(), 1);
}

void tst_gdai::enterGoesFromCodeToGrid() {
    openForm();
    QCOMPARE(QApplication::focusWidget(), txtCode());
    // Once the code field had the focus, year and month are out of the tab order.
    QVERIFY(!tabStop(txtYy()));
    QVERIFY(!tabStop(txtMm()));
    m_dialogs->answerMessage(1);
    QTest::keyClicks(txtCode(), "1004");
    QTest::keyClick(txtCode(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), grid());
    QCOMPARE(label("lblName"), QStringLiteral("テスト商品Ｄ"));
    // Up goes back to the code field (year and month are passed over).
    QTest::keyClick(grid(), Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), txtCode());
}

void tst_gdai::toolbarFollowsFocus() {
    m_dir->addLedger("1001", 20240502, 0, 30);
    openForm();
    auto enabled = [this] {
        QString mask;
        for (int n = 1; n <= 12; ++n)
            mask += m_form->isToolbarEnabled(n) ? '1' : '0';
        return mask;
    };
    QCOMPARE(enabled(), QStringLiteral("111100000001"));
    showLedger("1001", "2024", "05");
    QCOMPARE(enabled(), QStringLiteral("111001000001"));
    QTest::mouseClick(txtYy(), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), txtYy());
    QCOMPARE(enabled(), QStringLiteral("100011000001"));
    QTest::mouseClick(txtCode(), Qt::LeftButton);
    QCOMPARE(enabled(), QStringLiteral("111100000001"));
    // A key whose button is disabled does nothing: F6 in the code field asks no question.
    m_dialogs->clear();
    QTest::keyClick(txtCode(), Qt::Key_F6);
    QVERIFY(m_dialogs->messages.isEmpty());
    QCOMPARE(grid()->rowCount(), 1);
}

void tst_gdai::goodsListHandsBackACode() {
    m_dir->addLedger("1004", 20240503, 0, 6);
    openForm();
    showLedger("1001", "2024", "05");
    QTest::mouseClick(txtCode(), Qt::LeftButton);
    m_dialogs->clear();
    QTest::keyClicks(txtCode(), "1002");

    QString incomingCode;
    int incomingMode = -1;
    bool sawPopup = false;
    // The popup is worked once it is up: a code typed, the search button, Enter on the list.
    QTimer poll;
    int tries = 0;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto* popup = qobject_cast<frmPopupGoods*>(QApplication::activeModalWidget());
        if (!popup) {
            if (++tries > 200) poll.stop();
            return;
        }
        poll.stop();
        sawPopup = true;
        incomingCode = popup->gstrCode;
        incomingMode = popup->gbytMode;
        auto* code = popup->findChild<QLineEdit*>("txtCode");
        code->selectAll();
        QTest::keyClicks(code, "1004");
        QTest::mouseClick(popup->findChild<QPushButton*>("cmdFind"), Qt::LeftButton);
        auto* list = popup->findChild<QTreeWidget*>("ListView");
        if (QApplication::focusWidget() != list) list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        if (popup->isVisible()) popup->reject(); // never leave the test hanging
    });
    poll.start(20);
    QTest::keyClick(txtCode(), Qt::Key_F4);
    QVERIFY(sawPopup);
    QCOMPARE(incomingCode, QStringLiteral("        1002"));
    QCOMPARE(incomingMode, 1);
    QCOMPARE(txtCode()->text(), QStringLiteral("        1004"));
    QCOMPARE(label("lblName"), QStringLiteral("テスト商品Ｄ"));
    QCOMPARE(grid()->rowCount(), 1);
    QCOMPARE(cell(0, frmGdai::ColStock), QStringLiteral("6"));
    // The popup's window has gone; the form's own focus is in the code field again.
    QCOMPARE(m_form->focusWidget(), txtCode());
}

void tst_gdai::cancelClearsTheScreen() {
    m_dir->addLedger("1001", 20240502, 0, 30);
    openForm();
    showLedger("1001", "2024", "05");
    QCOMPARE(grid()->rowCount(), 1);
    m_dialogs->clear();
    m_dialogs->answerMessage(7);
    QTest::keyClick(grid(), Qt::Key_F6);
    QCOMPARE(messageTexts(), QStringList({"入力項目を無効にします"}));
    QCOMPARE(grid()->rowCount(), 1);

    m_dialogs->answerMessage(6);
    QTest::keyClick(grid(), Qt::Key_F6);
    QCOMPARE(grid()->rowCount(), 0);
    QCOMPARE(txtCode()->text(), QString());
    QCOMPARE(label("lblName"), QString());
    QCOMPARE(label("lblNsuu"), QString());
    QCOMPARE(label("lblZsuu"), QString());
    QCOMPARE(txtYy()->text(), QStringLiteral("2024"));
    QCOMPARE(txtMm()->text(), QStringLiteral("05"));
    QCOMPARE(QApplication::focusWidget(), txtCode());
}

void tst_gdai::resizeKeepsTheMargins() {
    openForm();
    for (const QSize size : {QSize(1000, 700), QSize(900, 450)}) {
        m_form->resize(size);
        QCoreApplication::processEvents();
        QTableWidget* g = grid();
        const int margin = g->x();
        QVERIFY(margin > 0);
        QCOMPARE(g->width(), m_form->body()->width() - 2 * margin);
        QCOMPARE(m_form->body()->height() - g->geometry().bottom() - 1, margin);
    }
}

void tst_gdai::closeLogsAndClosesConnection() {
    openForm();
    QTest::keyClick(txtCode(), Qt::Key_F12);
    QVERIFY(!m_form->isVisible());
    QVERIFY(gcnData == nullptr);
    QVERIFY(fnOpenDB());
    QCOMPARE(m_dir->count("select count(*) from operatlog where kubun = 9 and naiyou = '商品台帳'"), 1);
}

QTEST_MAIN(tst_gdai)
#include "tst_gdai.moc"

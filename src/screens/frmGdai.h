#pragma once

#include "stock/basLedger.h"
#include "ui/FormBase.h"

#include <QString>

class QAction;
class QChartView;
class QLabel;
class QLineEdit;
class QTableWidget;
class Recordset;

// The goods ledger ("商品台帳", launch "3"): one product's ledger rows of one month, newest first,
// with the stock after each row, the month's totals and the stock at the month's end. Reads only;
// a double-click on a row starts the screen or program that recorded the movement; the grid's
// right-click menu writes what is shown as CSV or as an Excel workbook. A chart under the grid
// shows the month's running stock, movements and count days.
class frmGdai : public FormBase {
    Q_OBJECT
public:
    explicit frmGdai(QWidget* parent = nullptr);
    ~frmGdai() override;

    // Grid columns.
    enum Column {
        ColDay = LedgerDay,
        ColDenno = LedgerDenno,
        ColLine = LedgerLine,
        ColIn = LedgerIn,
        ColOut = LedgerOut,
        ColReturn = LedgerReturn,
        ColCount = LedgerCount,
        ColStock = LedgerStock,
        ColumnCount = LedgerColumnCount
    };

    // File names, in the program folder, of the programs a double-clicked row starts.
    static QString voucherProgramName();
    static QString ownProgramName();

protected:
    void functionKey(int n) override;
    void focusEnter(QWidget* now) override;
    void focusLeave(QWidget* old, QWidget* now, bool stillInside) override;
    void formUnload() override;

private:
    void fnShowLedger();
    bool fnCheckInput();
    void fnSetGoods(const Recordset& rec);
    // The name of the stock-managed product of a stored code into lblName; false when there is none.
    bool fnNameGoods(const QString& code);
    void fnNextData();
    void fnPrevData();
    void fnGoodsList();
    void fnCancel();
    void fnClear(bool keepGoods);
    int fnAddRow();
    void fnSetRow(int row, const LedgerRow& record);
    // The grid's menu: the ledger shown, written as CSV or as an Excel workbook.
    void fnExportCsv();
    void fnExportXlsx();
    void enableExports();

    void fnCheckGoods();
    void fnStepGoods(bool next);
    void fnStepMonth(int months);
    void fnOpenMovement(int row);
    void fnReadGoodsMode();
    // Disabling the form takes the focus away; this gives it back afterwards.
    void restoreFocus(QWidget* control);

    // The code whose ledger the grid shows (stored form), for the rows' double-click.
    QString m_ledgerCode;
    // Month totals of receipts, shipments and returns.
    qint64 glngNsuu = 0;
    qint64 glngSsuu = 0;
    qint64 glngHsuu = 0;
    // The month the grid shows, with the name shown beside it, for the exports; none before a display.
    LedgerMonth m_shown;
    QString m_shownName;
    bool m_haveShown = false;
    QAction* mnuCsv = nullptr;
    QAction* mnuXlsx = nullptr;

    QLineEdit* txtCode = nullptr;
    QLabel* lblName = nullptr;
    QLineEdit* txtYy = nullptr;
    QLineEdit* txtMm = nullptr;
    QTableWidget* msgMei = nullptr;
    // Under the grid: the month shown as a chart (LedgerChart), refreshed with the grid.
    QChartView* chtLedger = nullptr;
    QLabel* lblNsuu = nullptr;
    QLabel* lblSsuu = nullptr;
    QLabel* lblHsuu = nullptr;
    QLabel* lblZsuu = nullptr;
};

#pragma once

#include "reports/StockListRange.h"
#include "ui/FormBase.h"

class PrintProgress;
class DateFields;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "在庫一覧表" (launch "4"): the current-stock list or the reserved-stock shortage list as of a day
// for a range of goods codes, printed or previewed.
class frmPrintZaiko : public FormBase {
    Q_OBJECT
public:
    explicit frmPrintZaiko(QWidget* parent = nullptr);
    ~frmPrintZaiko() override;

    // Mode 0 prints with the printer dialog, 1 opens the preview.
    void fnPrintList(int mode);
    // The date and range as the fields hold them now.
    StockListRange range() const;

protected:
    void functionKey(int n) override;
    void focusEnter(QWidget* now) override;
    void focusLeave(QWidget* old, QWidget* now, bool stillInside) override;
    bool queryUnload() override { return !m_busy; }
    void formUnload() override;

private:
    void buildControls();
    void fnLoadSysfile();
    // Leaving code field i; true when the focus went back to it.
    bool fnCheckCode(int i);
    void fnNextData();
    void fnPrevData();
    // The next (forward) or previous stock-managed, active goods into the code field in use.
    void fnStepCode(bool forward);
    void fnGoodsList();
    void fnSetCode(int i, const QString& code, const QString& name);
    int activeCodeIndex() const;
    // Where a focus trap sends the focus that came to it from `from`.
    void fnRouteTrap(QWidget* trap, QWidget* from);
    // The list itself, while the screen is busy: the range put in order, counted, printed.
    void fnListReport(int mode, PrintProgress* progress);

    qint32 m_stankaKbn = 0;
    bool m_busy = false;
    bool m_checking = false;

    QRadioButton* optKubun[2] = {};
    QCheckBox* chkStop = nullptr;
    DateFields* m_date = nullptr;
    QLineEdit* txtYy = nullptr;
    QLineEdit* txtMm = nullptr;
    QLineEdit* txtDd = nullptr;
    QDateEdit* dtpDay = nullptr;
    QLineEdit* txtCode[2] = {};
    QLabel* lblGoodsName[2] = {};
    QPushButton* cmdBtn[2] = {};
    QLabel* lblMsg = nullptr;
    QLineEdit* txtDummy[2] = {};
    QLineEdit* txtZero = nullptr;
};

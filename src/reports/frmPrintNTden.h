#pragma once

#include "ui/FormBase.h"

class PrintProgress;
class DateFields;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "入庫処理／在庫数調整一覧表" (launch "5"): the receipts or the stock-count adjustments recorded
// between two days, printed or previewed.
class frmPrintNTden : public FormBase {
    Q_OBJECT
public:
    explicit frmPrintNTden(QWidget* parent = nullptr);
    ~frmPrintNTden() override;

    // Mode 0 prints with the printer dialog, 1 opens the preview.
    void fnPrintList(int mode);

protected:
    void functionKey(int n) override;
    void focusEnter(QWidget* now) override;
    void focusLeave(QWidget* old, QWidget* now, bool stillInside) override;
    bool queryUnload() override { return !m_busy; }
    void formUnload() override;

private:
    void buildControls();
    // Empty fields refused, a backwards range swapped.
    bool fnCheckInput();
    void fnListReport(int mode, PrintProgress* progress);
    int rowOf(const QWidget* w) const;

    bool m_busy = false;
    QRadioButton* optKubun[2] = {};
    QLabel* lblDay = nullptr;
    DateFields* m_date[2] = {};
    QLineEdit* txtYy[2] = {};
    QLineEdit* txtMm[2] = {};
    QLineEdit* txtDd[2] = {};
    QDateEdit* dtpDay[2] = {};
    QPushButton* cmdPre = nullptr;
    QPushButton* cmdPrint = nullptr;
    QLabel* lblMsg = nullptr;
};

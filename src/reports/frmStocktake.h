#pragma once

#include "data/clsDbClass.h"
#include "stock/StocktakeCheck.h"
#include "ui/FormBase.h"

class DateFields;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class StocktakeModel;

// "棚卸取込" (launch "6"): a whole shop's counts from a file. The count day and the file are
// given, the file is read and checked against the ledger (StocktakeCheck: book stock as the
// stock-count screen shows it, the difference and its amount, refused lines first with their
// reasons), and only when no line is refused F5 writes every count in one transaction after the
// catalogue confirmation "記録" (StocktakeWrite, the stock-count screen's lock and retry rules and
// log rows). F9 / F10 preview or print the difference list (rptStocktake). The screen only shows
// and confirms: reading, checking and writing live in the stock engine.
class frmStocktake : public FormBase {
    Q_OBJECT
public:
    explicit frmStocktake(QWidget* parent = nullptr);
    ~frmStocktake() override;

    static QString caption() { return QStringLiteral("棚卸取込"); }

    // How long one write attempt waits for another program's lock (milliseconds).
    void setLockWait(int milliseconds);

    // The check shown (empty until a file was read).
    const StocktakeCheck& check() const { return m_check; }
    bool haveCheck() const { return m_haveCheck; }

protected:
    void functionKey(int n) override;
    void focusEnter(QWidget* now) override;
    void focusLeave(QWidget* old, QWidget* now, bool stillInside) override;
    bool queryUnload() override { return !m_busy; }
    void formUnload() override;

private:
    void buildControls();
    void setTips();
    // F4: the file chooser; a file chosen is read at once.
    void fnChooseFile();
    // F2: reads the file and checks it for the day.
    void fnReadFile();
    // F5: writes the checked counts.
    void fnSave();
    // F9 (mode 1) previews, F10 (mode 0) prints the difference list.
    void fnPrintList(int mode);
    // The inputs changed: the check shown no longer holds.
    void dropCheck();
    void showCheck();
    void focusIfEnabled(QWidget* w);

    clsDbClass gclsDb;
    int m_lockWaitMs = 800;
    StocktakeCheck m_check;
    bool m_haveCheck = false;
    bool m_busy = false;
    QString m_checkedPath; // the file the check shown was read from

    DateFields* m_date = nullptr;
    QLineEdit* txtYy = nullptr;
    QLineEdit* txtMm = nullptr;
    QLineEdit* txtDd = nullptr;
    QDateEdit* DTPicker = nullptr;
    QLineEdit* txtFile = nullptr;
    QPushButton* cmdFile = nullptr;
    QCheckBox* chkZero = nullptr;
    QPushButton* cmdRead = nullptr;
    QTableView* grdCheck = nullptr;
    StocktakeModel* m_model = nullptr;
    QLabel* lblSummary = nullptr;
    QLabel* lblMsg = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdPre = nullptr;
    QPushButton* cmdPrint = nullptr;
};

#pragma once

#include "data/DialogSeam.h"
#include "data/clsDbClass.h"
#include "ui/FormBase.h"

#include <QString>

class DateFields;
class QLabel;
class QLineEdit;
class QPushButton;
class Recordset;

// What sets the receipt screen and the stock-count screen apart; everything else is shared.
struct StockEntryTexts {
    int kubun = 0;           // movement kind written and read (0 receipt, 9 count)
    QString caption;         // window caption, first value of every log row and detail text
    QString dateLabel;       // label of the date fields
    QString dateTip;         // their tool tip
    QString suuLabel;        // label of txtSuu
    QString suuTip;          // its tool tip
    QString stockLabel;      // label beside lblZaikoSuu
    QString sameDayQuestion; // asked when the row of that goods and day exists already
    QString missingDate;     // told when the date is incomplete
    int listMode = 0;        // frmPopupZaiko Mode opened by F4 on a date or quantity field
};

// One ledger row per goods, day and kind (denno 0, line 0): entered, replaced, deleted and
// browsed. frmSiiden and frmTanaden are this form with their own texts and kind.
class StockEntryForm : public FormBase {
    Q_OBJECT
public:
    explicit StockEntryForm(const StockEntryTexts& texts, QWidget* parent = nullptr);
    ~StockEntryForm() override;

    const StockEntryTexts& texts() const { return m_texts; }

    // How long one save attempt waits for another program's lock on the row (milliseconds).
    // Short, so that eleven attempts against a held lock give up within seconds.
    void setLockWait(int milliseconds);
    int lockWait() const { return m_lockWaitMs; }

    static constexpr int kDefaultLockWaitMs = 800;
    static constexpr int kGcodeLength = 12;
    static constexpr int kBunruiLength = 2;

protected:
    void functionKey(int n) override;
    void focusEnter(QWidget* now) override;
    void focusLeave(QWidget* old, QWidget* now, bool stillInside) override;
    void formUnload() override;

private:
    void buildControls();
    void loadFromCommandLine();

    // Operations behind the keys.
    void fnNextData();
    void fnPrevData();
    void fnStepData(bool next);
    void fnShowList();
    void fnSave();
    void fnCancel();
    void fnDelete();
    void fnClose();

    bool fnCheckInput();
    void fnSetGoods(const QString& code, const QString& name, const QVariant& stop);
    void fnShowStock();
    void fnLoadRecord(qint32 day, const QString& gcode);
    void fnCheckGoods();
    void fnResetScreen();

    // Queries and texts.
    // A calendar day inside the date picker's range: one the date boxes show as it is.
    bool dayShowable(qint32 day) const;
    QString bunruiCondition() const; // trimmed category number, empty when none
    // The plain goods code (typed or stored) in each: they pad and quote it themselves.
    QString sameDaySql(const QString& code, qint32 day) const;
    QString recordedSuuSql(const QString& code, qint32 day) const;
    QString stockText(const QString& code, qint32 day) const;
    // The plain boxes of the input check, titled with the program's name.
    int plainBox(const QString& text, MsgButtons buttons, MsgIcon icon, int defaultButton) const;
    void focusIfEnabled(QWidget* w);
    // Repaints the busy screen while a save or delete waits for a lock; always true.
    static bool drawBusy();
    // The server was lost and could not be reached again: no further attempt now.
    bool serverAway() const;
    void setOkCancelEnabled(bool on);

    StockEntryTexts m_texts;
    clsDbClass gclsDb;
    int m_lockWaitMs = kDefaultLockWaitMs;

    DateFields* m_date = nullptr;
    QLineEdit* txtYy = nullptr;
    QLineEdit* txtMm = nullptr;
    QLineEdit* txtDd = nullptr;
    QWidget* DTPicker = nullptr;
    QLineEdit* txtBunrui = nullptr;
    QLabel* lblBunruiName = nullptr;
    QLineEdit* txtGcode = nullptr;
    QLabel* lblGoodsName = nullptr;
    QLabel* lblStop = nullptr;
    QLabel* lblZaikoSuu = nullptr;
    QLineEdit* txtSuu = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
};

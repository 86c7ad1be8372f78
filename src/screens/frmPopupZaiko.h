#pragma once

#include "data/clsDbClass.h"
#include "ui/FormBase.h"

#include <QPointer>
#include <QString>

class DateFields;
class QCalendarWidget;
class QLabel;
class QLineEdit;
class QPushButton;
class LookupView;

// The list of recorded receipts (Mode 0) or stock counts (Mode 9) from which the entry screens
// reopen a row. Writes nothing.
//
//     frmPopupZaiko popup(this);
//     popup.setMode(0);
//     popup.exec();
//     if (popup.FindDay != 0) fnLoadRecord(popup.FindDay, popup.FindGcode);
class frmPopupZaiko : public FormBase {
    Q_OBJECT
public:
    explicit frmPopupZaiko(QWidget* parent = nullptr);
    ~frmPopupZaiko() override;

    // The movement kind listed (0 receipts, 9 stock counts); also sets the caption, label and columns.
    void setMode(int mode);
    int mode() const { return m_mode; }

    // The picked row: its date yyyymmdd (0 before any pick) and its goods code, trimmed.
    qint32 FindDay = 0;
    QString FindGcode;

    LookupView* listView() const { return ListView; }
    bool hasRows() const { return m_found; }

protected:
    void formKeyDown(int& key, Qt::KeyboardModifiers modifiers) override;
    void functionKey(int n) override;
    void focusEnter(QWidget* now) override;
    void focusLeave(QWidget* old, QWidget* now, bool stillInside) override;
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    void buildControls();
    void fnFind();
    void fnPick();
    void fnSort(int column);
    void fnCancel();
    void fnClose();
    void fnStepData(bool next);
    void fnShowList();
    void fnCheckGoods();
    void fnShowGoods(const QString& code, const QString& name);
    void fnCompleteYearField();
    void fnQueueBlankPicker();
    void fnBlankPicker(); // the picker shows nothing while the boxes hold no date
    bool fnPickerBlank() const;
    QString bunruiCondition() const;

    int m_mode = -1;
    bool m_found = false;
    int m_sortColumn = -1; // once a header was clicked the list stays sorted on that column
    clsDbClass gclsDb;

    DateFields* m_date = nullptr;
    QLabel* lblDay = nullptr;
    QLineEdit* txtYy = nullptr;
    QLineEdit* txtMm = nullptr;
    QLineEdit* txtDd = nullptr;
    QWidget* DTPicker = nullptr;
    QPointer<QCalendarWidget> m_calendar; // the picker's drop-down
    bool m_blankQueued = false;
    QLineEdit* txtBunrui = nullptr;
    QLabel* lblBunruiName = nullptr;
    QLineEdit* txtGcode = nullptr;
    QLabel* lblGoodsName = nullptr;
    QPushButton* cmdFind = nullptr;
    LookupView* ListView = nullptr;
};

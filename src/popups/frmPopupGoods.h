#pragma once

#include "data/clsDbClass.h"
#include "ui/FormBase.h"

#include <QHash>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class LookupView;
class Recordset;

// The goods lookup ("商品一覧"): narrows the goods master by category, start code, kana, name and
// the discontinued switch, and hands the chosen code back in gstrCode.
//
//     frmPopupGoods dlg(this);
//     dlg.Gbun(category);                      // 0 when the caller's category is blank
//     dlg.gbytMode = 1;                        // stock-managed goods only
//     dlg.gstrCode = fnPadLeft(code, 12);
//     dlg.exec();
//     const QString chosen = dlg.gstrCode;     // 12 characters, or empty: nothing chosen
//
// The members are taken as they stand when the popup is first shown.
class frmPopupGoods : public FormBase {
    Q_OBJECT
public:
    explicit frmPopupGoods(QWidget* parent = nullptr);
    ~frmPopupGoods() override;

    // In: the caller's goods code; out: the chosen row's code, or empty.
    QString gstrCode;
    // 0 all goods, 1 stock-managed goods only.
    quint8 gbytMode = 0;
    // Goods-kind filter: "" none, "0".."3" one goods.gkubun.
    QString gstrGkbn;
    // A goods name to run the ranked name search with on showing.
    QString gstrGname;

    // Presets the category field (and its name) from a category code; an unknown code clears both.
    void Gbun(qint32 code);

    QString baseCaption() const { return m_baseCaption; }
    int maxLine() const { return m_maxLine; }
    bool listHasRows() const { return m_hasRows; }

protected:
    void formKeyDown(int& key, Qt::KeyboardModifiers modifiers) override;
    void functionKey(int n) override;
    void focusEnter(QWidget* now) override;
    void focusLeave(QWidget* old, QWidget* now, bool stillInside) override;
    void formUnload() override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void fnFirstShow();
    void fnFind();
    void fnNameSearch();
    void fnFillList(Recordset& rec);
    void fnAfterSearch(bool found);
    // A cell of the list from the row's fetched values, made when it is shown or sorted.
    QString fnCellText(const QVariant* row, int column) const;
    void fnLoadBunruiNames();
    // How many rows a search reads: maxline and one more (-1: all).
    int fetchLimit() const;
    QString fnBunruiName(const QVariant& code) const;
    void fnStepBunrui(bool next);
    void fnBunruiList();
    void fnCheckBunrui();
    void fnClear();
    void fnChoose();
    void fnSortColumn(int column);
    void fnPlaceNotice();

    clsDbClass m_db;
    QString m_baseCaption;
    int m_maxLine = 0;
    bool m_hasRows = false;
    bool m_sorted = true;
    int m_sortColumn = 0;
    bool m_shown = false;
    QHash<qint64, QString> m_bunruiNames; // the category names, read once per search

    QLineEdit* txtBunrui = nullptr;
    QLabel* lblBunruiName = nullptr;
    QLineEdit* txtCode = nullptr;
    QLineEdit* txtKana = nullptr;
    QLineEdit* txtname = nullptr;
    QCheckBox* chkStop = nullptr;
    QPushButton* cmdFind = nullptr;
    LookupView* ListView = nullptr;
    QLabel* txtMsg = nullptr;
};

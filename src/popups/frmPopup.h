#pragma once

#include "ui/FormBase.h"

#include <QString>

class LookupView;

// The code-list dialog driven by clsPopup: loads the list on its first activation, starting at
// the caller's code, and hands the chosen code back in gstrKey2.
class frmPopup : public FormBase {
    Q_OBJECT
public:
    explicit frmPopup(QWidget* parent = nullptr);
    ~frmPopup() override;

    // The list kind and the three selectors (in), the result (out).
    quint8 gbytMode = 0;
    QString gstrKey1;
    QString gstrKey2;
    QString gstrKey3;

    // Adds a list column (width in twips).
    void addColumn(const QString& header, int widthTwips);

    LookupView* listView() const { return m_list; }
    int maxLine() const { return m_maxLine; }
    bool isListLoaded() const { return m_loaded; }

protected:
    void formKeyDown(int& key, Qt::KeyboardModifiers modifiers) override;
    void functionKey(int n) override;
    void toolbarClick(int n) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void fnActivate();
    void fnLoadList();
    bool fnLoadBunrui(int& rows);
    void fnChoose();
    void fnSortColumn(int column);

    LookupView* m_list = nullptr;
    int m_maxLine = 0;
    bool m_loaded = false;
    bool m_activationQueued = false;
};

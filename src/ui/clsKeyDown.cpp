#include "ui/clsKeyDown.h"

#include "ui/basInput.h"

#include <QLineEdit>

void clsKeyDown::fnKeyDown(QWidget* frmName, int& intKeyCode) {
    QWidget* c = activeControl(frmName);
    if (!c) return;
    if (!isTextBox(c)) {
        m_intTabIndex = -1;
        m_control = nullptr;
        return;
    }
    auto* box = static_cast<QLineEdit*>(c);
    const qint16 index = qint16(tabIndex(box));
    if (box != m_control || index != m_intTabIndex) {
        // First key since the focus came here: remember what the box held.
        m_intTabIndex = index;
        m_control = box;
        m_strText = box->text();
        return;
    }
    if (intKeyCode == Qt::Key_Escape && box->text() != m_strText) {
        box->setText(m_strText);
        m_intTabIndex = -1;
        m_control = nullptr;
        intKeyCode = 0;
        box->setSelection(0, box->text().size());
    }
}

void clsKeyDown::fnKeyClear() {
    m_intTabIndex = -1;
    m_control = nullptr;
    m_strText.clear();
}

#include "reports/PrintBusy.h"

#include "app/basInputFlush.h"
#include "reports/PrintProgress.h"
#include "reports/basPrintScreen.h"
#include "ui/FormBase.h"
#include "ui/basInput.h"

#include <QApplication>
#include <QLabel>

PrintBusy::PrintBusy(FormBase* form, const QList<QWidget*>& controls, QLabel* lblMsg,
                     const QString& busyPattern, const QString& idlePattern)
    : m_form(form), m_label(lblMsg), m_idlePattern(idlePattern) {
    m_focus = activeControl(form);
    form->enableToolbar(busyPattern);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (QWidget* w : controls) {
        m_controls.append(w);
        w->setEnabled(false);
    }
    if (lblMsg) m_progress = new PrintProgress(lblMsg);
    fnShowPrintBusy(lblMsg);
}

PrintBusy::~PrintBusy() {
    delete m_progress.data();
    fnFlushInput();
    QApplication::restoreOverrideCursor();
    if (m_form) m_form->enableToolbar(m_idlePattern);
    for (const QPointer<QWidget>& w : std::as_const(m_controls))
        if (w) w->setEnabled(true);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (m_label) m_label->clear();
    // In the background when a preview came up in front.
    if (m_focus && m_focus->isEnabled()) m_focus->setFocus(Qt::OtherFocusReason);
}

PrintProgress* PrintBusy::progress() const {
    return m_progress.data();
}

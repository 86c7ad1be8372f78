#include "ui/BusyGuard.h"

#include "app/basInputFlush.h"

#include <QApplication>

BusyGuard::BusyGuard(QWidget* form) : m_form(form) {
    if (m_form) {
        m_focus = m_form->window()->focusWidget();
        m_form->setEnabled(false);
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_active = true;
}

BusyGuard::~BusyGuard() {
    release();
}

void BusyGuard::release() {
    if (!m_active) return;
    m_active = false;
    // Still disabled: what was typed or clicked meanwhile must not start anything.
    fnFlushInput();
    if (m_form) m_form->setEnabled(true);
    QApplication::restoreOverrideCursor();
    // Disabling took the focus away from the field being worked; give it back unless the
    // operation put it somewhere else meanwhile.
    if (m_form && m_focus && m_focus->isEnabled() && m_focus->isVisibleTo(m_focus->window())) {
        QWidget* now = QApplication::focusWidget();
        QWidget* remembered = m_form->window()->focusWidget();
        const bool elsewhere =
            !m_focusChosen && ((now && now->window() == m_form->window() && now != m_focus) ||
                               (remembered && remembered != m_focus && remembered->isEnabled()));
        if (!elsewhere && !m_focus->hasFocus()) m_focus->setFocus(Qt::OtherFocusReason);
    }
}

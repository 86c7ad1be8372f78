#include "ui/BusyGuard.h"

#include "app/basInputFlush.h"

#include <QApplication>

BusyGuard::BusyGuard(QWidget* form) : m_form(form) {
    if (m_form) m_form->setEnabled(false);
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
}

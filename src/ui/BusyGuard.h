#pragma once

#include <QPointer>
#include <QWidget>

// The busy state of a long operation, for one scope:
//   start: the form disabled, the wait cursor shown;
//   end:   the keys and clicks queued meanwhile thrown away (fnFlushInput) while still disabled,
//          then the form enabled again, the normal cursor back, and the focus back on the control
//          that had it (Qt takes the focus out of a disabled form), unless the operation gave
//          the focus to another control meanwhile.
//
//     void frmSiiden::fnNextData() {
//         BusyGuard busy(this);
//         ...                      // queries; a message box may be shown
//     }                            // input typed while busy is dropped here
//
// release() ends the busy state early (same steps); the destructor then does nothing.
// setFocusAfter() names the control to focus at the end instead of the one that had the focus.
class BusyGuard {
public:
    explicit BusyGuard(QWidget* form);
    ~BusyGuard();
    void release();
    void setFocusAfter(QWidget* control) {
        m_focus = control;
        m_focusChosen = true;
    }

    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    QPointer<QWidget> m_form;
    QPointer<QWidget> m_focus;
    bool m_active = false;
    bool m_focusChosen = false;
};

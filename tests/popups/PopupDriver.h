#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <functional>

// Drives a modal dialog while the code under test sits in its exec(): once a dialog of type T is
// the active modal widget and `ready` says it has settled, `drive` runs on it. Whatever is still
// open when the watchdog fires is rejected, so no test can hang on a modal loop.
template <class T> class ModalDriver {
public:
    using Ready = std::function<bool(T*)>;
    using Drive = std::function<void(T*)>;

    ModalDriver(Ready ready, Drive drive, int watchdogMs = 8000) {
        QTimer::singleShot(0, &m_context, [this, ready, drive] {
            const bool settled = QTest::qWaitFor(
                [&] {
                    if (!m_dialog) {
                        m_dialog = qobject_cast<T*>(QApplication::activeModalWidget());
                        m_saw = m_saw || m_dialog;
                    }
                    return m_dialog && (!m_dialog->isVisible() || ready(m_dialog));
                },
                5000);
            if (settled && m_dialog && m_dialog->isVisible()) {
                m_driven = true;
                drive(m_dialog);
            }
        });
        m_watchdog.setSingleShot(true);
        QObject::connect(&m_watchdog, &QTimer::timeout, &m_context, [this] {
            m_timedOut = true;
            while (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                w->reject();
        });
        m_watchdog.start(watchdogMs);
    }

    // A dialog of the type appeared (it may have closed itself before it could be driven).
    bool sawDialog() const { return m_saw; }
    bool driven() const { return m_driven; }
    bool timedOut() const { return m_timedOut; }

private:
    QObject m_context;
    QTimer m_watchdog;
    QPointer<T> m_dialog;
    bool m_saw = false;
    bool m_driven = false;
    bool m_timedOut = false;
};

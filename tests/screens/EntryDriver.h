#pragma once

// Works an entry screen or the list popup the way a user does: focus a named box, type, press keys.

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace entry {

inline QLineEdit* box(QWidget* form, const char* name) {
    auto* b = form->findChild<QLineEdit*>(QString::fromLatin1(name));
    if (!b) qFatal("no text box %s", name);
    return b;
}

inline QLabel* label(QWidget* form, const char* name) {
    auto* l = form->findChild<QLabel*>(QString::fromLatin1(name));
    if (!l) qFatal("no label %s", name);
    return l;
}

inline QString text(QWidget* form, const char* name) {
    return box(form, name)->text();
}

inline bool showAndActivate(QWidget* form) {
    form->show();
    form->activateWindow();
    return QTest::qWaitForWindowActive(form);
}

// Puts the focus in the box (as a click would) and types; the box selects its text on entry, so
// typing replaces it.
inline void type(QWidget* form, const char* name, const QString& keys) {
    QLineEdit* b = box(form, name);
    b->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    if (!keys.isEmpty()) QTest::keyClicks(b, keys);
}

// A key on whatever has the focus.
inline void press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* w = QApplication::focusWidget();
    if (!w) w = QApplication::activeWindow();
    if (!w) qFatal("no widget to press a key on");
    QTest::keyClick(w, key, mods);
    QApplication::processEvents();
}

// Types a date into the three boxes and leaves them for `next`.
inline void typeDate(QWidget* form, int yyyymmdd, const char* next = "txtGcode") {
    type(form, "txtYy", QString::number(yyyymmdd / 10000));
    type(form, "txtMm", QString::number(yyyymmdd / 100 % 100));
    type(form, "txtDd", QString::number(yyyymmdd % 100));
    box(form, next)->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
}

inline int shownDate(QWidget* form) {
    return text(form, "txtYy").trimmed().toInt() * 10000 + text(form, "txtMm").trimmed().toInt() * 100 +
           text(form, "txtDd").trimmed().toInt();
}

inline int today() {
    const QDate d = QDate::currentDate();
    return d.year() * 10000 + d.month() * 100 + d.day();
}

// Runs `work` on the next modal window that opens (a popup shown with exec()), once `ready` says it
// has settled. The check runs from a timer and never waits itself, so a popup that lets events run
// while it loads is not held up by it.
inline void onNextModal(
    std::function<void(QWidget*)> work,
    std::function<bool(QWidget*)> ready = [](QWidget* w) { return w->isEnabled(); }) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto running = std::make_shared<bool>(false);
    QObject::connect(timer, &QTimer::timeout, [timer, work, ready, running] {
        if (*running) return;
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || !ready(modal)) return;
        *running = true;
        timer->stop();
        timer->deleteLater();
        work(modal);
        // A failed check inside `work` must not leave the test waiting on the popup.
        if (modal->isVisible()) {
            qWarning("modal window %s still open after the scripted steps", qPrintable(modal->objectName()));
            modal->hide();
        }
    });
    timer->start();
}

} // namespace entry

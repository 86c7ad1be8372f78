#pragma once

// Works an entry screen or the list popup the way a user does: focus a named box, type, press keys.

#include "app/basMain.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
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
inline QString labelText(QWidget* form, const char* name) {
    return label(form, name)->text();
}
inline QString focusName() {
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
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
inline void press(Qt::Key key) {
    QWidget* w = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    if (!w) qFatal("no widget to press a key on");
    QTest::keyClick(w, key);
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

// Date and goods code, the code left with Enter for the quantity.
inline void pickGoods(QWidget* form, int day, const QString& code) {
    typeDate(form, day);
    type(form, "txtGcode", code);
    press(Qt::Key_Return);
}

// The quantity typed where the focus is, then F5.
inline void saveQuantity(QWidget* form, const QString& quantity) {
    if (!quantity.isEmpty()) QTest::keyClicks(box(form, "txtSuu"), quantity);
    press(Qt::Key_F5);
}

inline int shownDate(QWidget* form) {
    return text(form, "txtYy").trimmed().toInt() * 10000 + text(form, "txtMm").trimmed().toInt() * 100 +
           text(form, "txtDd").trimmed().toInt();
}
inline int today() {
    const QDate d = QDate::currentDate();
    return d.year() * 10000 + d.month() * 100 + d.day();
}

// What an entry screen shows: date|category|code (trimmed)|goods name|stock|quantity.
inline QString shown(QWidget* form) {
    return QStringList{QString::number(shownDate(form)), text(form, "txtBunrui"),
                       text(form, "txtGcode").trimmed(), labelText(form, "lblGoodsName"),
                       labelText(form, "lblZaikoSuu"),   text(form, "txtSuu")}
        .join(QLatin1Char('|'));
}

// operatlog rows of a screen with this code (and detail text, unless null).
inline int logRows(const TempProgramDir& dir, const QString& caption, int kind, const QString& detail = {}) {
    QString sql = QStringLiteral("select count(*) from operatlog where naiyou='%1' and kubun=%2")
                      .arg(caption)
                      .arg(kind);
    if (!detail.isNull()) sql += QStringLiteral(" and syousai='%1'").arg(detail);
    return dir.count(sql);
}

// A program folder with category 1 and goods 12 (managed) and 30 (not), scripted boxes, and the
// entry screen F opened with the command line `args`.
template <class F> struct EntryBench {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<F> form;
    explicit EntryBench(const QString& args) {
        gstrArgs = args.split(QLatin1Char(' '));
        dir.addCategory(1, QStringLiteral("食品"));
        dir.addGoods(QStringLiteral("12"), QStringLiteral("みかん"), 1);
        dir.addGoods(QStringLiteral("30"), QStringLiteral("送料"), 1, /*zkubun*/ 1);
    }
    ~EntryBench() {
        if (form) form->close();
        form.reset();
        gstrArgs.clear();
    }
    void open() {
        form = std::make_unique<F>();
        form->setLockWait(30); // eleven attempts against a held lock stay short
        QVERIFY(showAndActivate(form.get()));
    }
};

// Runs `work` on the next modal window that opens (a popup shown with exec()) once it is enabled.
// The check runs from a timer and never waits itself, so a popup that lets events run while it
// loads is not held up by it.
inline void onNextModal(std::function<void(QWidget*)> work) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto running = std::make_shared<bool>(false);
    QObject::connect(timer, &QTimer::timeout, [timer, work, running] {
        QWidget* modal = QApplication::activeModalWidget();
        if (*running || !modal || !modal->isVisible() || !modal->isEnabled()) return;
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

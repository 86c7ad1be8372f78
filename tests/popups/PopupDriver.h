#pragma once

#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"
#include "ui/FormBase.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QPointer>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

// Drives a modal dialog while the code under test sits in its exec(): once a dialog of type T is
// the active modal widget and `ready` says it has settled, `drive` runs on it. Whatever is still
// open when the watchdog fires is rejected, so no test can hang on a modal loop.
template <class T> class ModalDriver {
public:
    ModalDriver(std::function<bool(T*)> ready, std::function<void(T*)> drive, int watchdogMs = 8000) {
        QTimer::singleShot(0, &m_context, [this, ready, drive] {
            const bool settled = QTest::qWaitFor(
                [&] {
                    if (!m_dialog)
                        saw = saw || (m_dialog = qobject_cast<T*>(QApplication::activeModalWidget()));
                    return m_dialog && (!m_dialog->isVisible() || ready(m_dialog));
                },
                5000);
            if ((driven = settled && m_dialog && m_dialog->isVisible())) drive(m_dialog);
        });
        QTimer::singleShot(watchdogMs, &m_context, [this] {
            timedOut = true;
            while (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                w->reject();
        });
    }

    bool saw = false; // a dialog of the type appeared (it may have closed itself before it could be driven)
    bool driven = false;
    bool timedOut = false;

private:
    QObject m_context;
    QPointer<T> m_dialog;
};

inline const QString kNoData = QStringLiteral("該当データがありません");
inline const QString kMaxLine = QStringLiteral("最大表示行数を超えました");

// One column of every row, or (col < 0) every column joined by '|'.
inline QStringList rowTexts(const QTreeWidget* list, int col = -1) {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            if (col < 0 || c == col) cells << list->topLevelItem(i)->text(c);
        out << cells.join(u'|');
    }
    return out;
}

inline QStringList messageTexts(const ScriptedDialogs& dialogs) {
    QStringList out;
    for (const MessageRequest& m : dialogs.messages)
        out << m.text;
    return out;
}

inline void clickHeader(QTreeWidget* list, int section) {
    QHeaderView* h = list->header();
    const QPoint p(h->sectionViewportPosition(section) + h->sectionSize(section) / 2, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, p);
}

inline void categories(const TempProgramDir& dir) {
    dir.addCategory(1, QStringLiteral("食品"));
    dir.addCategory(3, QStringLiteral("雑貨"));
    dir.addCategory(7, QStringLiteral("衣料"));
}

// Plays space-separated steps on a popup's list as a user does them: down, enter, esc, f1, f12,
// tb12 (the toolbar's F12), frame (the window frame's close), dclick2 (double-click on row 3).
// Returns what went wrong: the popup closed before a step, or F1 showing no help.
inline QString play(FormBase* dlg, QTreeWidget* list, const QString& script) {
    for (const QString& step : script.split(u' ', Qt::SkipEmptyParts)) {
        if (!dlg->isVisible()) return QStringLiteral("closed before ") + step;
        const QPoint row3 = list->visualItemRect(list->topLevelItem(2)).center();
        if (step == u"down") QTest::keyClick(list, Qt::Key_Down);
        if (step == u"enter") QTest::keyClick(list, Qt::Key_Return);
        if (step == u"esc") QTest::keyClick(list, Qt::Key_Escape);
        if (step == u"f12") QTest::keyClick(list, Qt::Key_F12);
        if (step == u"tb12") dlg->tlbFunction()->findChild<QAction*>(QStringLiteral("F12"))->trigger();
        if (step == u"frame") dlg->close();
        if (step == u"dclick2") QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row3);
        if (step == u"dclick2") QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row3);
        if (step == u"f1") {
            QTest::keyClick(list, Qt::Key_F1);
            if (!dlg->helpWindow() || !dlg->helpWindow()->isVisible()) return QStringLiteral("no help shown");
            dlg->helpWindow()->close();
        }
    }
    return {};
}

#pragma once

#include "support/ScreenBench.h"
#include "ui/FormBase.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QtTest>
#include <functional>
#include <memory>

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

    // saw: a dialog of the type appeared (it may have closed itself before it could be driven).
    bool saw = false, driven = false, timedOut = false;

private:
    QObject m_context;
    QPointer<T> m_dialog;
};

inline const QString kNoData = QStringLiteral("該当データがありません"),
                     kMaxLine = QStringLiteral("最大表示行数を超えました");

// One column of a list's row (-1: its header), or (col < 0) every column joined by '|'.
inline QString rowText(const QAbstractItemView* list, int row, int col = -1) {
    const QAbstractItemModel* m = list->model();
    QStringList cells;
    for (int c = 0; c < m->columnCount(); ++c)
        if (col < 0 || c == col)
            cells << (row < 0 ? m->headerData(c, Qt::Horizontal) : m->index(row, c).data()).toString();
    return cells.join(u'|');
}

inline QStringList rowTexts(const QAbstractItemView* list, int col = -1) {
    QStringList out;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        out << rowText(list, i, col);
    return out;
}

// The row Enter would choose: current and selected (-1: none).
inline int chosenRow(const QAbstractItemView* list) {
    const QModelIndex i = list->currentIndex();
    return i.isValid() && list->selectionModel()->isRowSelected(i.row(), {}) ? i.row() : -1;
}

using screen::messageTexts;

inline void clickHeader(QTreeView* list, int section) {
    QHeaderView* h = list->header();
    const QPoint p(h->sectionViewportPosition(section) + h->sectionSize(section) / 2, h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, p);
}

inline void categories(const TempProgramDir& dir) {
    for (const auto& [code, name] : {std::pair{1, u"食品"}, {3, u"雑貨"}, {7, u"衣料"}})
        dir.addCategory(code, QString::fromUtf16(name));
}

// Plays space-separated steps on a popup's list as a user does them: down, enter, esc, f1, f12,
// tb12 (the toolbar's F12), frame (the window frame's close), dclick2 (double-click on row 3),
// sortN (a click on the header of column N).
// Returns what went wrong: the popup closed before a step, or F1 showing no help.
inline QString play(FormBase* dlg, QTreeView* list, const QString& script) {
    const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Return, Qt::Key_Escape, Qt::Key_F1, Qt::Key_F12};
    for (const QString& step : script.split(u' ', Qt::SkipEmptyParts)) {
        if (!dlg->isVisible()) return QStringLiteral("closed before ") + step;
        if (const int k = QStringLiteral("down enter esc f1 f12").split(u' ').indexOf(step); k >= 0)
            QTest::keyClick(list, keys[k]);
        if (step == u"tb12") dlg->tlbFunction()->findChild<QAction*>(QStringLiteral("F12"))->trigger();
        if (step == u"frame") dlg->close();
        if (step.startsWith(u"sort")) clickHeader(list, step.mid(4).toInt());
        if (step == u"dclick2") screen::doubleClick(list, list->model()->index(2, 0));
        if (step == u"f1" && !(dlg->helpWindow() && dlg->helpWindow()->isVisible()))
            return QStringLiteral("no help");
        if (step == u"f1") dlg->helpWindow()->close();
    }
    return {};
}

// The goods lookup F4 opens, driven as a user picks: every goods listed, `code` chosen with Enter.
template <class Lookup> std::unique_ptr<ModalDriver<Lookup>> pickInGoodsLookup(const QString& code) {
    return std::make_unique<ModalDriver<Lookup>>(
        [](Lookup* d) { return d->isEnabled(); },
        [code](Lookup* d) {
            d->template findChild<QLineEdit*>(QStringLiteral("txtCode"))->clear();
            QTest::mouseClick(d->template findChild<QPushButton*>(QStringLiteral("cmdFind")), Qt::LeftButton);
            auto* list = d->template findChild<QTreeView*>(QStringLiteral("ListView"));
            for (int i = 0; i < list->model()->rowCount(); ++i)
                if (rowText(list, i, 0).trimmed() == code) list->setCurrentIndex(list->model()->index(i, 0));
            QTest::keyClick(list, Qt::Key_Return);
        });
}

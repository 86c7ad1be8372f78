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
#include <QTreeWidget>
#include <memory>

namespace entry {

const int kDay = 20240105;
const QString kG12 = QStringLiteral("          12"); // goods 12 as stored

template <class T> T* child(QWidget* form, const char* name) {
    auto* w = form->findChild<T*>(QString::fromLatin1(name));
    if (!w) qFatal("no %s", name);
    return w;
}
inline QString text(QWidget* form, const char* name) {
    return child<QLineEdit>(form, name)->text();
}
inline QString labelText(QWidget* form, const char* name) {
    return child<QLabel>(form, name)->text();
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
    child<QLineEdit>(form, name)->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    if (!keys.isEmpty()) QTest::keyClicks(child<QLineEdit>(form, name), keys);
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
    type(form, next, {});
}

// Date and goods code, the code left with Enter for the quantity.
inline void pickGoods(QWidget* form, int day, const QString& code) {
    typeDate(form, day);
    type(form, "txtGcode", code);
    press(Qt::Key_Return);
}

// The quantity typed where the focus is, then F5.
inline void saveQuantity(QWidget* form, const QString& quantity) {
    if (!quantity.isEmpty()) QTest::keyClicks(child<QLineEdit>(form, "txtSuu"), quantity);
    press(Qt::Key_F5);
}

// What an entry screen shows: date|category|code (trimmed)|goods name|stock|quantity.
inline QString shown(QWidget* form) {
    const int day = text(form, "txtYy").trimmed().toInt() * 10000 +
                    text(form, "txtMm").trimmed().toInt() * 100 + text(form, "txtDd").trimmed().toInt();
    return QString::number(day) + '|' + text(form, "txtBunrui") + '|' + text(form, "txtGcode").trimmed() +
           '|' + labelText(form, "lblGoodsName") + '|' + labelText(form, "lblZaikoSuu") + '|' +
           text(form, "txtSuu");
}

// Each row of a list as its cells joined with '|', the header first.
inline QStringList listed(QTreeWidget* list) {
    QStringList out;
    for (int i = -1; i < list->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            cells << (i < 0 ? list->headerItem() : list->topLevelItem(i))->text(c);
        out << cells.join(QLatin1Char('|'));
    }
    return out;
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
    const MessageRequest& said() const { return dialogs.lastMessage(); }
    // The ledger rows as the given columns joined with '|', rows with ','.
    QString gdai(const QString& columns, const QString& where = QStringLiteral("1=1")) const {
        return dir.rows("select " + columns + " from gdai where " + where + " order by day, kubun");
    }
    // operatlog rows of this screen with this code (and detail text, unless null).
    int logs(int kind, const QString& detail = {}) const {
        QString sql = QStringLiteral("select count(*) from operatlog where naiyou='%1' and kubun=%2")
                          .arg(F::screenTexts().caption)
                          .arg(kind);
        return dir.count(
            detail.isNull() ? sql : sql + " and syousai='" + QString(detail).replace('\'', "''") + "'");
    }
};

} // namespace entry

#pragma once

// Brings text into a line edit by one of the ways a user has besides plain typing, as the widget would
// get it from the window system.

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QtTest>

#include <memory>
#include <optional>

namespace paste {

// The modifiers a typing route holds: a key with text under them still types it into a line edit.
inline std::optional<Qt::KeyboardModifiers> typedWith(const QString& route) {
    static const QHash<QString, Qt::KeyboardModifiers> held{
        {QStringLiteral("alt"), Qt::AltModifier},
        {QStringLiteral("altgr"), Qt::GroupSwitchModifier},
        {QStringLiteral("super"), Qt::MetaModifier},
        {QStringLiteral("keypad"), Qt::KeypadModifier},
        {QStringLiteral("ctrl+alt"), Qt::ControlModifier | Qt::AltModifier},
        {QStringLiteral("shift+alt"), Qt::ShiftModifier | Qt::AltModifier},
        {QStringLiteral("ctrl+keypad"), Qt::ControlModifier | Qt::KeypadModifier},
        {QStringLiteral("ctrl+shift"), Qt::ControlModifier | Qt::ShiftModifier}};
    const auto it = held.find(route);
    return it == held.end() ? std::nullopt : std::optional(*it);
}

// route: "ctrl+v", "shift+insert", "menu" (Paste of the context menu), "middle" (the middle button with
// the selection clipboard, X11 only), "drop" (dragged text let go past the end of the text), "ime" (an
// input method's commit), "ime-1" (a commit replacing the character before the cursor), or one of the
// modifiers in typedWith() held while each character is typed.
inline void bring(const QString& route, QLineEdit* box, const QString& text) {
    QClipboard* clipboard = QApplication::clipboard();
    const QPoint end(box->width() - 4, box->height() / 2); // past the text: the cursor goes to the end
    const auto texts = [](const QMenu* menu) {
        QStringList out;
        for (const QAction* a : menu->actions())
            out << a->text();
        return out;
    };
    if (const auto held = typedWith(route)) {
        for (const uint u : text.toUcs4()) {
            const char32_t c = u;
            const QString ch = QString::fromUcs4(&c, 1);
            const int key = u == '\r' || u == '\n' ? Qt::Key_Return
                            : u < 128              ? QTest::asciiToKey(char(u))
                                                   : int(ch.toUpper().at(0).unicode());
            for (const auto type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QKeyEvent event(type, key, *held, ch);
                QApplication::sendEvent(box, &event);
            }
        }
    } else if (route == QLatin1String("ctrl+v") || route == QLatin1String("shift+insert")) {
        clipboard->setText(text);
        const bool v = route == QLatin1String("ctrl+v");
        QTest::keyClick(box, v ? Qt::Key_V : Qt::Key_Insert, v ? Qt::ControlModifier : Qt::ShiftModifier);
    } else if (route == QLatin1String("menu")) {
        clipboard->setText(text);
        const QPoint at(4, box->height() / 2);
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, box->mapToGlobal(at));
        QApplication::sendEvent(box, &request);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        const std::unique_ptr<QMenu> standard(box->createStandardContextMenu());
        QCOMPARE(texts(menu), texts(standard.get())); // the box's usual menu
        QAction* paste = nullptr;
        for (QAction* a : menu->actions())
            if (a->text().section(QLatin1Char('\t'), 0, 0) == QLineEdit::tr("&Paste")) paste = a;
        QVERIFY(paste && paste->isEnabled());
        paste->trigger();
        menu->close();
    } else if (route == QLatin1String("middle")) {
        QVERIFY(clipboard->supportsSelection());
        clipboard->setText(text, QClipboard::Selection);
        QTest::mouseClick(box, Qt::MiddleButton, {}, end);
    } else if (route == QLatin1String("drop")) {
        QMimeData data;
        data.setText(text);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(end, actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(box, &enter);
        QDragMoveEvent move(end, actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(box, &move);
        QDropEvent drop(QPointF(end), actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(box, &drop);
    } else if (route == QLatin1String("ime") || route == QLatin1String("ime-1")) {
        const bool replace = route == QLatin1String("ime-1");
        QInputMethodEvent commit;
        commit.setCommitString(text, replace ? -1 : 0, replace ? 1 : 0);
        QApplication::sendEvent(box, &commit);
    } else {
        QFAIL(qPrintable(QLatin1String("unknown route ") + route));
    }
}

} // namespace paste

#pragma once

#include <QList>
#include <QRect>
#include <QString>

class QWidget;

// A window opens inside the screen it opens on, whatever the screen's size and scale factor, and
// where its user left it last time (remembered per user and window) while that place is still on a
// screen. Lists inside a window scroll when the window is made smaller than they would like.
class WindowPlacement {
public:
    // Before the window is first shown: the remembered place, or the window's own size centred on
    // the screen under the active window (or the mouse), either one fitted into that screen.
    static void restore(QWidget* window, const QString& key);
    // When the window closes.
    static void remember(const QWidget* window, const QString& key);
    // Once shown, when the window manager's frame is known: the frame pulled inside the screen.
    static void fitFrame(QWidget* window);

    // `frame` (a window with its frame) moved and shrunk to lie inside `available`.
    static QRect fitted(const QRect& frame, const QRect& available);
    // Enough of `frame` (its title bar) lies on one of `screens` for the user to grab it.
    static bool reachable(const QRect& frame, const QList<QRect>& screens);
    // The settings key of a window: its class, and its object name when it has one.
    static QString keyOf(const QWidget* window);
};

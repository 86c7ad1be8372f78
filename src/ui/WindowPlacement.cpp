#include "ui/WindowPlacement.h"

#include "app/basUserSettings.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

// Room for a title bar and borders before the window manager tells the real ones.
constexpr int kFrameTop = 32;
constexpr int kFrameSide = 8;

QString settingsKey(const QString& key) {
    return QStringLiteral("windows/") + key;
}

QList<QRect> availableAreas() {
    QList<QRect> areas;
    for (const QScreen* s : QGuiApplication::screens())
        areas << s->availableGeometry();
    return areas;
}

QScreen* openingScreen(const QWidget* window) {
    if (const QWidget* parent = window->parentWidget()) return parent->window()->screen();
    if (const QWidget* active = QApplication::activeWindow()) return active->screen();
    if (QScreen* under = QGuiApplication::screenAt(QCursor::pos())) return under;
    return QGuiApplication::primaryScreen();
}

// A window whose layout asks for more than the screen has gives in: the layout's minimum no longer
// binds it (its lists and areas scroll instead).
void allowSize(QWidget* window, const QSize& size) {
    if (QLayout* layout = window->layout()) {
        const QSize least = layout->minimumSize();
        if (least.width() > size.width() || least.height() > size.height())
            layout->setSizeConstraint(QLayout::SetNoConstraint);
    }
    window->setMinimumSize(window->minimumSize().boundedTo(size));
}

} // namespace

QRect WindowPlacement::fitted(const QRect& frame, const QRect& available) {
    if (available.isEmpty()) return frame;
    QRect r(frame.topLeft(), frame.size().boundedTo(available.size()));
    if (r.right() > available.right()) r.moveRight(available.right());
    if (r.bottom() > available.bottom()) r.moveBottom(available.bottom());
    if (r.left() < available.left()) r.moveLeft(available.left());
    if (r.top() < available.top()) r.moveTop(available.top());
    return r;
}

bool WindowPlacement::reachable(const QRect& frame, const QList<QRect>& screens) {
    // The title bar's middle part: what a user drags a window by.
    const QRect titleBar(frame.left() + frame.width() / 4, frame.top(), qMax(1, frame.width() / 2),
                         kFrameTop);
    for (const QRect& s : screens) {
        const QRect seen = s.intersected(titleBar);
        if (seen.width() >= qMin(titleBar.width(), 100) && seen.height() >= kFrameTop / 2) return true;
    }
    return false;
}

QString WindowPlacement::keyOf(const QWidget* window) {
    QString key = QString::fromLatin1(window->metaObject()->className());
    if (!window->objectName().isEmpty() && window->objectName() != key) key += u'.' + window->objectName();
    return key;
}

void WindowPlacement::restore(QWidget* window, const QString& key) {
    const QMargins frame(kFrameSide, kFrameTop, kFrameSide, kFrameSide);
    const QPoint savedPos = fnUserSetting(settingsKey(key) + QStringLiteral("/pos")).toPoint();
    const QSize savedSize = fnUserSetting(settingsKey(key) + QStringLiteral("/size")).toSize();
    const QList<QRect> areas = availableAreas();
    // Frames here: pos() is where the frame starts, the window lies inside it.
    QRect wanted(savedPos, savedSize.grownBy(frame));
    QRect area;
    if (savedSize.isValid() && reachable(wanted, areas)) {
        for (const QRect& a : areas)
            if (a.intersected(wanted).width() > area.intersected(wanted).width()) area = a;
    } else {
        const QScreen* screen = openingScreen(window);
        if (!screen) return;
        area = screen->availableGeometry();
        QSize size = window->size();
        if (!window->testAttribute(Qt::WA_Resized)) size = size.expandedTo(window->sizeHint());
        wanted = QRect(QPoint(), size.grownBy(frame));
        wanted.moveCenter(area.center());
    }
    const QRect place = fitted(wanted, area);
    const QSize size = place.size().shrunkBy(frame);
    allowSize(window, size);
    window->resize(size);
    window->move(place.topLeft());
}

void WindowPlacement::remember(const QWidget* window, const QString& key) {
    if (window->isMinimized() || window->isMaximized() || window->isFullScreen()) return;
    fnSetUserSetting(settingsKey(key) + QStringLiteral("/pos"), window->pos());
    fnSetUserSetting(settingsKey(key) + QStringLiteral("/size"), window->size());
}

void WindowPlacement::fitFrame(QWidget* window) {
    const QScreen* screen = window->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    if (area.contains(frame)) return;
    const QMargins margins(window->geometry().left() - frame.left(), window->geometry().top() - frame.top(),
                           frame.right() - window->geometry().right(),
                           frame.bottom() - window->geometry().bottom());
    const QRect place = fitted(frame, area);
    const QSize size = place.marginsRemoved(margins).size();
    allowSize(window, size);
    window->resize(size);
    window->move(place.topLeft());
}

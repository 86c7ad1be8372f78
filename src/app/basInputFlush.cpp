#include "app/basInputFlush.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QObject>

bool fnIsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

namespace {

class InputDropper final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override { return fnIsUserInput(event->type()); }
};

} // namespace

void fnFlushInput() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    InputDropper dropper;
    app->installEventFilter(&dropper);
    // Window-system input first, then whatever was posted meanwhile, twice so that events posted
    // by the first round are caught too.
    for (int round = 0; round < 2; ++round) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents();
    }
    app->removeEventFilter(&dropper);
}

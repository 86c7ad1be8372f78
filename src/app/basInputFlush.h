#pragma once

#include <QEvent>

// Keys, clicks, wheel turns, shortcuts, input-method text, drops, touches: what a user sends.
bool fnIsUserInput(QEvent::Type type);

// Throws away the keys, clicks, wheel turns and shortcuts queued while a screen was busy: pending
// events run, but input events are dropped on the way (none of them is dispatched). Call it at the
// end of a long operation, while the form is still disabled, just before enabling it.
void fnFlushInput();

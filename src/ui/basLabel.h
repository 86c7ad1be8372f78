#pragma once

#include <QString>

class QEvent;
class QLabel;

// Value labels (goods and category names) that end a text too long for them with "…" instead of
// cutting through a character. The label keeps its whole text (text() is what the screen set); only
// what it paints is shortened, and while it is, the tool tip shows the whole text. One-line plain
// text only: rich text, word wrap, pictures and selectable text are painted by QLabel as ever.
//
// FormBase does this for its labels whose object name contains "Name"; other labels call
// fnElideLabel(label) once.

// The text as the label shows it: its text, or the text shortened to end with "…".
QString fnShownLabelText(const QLabel* label);

// Makes label paint its text this way from now on.
void fnElideLabel(QLabel* label);

// The Paint and ToolTip events of an eliding label; true when handled here (the label must not see
// the event), false for QLabel to go on as usual.
bool fnElidedLabelEvent(QLabel* label, QEvent* e);

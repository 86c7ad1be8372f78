#pragma once

class QWidget;

// What a screen reader says of a form's controls.

// Each field of the form without a name of its own is named by its caption: the plain label just
// left of it on its row becomes its buddy (value labels, framed, are never captions). Run after the
// form's layout has placed the controls.
void fnNameFieldsByCaptions(QWidget* form);

// A control only the focus passes through (a focus trap) is not there for a screen reader.
void fnHideFromReaders(QWidget* w);

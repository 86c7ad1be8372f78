#pragma once

#include <QObject>
#include <QString>

class FormBase;
class QEvent;
class QInputMethodEvent;
class QKeyEvent;
class QLineEdit;
class QPoint;

// The text rules of one text box of a form: a child of the box and its event filter. Text that comes
// into the box by any way goes through insertText() and meets the rules a typed character meets
// (the box's input mode and byte limit, basInput.h):
//  - typed keys, under any modifier: the form's key preview (FormBase) runs first, then hands the
//    characters it let through to insertText(text, Route::Key);
//  - Ctrl+V / Shift+Insert (from the form's preview) and Paste of the box's context menu;
//  - the middle mouse button (the X11 selection), at the place the button went down;
//  - text dropped on the box, at the place it was let go;
//  - input-method commits (what is still being composed stays as it is).
// Outside a form (FormBase) the box takes everything as a plain QLineEdit does.
//
// FormBase attaches it to every text box it makes (newTextBox) or finds among its controls.
class BoxInput : public QObject {
    Q_OBJECT
public:
    enum class Route { Key, Paste, MiddleButton, Drop, InputMethod };

    // The rules of box, attached on the first call.
    static BoxInput* attach(QLineEdit* box);
    QLineEdit* box() const;

    // Puts text into the box as if it were typed there. The box is entered first (the focus moves to
    // it, Escape can undo what comes) and the text filtered by its rules, but for Route::Key, whose
    // characters the form's key preview has entered and filtered. What gets through replaces the
    // selection or goes in at the cursor (at the drop's or the middle button's place). cause: the drop
    // (Route::Drop) or the commit (Route::InputMethod) the text came by. Returns what went in.
    QString insertText(const QString& text, Route route, QEvent* cause = nullptr);

    // Whether a line edit would insert the key's text (under any modifier but Ctrl and Ctrl+Shift).
    static bool typesText(const QKeyEvent* e);
    // Ctrl+V or Shift+Insert.
    static bool isPasteKey(const QKeyEvent* e);
    // A middle button release that box pastes the selection clipboard with.
    static bool pastesSelection(const QObject* box, const QEvent* e);
    // Sends commit again to target, carrying `accepted` instead of its text; the filters let it pass.
    static void resendCommit(QObject* target, const QInputMethodEvent* commit, const QString& accepted);
    static bool isResending(const QObject* target);

protected:
    bool eventFilter(QObject* obj, QEvent* e) override;

private:
    explicit BoxInput(QLineEdit* box);
    // The form whose rules apply; null outside one.
    FormBase* form() const;
    void showContextMenu(const QPoint& globalPos);
};

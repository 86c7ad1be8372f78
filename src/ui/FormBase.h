#pragma once

#include "ui/BusyGuard.h"
#include "ui/HelpWindow.h"
#include "ui/basInput.h"
#include "ui/basToolbar.h"
#include "ui/clsKeyDown.h"

#include <QDialog>
#include <QIcon>
#include <QList>
#include <QPointer>

#include <QLineEdit>
class BoxInput;
class QToolBar;

// The base of every screen and popup.
//
// What it gives a form:
//  - key preview: every key pressed in the form runs, before the focused control sees it,
//      key-down:  formKeyDown(key) = clsKeyDown::fnKeyDown (Escape undo), then the function keys
//                 F1..F12 (functionKey(n) only while toolbar button "Fn" is enabled; the key is
//                 consumed either way), then fnMoveFocus (Enter; Up/Down when arrowsMove());
//      key-press: formKeyPress(ch) per typed character = Enter and Escape swallowed, Backspace
//                 passed, every other character through fnFilterKey and fnCheckByteLength.
//    Enter and Escape therefore never reach QDialog (no default button, no reject). Buttons, check
//    boxes and the date picker keep their own keys (Space, digits), as they act on the key, not a
//    character. A key sent straight to a text box without the focus (QTest::keyClicks on a named
//    control) first gives that box the focus. A focus move by Enter or an arrow shows the focus
//    frame as Tab does.
//  - text that reaches a text box by any other way obeys the same character rules and byte limit,
//    through the box's BoxInput (BoxInput.h), attached to every text box of the form: Ctrl+V /
//    Shift+Insert, Paste of the box's context menu, the middle mouse button (the X11 selection), text
//    dropped on the box and input-method commits. The key preview runs before the box, as for any key.
//  - QLabel controls whose object name contains "Name" (lblGoodsName, lblBunruiName, ...) end a
//    text too long for them with an ellipsis; the tool tip shows it whole (fnElideLabel).
//  - the toolbar tlbFunction() with buttons "F1".."F12" (fnSetToolbar / fnEnableToolbar through
//    setToolbar() / enableToolbar()); a click calls toolbarClick(n), by default functionKey(n).
//  - focusEnter(now) / focusLeave(old, now, stillInside) for focus moves touching this form;
//    a text box entered by a mouse click keeps the selection focusEnter made. Text dropped into the
//    window while another is active enters its box first (Qt moves no focus there until activation),
//    so the box's focused rules measure it; the activation later does not enter it again.
//  - the open (0) and close (9) operation-log rows with the caption (screens; popups do not log).
//  - F1: a help window with the form's help page (qrc :/help/<helpPage()>.html, by default the
//    class name, e.g. "frmSiiden"; HelpWindow.h).
//  - screens get normal window flags (minimise / maximise); popups are dialogs shown with exec().
//
// Controls go into body(), the area under the toolbar (give it a layout or place them freely).
// VB properties: setTabIndex(w, n), setTabStop(w, on), setInputMode(w, "6"), setByteMaxLength(w, 12)
// (basInput.h); newTextBox() sets them all at once.
//
// Usage:
//
//     class frmSiiden : public FormBase {
//         Q_OBJECT
//     public:
//         explicit frmSiiden(QWidget* parent = nullptr) : FormBase(FormKind::Screen, parent) {
//             setWindowTitle("入庫処理");
//             auto* grid = new QGridLayout(body());
//             txtGcode = newTextBox(body(), "txtGcode", 5, "4", 12);
//             grid->addWidget(txtGcode, 1, 1);
//             ...
//             setToolbar("1111-1101-0001");       // pictures, tips, enabled buttons
//             fitToolbar();
//         }
//     protected:
//         void functionKey(int n) override {       // only called while button n is enabled
//             switch (n) {
//             case 5: fnSave(); break;
//             case 12: close(); break;
//             default: FormBase::functionKey(n);   // F1 help
//             }
//         }
//         void focusEnter(QWidget* now) override {
//             if (auto* box = qobject_cast<QLineEdit*>(now)) fnSelectText(box, true);
//             enableToolbar(now == txtGcode ? "1111-1101-0001" : "1001-1101-0001");
//         }
//         void focusLeave(QWidget* old, QWidget* now, bool stillInside) override {
//             if (old == txtGcode && stillInside) fnCheckGoods();
//         }
//         void formUnload() override { gclsDb.CloseDb(); }   // after the close log row
//     private:
//         void fnSave() { ... BusyGuard busy(this); ... }
//     };
//
// A screen is shown modeless (show()); a popup modal (exec()). Closing (close(), the frame's
// button) asks queryUnload(), writes the close log row, then runs formUnload().
enum class FormKind { Screen, Popup };

class FormBase : public QDialog {
    Q_OBJECT
public:
    explicit FormBase(FormKind kind = FormKind::Screen, QWidget* parent = nullptr);
    ~FormBase() override;

    FormKind kind() const { return m_kind; }
    QWidget* body() const { return m_body; }
    QToolBar* tlbFunction() const { return m_toolbar; }
    // The image list of the toolbar pictures (filled by setToolbar).
    QList<QIcon> imlFunction;
    clsKeyDown& keyNavigation() { return m_keyDown; }

    // Up / Down move between fields like Enter (default on).
    void setArrowsMove(bool on) { m_arrows = on; }
    bool arrowsMove() const { return m_arrows; }

    // fnSetToolbar / fnEnableToolbar / fnFitToolbar on this form's toolbar.
    void setToolbar(const QString& pattern);
    void enableToolbar(const QString& pattern);
    void fitToolbar();
    // Button "Fn" exists and is enabled.
    bool isToolbarEnabled(int n) const;

    // The help page shown by F1 (":/help/<page>.html"); default: the class name.
    void setHelpPage(const QString& page) { m_help.setHelpPage(page); }
    QString helpPage() const { return m_help.helpPage(); }
    // Help context numbers of the code lists map onto pages (6101 -> the category list's page).
    void setHelpContext(int contextId) { m_help.setHelpContext(contextId); }
    // Opens (or raises) the help window; returns it.
    QWidget* showHelp() { return m_help.showHelp(); }
    QWidget* helpWindow() const { return m_help.window(); }

    // Open / close log rows (default: on for screens, off for popups).
    void setLogOpenClose(bool on) { m_logOpenClose = on; }

    // Qt's Tab order made to follow TabIndex (done on the first show; call again after adding
    // controls later).
    void applyTabOrder();

    // A QLineEdit with object name, TabIndex, input mode and byte MaxLength set.
    static QLineEdit* newTextBox(QWidget* parent, const QString& name, int tabIndex, const QString& mode,
                                 int maxBytes);

    // Puts text into box as if it were typed there: the box gets the focus if it lacks it, Escape
    // can undo it, and what the box's input mode and byte limit let through replaces the selection
    // (or goes in at the cursor). As Ctrl+V does, through the box's BoxInput.
    void pasteText(QLineEdit* box, const QString& text);

protected:
    // Key-down steps; key is a Qt::Key value, set it to 0 to consume the key. Override to add
    // keys of your own (e.g. map Page Up onto F2), calling the pieces below as the default does:
    //   runKeyNavigation(key); runFunctionKeys(key); runMoveFocus(key);
    virtual void formKeyDown(int& key, Qt::KeyboardModifiers modifiers);
    // Key-press step for one typed character; set ch to 0 to swallow it.
    virtual void formKeyPress(char32_t& ch);
    // Function key n (1..12), called only while button "Fn" is enabled. Default: F1 opens help.
    virtual void functionKey(int n);
    // A toolbar button was clicked. Default: functionKey(n).
    virtual void toolbarClick(int n);
    // The focus came to `now`, a control of this form.
    virtual void focusEnter(QWidget* now);
    // The focus left `old`, a control of this form, for `now` (may be null or in another window);
    // stillInside tells whether `now` belongs to this form.
    virtual void focusLeave(QWidget* old, QWidget* now, bool stillInside);
    // Closing: return false to stay open.
    virtual bool queryUnload() { return true; }
    // Closing, after the close log row.
    virtual void formUnload() {}

    void runKeyNavigation(int& key);
    void runFunctionKeys(int& key);
    void runMoveFocus(int& key);

    bool eventFilter(QObject* obj, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    friend class BoxInput;
    bool ownsWidget(const QObject* obj) const;
    // The rules of a text box of this form (attached on first use); null for anything else.
    BoxInput* inputOf(QObject* obj) const;
    bool handleKeyPress(QObject* obj, QKeyEvent* e);
    // Text coming into box by another way than a key: the focus and the Escape undo as for a key;
    // false when the box cannot take text now.
    bool enterBox(QLineEdit* box);
    void onFocusChanged(QWidget* old, QWidget* now);
    // focusLeave(old) then focusEnter(now) for a focus move touching this form; byHand for a move Qt
    // does not report (in an inactive window).
    void dispatchFocusChange(QWidget* old, QWidget* now, bool byHand);

    FormKind m_kind;
    QWidget* m_body = nullptr;
    QToolBar* m_toolbar = nullptr;
    clsKeyDown m_keyDown;
    bool m_arrows = true;
    HelpWindow m_help{this};
    bool m_logOpenClose = true;
    bool m_opened = false;
    bool m_unloaded = false;
    bool m_firstShowDone = false;
    Qt::KeyboardModifiers m_modifiers;
    QPointer<QWidget> m_focusInWidget;
    Qt::FocusReason m_focusInReason = Qt::OtherFocusReason;
    // Key events already previewed while Qt hands them on to parent widgets.
    const QEvent* m_lastKeyEvent = nullptr;
    QPointer<QObject> m_lastKeyReceiver;
    // A text box that got the focus by a mouse press: its selection is restored on release.
    QPointer<QLineEdit> m_clickedBox;
    bool m_clickedBoxSelected = false;
    // A box entered by hand for text dropped into the inactive window, until the window gets the focus.
    QPointer<QLineEdit> m_enteredBox;
};

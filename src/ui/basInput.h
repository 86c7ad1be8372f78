#pragma once

#include <QString>

class QWidget;
class QLineEdit;

// Field input rules shared by every form: VB control properties mapped onto Qt widgets, the
// per-field character filter, the byte limit, focus movement by tab index and select-on-focus.
//
// The VB properties the forms rely on are kept on the widgets:
//   TabIndex  -> integer dynamic property "TabIndex" (setTabIndex); -1 / absent = not in the order
//   TabStop   -> focus policy: StrongFocus when a tab stop, ClickFocus when not (setTabStop)
//   Tag       -> dynamic property "Tag" holding the input mode "0".."9" (setInputMode)
//   MaxLength -> dynamic property "MaxLength", Shift-JIS bytes, 0 = no limit (setByteMaxLength);
//                Qt's own QLineEdit::maxLength counts characters and is left alone.
// A "text box" is a QLineEdit that is a control of its own (not the editor inside a spin box,
// date edit or combo box).
//
// Key codes are Qt::Key values (Qt::Key_Return, Qt::Key_Escape, Qt::Key_Up, ...); a routine that
// "sets the key to 0" consumes it. Characters are char32_t; 0 means swallowed.

inline constexpr char kTabIndexProperty[] = "TabIndex";
inline constexpr char kInputModeProperty[] = "Tag";
inline constexpr char kByteMaxLengthProperty[] = "MaxLength";

void setTabIndex(QWidget* w, int index);
int tabIndex(const QWidget* w); // -1 when not set
void setTabStop(QWidget* w, bool on);
bool tabStop(const QWidget* w);
void setInputMode(QWidget* w, const QString& mode); // "0".."9"; anything else accepts every character
QString inputMode(const QWidget* w);
void setByteMaxLength(QWidget* w, int bytes);
int byteMaxLength(const QWidget* w);

bool isTextBox(const QWidget* w);
// The form's active control: the focused widget when it lies in frm's window, else frm's own
// remembered focus widget; null when there is none.
QWidget* activeControl(QWidget* frm);

// The characters input mode 0..9 allows (the blank included); empty for any other mode.
QString fnAllowedCharacters(int mode);

// Swallows (key := 0) a character the active text box's input mode does not allow. A box whose
// Tag is not "0".."9" takes everything; while a non-text control is active, everything is swallowed.
// The comparison ignores letter case (so lower-case letters pass in mode 8).
void fnFilterKey(QWidget* frm, char32_t& key);

// Byte limit of the active text box (MaxLength in Shift-JIS bytes, 0 = none). A whole-text
// selection is replaced by the typed character; otherwise a character that would make the text
// longer than the limit is refused with a beep (the selection is not subtracted). Control
// characters (below 32) pass, except CR and LF, which are measured like others.
void fnCheckByteLength(QWidget* frm, char32_t& key);

// Runs fnFilterKey and fnCheckByteLength over a text given at once (input-method commit, paste) as
// if its characters were typed one by one into the active text box; returns what gets through.
// As with typing, the first character taken replaces the selection, but is measured against the
// whole text (in a full box nothing goes over a partial selection); a refused character beeps.
QString fnFilterText(QWidget* frm, const QString& text);
// The same with the box's text taken to be `current`, nothing selected (an input method's commit
// once the characters it replaces are out).
QString fnFilterText(QWidget* frm, const QString& text, const QString& current);

// Enter (and, with arrows, Up / Down) moves the focus to the previous / next focusable control of
// frm by TabIndex, without wrap-around (at the ends the focus stays); the key becomes 0.
// Other keys are left unchanged. The control shows its focus frame as after Tab / Shift+Tab.
void fnMoveFocus(QWidget* frm, int& key, bool arrows);

// Visible (to its window) and enabled and a tab stop.
bool fnCanFocus(const QWidget* c);

// Select-on-focus: with removeCommas the text loses every "," and its outer blanks first; then the
// whole text is selected.
void fnSelectText(QLineEdit* box, bool removeCommas);

// The input mode of goods-code fields for the suite's Sysfile.gno: 0 letters, digits and signs
// ("4"), 1 digits only ("6"), anything else no rule ("").
QString fnGoodsCodeMode(const QString& gno);

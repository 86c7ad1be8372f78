#pragma once

#include <QIcon>
#include <QList>
#include <QString>

class QAction;
class QToolBar;
class QWidget;

// The function-key toolbar "tlbFunction": twelve buttons keyed "F1".."F12" (the actions' object
// names), with separators after F4, F8 and F12. A pattern such as "1111-1101-0001" has one
// character per button (dashes ignored); "1" enables the button.

// Tool tip of button n (1..12): "F1 ヘルプを表示", ..., "F12 終了".
QString fnToolbarTip(int n);
// Picture of button n, drawn at run time.
QIcon fnToolbarPicture(int n);
// The program's window icon.
QIcon fnProgramIcon();

// A new toolbar named "tlbFunction" with the twelve buttons and three separators (no pictures yet).
QToolBar* fnCreateFunctionToolbar(QWidget* parent);
// Button "F" + n, or null.
QAction* fnToolbarButton(const QToolBar* tb, int n);

// Fills the image list with the pictures, then gives each "1" button its picture and tool tip and
// disables each "0" button.
void fnSetToolbar(QToolBar* tb, QList<QIcon>& images, const QString& pattern);
// Enables button n exactly when character n is "1" (buttons past the pattern are left alone).
void fnEnableToolbar(QToolBar* tb, const QString& pattern);
// Makes room for the toolbar: controls placed freely on the form (not in a layout) move down by
// the toolbar's height and the form grows by it; the form is widened to the toolbar's first 15
// buttons (plus the last separator) when they do not fit. Never fails with fewer buttons.
void fnFitToolbar(QWidget* frm, QToolBar* tb);

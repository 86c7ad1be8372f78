#pragma once

#include "data/DialogSeam.h"

#include <QString>

// The suite's message catalogue. Every box goes through dialogs(), titled "ＰＥＬＫＯ".

// Title of every catalogue box.
inline constexpr char16_t kMessageTitle[] = u"ＰＥＬＫＯ";
// The program's executable name: the title of the entry screens' own input-check boxes.
inline constexpr char16_t kProgramName[] = u"zanmo";

// Lets pending window events run, then shows the catalogue message of `key` (exact,
// case- and width-sensitive) with its buttons, icon and default button, and returns the answer:
// 1 OK, 2 Cancel, 6 Yes, 7 No. A key outside the catalogue shows nothing and returns 0.
// The extra text is used by "記録", "削除", "記録エラー", "ReadOnly", "印刷物" and "作業中".
int fnMessage(const QString& key, const QString& extra = QString());

// A database error text in an OK box with the critical icon, titled "ＰＥＬＫＯ", as the data layer
// shows the provider's errors.
void fnShowDbError(const QString& text);

// A plain OK box titled with the program's executable name.
int fnPlainMessage(const QString& text, MsgIcon icon = MsgIcon::Exclamation);

// The description of the last failure the program noted (a failed program start); the second
// line of "msgExeLoadErr". Empty when none.
QString fnCurrentError();
void fnSetCurrentError(const QString& description);

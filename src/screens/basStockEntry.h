#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "stock/basStock.h" // fnGcodeSql
#include "ui/BusyGuard.h"

class clsDbClass;
class QLabel;
class QLineEdit;
class Recordset;

// The look-ups the two entry screens and their list popup share: category and goods queries,
// the code and number forms that go into them, and the busy state that gives the focus back.

// A typed whole number as unquoted SQL text; ok false when the text is not one.
QString fnNumberSql(const QString& typed, bool* ok = nullptr);

// "select code,name from bunrui where kubun = 4 and code = n"
QString fnBunruiSql(const QString& n);
// F2 / F3 on a category field.
QString fnBunruiStepSql(bool next, const QString& n);
// Leaving the goods-code field: the goods of that code (and category when c is not empty) whose
// stock is managed. code: the plain code, typed or stored; padded and quoted here.
QString fnGoodsCheckSql(const QString& c, const QString& code);
// F2 / F3 on the goods-code field; F2 skips goods whose stock is not managed, F3 does not.
QString fnGoodsStepSql(bool next, const QString& c, const QString& code);

// Static list on the shared connection; a failure is shown (title "ＰＥＬＫＯ") and gives false.
bool fnOpenShared(Recordset& rec, const QString& sql);
// A list on the form's access class; a failure is shown with ErrMsg and gives false.
bool fnOpenClass(clsDbClass& db, Recordset& rec, const QString& sql);

// Category field check on leaving it: empty clears the label; otherwise the field is right-justified
// to its width and named, or field and label are cleared when there is no such category.
void fnCheckBunruiField(clsDbClass& db, QLineEdit* field, QLabel* label, int width);
// Category F2 / F3: the next / previous category into field and label; nothing when there is none.
void fnStepBunruiField(clsDbClass& db, QLineEdit* field, QLabel* label, int width, bool next);
// Category F4: the category code list starting at the field's value; the chosen one is shown.
void fnBunruiListField(clsDbClass& db, QLineEdit* field, QLabel* label, int width, QWidget* parent);
// Goods-code F4: the goods lookup filtered by the category field, starting at the code field;
// the chosen code (12 characters) or empty when none was chosen.
QString fnGoodsListCode(const QLineEdit* bunrui, const QLineEdit* gcode, QWidget* parent);

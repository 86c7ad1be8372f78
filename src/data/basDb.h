#pragma once

#include "data/Connection.h"
#include "data/Recordset.h"

#include <QString>

// The shared connection and the module query routines on it.
extern Connection* gcnData;

// Opens gcnData from zanmo.ini's mode; on failure shows the box (title "ＰＥＬＫＯ") and returns false.
bool fnOpenDB();
void fnCloseDB();

// Static read-only list on gcnData. Throws DbError (the caller's trap handles it).
void fnOpenRecordset(Recordset& rec, const QString& sql);
// The same for a long list, telling step the rows read so far; step may stop it (rec.stopped()).
void fnOpenRecordset(Recordset& rec, const QString& sql, const std::function<bool(int rows)>& step);
// Runs a statement on gcnData; "" on success, else the error text.
QString fnExecuteSql(Recordset& rec, const QString& sql);
// Field read: aggregates named "sum(...)" etc. read as Expr1000 + (position - 1); Null gives "".
QString fnGetFieldValue(const Recordset& rec, const QString& name, int position);
// Field write: "" into a numeric column (integer, single, double, byte) stores 0. Anything else a
// numeric column refuses unless it is a plain decimal number (fnIsPlainNumber): DbError, nothing
// changed.
void fnSetFieldValue(Recordset& rec, const QString& name, const QString& value);
// Update; "" on success, else cancels the pending change and returns the error text.
QString fnUpdateRecordset(Recordset& rec);

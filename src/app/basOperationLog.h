#pragma once

#include <QList>
#include <QString>

// One row of the suite's operation log (table operatlog): computer, user, text, kind, local time,
// detail. Kinds: 0 screen opened, 9 closed, 1 new record saved, 2 saved again, 3 deleted,
// 4 list printed or previewed.
//
// The text is cut to 80 and the detail to 50 Shift-JIS bytes and trimmed; both cut values are
// written back into the caller's variables. Values are quoted with apostrophes doubled. A failed
// write (no connection, no table, locked database) is silent and never stops the caller.
void fnOperationLog(QString& text, qint16& kind, QString& detail);
void fnOperationLog(const QString& text, int kind, const QString& detail = {});

// Many rows at once, each as fnOperationLog writes it (one time stamp for all), a few hundred rows
// a statement: the log of a batch that saved thousands of records. As silent as one row.
struct OperationLogRow {
    QString text;
    int kind = 0;
    QString detail;
};
void fnOperationLog(const QList<OperationLogRow>& rows);

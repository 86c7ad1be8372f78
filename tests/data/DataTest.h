#pragma once

#include "data/Connection.h"
#include "data/DbError.h"
#include "data/Recordset.h"
#include "data/basSettings.h"

#include <QStringList>

// Small helpers shared by the data layer's tests.
inline QString jet(const QString& source, const QString& password = QStringLiteral("QelMorvan")) {
    return "provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + source +
           ";Jet OLEDB:Database Password=" + password;
}

inline const QString kCode1 = QStringLiteral("select * from gdai where gcode = '           1'");

// An editable cursor on a connection of its own to the program folder's data1.dat.
struct Editor {
    Connection cn;
    Recordset rec;
    explicit Editor(const QString& sql = kCode1) {
        cn.Open(fnConnectString(0, "data1.dat"));
        rec.openEditable(cn, sql);
    }
};

// The rows from the current one on: fields joined by ',' and rows by '|'.
inline QString rows(Recordset& rec) {
    QStringList out;
    for (; !rec.Eof(); rec.MoveNext()) {
        QStringList fields;
        for (int i = 0; i < rec.fieldCount(); ++i)
            fields << rec.Fields(i).toString();
        out << fields.join(',');
    }
    return out.join('|');
}

// Sets name/value pairs on the current row.
inline void set(Recordset& rec, const QStringList& pairs) {
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
        rec.setField(pairs[i], pairs[i + 1]);
}

#include "reports/ReportDataControl.h"

#include "data/Connection.h"
#include "data/DbError.h"
#include "data/Recordset.h"
#include "data/SqlDialect.h"

bool ReportDataControl::fetch(QList<QVariantMap>* records, int* errorNumber, QString* errorText) const {
    records->clear();
    try {
        Connection cn;
        cn.Open(ConnectionString);
        Recordset rec;
        rec.openStatic(cn, fnJetToSqlite(Source));
        const QStringList names = rec.fieldNames();
        while (!rec.Eof()) {
            QVariantMap row;
            for (int i = 0; i < names.size(); ++i)
                row.insert(names.at(i), rec.Fields(i));
            records->append(row);
            rec.MoveNext();
        }
        rec.Close();
        cn.Close();
        return true;
    } catch (const DbError& e) {
        if (errorNumber) *errorNumber = e.number();
        if (errorText) *errorText = e.description();
        records->clear();
        return false;
    }
}

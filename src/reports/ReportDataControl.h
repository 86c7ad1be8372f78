#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

// The report's data control: a connection string and the SQL text whose records drive the Detail
// section, one record per detail.
class ReportDataControl {
public:
    QString ConnectionString;
    QString Source;

    // Opens its own connection, reads every record of Source and closes again.
    // Returns false with the error's number and text when the database or the query fails.
    bool fetch(QList<QVariantMap>* records, int* errorNumber, QString* errorText) const;
};

#include "export/CsvExport.h"

#include "export/ExportTable.h"
#include "export/basExportFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringEncoder>

QString CsvExport::csvLine(const QStringList& values) {
    QStringList cells;
    cells.reserve(values.size());
    for (const QString& v : values) {
        if (v.contains(u',') || v.contains(u'"') || v.contains(u'\n') || v.contains(u'\r'))
            cells << u'"' + QString(v).replace(u'"', QStringLiteral("\"\"")) + u'"';
        else
            cells << v;
    }
    return cells.join(u',');
}

bool CsvExport::fail(int number, const QString& description) {
    m_errorNumber = number;
    m_error = description;
    return false;
}

bool CsvExport::write(const ExportTable& table) {
    m_errorNumber = 0;
    m_error.clear();
    int number = 0;
    QString description;
    if (!fnCheckExportTarget(FileName, &number, &description)) return fail(number, description);

    const bool appending = Append && QFileInfo(FileName).isFile();
    QByteArray existing;
    if (appending) {
        QFile old(FileName);
        if (!old.open(QIODevice::ReadOnly))
            return fail(kExportPermissionDenied,
                        fnExportErrorText(QStringLiteral("読み込みできません。"), FileName));
        existing = old.readAll();
    }

    QString text;
    // The appended lines start on a line of their own.
    if (!existing.isEmpty() && !existing.endsWith('\n')) text += QStringLiteral("\r\n");
    if (!appending) {
        if (table.csvHeading) {
            text += csvLine({table.title}) + QStringLiteral("\r\n");
            for (const QString& line : table.headerLines)
                text += csvLine({line}) + QStringLiteral("\r\n");
            text += QStringLiteral("\r\n");
        }
        QStringList captions;
        for (const ExportColumn& column : table.columns)
            captions << column.caption;
        text += csvLine(captions) + QStringLiteral("\r\n");
    }
    int done = 0;
    for (const QStringList& row : table.rows) {
        if (!table.goOn(done++)) return fail(0, QString());
        QStringList cells;
        cells.reserve(row.size());
        for (const QString& cell : row)
            cells << cell.trimmed();
        text += csvLine(cells) + QStringLiteral("\r\n");
    }
    table.rowsDone();
    for (const ExportTable::Total& total : table.totals)
        text += csvLine({total.caption, total.text.trimmed()}) + QStringLiteral("\r\n");

    QByteArray bytes;
    if (ShiftJis) {
        QStringEncoder encoder("Shift_JIS");
        if (!encoder.isValid())
            return fail(kExportInvalidCall, QStringLiteral("Shift-JIS に変換できません。"));
        bytes = encoder.encode(text);
        // A '?' in place of a name's character would pass for data.
        if (encoder.hasError())
            return fail(kExportInvalidCall, QStringLiteral("Shift-JIS で表せない文字があります。"));
    } else {
        bytes = (appending ? QByteArray() : QByteArrayLiteral("\xEF\xBB\xBF")) + text.toUtf8();
    }
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        return fail(kExportPermissionDenied, fnExportPermissionText(FileName));
    if (file.write(existing) != existing.size() || file.write(bytes) != bytes.size() || !file.commit())
        return fail(kExportDeviceIo,
                    fnExportDeviceIoText(FileName) + QStringLiteral(" ") + file.errorString());
    return true;
}

#include "reports/ReportCsvExport.h"

#include "reports/ActiveReport.h"

#include <QSaveFile>
#include <QStringEncoder>

QString ReportCsvExport::csvLine(const QStringList& values) {
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

bool ReportCsvExport::Export(ActiveReport& report) {
    m_error.clear();
    if (!report.hasRun() && !report.Run()) {
        m_error = report.lastErrorText().isEmpty() ? QStringLiteral("帳票を作成できませんでした。")
                                                   : report.lastErrorText();
        return false;
    }
    QStringList captions;
    for (const auto& column : report.ExportColumns)
        captions << column.caption;
    QString text = csvLine(captions) + QStringLiteral("\r\n");
    for (const QStringList& row : report.printedRows())
        text += csvLine(row) + QStringLiteral("\r\n");

    QByteArray bytes;
    if (ShiftJis) {
        QStringEncoder encoder("Shift_JIS");
        if (!encoder.isValid()) {
            m_error = QStringLiteral("Shift-JIS に変換できません。");
            return false;
        }
        bytes = encoder.encode(text);
        if (encoder.hasError()) {
            // A '?' in place of a name's character would pass for data.
            m_error = QStringLiteral("Shift-JIS で表せない文字があります。");
            return false;
        }
    } else {
        bytes = QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
    }
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        m_error = QStringLiteral("ファイル '") + FileName + QStringLiteral("' に書き込めません。(") +
                  file.errorString() + u')';
        return false;
    }
    return true;
}

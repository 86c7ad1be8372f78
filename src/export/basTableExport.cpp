#include "export/basTableExport.h"

#include "app/basMessage.h"
#include "data/DialogSeam.h"
#include "export/CsvExport.h"
#include "export/ExportTable.h"
#include "export/XlsxExport.h"
#include "export/basExportFile.h"

#include <QFileInfo>

void fnShowExportError(int number, const QString& description) {
    MessageRequest box;
    box.title = QStringLiteral("エラー");
    box.text = QString::number(number) + QStringLiteral(": ") + description;
    box.icon = MsgIcon::Critical;
    dialogs().messageBox(box);
}

void fnShowExported() {
    MessageRequest done;
    done.title = QString::fromUtf16(kProgramName);
    done.text = QStringLiteral("出力しました。");
    dialogs().messageBox(done);
}

bool fnExportTableCsv(const ExportTable& table) {
    const QString utf8 = QString::fromUtf16(kCsvUtf8Filter);
    const QString shiftJis = QString::fromUtf16(kCsvShiftJisFilter);
    QString chosen = utf8;
    SaveFileRequest ask;
    ask.title = table.name + QStringLiteral("CSV出力ﾌｧｲﾙ");
    ask.proposedName = table.fileTitle() + QStringLiteral(".csv");
    ask.filter = utf8 + QStringLiteral(";;") + shiftJis;
    ask.selectedFilter = &chosen;
    ask.confirmOverwrite = false; // asked below, with the choice to append
    const QString fileName = fnAskExportFile(ask, QStringLiteral(".csv"));
    if (fileName.isEmpty()) return false;

    CsvExport csv;
    csv.FileName = fileName;
    csv.ShiftJis = chosen == shiftJis;
    // A target that cannot be written is told before the question of appending to it.
    int number = 0;
    QString description;
    if (!fnCheckExportTarget(fileName, &number, &description)) {
        fnShowExportError(number, description);
        return false;
    }
    if (QFileInfo(fileName).isFile()) {
        const int answer = fnMessage(QStringLiteral("ファイル書込み選択"));
        if (answer == MsgNo)
            csv.Append = true;
        else if (answer != MsgYes)
            return false;
    }
    if (!csv.write(table)) {
        if (csv.errorNumber() != 0) fnShowExportError(csv.errorNumber(), csv.errorDescription());
        return false;
    }
    fnMessage(QStringLiteral("ＣＳＶ出力"));
    return true;
}

bool fnExportTableXlsx(const ExportTable& table) {
    SaveFileRequest ask;
    ask.title = table.name + QStringLiteral("Excel出力ﾌｧｲﾙ");
    ask.proposedName = table.fileTitle() + QStringLiteral(".xlsx");
    ask.filter = QString::fromUtf16(kXlsxFilter);
    const QString fileName = fnAskExportFile(ask, QStringLiteral(".xlsx"));
    if (fileName.isEmpty()) return false;

    XlsxExport xlsx;
    xlsx.FileName = fileName;
    if (!xlsx.write(table)) {
        if (xlsx.errorNumber() != 0) fnShowExportError(xlsx.errorNumber(), xlsx.errorDescription());
        return false;
    }
    fnShowExported();
    return true;
}

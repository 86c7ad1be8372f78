#include "reports/basPrintScreen.h"

#include "data/DialogSeam.h"
#include "reports/ActiveReport.h"
#include "reports/PrintProgress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>

void fnShowPrintBusy(QLabel* lblMsg) {
    if (!lblMsg) return;
    lblMsg->setText(QStringLiteral("処理中・・・"));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool fnPrintOrPreview(std::unique_ptr<ActiveReport> report, int mode, PrintProgress* progress) {
    QPointer<PrintProgress> bar(progress);
    report->Progress = [bar](int done, int total) { return !bar || bar->step(done, total); };
    if (mode == 0) {
        // A failed run has told its error already; a printer failure is told here.
        if (!report->PrintReport(true) && !report->isUnloaded() && !report->cancelled() &&
            report->lastErrorNumber() != 0) {
            MessageRequest box;
            box.title = QStringLiteral("エラー");
            box.text =
                QString::number(report->lastErrorNumber()) + QStringLiteral(": ") + report->lastErrorText();
            box.icon = MsgIcon::Critical;
            dialogs().messageBox(box);
        }
        return !report->cancelled();
    }
    ActiveReport* r = report.get();
    const QPointer<ActiveReport> shown = ActiveReport::Show(std::move(report));
    // A stopped run is deleted later, so it can still be asked.
    const bool stopped = shown && r->cancelled();
    if (shown) shown->Progress = nullptr;
    return !stopped;
}

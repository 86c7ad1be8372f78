#include "reports/basPrintScreen.h"

#include "core/basFormat.h"
#include "data/DialogSeam.h"
#include "reports/ActiveReport.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>

void fnShowPrintProgress(QLabel* lblMsg, int done, int total) {
    if (!lblMsg) return;
    QString text = QStringLiteral("処理中・・・");
    if (done > 0 && total > 0)
        text += QLatin1Char(' ') + fnFormat(QVariant(done), QStringLiteral("#,##0")) + QStringLiteral(" / ") +
                fnFormat(QVariant(total), QStringLiteral("#,##0"));
    lblMsg->setText(text);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void fnPrintOrPreview(std::unique_ptr<ActiveReport> report, int mode, QLabel* lblMsg) {
    QPointer<QLabel> label(lblMsg);
    report->Progress = [label](int done, int total) { fnShowPrintProgress(label, done, total); };
    if (mode == 0) {
        // A failed run has told its error already; a printer failure is told here.
        if (!report->PrintReport(true) && !report->isUnloaded() && report->lastErrorNumber() != 0) {
            MessageRequest box;
            box.title = QStringLiteral("エラー");
            box.text =
                QString::number(report->lastErrorNumber()) + QStringLiteral(": ") + report->lastErrorText();
            box.icon = MsgIcon::Critical;
            dialogs().messageBox(box);
        }
        return;
    }
    const QPointer<ActiveReport> shown = ActiveReport::Show(std::move(report));
    if (shown) shown->Progress = nullptr;
}

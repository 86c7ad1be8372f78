#pragma once

#include "reports/PrinterSeam.h"

#include <QList>
#include <QPdfWriter>
#include <QProcess>
#include <QString>
#include <memory>

// A printer that needs no printer: it hands back a PDF writer on outputFile, or cancels.
struct ScriptedPrinters final : PrinterSeam {
    ScriptedPrinters() { setPrinters(this); }
    ~ScriptedPrinters() override { setPrinters(nullptr); }
    std::unique_ptr<QPagedPaintDevice> openPrinter(const PrintRequest& r, int* first, int* last) override {
        requests.append(r);
        std::tie(*first, *last) = std::pair(1, r.pageCount);
        auto writer = cancel ? nullptr : std::make_unique<QPdfWriter>(outputFile);
        if (writer) writer->setPageLayout(r.pageLayout);
        return writer;
    }
    QList<PrintRequest> requests;
    QString outputFile;
    bool cancel = false;
};

// Output of a poppler tool on a file ("" when it failed).
inline QString poppler(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    return p.waitForFinished(60000) && !p.exitCode() ? QString::fromUtf8(p.readAllStandardOutput())
                                                     : QString();
}

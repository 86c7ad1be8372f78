#pragma once

#include "reports/ActiveReport.h"
#include "reports/PrinterSeam.h"
#include "reports/ReportPreview.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QList>
#include <QPdfWriter>
#include <QProcess>
#include <QStringList>
#include <memory>

// What the print screens' and reports' tests look at: the open previews, what a label showed when
// painted, what was printed.

inline QList<ReportPreview*> previews() {
    QList<ReportPreview*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<ReportPreview*>(w); p && p->isVisible()) out << p;
    return out;
}

// A report's printed lines, cells trimmed (a code prints with its blanks) and joined with '|'; the
// first `columns` cells only when set.
inline QStringList printedLines(const ActiveReport& r, int columns = 0) {
    QStringList out;
    for (const QStringList& row : r.printedRows()) {
        QStringList cells;
        for (const QString& c : columns ? row.mid(0, columns) : row)
            cells << c.trimmed();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

inline void closePreviews() {
    for (ReportPreview* p : previews())
        p->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Installed on a label: the texts it had each time it was painted.
struct PaintedTexts : QObject {
    QStringList texts;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) texts << static_cast<QLabel*>(o)->text();
        return false;
    }
};

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

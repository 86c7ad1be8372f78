#include "reports/PrinterSeam.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>

namespace {

class QtPrinters final : public PrinterSeam {
public:
    std::unique_ptr<QPagedPaintDevice> openPrinter(const PrintRequest& request, int* firstPage,
                                                   int* lastPage) override {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setDocName(request.documentName);
        printer->setFullPage(true); // the report places everything from the paper's corner
        printer->setPageLayout(request.pageLayout);
        printer->setFromTo(1, qMax(1, request.pageCount));
        if (request.showDialog) {
            QPrintDialog dialog(printer.get(), QApplication::activeWindow());
            dialog.setMinMax(1, qMax(1, request.pageCount));
            dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
            if (dialog.exec() != QDialog::Accepted) return nullptr;
        }
        *firstPage = 1;
        *lastPage = request.pageCount;
        if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
            *firstPage = printer->fromPage();
            *lastPage = qMin(printer->toPage(), request.pageCount);
        }
        return printer;
    }
};

QtPrinters g_qtPrinters;
PrinterSeam* g_printers = nullptr;

} // namespace

PrinterSeam& printers() {
    return g_printers ? *g_printers : g_qtPrinters;
}

void setPrinters(PrinterSeam* seam) {
    g_printers = seam;
}

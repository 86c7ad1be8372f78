#pragma once

#include <QPageLayout>
#include <QString>
#include <memory>

class QPagedPaintDevice;

// What a report asks of the printer: its name, paper and page count, and whether to ask the user.
struct PrintRequest {
    QString documentName;
    QPageLayout pageLayout;
    int pageCount = 0;
    bool showDialog = true;
};

// Chooses the printer a report prints on. The Qt implementation asks with the printer dialog;
// tests install one that answers as scripted (and may hand back a PDF writer to look at the pages).
class PrinterSeam {
public:
    virtual ~PrinterSeam() = default;
    // A device set up for the request, or nullptr when the user cancelled. *firstPage and
    // *lastPage get the chosen range (1-based).
    virtual std::unique_ptr<QPagedPaintDevice> openPrinter(const PrintRequest& request, int* firstPage,
                                                           int* lastPage) = 0;
};

// The installed seam; the Qt printer dialog when none was installed.
PrinterSeam& printers();
// Installs a seam (not owned); nullptr restores the Qt one.
void setPrinters(PrinterSeam* seam);

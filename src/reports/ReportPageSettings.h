#pragma once

#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>

// Paper and margins of a report. Margins in twips; paper size 9 is A4, orientation 1 portrait and
// 2 landscape, as the report classes set them.
struct ReportPageSettings {
    enum { ddPaperA4 = 9 };
    enum { ddOPortrait = 1, ddOLandscape = 2 };

    int PaperSize = ddPaperA4;
    int Orientation = ddOPortrait;
    int TopMargin = 1440;
    int BottomMargin = 1440;
    int LeftMargin = 1440;
    int RightMargin = 1440;

    // Paper size in twips with the orientation applied.
    int paperWidth() const;
    int paperHeight() const;
    // The page layout for printers and PDF writers: the paper, no margins (the report places
    // everything itself from the paper's corner).
    QPageLayout pageLayout() const;

private:
    QSizeF portraitSize() const; // in twips
};

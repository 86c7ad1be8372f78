#include "data/basSettings.h"
#include "reports/GoodsListReport.h"
#include "reports/PrintScreenDriver.h"
#include "reports/ReportPageView.h"
#include "support/ScriptedDialogs.h"
#include "ui/DataRows.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// A shown preview of a three-page list (more pages landscape), with the Excel and CSV tools when
// asked.
QPointer<GoodsListReport> showThreePages(bool centred = false, bool landscape = false,
                                         bool tableExports = false) {
    auto owned = std::make_unique<GoodsListReport>(kAllGoods);
    GoodsListReport* r = owned.get();
    r->PreviewCentered = centred;
    if (landscape) r->PageSettings.Orientation = ReportPageSettings::ddOLandscape;
    if (tableExports) r->ExportColumns = {{u"商品コード"_s, u"txtcode"_s}, {u"商品名称"_s, u"txtname"_s}};
    ActiveReport::Show(std::move(owned));
    if (!r->preview() || !r->preview()->isVisible() ||
        (landscape ? r->PageCount() <= 3 : r->PageCount() != 3))
        qFatal("the preview did not open with all pages");
    return r;
}

QImage pictureOf(const QAction* a) {
    return a->icon().pixmap(QSize(24, 24)).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestReportPreview : public QObject, DataRows {
    Q_OBJECT
    TempProgramDir m_dir; // only read

    template <class T> static T* part(const GoodsListReport* r, const char* name) {
        return r->preview()->findChild<T*>(QString::fromLatin1(name));
    }
    static QLineEdit* pageBox(const GoodsListReport* r) { return part<QLineEdit>(r, "txtPageNo"); }
    static ReportPageView* pageView(const GoodsListReport* r) { return part<ReportPageView>(r, "pagView"); }
    static QScrollArea* scrollArea(const GoodsListReport* r) { return part<QScrollArea>(r, "scrPage"); }
    static QString status(const GoodsListReport* r) { return part<QLabel>(r, "lblStatus")->text(); }
    // The spot of the page under a point of the window's page area, in twips.
    static QPointF spotAt(const GoodsListReport* r, QPoint inViewport) {
        return pageView(r)->pageAt(pageView(r)->mapFrom(scrollArea(r)->viewport(), inViewport));
    }

private slots:
    void initTestCase() { addGoods(m_dir, 100); }
    void cleanup() { settle(); }

    // Centred, its tools and their captions; the page's width fits the window: the largest 10% step
    // without sideways scrolling.
    void previewAsOpened_data() {
        cols<bool>("landscape");
        row("portrait", false);
        row("landscape", true);
    }
    void previewAsOpened() {
        const bool landscape = fetch<bool>("landscape");
        QPointer<GoodsListReport> r = showThreePages(true, landscape);
        const QWidget* w = r->preview();
        QVERIFY((w->geometry().center() - w->screen()->availableGeometry().center()).manhattanLength() <= 40);
        QStringList shown; // [box]: zoom percent, page number
        for (QAction* a : part<QToolBar>(r, "tlbPreview")->actions())
            if (!a->isSeparator())
                shown << (a->text().isEmpty() ? u"[box]"_s : a->text() + u'=' + a->toolTip());
        QCOMPARE(shown.join(u'|'),
                 u"PDF出力=PDF出力|印刷=印刷|ｺﾋﾟｰ=ｺﾋﾟｰ|縮小=(F9) 縮小|拡大=(Shift&F9) 拡大|[box]|"
                 u"(F2)次のﾍﾟｰｼﾞ=(F2)次のﾍﾟｰｼﾞ|(F3)前のﾍﾟｰｼﾞ=(F3)前のﾍﾟｰｼﾞ|[box]|"
                 u"(F12)ﾌﾟﾚﾋﾞｭｰを閉じる=(F12)ﾌﾟﾚﾋﾞｭｰを閉じる"_s);
        QCOMPARE(pageBox(r)->toolTip(), u"ﾍﾟｰｼﾞ数を入力し[Enter]ｷｰを押すとジャンプします。"_s);
        QCOMPARE(r->PrintWidth, (landscape ? 16838 : 11906) - 2 * 1440);
        const auto tools = [&] {
            QList<int> ids;
            for (const auto& t : r->Toolbar.tools())
                if (t.Visible) ids << t.ID;
            return ids;
        };
        const QList<int> before = tools();
        fnSetPreviewToolbar(*r); // a second set-up adds nothing
        QCOMPARE(tools(), before);
        QCoreApplication::processEvents(); // the scroll bars follow the new size
        ReportPageView* view = pageView(r);
        QCOMPARE(view->page()->width() > view->page()->height(), landscape);
        QScrollArea* scroll = scrollArea(r);
        const int room = scroll->viewport()->width(), zoom = r->Zoom();
        QCOMPARE(zoom % 10, 0);
        QCOMPARE(view->zoom(), zoom);
        QVERIFY2(view->width() <= room, qPrintable(u"%1 > %2"_s.arg(view->width()).arg(room)));
        QVERIFY(view->sizeAt(zoom + 10).width() > room);
        QVERIFY2(view->paperRect().width() >= room * 8 / 10,
                 qPrintable(u"paper %1 of %2"_s.arg(view->paperRect().width()).arg(room)));
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(scroll->verticalScrollBar()->value(), 0); // the top of the page
        QVERIFY2(status(r).contains(u"倍率 %1%"_s.arg(zoom)), qPrintable(status(r)));
        r->Unload();
    }

    // From the start page, at zoom 200 scrolled both ways, steps separated by ';': KEY[*TIMES] on the
    // window, box:KEY in the page box, type:TEXT typed into it, tool:ID clicked, close (the window's
    // own), wheel:DELTA[:Ctrl][:viewport] turned over the page (or over the scroll area's viewport: an
    // event sent to the page widget does not travel on to it). Then the page shown (0: the preview
    // closed and the report unloaded), the zoom, and the spot of the page under the middle of the
    // window (the mouse for the wheel) kept where it was, or the page scrolled.
    void inputs_data() {
        cols<int, QString, int, int, QString>("startPage", "steps", "page", "zoom", "spot");
        row("F2 next page", 1, "F2", 2, 200, "");
        row("F2 stops at the last", 1, "F2*5", 3, 200, "");
        row("F2 in the page box", 1, "box:F2", 2, 200, "");
        row("F3 previous page", 3, "F3", 2, 200, "");
        row("F3 on the first page", 1, "F3", 1, 200, "kept");
        row("F9 zooms out by 10", 1, "F9", 1, 190, "kept");
        row("F9 stops at 20", 1, "F9*19", 1, 20, "");
        row("Shift+F9 zooms in by 10", 1, "Shift+F9", 1, 210, "kept");
        row("Shift+F9 stops at 800", 1, "Shift+F9*61", 1, 800, "");
        row("Ctrl+Shift+F9 does nothing", 1, "Ctrl+Shift+F9", 1, 200, "kept");
        row("Ctrl+F9 does nothing", 1, "Ctrl+F9", 1, 200, "kept");
        row("F5 does nothing", 2, "F5", 2, 200, "kept");
        row("F12 closes", 1, "F12", 0, 0, "");
        row("F12 in the page box", 1, "box:F12", 0, 0, "");
        row("close tool", 1, "tool:12", 0, 0, "");
        row("window close", 1, "close", 0, 0, "");
        row("page box", 2, "type:3;box:Return", 3, 200, "");
        row("page box past the last stays", 2, "type:9;box:Return", 2, 200, "");
        row("page box 0 stays", 2, "type:0;box:Return", 2, 200, "");
        row("zoom out tool", 1, "tool:5103", 1, 190, "kept");
        row("zoom in tool", 1, "tool:5104", 1, 210, "kept");
        row("Ctrl+wheel up", 1, "wheel:120:Ctrl", 1, 210, "kept");
        row("Ctrl+wheel down", 1, "wheel:-120:Ctrl", 1, 190, "kept");
        row("Ctrl+wheel two notches", 1, "wheel:240:Ctrl", 1, 220, "kept");
        row("Ctrl+wheel half a notch", 1, "wheel:60:Ctrl", 1, 200, "kept");
        row("Ctrl+wheel over the viewport", 1, "wheel:120:Ctrl:viewport", 1, 210, "kept");
        row("wheel without Ctrl", 1, "wheel:-120:viewport", 1, 200, "scrolled");
    }
    void inputs() {
        const int page = fetch<int>("page"), zoom = fetch<int>("zoom");
        const QString steps = fetch<QString>("steps"), spot = fetch<QString>("spot");
        QPointer<GoodsListReport> r = showThreePages();
        QPointer<ReportPreview> preview = r->preview();
        r->setCurrentPage(fetch<int>("startPage"));
        r->setZoom(200);
        QScrollArea* scroll = scrollArea(r);
        QScrollBar *across = scroll->horizontalScrollBar(), *down = scroll->verticalScrollBar();
        QVERIFY(across->maximum() > 0 && down->maximum() > 0);
        across->setValue(across->maximum() / 2);
        down->setValue(down->maximum() / 3);
        const int scrolled = down->value();
        const QPoint anchor =
            steps.startsWith(u"wheel") ? QPoint(120, 90) : scroll->viewport()->rect().center();
        const QPointF before = spotAt(r, anchor);
        for (const QString& step : steps.split(u';')) {
            const QString arg = step.section(u':', 1);
            if (step.startsWith(u"type:")) {
                pageBox(r)->selectAll();
                QTest::keyClicks(pageBox(r), arg);
            } else if (step.startsWith(u"tool:")) {
                preview->clickTool(r->Toolbar.indexOfId(arg.toInt()));
            } else if (step == u"close") {
                QVERIFY(preview->close());
            } else if (step.startsWith(u"wheel:")) {
                QWidget* target = step.endsWith(u"viewport") ? scroll->viewport() : pageView(r);
                const QPointF at = target->mapFrom(scroll->viewport(), anchor);
                QWheelEvent turn(at, target->mapToGlobal(at), QPoint(),
                                 QPoint(0, arg.section(u':', 0, 0).toInt()), Qt::NoButton,
                                 step.contains(u"Ctrl") ? Qt::ControlModifier : Qt::NoModifier,
                                 Qt::NoScrollPhase, false);
                QApplication::sendEvent(target, &turn);
            } else {
                const bool inBox = step.startsWith(u"box:");
                const QKeyCombination key =
                    QKeySequence::fromString(inBox ? arg : step.section(u'*', 0, 0))[0];
                for (int i = qMax(1, step.section(u'*', 1).toInt()); i > 0; --i)
                    QTest::keyClick(inBox ? static_cast<QWidget*>(pageBox(r)) : preview, key.key(),
                                    key.keyboardModifiers());
            }
        }
        if (page == 0) { // closed and unloaded
            QVERIFY(!preview || !preview->isVisible());
            settle();
            QVERIFY(r.isNull() && preview.isNull());
            return;
        }
        QCOMPARE(r->CurrentPage(), page);
        QCOMPARE(r->Zoom(), zoom);
        // The window shows what the report says.
        QCOMPARE(pageView(r)->zoom(), zoom);
        QCOMPARE(pageBox(r)->text(), QString::number(page));
        QVERIFY2(status(r).contains(u"%1 / 3"_s.arg(page)), qPrintable(status(r)));
        const QPointF after = spotAt(r, anchor);
        if (spot == u"scrolled")
            QVERIFY(down->value() > scrolled);
        else if (spot == u"kept") // within a pixel and a half, in twips
            QVERIFY2(
                QLineF(before, after).length() <= 1.5 * 1440.0 / pageView(r)->dotsPerInch(),
                qPrintable(
                    u"(%1, %2) -> (%3, %4)"_s.arg(before.x()).arg(before.y()).arg(after.x()).arg(after.y())));
        r->Unload();
    }

    // Printed through the printer seam or exported through the save dialog (typed: the name given, none
    // cancels); the type's extension goes on a name typed without one (one rule for the three types). A
    // PDF is read back; a cancelled one leaves nothing written or said. After a print or PDF the preview
    // stays open and its tool asks again. (Unwritable files, the workbook and CSV read back: the export
    // tests.)
    void output_data() {
        cols<QString, QString, QString>("type", "typed", "written");
        row("printed", "print", "printed.pdf", "printed.pdf");
        row("print cancelled", "print", "", "");
        row("PDF written", "PDF", "一覧.PDF", "一覧.PDF");
        row("PDF cancelled", "PDF", "", "");
        row("PDF without extension", "PDF", "一覧", "一覧.pdf");
        row("PDF with another extension", "PDF", "一覧.txt", "一覧.txt");
        row("PDF in a folder with a dot", "PDF", "a.b/一覧", "a.b/一覧.pdf");
        row("CSV without extension", "CSV", "一覧", "一覧.csv");
        row("CSV cancelled", "CSV", "", "");
        row("Excel without extension", "Excel", "一覧", "一覧.xlsx");
        row("Excel cancelled", "Excel", "", "");
    }
    void output() {
        const QString type = fetch<QString>("type"), typed = fetch<QString>("typed"),
                      written = fetch<QString>("written");
        const bool print = type == u"print"_s, pdf = print || type == u"PDF"_s;
        QTemporaryDir out;
        QVERIFY(QDir(out.path()).mkdir(u"a.b"_s));
        ScriptedDialogs dialogs;
        ScriptedPrinters printer;
        printer.outputFile = out.filePath(typed);
        printer.cancel = typed.isEmpty();
        if (!print && !typed.isEmpty()) dialogs.answerSaveFile(out.filePath(typed));
        QPointer<GoodsListReport> r = showThreePages(false, false, true);
        const bool done = print              ? r->PrintReport(true)
                          : type == u"PDF"_s ? fnExportPdf(*r)
                          : type == u"CSV"_s ? fnExportCsv(*r)
                                             : fnExportXlsx(*r);
        QCOMPARE(done, !written.isEmpty());
        if (pdf) {
            QCOMPARE(dialogs.messages.size(), print || written.isEmpty() ? 0 : 1);
            printer.cancel = true;
            r->preview()->clickTool(r->Toolbar.indexOfId(print ? int(ReportToolbar::IdPrint) : ToolPdf));
            QCOMPARE(print ? printer.requests.size() : dialogs.saveRequests.size(), 2);
            QCOMPARE(print ? dialogs.saveRequests.size() : printer.requests.size(), 0);
        }
        QVERIFY(r && r->preview()->isVisible());
        r->Unload();
        if (print) {
            const PrintRequest& asked = printer.requests.first();
            QCOMPARE(QVariantList({asked.showDialog, asked.pageCount, asked.documentName,
                                   asked.pageLayout.pageSize().id()}),
                     QVariantList({true, 3, u"商品一覧表"_s, QPageSize::A4}));
        } else if (pdf) {
            const SaveFileRequest& ask = dialogs.saveRequests.first();
            // Proposed in the user's own folder, not the program's.
            QCOMPARE(QStringList({ask.title, ask.filter, QFileInfo(ask.proposedName).fileName()}),
                     QStringList({u"商品一覧表PDF出力ﾌｧｲﾙ"_s, u"PDFﾌｧｲﾙ (*.PDF)"_s, u"商品一覧表"_s}));
            QVERIFY(QFileInfo(ask.proposedName).isAbsolute() &&
                    QFileInfo(ask.proposedName).path() != fnProgramFolder());
            if (!written.isEmpty()) QCOMPARE(dialogs.messages.first().text, u"出力しました。"_s);
        }
        QStringList files;
        for (QDirIterator it(out.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files << QDir(out.path()).relativeFilePath(it.next());
        QCOMPARE(files, written.isEmpty() ? QStringList() : QStringList{written});
        if (written.isEmpty()) return;
        const QString file = out.filePath(written);
        QVERIFY(QFileInfo(file).size() > 0);
        if (!pdf) return;
        QVERIFY(poppler(u"pdfinfo"_s, {file}).contains(QRegularExpression(u"Pages:\\s+3\\n"_s)));
        const QString text = poppler(u"pdftotext"_s, {u"-layout"_s, file, u"-"_s});
        for (const QString& s : {u"商品一覧表"_s, nameOf(1), nameOf(50), nameOf(100), u"商品コード"_s})
            QVERIFY2(text.contains(s), qPrintable(s + u" in "_s + text.left(400)));
        const QStringList pages = text.split(QChar(u'\f'), Qt::SkipEmptyParts);
        QCOMPARE(pages.size(), 3);
        for (int p = 0; p < 3; ++p)
            QVERIFY2(pages.at(p).contains(QRegularExpression(u"%1\\s*/\\s*3"_s.arg(p + 1))),
                     qPrintable(pages.at(p).left(300)));
        // The Japanese font travels inside the file, embedded with a Unicode map.
        const QString fonts = poppler(u"pdffonts"_s, {file});
        QVERIFY2(fonts.contains(u"IPAGothic"_s), qPrintable(fonts));
        for (const QString& line : fonts.split(u'\n'))
            if (line.contains(u"IPAGothic"_s))
                QVERIFY2(line.contains(QRegularExpression(u"\\byes\\s+(yes|no)\\s+yes\\b"_s)),
                         qPrintable(line));
        // Only the glyphs used: the whole font file alone is several megabytes.
        QVERIFY(QFileInfo(file).size() < 1024 * 1024);
    }

    // Captions beside the pictures where there is room; on a narrow window the pictures alone, and no
    // tool hidden behind the overflow arrow. Every tool shows a picture of its own.
    void toolPictures() {
        QPointer<GoodsListReport> r = showThreePages(false, false, true);
        auto* bar = part<QToolBar>(r, "tlbPreview");
        r->preview()->resize(1600, 700);
        QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        r->preview()->resize(560, 500);
        QApplication::processEvents();
        QList<QImage> seen;
        for (int id :
             {int(ToolPdf), int(ToolXlsx), int(ToolCsv), int(ReportToolbar::IdPrint),
              int(ReportToolbar::IdCopy), int(ReportToolbar::IdZoomOut), int(ReportToolbar::IdZoomIn),
              int(ReportToolbar::IdNextPage), int(ReportToolbar::IdPreviousPage), int(ToolClose)}) {
            QAction* tool = bar->findChild<QAction*>(u"tool%1"_s.arg(r->Toolbar.indexOfId(id)));
            QVERIFY2(tool && !tool->text().isEmpty(), qPrintable(QString::number(id)));
            QWidget* w = bar->widgetForAction(tool);
            QVERIFY2(w && w->isVisible() && bar->rect().contains(w->geometry()), qPrintable(tool->text()));
            const QImage picture = pictureOf(tool);
            int inked = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    inked += qAlpha(picture.pixel(x, y)) > 128;
            QVERIFY2(inked > 24 * 24 / 8 && !seen.contains(picture), qPrintable(tool->text()));
            seen << picture;
        }
        r->Unload();
    }
};

QTEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"

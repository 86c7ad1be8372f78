#include "data/basDb.h"
#include "data/basSettings.h"
#include "export/CsvExport.h"
#include "export/ExportTable.h"
#include "export/XlsxExport.h"
#include "reports/GoodsListReport.h"
#include "reports/PrintScreenDriver.h"
#include "reports/ReportPageView.h"
#include "reports/ReportPdfExport.h"
#include "reports/ReportTextCache.h"
#include "support/ScreenBench.h"
#include "support/ScriptedDialogs.h"
#include "ui/DataRows.h"

#include <QtTest>
#include <QtWidgets>
#include <optional>

namespace {

// Detail names of every page, in print order.
QStringList printedNames(const ActiveReport& r) {
    QStringList out;
    for (const ReportPage& p : r.Pages())
        out += p.texts().filter(QRegularExpression(u"^テスト商品"_s));
    return out;
}

QStringList names(int first, int last) {
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << nameOf(i);
    return out;
}

// Where the details come from: the data control, records handed over with no database at all, or a
// recordset copied from its current record (the second) on. (FetchData on its own: the receipt list.)
enum From { Database, Records, FromRecordset };

struct PagesCase {
    int goods, skip, pages; // goods 1..goods, the one of code skip not printed (0: none)
    From from = Database;
    int detailHeight = 300;
};

enum How { Show, Run, Print };

QImage pictureOf(const QAction* a) {
    return a->icon().pixmap(QSize(24, 24)).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

// The report engine with a goods list built as the program's reports are: pages, texts, events and
// outcomes; then its preview window: keys, zoom, tools, printing and exporting.
class TestReportEngine : public QObject, DataRows {
    Q_OBJECT
    std::optional<TempProgramDir> m_dir;
    void goods(int count) { addGoods(m_dir.emplace(), count); } // a new folder with goods 1..count

    // A shown preview of a three-page list (more pages landscape), with the Excel and CSV tools when
    // asked.
    QPointer<GoodsListReport> showThreePages(bool centred = false, bool landscape = false,
                                             bool tableExports = false) {
        goods(100);
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
    void cleanup() {
        settle();
        m_dir.reset();
    }

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

    void pagesAndPageCount_data() {
        QTest::addColumn<PagesCase>("c");
        // 46 details fit a page: A4 16838 twips - margins 1440 - header 1100 - footer 400, 300 each.
        QTest::newRow("exactly one page") << PagesCase{46, 0, 1};
        QTest::newRow("one more line opens page two") << PagesCase{47, 0, 2};
        QTest::newRow("three pages") << PagesCase{100, 0, 3};
        QTest::newRow("skipped detail frees its place") << PagesCase{47, 47, 1};
        QTest::newRow("sixty handed over") << PagesCase{60, 0, 2, Records};
        QTest::newRow("details taller than a page") << PagesCase{2, 0, 2, Records, 20000};
        QTest::newRow("recordset from its current record") << PagesCase{5, 0, 1, FromRecordset};
    }
    void pagesAndPageCount() {
        QFETCH(PagesCase, c);
        if (c.from != Records) goods(c.goods);
        Recordset rec;
        if (c.from == FromRecordset) fnOpenRecordset(rec, kAllGoods);
        QList<QVariantMap> rows;
        for (int i = 1; c.from == Records && i <= c.goods; ++i)
            rows.append({{u"CODE"_s, QString::number(i)}, {u"Name"_s, nameOf(i)}});
        GoodsListReport r(c.from == Database ? kAllGoods : QString());
        if (c.from == Records) r.setRecords(rows);
        if (c.from == FromRecordset) rec.MoveNext(), r.setRecordset(rec);
        r.Detail.Height = c.detailHeight;
        r.skipCode = c.skip ? QString::number(c.skip) : QString();
        QVERIFY(r.Run());
        QCOMPARE(r.PageCount(), c.pages);
        QCOMPARE(r.footers, c.pages);
        QVERIFY(r.ended);
        const int first = c.from == FromRecordset ? 2 : 1;
        QCOMPARE(r.fetched, c.goods - first + 1);
        QStringList expected = names(first, c.goods);
        expected.removeAll(nameOf(c.skip));
        QCOMPARE(printedNames(r), expected);
        for (int p = 0; p < c.pages; ++p) { // "page / page count" in every header
            const QString texts = r.Pages().at(p).texts().join(u' ');
            QVERIFY2(texts.startsWith(u"商品一覧表 %1 / %2 "_s.arg(p + 1).arg(c.pages)), qPrintable(texts));
        }
    }

    // The detail: a bound code as it is stored, a name too long for its box cut to the box, the price
    // and an unbound field filled in FetchData (kingaku = stanka * 3, "#,##0"). A figure too wide for
    // its column prints smaller, or as a row of '#' when even the smallest type is too wide: never as
    // its leading digits, which read as another number.
    void detailTexts_data() {
        cols<double, QString, QString>("stanka", "price", "amount"); // "#" for a row of marks
        row("fits", 1234.5, "1,234.50", "3,704");
        row("shrinks", 2469133987654.33, "2,469,133,987,654.33", "7,407,401,962,963");
        row("negative shrinks", -2469133987654.33, "-2,469,133,987,654.33", "-7,407,401,962,963");
        row("marks", 9.0e20, "#", "#");
    }
    void detailTexts() {
        m_dir.emplace();
        const QString longName = u"テスト商品"_s + QString(55, QChar(u'長'));
        m_dir->addGoods(u"A1"_s, longName);
        m_dir->exec(u"update goods set stanka = %1"_s.arg(fetch<double>("stanka"), 0, 'f', 2));
        GoodsListReport r(kAllGoods);
        QVERIFY(r.Run());
        QVERIFY(r.Pages().at(0).texts().contains(u"          A1"_s));
        const QString name = printedNames(r).value(0);
        QVERIFY2(name.size() < longName.size() && longName.startsWith(name), qPrintable(name));
        QVERIFY(QFontMetricsF(ReportPage::fontFor(u"IPAGothic"_s, 10, false)).horizontalAdvance(name) <=
                4000);
        QMap<int, const ReportPage::Op*> figures; // the two 1400-twip columns of the detail, left to right
        for (const ReportPage::Op& op : r.Pages().at(0).ops())
            if (op.type == ReportPage::Op::Text && op.rect.width() == 1400 && op.text != u"原価"_s &&
                op.text != u"金額"_s)
                figures.insert(op.rect.left(), &op);
        QCOMPARE(figures.size(), 2);
        for (int i : {0, 1}) {
            const ReportPage::Op* op = figures.values().at(i);
            const QString expected = fetch<QString>(i ? "amount" : "price");
            if (expected == u"#"_s)
                QVERIFY2(!op->text.isEmpty() && op->text.count(u'#') == op->text.size(),
                         qPrintable(op->text));
            else
                QCOMPARE(op->text, expected);
            QVERIFY(QFontMetricsF(ReportPage::fontFor(u"IPAGothic"_s, op->pointSize, false))
                        .horizontalAdvance(op->text) <= 1400);
        }
    }

    // A text is drawn where a text box of its alignment draws it, whichever way it is drawn
    // (glyph by glyph, through the layout for other scripts, clipped when too wide): the ink of the
    // page and of Qt's own text box drawing lie on each other.
    void paintedAsTextBoxes_data() {
        cols<QString, int, double, bool, int>("text", "alignment", "size", "bold", "width");
        const int right = Qt::AlignRight | Qt::AlignVCenter, left = Qt::AlignLeft | Qt::AlignVCenter;
        row("figure right", "1,234,567", right, 9.0, false, 1400);
        row("padded code left", "        A-10", left, 9.0, false, 1400);
        row("Japanese left", "ボールペン 黒 ｺｰﾄﾞ", left, 9.0, false, 3000);
        row("bold title centred", "現在庫一覧表", int(Qt::AlignCenter), 16.0, true, 9000);
        row("top left", "作成日", int(Qt::AlignLeft | Qt::AlignTop), 10.0, false, 1000);
        row("bottom right", "1 / 388", int(Qt::AlignRight | Qt::AlignBottom), 10.0, false, 1000);
        row("other script through the layout", "سلام 12", right, 10.0, false, 2000);
        row("too wide: clipped", "あいうえおかきくけこ", left, 10.0, false, 900);
    }
    void paintedAsTextBoxes() {
        const QRect box(300, 200, fetch<int>("width"), 500);
        ReportPage page(box.right() + 300, 1000);
        ReportPage::Op op;
        op.rect = box, op.text = fetch<QString>("text"), op.family = u"IPAGothic"_s;
        op.pointSize = fetch<double>("size"), op.bold = fetch<bool>("bold"),
        op.alignment = fetch<int>("alignment");
        page.append(op);
        constexpr double dpi = 288;
        // Ink box and amount: a glyph off by more than a pixel at 288 dpi (5 twips) shows.
        const auto ink = [&](const std::function<void(QPainter&)>& draw, QRect* bounds) {
            QImage image(qCeil(page.width() * dpi / 1440), qCeil(page.height() * dpi / 1440),
                         QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            draw(p);
            p.end();
            qint64 sum = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const int dark = 255 - qGray(image.pixel(x, y));
                    if (dark > 64) *bounds |= QRect(x, y, 1, 1);
                    sum += dark;
                }
            return sum;
        };
        ReportTextCache texts;
        QRect a, b;
        const qint64 inkOurs = ink([&](QPainter& p) { page.paint(p, dpi, texts); }, &a);
        const qint64 inkTheirs = ink(
            [&](QPainter& p) {
                p.setRenderHint(QPainter::TextAntialiasing);
                p.scale(dpi / 1440, dpi / 1440);
                p.setFont(ReportPage::fontFor(op.family, op.pointSize, op.bold));
                p.drawText(box, op.alignment, op.text);
            },
            &b);
        QVERIFY(!b.isEmpty());
        const auto off = [](QPoint d) { return qMax(qAbs(d.x()), qAbs(d.y())); };
        QString why;
        QDebug(&why) << "ours" << a << inkOurs << "text box" << b << inkTheirs;
        QVERIFY2(off(a.topLeft() - b.topLeft()) <= 1 && off(a.bottomRight() - b.bottomRight()) <= 1,
                 qPrintable(why));
        QVERIFY2(qAbs(inkOurs - inkTheirs) <= inkTheirs / 20, qPrintable(why));
    }

    // Stopped through Progress: a run ends with no pages to show, a PDF export leaves no file and an
    // older file of that name as it was, a second export of the same report goes through.
    void stoppedWork() {
        goods(120);
        {
            GoodsListReport r(kAllGoods);
            r.ProgressStep = 10;
            r.Progress = [](int done, int) { return done < 30; };
            QVERIFY(!r.Run());
            QVERIFY(r.cancelled());
        }
        GoodsListReport r(kAllGoods);
        QVERIFY(r.Run());
        QVERIFY(r.PageCount() >= 3);
        const QTemporaryDir out;
        const QString file = out.filePath(u"list.pdf"_s);
        ReportPdfExport pdf;
        pdf.FileName = file;
        int pages = 0;
        r.Progress = [&](int done, int) { return ++pages, done < 2; };
        QVERIFY(!pdf.Export(r));
        QCOMPARE(pdf.errorNumber(), 0);
        QCOMPARE(pages, 3);
        QVERIFY(!QFile::exists(file));
        if (QFile older(file); !older.open(QIODevice::WriteOnly) || older.write("older") != 5)
            QFAIL("no older file");
        QVERIFY(!pdf.Export(r));
        QFile older(file);
        QVERIFY(older.open(QIODevice::ReadOnly) && older.readAll() == "older");
        r.Progress = nullptr;
        QVERIFY(pdf.Export(r));
        QVERIFY(QFileInfo(file).size() > 1000);

        // The table writers: a new file is not made, an old one gets nothing appended.
        ExportTable table;
        table.title = u"一覧"_s;
        table.columns = {{u"名称"_s, u"txtName"_s, ExportColumn::Kind::Text, {}}};
        table.rows = {{u"みかん"_s}, {u"りんご"_s}};
        table.progress = [](int, int) { return false; };
        CsvExport csv;
        csv.FileName = out.filePath(u"list.csv"_s);
        XlsxExport xlsx;
        xlsx.FileName = out.filePath(u"list.xlsx"_s);
        QVERIFY(!csv.write(table) && csv.errorNumber() == 0 && !QFile::exists(csv.FileName));
        QVERIFY(!xlsx.write(table) && xlsx.errorNumber() == 0 && !QFile::exists(xlsx.FileName));
        csv.FileName = file;
        csv.Append = true;
        QVERIFY(!csv.write(table));
        QCOMPARE(QFileInfo(file).size(), QFileInfo(out.filePath(u"list.pdf"_s)).size());
    }

    // Shown, run or printed: the NoData message, the error box of a bad source or of a database error
    // in an event (the provider's words; the caller goes on), or what was printed. kakuho of goods i
    // is i; a goods is short when its kakuho is below the minimum.
    void outcome_data() {
        // source: none when no records are handed over; said: each box "TITLE[!: critical]: TEXT".
        cols<QString, int, QString, int, QString, int>("source", "minimum", "failAt", "how", "said",
                                                       "printed");
        const char *none = "SELECT * FROM goods WHERE code = 'none'",
                   *noData = "ＰＥＬＫＯ: 該当データがありません";
        row("no data", none, 0, "", int(Show), noData, 0);
        row("bad source", "SELECT * FROM nosuchtable", 0, "", int(Show), "エラー!: *: *", 0);
        row("footer closes, none short", kAllGoods, 1, "", int(Show), noData, 0);
        row("some short", kAllGoods, 4, "", int(Show), "", 3);
        row("run, no records handed over", "", 0, "", int(Run), noData, 0);
        row("printing no data", none, 0, "", int(Print), noData, 0);
        for (const char* e : {"ReportStart", "FetchData", "Detail_Format", "PageFooter_Format"})
            for (int how : {Show, Print})
                QTest::addRow("database error in %s, %s", e, how == Show ? "previewed" : "printed")
                    << kAllGoods << 0 << QString::fromLatin1(e) << how
                    << u"ＰＥＬＫＯ!: テーブル 'gdai' が見つかりません。"_s << 0;
    }
    void outcome() {
        const QString source = fetch<QString>("source");
        ScriptedDialogs dialogs;
        goods(10);
        m_dir->exec(u"update goods set kakuho = cast(trim(code) as integer)"_s);
        auto owned = std::make_unique<GoodsListReport>(source);
        QPointer<GoodsListReport> r = owned.get();
        r->minimum = fetch<int>("minimum");
        r->failAt = fetch<QString>("failAt");
        if (source.isEmpty()) r->setRecords({});
        const int how = fetch<int>("how");
        const bool ok = how == Show    ? (ActiveReport::Show(std::move(owned)), false)
                        : how == Print ? r->PrintReport(true)
                                       : r->Run();
        QVERIFY2(!ok, "nothing to print is no success");
        QVERIFY(r && r->started);
        QStringList said;
        for (const MessageRequest& m : dialogs.messages)
            said << m.title + (m.icon == MsgIcon::Critical ? u"!"_s : QString()) + u": "_s + m.text;
        QVERIFY2(screen::like(said.join(u'/'), fetch<QString>("said")), qPrintable(said.join(u'/')));
        if (fetch<int>("printed") > 0) {
            QVERIFY(r->preview()->isVisible());
            QCOMPARE(printedNames(*r), names(1, fetch<int>("printed")));
            r->Unload();
        }
        QVERIFY(r->ended || dialogs.messages.value(0).icon != MsgIcon::Critical); // an error still ends it
        QCOMPARE(r->lastErrorNumber() == 0, dialogs.messages.value(0).icon != MsgIcon::Critical);
        QVERIFY(!r->preview() || !r->preview()->isVisible());
        QVERIFY(r->isUnloaded());
        owned.reset(); // a report never shown stays its caller's
        settle();
        QVERIFY(r.isNull()); // unloaded with its preview
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!w->isVisible());
    }

    // No source, no records, no FetchData of its own: one empty page, not an endless one.
    void reportWithoutDataEnds() {
        struct Bare : ActiveReport {
            int noData = 0;
            void NoData() override { ++noData; }
        } r;
        r.Detail.Height = r.PageHeader.Height = 300;
        r.PageHeader.addLabel(u"lblMenu"_s, u"見出し"_s, 0, 0, 2000, 300);
        QVERIFY(r.Run());
        QCOMPARE(r.PageCount(), 1);
        QCOMPARE(r.noData, 1);
        QCOMPARE(r.Pages().at(0).texts(), QStringList{u"見出し"_s});
    }
};

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"

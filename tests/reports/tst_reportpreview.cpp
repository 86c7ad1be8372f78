#include "data/basSettings.h"
#include "reports/GoodsListReport.h"
#include "reports/ReportPageView.h"
#include "reports/ScriptedPrinters.h"
#include "support/ScriptedDialogs.h"

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

QLineEdit* pageBox(const GoodsListReport* r) {
    return r->preview()->findChild<QLineEdit*>(u"txtPageNo"_s);
}

ReportPageView* pageView(const GoodsListReport* r) {
    return r->preview()->findChild<ReportPageView*>(u"pagView"_s);
}

QScrollArea* scrollArea(const GoodsListReport* r) {
    return r->preview()->findChild<QScrollArea*>(u"scrPage"_s);
}

// The spot of the page under a point of the window's page area, in twips.
QPointF spotAt(const GoodsListReport* r, QPoint inViewport) {
    ReportPageView* view = pageView(r);
    return view->pageAt(view->mapFrom(scrollArea(r)->viewport(), inViewport));
}

QImage pictureOf(const QAction* a) {
    return a->icon().pixmap(QSize(24, 24)).toImage().convertToFormat(QImage::Format_ARGB32);
}

QList<int> visibleButtonIds(const ReportToolbar& bar) {
    QList<int> ids;
    for (const auto& t : bar.tools())
        if (t.Visible && t.type == ReportToolbar::Tool::Type::Button) ids << t.ID;
    return ids;
}

enum { CloseTool = -1, WindowClose = -2 }; // not keys: the close button, the window's own close

enum { ZoomFloor = -1000, ZoomCeiling = 1000 }; // not changes: the zoom stops at 20 and 800

// From the start page: the key pressed (in the page box when typed or inPageBox) -> page, and the
// zoom's change from the one the preview opened with; page 0: the preview closed and the report
// unloaded.
struct KeyCase {
    int startPage, key, modifiers, presses, page, zoom;
    bool inPageBox = false;
    QString typed; // into the page box before the key
};

} // namespace

class TestReportPreview : public QObject {
    Q_OBJECT
    TempProgramDir m_dir; // only read

private slots:
    void initTestCase() { addGoods(m_dir, 100); }
    void cleanup() { settle(); }

    void previewAsOpened() {
        QPointer<GoodsListReport> r = showThreePages(true);
        const QWidget* w = r->preview();
        QVERIFY((w->geometry().center() - w->screen()->availableGeometry().center()).manhattanLength() <= 40);
        QStringList shown; // [box]: zoom percent, page number
        for (QAction* a : r->preview()->findChild<QToolBar*>(u"tlbPreview"_s)->actions())
            if (!a->isSeparator())
                shown << (a->text().isEmpty() ? u"[box]"_s : a->text() + u'=' + a->toolTip());
        QCOMPARE(shown.join(u'|'),
                 u"PDF出力=PDF出力|印刷=印刷|ｺﾋﾟｰ=ｺﾋﾟｰ|縮小=(F9) 縮小|拡大=(Shift&F9) 拡大|[box]|"
                 u"(F2)次のﾍﾟｰｼﾞ=(F2)次のﾍﾟｰｼﾞ|(F3)前のﾍﾟｰｼﾞ=(F3)前のﾍﾟｰｼﾞ|[box]|"
                 u"(F12)ﾌﾟﾚﾋﾞｭｰを閉じる=(F12)ﾌﾟﾚﾋﾞｭｰを閉じる"_s);
        const QList<int> ids = {0, 5101, 5102, 5103, 5104, 5107, 5106, 12}; // PDF, print, ..., close
        QCOMPARE(visibleButtonIds(r->Toolbar), ids);
        QCOMPARE(pageBox(r)->toolTip(), u"ﾍﾟｰｼﾞ数を入力し[Enter]ｷｰを押すとジャンプします。"_s);
        QCOMPARE(r->PrintWidth, 11906 - 2 * 1440);
        fnSetPreviewToolbar(*r); // a second set-up adds nothing
        QCOMPARE(r->Toolbar.Count(), 17);
        QCOMPARE(visibleButtonIds(r->Toolbar), ids);
        r->Unload();
    }

    void keys_data() {
        QTest::addColumn<KeyCase>("c");
        const int F2 = Qt::Key_F2, F3 = Qt::Key_F3, F9 = Qt::Key_F9, S = Qt::SHIFT, C = Qt::CTRL;
        QTest::newRow("F2 next page") << KeyCase{1, F2, 0, 1, 2, 0};
        QTest::newRow("F2 on the last page") << KeyCase{3, F2, 0, 1, 3, 0};
        QTest::newRow("F2 stops at the last") << KeyCase{1, F2, 0, 5, 3, 0};
        QTest::newRow("F2 in the page box") << KeyCase{1, F2, 0, 1, 2, 0, true};
        QTest::newRow("F3 previous page") << KeyCase{3, F3, 0, 1, 2, 0};
        QTest::newRow("F3 on the first page") << KeyCase{1, F3, 0, 1, 1, 0};
        QTest::newRow("F9 zooms out by 10") << KeyCase{1, F9, 0, 1, 1, -10};
        QTest::newRow("F9 stops at 20") << KeyCase{1, F9, 0, 12, 1, ZoomFloor};
        QTest::newRow("Shift+F9 zooms in by 10") << KeyCase{1, F9, S, 1, 1, 10};
        QTest::newRow("Shift+F9 stops at 800") << KeyCase{1, F9, S, 75, 1, ZoomCeiling};
        QTest::newRow("Ctrl+Shift+F9 does nothing") << KeyCase{1, F9, S | C, 1, 1, 0};
        QTest::newRow("Ctrl+F9 does nothing") << KeyCase{1, F9, C, 1, 1, 0};
        QTest::newRow("F5 does nothing") << KeyCase{2, Qt::Key_F5, 0, 1, 2, 0};
        QTest::newRow("F12 closes") << KeyCase{1, Qt::Key_F12, 0, 1, 0, 0};
        QTest::newRow("F12 in the page box") << KeyCase{1, Qt::Key_F12, 0, 1, 0, 0, true};
        QTest::newRow("close tool") << KeyCase{1, CloseTool, 0, 1, 0, 0};
        QTest::newRow("window close") << KeyCase{1, WindowClose, 0, 1, 0, 0};
        for (auto [typed, page] : {std::pair{3, 3}, {1, 1}, {9, 2}, {0, 2}}) // out of range stays
            QTest::addRow("page box %d", typed)
                << KeyCase{2, Qt::Key_Return, 0, 1, page, 0, true, QString::number(typed)};
    }
    void keys() {
        QFETCH(KeyCase, c);
        QPointer<GoodsListReport> r = showThreePages();
        QPointer<ReportPreview> preview = r->preview();
        const int startZoom = r->Zoom(); // fitted to the window's width, in steps of 10
        QCOMPARE(startZoom % 10, 0);
        r->setCurrentPage(c.startPage);
        QWidget* target = c.inPageBox ? static_cast<QWidget*>(pageBox(r)) : preview;
        pageBox(r)->selectAll();
        QTest::keyClicks(target, c.typed);
        for (int i = 0; i < c.presses; ++i) {
            if (c.key == CloseTool) preview->clickTool(r->Toolbar.indexOfId(ToolClose));
            if (c.key == WindowClose) QVERIFY(preview->close());
            if (c.key > 0) QTest::keyClick(target, Qt::Key(c.key), Qt::KeyboardModifiers(c.modifiers));
        }
        if (c.page == 0) { // closed and unloaded
            QVERIFY(!preview || !preview->isVisible());
            settle();
            QVERIFY(r.isNull() && preview.isNull());
            return;
        }
        QCOMPARE(r->CurrentPage(), c.page);
        QCOMPARE(r->Zoom(), c.zoom == ZoomFloor ? 20 : c.zoom == ZoomCeiling ? 800 : startZoom + c.zoom);
        // The window shows what the report says.
        QCOMPARE(pageBox(r)->text(), QString::number(c.page));
        const QString status = r->preview()->findChild<QLabel*>(u"lblStatus"_s)->text();
        QVERIFY2(status.contains(u"%1 / 3"_s.arg(c.page)), qPrintable(status));
        r->Unload();
    }

    // Printed through the printer seam or exported through the save dialog, and read back;
    // cancelled: nothing written or said; a file that cannot be written: the error box and nothing
    // left behind. The preview stays open, its tool asks again.
    void output_data() {
        QTest::addColumn<bool>("print");
        QTest::addColumn<QString>("target"); // %1: an empty folder; none: cancelled
        QTest::addColumn<int>("number");     // of the error box, 0 for none
        QTest::newRow("printed") << true << u"%1/printed.pdf"_s << 0;
        QTest::newRow("print cancelled") << true << QString() << 0;
        QTest::newRow("PDF written") << false << u"%1/一覧.PDF"_s << 0;
        QTest::newRow("PDF cancelled") << false << QString() << 0;
        QTest::newRow("folder missing") << false << u"%1/nosuchfolder/a.PDF"_s << 76;
        QTest::newRow("name is a folder") << false << u"%1"_s << 75;
        QTest::newRow("folder not writable") << false << u"/proc/zanmo-report.PDF"_s << 70;
    }
    void output() {
        QFETCH(bool, print);
        QFETCH(QString, target);
        QFETCH(int, number);
        QTemporaryDir out;
        ScriptedDialogs dialogs; // an unscripted save dialog cancels
        ScriptedPrinters printer;
        const QString file = target.contains(u"%1"_s) ? target.arg(out.path()) : target;
        const bool written = !file.isEmpty() && number == 0;
        printer.outputFile = file;
        printer.cancel = file.isEmpty();
        if (!print && !file.isEmpty()) dialogs.answerSaveFile(file);
        QPointer<GoodsListReport> r = showThreePages();
        QCOMPARE(print ? r->PrintReport(true) : fnExportPdf(*r), written);
        QCOMPARE(dialogs.messages.size(), print || file.isEmpty() ? 0 : 1);
        printer.cancel = true;
        r->preview()->clickTool(r->Toolbar.indexOfId(print ? int(ReportToolbar::IdPrint) : ToolPdf));
        QCOMPARE(print ? printer.requests.size() : dialogs.saveRequests.size(), 2);
        QCOMPARE(print ? dialogs.saveRequests.size() : printer.requests.size(), 0);
        QVERIFY(r && r->preview()->isVisible());
        r->Unload();
        if (print) {
            const PrintRequest& asked = printer.requests.first();
            QCOMPARE(QVariantList({asked.showDialog, asked.pageCount, asked.documentName,
                                   asked.pageLayout.pageSize().id()}),
                     QVariantList({true, 3, u"商品一覧表"_s, QPageSize::A4}));
        } else {
            const SaveFileRequest& ask = dialogs.saveRequests.first();
            // Proposed in the user's own folder, not the program's.
            QCOMPARE(QStringList({ask.title, ask.filter, QFileInfo(ask.proposedName).fileName()}),
                     QStringList({u"商品一覧表PDF出力ﾌｧｲﾙ"_s, u"PDFﾌｧｲﾙ (*.PDF)"_s, u"商品一覧表"_s}));
            QVERIFY(QFileInfo(ask.proposedName).absolutePath() != fnProgramFolder());
        }
        if (number) {
            const MessageRequest& box = dialogs.messages.first();
            QCOMPARE(box.title, u"エラー"_s);
            QCOMPARE(box.icon, MsgIcon::Critical);
            QVERIFY2(box.text.startsWith(QString::number(number) + u": "_s), qPrintable(box.text));
        }
        if (!written) {
            QVERIFY(!QFileInfo(file).isFile());
            QVERIFY(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
            return;
        }
        if (!print) QCOMPARE(dialogs.messages.first().text, u"出力しました。"_s);
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

    // Every tool shows its own picture beside its caption.
    void toolPictures_data() {
        QTest::addColumn<int>("id");
        QTest::newRow("PDF") << int(ToolPdf);
        QTest::newRow("Excel") << int(ToolXlsx);
        QTest::newRow("CSV") << int(ToolCsv);
        QTest::newRow("print") << int(ReportToolbar::IdPrint);
        QTest::newRow("copy") << int(ReportToolbar::IdCopy);
        QTest::newRow("zoom out") << int(ReportToolbar::IdZoomOut);
        QTest::newRow("zoom in") << int(ReportToolbar::IdZoomIn);
        QTest::newRow("next page") << int(ReportToolbar::IdNextPage);
        QTest::newRow("previous page") << int(ReportToolbar::IdPreviousPage);
        QTest::newRow("close") << int(ToolClose);
    }
    void toolPictures() {
        QFETCH(int, id);
        QPointer<GoodsListReport> r = showThreePages(false, false, true);
        auto* bar = r->preview()->findChild<QToolBar*>(u"tlbPreview"_s);
        // Captions beside the pictures where there is room; on a narrow window the pictures alone,
        // and no tool hidden behind the overflow arrow.
        r->preview()->resize(1600, 700);
        QCOMPARE(bar->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
        r->preview()->resize(560, 500);
        QApplication::processEvents();
        for (QAction* a : bar->actions()) {
            QWidget* w = bar->widgetForAction(a);
            if (!a->isSeparator() && w)
                QVERIFY2(w->isVisible() && bar->rect().contains(w->geometry()), qPrintable(a->text()));
        }
        QAction* tool = bar->findChild<QAction*>(u"tool%1"_s.arg(r->Toolbar.indexOfId(id)));
        QVERIFY(tool);
        QVERIFY(!tool->text().isEmpty());
        QVERIFY(!tool->icon().isNull());
        const QImage picture = pictureOf(tool);
        int inked = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                inked += qAlpha(picture.pixel(x, y)) > 128;
        QVERIFY2(inked > 24 * 24 / 8, qPrintable(QString::number(inked)));
        for (QAction* other : bar->actions())
            if (other != tool && !other->isSeparator() && !other->icon().isNull())
                QVERIFY2(pictureOf(other) != picture, qPrintable(other->text()));
        r->Unload();
    }

    // At first show the page's width fits the window: the largest 10% step without sideways
    // scrolling.
    void fitsWidthAtStart_data() {
        QTest::addColumn<bool>("landscape");
        QTest::newRow("landscape") << true;
        QTest::newRow("portrait") << false;
    }
    void fitsWidthAtStart() {
        QFETCH(bool, landscape);
        QPointer<GoodsListReport> r = showThreePages(false, landscape);
        QCoreApplication::processEvents(); // the scroll bars follow the new size
        ReportPageView* view = pageView(r);
        QCOMPARE(view->page()->width() > view->page()->height(), landscape);
        QScrollArea* scroll = scrollArea(r);
        const int room = scroll->viewport()->width();
        const int zoom = r->Zoom();
        QCOMPARE(zoom % 10, 0);
        QCOMPARE(view->zoom(), zoom);
        QVERIFY2(view->width() <= room, qPrintable(u"%1 > %2"_s.arg(view->width()).arg(room)));
        QVERIFY(view->sizeAt(zoom + 10).width() > room);
        QVERIFY2(view->paperRect().width() >= room * 8 / 10,
                 qPrintable(u"paper %1 of %2"_s.arg(view->paperRect().width()).arg(room)));
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(scroll->verticalScrollBar()->value(), 0); // the top of the page
        const QString status = r->preview()->findChild<QLabel*>(u"lblStatus"_s)->text();
        QVERIFY2(status.contains(u"倍率 %1%"_s.arg(zoom)), qPrintable(status));
        r->Unload();
    }

    // A zoom step leaves the spot of the page in the middle of the window (under the mouse for
    // Ctrl+wheel) where it was; a wheel without Ctrl scrolls.
    void zoomKeepsPoint_data() {
        QTest::addColumn<int>("key");       // 0: the wheel
        QTest::addColumn<int>("modifiers"); // of the key or the wheel
        QTest::addColumn<int>("tool");      // clicked instead when set
        QTest::addColumn<int>("wheel");     // angle delta
        QTest::addColumn<int>("change");    // of the zoom
        // The wheel turned over the scroll area's viewport rather than the page widget in it (an
        // event sent to the page widget does not travel on to the viewport).
        QTest::addColumn<bool>("onViewport");
        const int F9 = Qt::Key_F9, C = Qt::CTRL;
        QTest::newRow("F9") << F9 << 0 << 0 << 0 << -10 << false;
        QTest::newRow("Shift+F9") << F9 << int(Qt::SHIFT) << 0 << 0 << 10 << false;
        QTest::newRow("zoom out tool") << 0 << 0 << int(ReportToolbar::IdZoomOut) << 0 << -10 << false;
        QTest::newRow("zoom in tool") << 0 << 0 << int(ReportToolbar::IdZoomIn) << 0 << 10 << false;
        QTest::newRow("Ctrl+wheel up") << 0 << C << 0 << 120 << 10 << false;
        QTest::newRow("Ctrl+wheel down") << 0 << C << 0 << -120 << -10 << false;
        QTest::newRow("Ctrl+wheel two notches") << 0 << C << 0 << 240 << 20 << false;
        QTest::newRow("Ctrl+wheel half a notch") << 0 << C << 0 << 60 << 0 << false;
        QTest::newRow("Ctrl+wheel over the viewport") << 0 << C << 0 << 120 << 10 << true;
        QTest::newRow("wheel without Ctrl") << 0 << 0 << 0 << -120 << 0 << true;
    }
    void zoomKeepsPoint() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, tool);
        QFETCH(int, wheel);
        QFETCH(int, change);
        QFETCH(bool, onViewport);
        QPointer<GoodsListReport> r = showThreePages();
        r->setZoom(200); // scrollable both ways
        QScrollArea* scroll = scrollArea(r);
        QScrollBar* across = scroll->horizontalScrollBar();
        QScrollBar* down = scroll->verticalScrollBar();
        QVERIFY(across->maximum() > 0 && down->maximum() > 0);
        across->setValue(across->maximum() / 2);
        down->setValue(down->maximum() / 3);
        const int scrolled = down->value();
        const QPoint anchor = wheel ? QPoint(120, 90) : scroll->viewport()->rect().center();
        const QPointF before = spotAt(r, anchor);
        if (key) QTest::keyClick(r->preview(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        if (tool) r->preview()->clickTool(r->Toolbar.indexOfId(tool));
        if (wheel) {
            QWidget* target = onViewport ? scroll->viewport() : pageView(r);
            const QPointF at = target->mapFrom(scroll->viewport(), anchor);
            QWheelEvent turn(at, target->mapToGlobal(at), QPoint(), QPoint(0, wheel), Qt::NoButton,
                             Qt::KeyboardModifiers(modifiers), Qt::NoScrollPhase, false);
            QApplication::sendEvent(target, &turn);
        }
        QCOMPARE(r->Zoom(), 200 + change);
        QCOMPARE(pageView(r)->zoom(), 200 + change);
        if (wheel && !modifiers) {
            QVERIFY(down->value() > scrolled);
        } else {
            const QPointF after = spotAt(r, anchor);
            const double pixel = 1440.0 / pageView(r)->dotsPerInch(); // twips
            QVERIFY2(
                QLineF(before, after).length() <= 1.5 * pixel,
                qPrintable(
                    u"(%1, %2) -> (%3, %4)"_s.arg(before.x()).arg(before.y()).arg(after.x()).arg(after.y())));
        }
        r->Unload();
    }

    // The file type's extension goes on a name typed without one; a name that has one is kept.
    void exportExtension_data() {
        QTest::addColumn<QString>("type");  // PDF, CSV, Excel
        QTest::addColumn<QString>("typed"); // in an empty folder; none: cancelled
        QTest::addColumn<QString>("written");
        QTest::newRow("PDF without extension") << u"PDF"_s << u"一覧"_s << u"一覧.pdf"_s;
        QTest::newRow("PDF with .PDF") << u"PDF"_s << u"一覧.PDF"_s << u"一覧.PDF"_s;
        QTest::newRow("PDF with .pdf") << u"PDF"_s << u"一覧.pdf"_s << u"一覧.pdf"_s;
        QTest::newRow("PDF with another extension") << u"PDF"_s << u"一覧.txt"_s << u"一覧.txt"_s;
        QTest::newRow("PDF in a folder with a dot") << u"PDF"_s << u"a.b/一覧"_s << u"a.b/一覧.pdf"_s;
        QTest::newRow("CSV without extension") << u"CSV"_s << u"一覧"_s << u"一覧.csv"_s;
        QTest::newRow("CSV with .csv") << u"CSV"_s << u"一覧.csv"_s << u"一覧.csv"_s;
        QTest::newRow("CSV cancelled") << u"CSV"_s << QString() << QString();
        QTest::newRow("Excel without extension") << u"Excel"_s << u"一覧"_s << u"一覧.xlsx"_s;
        QTest::newRow("Excel with .xlsx") << u"Excel"_s << u"一覧.xlsx"_s << u"一覧.xlsx"_s;
        QTest::newRow("Excel cancelled") << u"Excel"_s << QString() << QString();
    }
    void exportExtension() {
        QFETCH(QString, type);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QTemporaryDir out;
        QVERIFY(QDir(out.path()).mkdir(u"a.b"_s));
        ScriptedDialogs dialogs;
        if (!typed.isEmpty()) dialogs.answerSaveFile(out.filePath(typed));
        QPointer<GoodsListReport> r = showThreePages(false, false, true);
        const bool done = type == u"PDF"_s   ? fnExportPdf(*r)
                          : type == u"CSV"_s ? fnExportCsv(*r)
                                             : fnExportXlsx(*r);
        r->Unload();
        QCOMPARE(done, !written.isEmpty());
        QStringList files;
        QDirIterator it(out.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(out.path()).relativeFilePath(it.next());
        QCOMPARE(files, written.isEmpty() ? QStringList() : QStringList{written});
        if (!written.isEmpty()) QVERIFY(QFileInfo(out.filePath(written)).size() > 0);
    }
};

QTEST_MAIN(TestReportPreview)
#include "tst_reportpreview.moc"

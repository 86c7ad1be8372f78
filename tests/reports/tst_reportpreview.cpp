#include "reports/GoodsListReport.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include "reports/PrinterSeam.h"
#include "reports/ReportPreview.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

namespace {

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Output of a poppler tool on a file ("" when it failed).
QString poppler(const QString& tool, const QStringList& args) {
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& file) {
    const QString info = poppler(QStringLiteral("pdfinfo"), {file});
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// A printer that needs no printer: it hands back a PDF writer, or cancels.
class ScriptedPrinters final : public PrinterSeam {
public:
    ScriptedPrinters() { setPrinters(this); }
    ~ScriptedPrinters() override { setPrinters(nullptr); }
    std::unique_ptr<QPagedPaintDevice> openPrinter(const PrintRequest& request, int* first,
                                                   int* last) override {
        requests.append(request);
        if (cancel) return nullptr;
        auto writer = std::make_unique<QPdfWriter>(outputFile);
        writer->setPageLayout(request.pageLayout);
        *first = 1;
        *last = request.pageCount;
        return writer;
    }
    QList<PrintRequest> requests;
    QString outputFile;
    bool cancel = false;
};

} // namespace

class tst_ReportPreview : public QObject {
    Q_OBJECT

private:
    // A shown preview of a three-page list.
    GoodsListReport* showThreePages();
    std::unique_ptr<TempProgramDir> m_dir;

private slots:
    void init();
    void cleanup();
    void toolbarInOrder();
    void toolbarSetUpOnce();
    void keys_data();
    void keys();
    void keysReachReportFromPageBox();
    void pageBoxJumps_data();
    void pageBoxJumps();
    void closeToolUnloads();
    void windowCloseUnloads();
    void pdfExportWritesSearchableJapanese();
    void pdfExportCancelledWritesNothing();
    void pdfExportFailureShowsErrorBox_data();
    void pdfExportFailureShowsErrorBox();
    void printGoesThroughPrinterSeam();
    void printCancelledPrintsNothing();
    void centredWhenAsked();
};

void tst_ReportPreview::init() {
    m_dir = std::make_unique<TempProgramDir>();
    for (int i = 1; i <= 100; ++i)
        m_dir->addGoods(QString::number(i), QStringLiteral("テスト商品%1").arg(i, 3, 10, QLatin1Char('0')));
}

void tst_ReportPreview::cleanup() {
    settle();
    m_dir.reset();
}

GoodsListReport* tst_ReportPreview::showThreePages() {
    auto* r = new GoodsListReport(QStringLiteral("SELECT * FROM goods ORDER BY code"));
    r->Show();
    if (!r->preview() || !r->preview()->isVisible() || r->PageCount() != 3)
        qFatal("the preview did not open with three pages");
    return r;
}

void tst_ReportPreview::toolbarInOrder() {
    QPointer<GoodsListReport> r = showThreePages();
    QStringList shown;
    for (QAction* a : r->preview()->findChild<QToolBar*>(QStringLiteral("tlbPreview"))->actions()) {
        if (a->isSeparator()) continue;
        shown << (a->text().isEmpty() ? QStringLiteral("[box]")
                                      : a->text() + QLatin1Char('=') + a->toolTip());
    }
    const QStringList expected = {
        QStringLiteral("PDF出力=PDF出力"),
        QStringLiteral("印刷=印刷"),
        QStringLiteral("ｺﾋﾟｰ=ｺﾋﾟｰ"),
        QStringLiteral("縮小=(F9) 縮小"),
        QStringLiteral("拡大=(Shift&F9) 拡大"),
        QStringLiteral("[box]"), // zoom percent
        QStringLiteral("(F2)次のﾍﾟｰｼﾞ=(F2)次のﾍﾟｰｼﾞ"),
        QStringLiteral("(F3)前のﾍﾟｰｼﾞ=(F3)前のﾍﾟｰｼﾞ"),
        QStringLiteral("[box]"), // page number
        QStringLiteral("(F12)ﾌﾟﾚﾋﾞｭｰを閉じる=(F12)ﾌﾟﾚﾋﾞｭｰを閉じる"),
    };
    QCOMPARE(shown, expected);

    QList<int> ids;
    for (const auto& t : r->Toolbar.tools())
        if (t.Visible && t.type == ReportToolbar::Tool::Type::Button) ids << t.ID;
    QCOMPARE(ids, (QList<int>{0, ReportToolbar::IdPrint, ReportToolbar::IdCopy, ReportToolbar::IdZoomOut,
                              ReportToolbar::IdZoomIn, 5107, 5106, 12}));
    auto* box = r->preview()->findChild<QLineEdit*>(QStringLiteral("txtPageNo"));
    QVERIFY(box);
    QCOMPARE(box->toolTip(), QStringLiteral("ﾍﾟｰｼﾞ数を入力し[Enter]ｷｰを押すとジャンプします。"));
    QCOMPARE(r->PrintWidth, 11906 - 2 * 1440);
    r->Unload();
}

void tst_ReportPreview::toolbarSetUpOnce() {
    GoodsListReport r;
    QCOMPARE(r.Toolbar.Count(), 14);
    fnSetPreviewToolbar(r);
    fnSetPreviewToolbar(r);
    QCOMPARE(r.Toolbar.Count(), 17);
    QCOMPARE(r.Toolbar.Tools(8).ID, 5107);
    QCOMPARE(r.Toolbar.Tools(9).ID, 5106);
    QCOMPARE(r.Toolbar.Tools(14).ID, 12);
}

void tst_ReportPreview::keys_data() {
    QTest::addColumn<int>("startPage");
    QTest::addColumn<int>("startZoom");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("zoom");
    const int none = Qt::NoModifier;
    QTest::newRow("F2 next page") << 1 << 100 << int(Qt::Key_F2) << none << 1 << 2 << 100;
    QTest::newRow("F2 on the last page") << 3 << 100 << int(Qt::Key_F2) << none << 1 << 3 << 100;
    QTest::newRow("F2 stops at the last") << 1 << 100 << int(Qt::Key_F2) << none << 5 << 3 << 100;
    QTest::newRow("F3 previous page") << 3 << 100 << int(Qt::Key_F3) << none << 1 << 2 << 100;
    QTest::newRow("F3 on the first page") << 1 << 100 << int(Qt::Key_F3) << none << 1 << 1 << 100;
    QTest::newRow("F9 zooms out by 10") << 1 << 100 << int(Qt::Key_F9) << none << 1 << 1 << 90;
    QTest::newRow("F9 stops at 20") << 1 << 100 << int(Qt::Key_F9) << none << 12 << 1 << 20;
    QTest::newRow("Shift+F9 zooms in by 10")
        << 1 << 100 << int(Qt::Key_F9) << int(Qt::ShiftModifier) << 1 << 1 << 110;
    QTest::newRow("Shift+F9 stops at 800")
        << 1 << 100 << int(Qt::Key_F9) << int(Qt::ShiftModifier) << 75 << 1 << 800;
    QTest::newRow("Ctrl+Shift+F9 does nothing")
        << 1 << 100 << int(Qt::Key_F9) << int(Qt::ShiftModifier | Qt::ControlModifier) << 1 << 1 << 100;
    QTest::newRow("Ctrl+F9 does nothing")
        << 1 << 100 << int(Qt::Key_F9) << int(Qt::ControlModifier) << 1 << 1 << 100;
    QTest::newRow("F5 does nothing") << 2 << 100 << int(Qt::Key_F5) << none << 1 << 2 << 100;
}

void tst_ReportPreview::keys() {
    QFETCH(int, startPage);
    QFETCH(int, startZoom);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, presses);
    QFETCH(int, page);
    QFETCH(int, zoom);
    QPointer<GoodsListReport> r = showThreePages();
    r->setCurrentPage(startPage);
    r->setZoom(startZoom);
    ReportPreview* preview = r->preview();
    for (int i = 0; i < presses; ++i)
        QTest::keyClick(preview, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(r->CurrentPage(), page);
    QCOMPARE(r->Zoom(), zoom);
    // The window shows what the report says.
    QCOMPARE(preview->findChild<QLineEdit*>(QStringLiteral("txtPageNo"))->text(), QString::number(page));
    QVERIFY(preview->findChild<QLabel*>(QStringLiteral("lblStatus"))
                ->text()
                .contains(QStringLiteral("%1 / 3").arg(page)));
    r->Unload();
}

void tst_ReportPreview::keysReachReportFromPageBox() {
    QPointer<GoodsListReport> r = showThreePages();
    auto* box = r->preview()->findChild<QLineEdit*>(QStringLiteral("txtPageNo"));
    QTest::keyClick(box, Qt::Key_F2);
    QCOMPARE(r->CurrentPage(), 2);
    QCOMPARE(box->text(), QStringLiteral("2"));
    QTest::keyClick(box, Qt::Key_F12);
    settle();
    QVERIFY(r.isNull());
}

void tst_ReportPreview::pageBoxJumps_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("page");
    QTest::newRow("page 3") << QStringLiteral("3") << 3;
    QTest::newRow("page 1") << QStringLiteral("1") << 1;
    QTest::newRow("beyond the last stays") << QStringLiteral("9") << 2;
    QTest::newRow("zero stays") << QStringLiteral("0") << 2;
}

void tst_ReportPreview::pageBoxJumps() {
    QFETCH(QString, typed);
    QFETCH(int, page);
    QPointer<GoodsListReport> r = showThreePages();
    r->setCurrentPage(2);
    auto* box = r->preview()->findChild<QLineEdit*>(QStringLiteral("txtPageNo"));
    box->selectAll();
    QTest::keyClicks(box, typed);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(r->CurrentPage(), page);
    QCOMPARE(box->text(), QString::number(page));
    r->Unload();
}

void tst_ReportPreview::closeToolUnloads() {
    QPointer<GoodsListReport> r = showThreePages();
    QPointer<ReportPreview> preview = r->preview();
    const int pos = r->Toolbar.indexOfId(12);
    QVERIFY(pos > 0);
    preview->clickTool(pos);
    QVERIFY(!preview->isVisible());
    settle();
    QVERIFY(r.isNull());
    QVERIFY(preview.isNull());
}

void tst_ReportPreview::windowCloseUnloads() {
    QPointer<GoodsListReport> r = showThreePages();
    QPointer<ReportPreview> preview = r->preview();
    QVERIFY(preview->close());
    settle();
    QVERIFY(r.isNull());
    QVERIFY(preview.isNull());
}

void tst_ReportPreview::pdfExportWritesSearchableJapanese() {
    ScriptedDialogs dialogs;
    QTemporaryDir out;
    const QString file = out.filePath(QStringLiteral("一覧.PDF"));
    dialogs.answerSaveFile(file);
    QPointer<GoodsListReport> r = showThreePages();
    r->preview()->clickTool(0); // the PDF button

    QCOMPARE(dialogs.saveRequests.size(), 1);
    QCOMPARE(dialogs.saveRequests.first().title, QStringLiteral("商品一覧表PDF出力ﾌｧｲﾙ"));
    QCOMPARE(dialogs.saveRequests.first().filter, QStringLiteral("PDFﾌｧｲﾙ (*.PDF)"));
    QCOMPARE(dialogs.saveRequests.first().proposedName, QStringLiteral("商品一覧表"));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.lastMessage().text, QStringLiteral("出力しました。"));
    QVERIFY(r && r->preview()->isVisible()); // the preview stays open

    QCOMPARE(pdfPages(file), 3);
    const QString text =
        poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    QVERIFY2(text.contains(QStringLiteral("商品一覧表")), qPrintable(text.left(400)));
    QVERIFY(text.contains(QStringLiteral("テスト商品001")));
    QVERIFY(text.contains(QStringLiteral("テスト商品100")));
    QVERIFY(text.contains(QStringLiteral("商品コード")));
    const QStringList pages = text.split(QChar(u'\f'), Qt::SkipEmptyParts);
    QCOMPARE(pages.size(), 3);
    for (int p = 0; p < 3; ++p)
        QVERIFY2(pages.at(p).contains(QRegularExpression(QStringLiteral("%1\\s*/\\s*3").arg(p + 1))),
                 qPrintable(pages.at(p).left(300)));
    // The Japanese font travels inside the file.
    const QString fonts = poppler(QStringLiteral("pdffonts"), {file});
    QVERIFY2(fonts.contains(QStringLiteral("IPAGothic")), qPrintable(fonts));
    for (const QString& line : fonts.split(u'\n'))
        if (line.contains(QStringLiteral("IPAGothic")))
            QVERIFY2(line.contains(QRegularExpression(QStringLiteral("\\byes\\s+(yes|no)\\s+yes\\b"))),
                     qPrintable(line)); // embedded, with a Unicode map
    // Only the glyphs used: the whole font file alone is several megabytes.
    QVERIFY(QFileInfo(file).size() < 1024 * 1024);
    r->Unload();
}

void tst_ReportPreview::pdfExportCancelledWritesNothing() {
    ScriptedDialogs dialogs; // an unscripted save dialog cancels
    QTemporaryDir out;
    QPointer<GoodsListReport> r = showThreePages();
    QVERIFY(!fnExportPdf(*r));
    r->preview()->clickTool(0);
    QCOMPARE(dialogs.saveRequests.size(), 2);
    QVERIFY(dialogs.messages.isEmpty());
    QVERIFY(QDir(out.path()).isEmpty());
    QVERIFY(r && r->preview()->isVisible());
    r->Unload();
}

void tst_ReportPreview::pdfExportFailureShowsErrorBox_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("number");
    QTest::newRow("folder missing") << QStringLiteral("%1/nosuchfolder/a.PDF") << 76;
    QTest::newRow("name is a folder") << QStringLiteral("%1") << 75;
    QTest::newRow("folder not writable") << QStringLiteral("/proc/zanmo-report.PDF") << 70;
}

void tst_ReportPreview::pdfExportFailureShowsErrorBox() {
    QFETCH(QString, target);
    QFETCH(int, number);
    QTemporaryDir out;
    ScriptedDialogs dialogs;
    const QString file = target.contains(QStringLiteral("%1")) ? target.arg(out.path()) : target;
    dialogs.answerSaveFile(file);
    QPointer<GoodsListReport> r = showThreePages();
    QVERIFY(!fnExportPdf(*r));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.lastMessage().title, QStringLiteral("エラー"));
    QCOMPARE(dialogs.lastMessage().icon, MsgIcon::Critical);
    QVERIFY2(dialogs.lastMessage().text.startsWith(QString::number(number) + QStringLiteral(": ")),
             qPrintable(dialogs.lastMessage().text));
    QVERIFY(!QFileInfo(file).isFile());
    QVERIFY(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    QVERIFY(r && r->preview()->isVisible());
    r->Unload();
}

void tst_ReportPreview::printGoesThroughPrinterSeam() {
    ScriptedPrinters printer;
    QTemporaryDir out;
    printer.outputFile = out.filePath(QStringLiteral("printed.pdf"));
    auto r = std::make_unique<GoodsListReport>(QStringLiteral("SELECT * FROM goods ORDER BY code"));
    QVERIFY(r->PrintReport(true));
    QCOMPARE(printer.requests.size(), 1);
    QVERIFY(printer.requests.first().showDialog);
    QCOMPARE(printer.requests.first().pageCount, 3);
    QCOMPARE(printer.requests.first().documentName, QStringLiteral("商品一覧表"));
    QCOMPARE(printer.requests.first().pageLayout.pageSize().id(), QPageSize::A4);
    QCOMPARE(pdfPages(printer.outputFile), 3);
    const QString text = poppler(QStringLiteral("pdftotext"), {printer.outputFile, QStringLiteral("-")});
    QVERIFY(text.contains(QStringLiteral("テスト商品050")));
}

void tst_ReportPreview::printCancelledPrintsNothing() {
    ScriptedPrinters printer;
    QTemporaryDir out;
    printer.outputFile = out.filePath(QStringLiteral("printed.pdf"));
    printer.cancel = true;
    QPointer<GoodsListReport> r = showThreePages();
    r->preview()->clickTool(r->Toolbar.indexOfId(ReportToolbar::IdPrint));
    QCOMPARE(printer.requests.size(), 1);
    QVERIFY(!QFileInfo::exists(printer.outputFile));
    QVERIFY(r && r->preview()->isVisible());
    r->Unload();
}

void tst_ReportPreview::centredWhenAsked() {
    auto* r = new GoodsListReport(QStringLiteral("SELECT * FROM goods ORDER BY code"));
    r->PreviewCentered = true;
    QPointer<GoodsListReport> guard(r);
    r->Show();
    const QRect screen = r->preview()->screen()->availableGeometry();
    const QRect g = r->preview()->geometry();
    QVERIFY(qAbs(g.center().x() - screen.center().x()) <= 40);
    QVERIFY(qAbs(g.center().y() - screen.center().y()) <= 40);
    r->Unload();
}

QTEST_MAIN(tst_ReportPreview)
#include "tst_reportpreview.moc"

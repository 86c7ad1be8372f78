#include "reports/GoodsListReport.h"
#include "reports/ScriptedPrinters.h"
#include "support/ScriptedDialogs.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// A shown preview of a three-page list.
QPointer<GoodsListReport> showThreePages(bool centred = false) {
    auto* r = new GoodsListReport(kAllGoods);
    r->PreviewCentered = centred;
    r->Show();
    if (!r->preview() || !r->preview()->isVisible() || r->PageCount() != 3)
        qFatal("the preview did not open with three pages");
    return r;
}

QLineEdit* pageBox(const GoodsListReport* r) {
    return r->preview()->findChild<QLineEdit*>(u"txtPageNo"_s);
}

QList<int> visibleButtonIds(const ReportToolbar& bar) {
    QList<int> ids;
    for (const auto& t : bar.tools())
        if (t.Visible && t.type == ReportToolbar::Tool::Type::Button) ids << t.ID;
    return ids;
}

enum { CloseTool = -1, WindowClose = -2 }; // not keys: the close button, the window's own close

// From the start page: the key pressed (in the page box when typed or inPageBox) -> page, zoom;
// page 0: the preview closed and the report unloaded.
struct KeyCase {
    int startPage, key, modifiers, presses, page, zoom;
    bool inPageBox = false;
    QString typed; // into the page box before the key
};

} // namespace

class tst_ReportPreview : public QObject {
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
        QTest::newRow("F2 next page") << KeyCase{1, F2, 0, 1, 2, 100};
        QTest::newRow("F2 on the last page") << KeyCase{3, F2, 0, 1, 3, 100};
        QTest::newRow("F2 stops at the last") << KeyCase{1, F2, 0, 5, 3, 100};
        QTest::newRow("F2 in the page box") << KeyCase{1, F2, 0, 1, 2, 100, true};
        QTest::newRow("F3 previous page") << KeyCase{3, F3, 0, 1, 2, 100};
        QTest::newRow("F3 on the first page") << KeyCase{1, F3, 0, 1, 1, 100};
        QTest::newRow("F9 zooms out by 10") << KeyCase{1, F9, 0, 1, 1, 90};
        QTest::newRow("F9 stops at 20") << KeyCase{1, F9, 0, 12, 1, 20};
        QTest::newRow("Shift+F9 zooms in by 10") << KeyCase{1, F9, S, 1, 1, 110};
        QTest::newRow("Shift+F9 stops at 800") << KeyCase{1, F9, S, 75, 1, 800};
        QTest::newRow("Ctrl+Shift+F9 does nothing") << KeyCase{1, F9, S | C, 1, 1, 100};
        QTest::newRow("Ctrl+F9 does nothing") << KeyCase{1, F9, C, 1, 1, 100};
        QTest::newRow("F5 does nothing") << KeyCase{2, Qt::Key_F5, 0, 1, 2, 100};
        QTest::newRow("F12 closes") << KeyCase{1, Qt::Key_F12, 0, 1, 0, 100};
        QTest::newRow("F12 in the page box") << KeyCase{1, Qt::Key_F12, 0, 1, 0, 100, true};
        QTest::newRow("close tool") << KeyCase{1, CloseTool, 0, 1, 0, 100};
        QTest::newRow("window close") << KeyCase{1, WindowClose, 0, 1, 0, 100};
        for (auto [typed, page] : {std::pair{3, 3}, {1, 1}, {9, 2}, {0, 2}}) // out of range stays
            QTest::addRow("page box %d", typed)
                << KeyCase{2, Qt::Key_Return, 0, 1, page, 100, true, QString::number(typed)};
    }
    void keys() {
        QFETCH(KeyCase, c);
        QPointer<GoodsListReport> r = showThreePages();
        QPointer<ReportPreview> preview = r->preview();
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
        QCOMPARE(r->Zoom(), c.zoom);
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
            QCOMPARE(QStringList({ask.title, ask.filter, ask.proposedName}),
                     QStringList({u"商品一覧表PDF出力ﾌｧｲﾙ"_s, u"PDFﾌｧｲﾙ (*.PDF)"_s, u"商品一覧表"_s}));
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
};

QTEST_MAIN(tst_ReportPreview)
#include "tst_reportpreview.moc"

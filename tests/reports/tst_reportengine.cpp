#include "data/DbError.h"
#include "data/basDb.h"
#include "reports/GoodsListReport.h"
#include "export/CsvExport.h"
#include "export/ExportTable.h"
#include "export/XlsxExport.h"
#include "reports/ReportPdfExport.h"
#include "reports/ReportTextCache.h"
#include "support/ScriptedDialogs.h"

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

// Where the details come from: the data control, records handed over with no database at all, a
// recordset copied from its current record (the second) on, or FetchData while a counter lasts.
enum From { Database, Records, FromRecordset, Counted };

struct PagesCase {
    int goods, skip, pages; // goods 1..goods, the one of code skip not printed (0: none)
    From from = Database;
    int counter = 0, detailHeight = 300;
};

enum How { Show, Run, Print };

struct OutcomeCase {
    QString source; // none: no records handed over
    int minimum;    // of the shortage list, 0 for a plain list
    QString title;  // of the message box, none when there is none
    int printed;    // goods printed in the preview
    How how = Show;
};

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT

private slots:
    void pagesAndPageCount_data() {
        QTest::addColumn<PagesCase>("c");
        // 46 details fit a page: A4 16838 twips - margins 1440 - header 1100 - footer 400, 300 each.
        QTest::newRow("one line") << PagesCase{1, 0, 1};
        QTest::newRow("exactly one page") << PagesCase{46, 0, 1};
        QTest::newRow("one more line opens page two") << PagesCase{47, 0, 2};
        QTest::newRow("three pages") << PagesCase{100, 0, 3};
        QTest::newRow("skipped detail frees its place") << PagesCase{47, 47, 1};
        QTest::newRow("three pages, one skipped") << PagesCase{100, 50, 3};
        QTest::newRow("three handed over") << PagesCase{3, 0, 1, Records};
        QTest::newRow("sixty handed over") << PagesCase{60, 0, 2, Records};
        QTest::newRow("details taller than a page") << PagesCase{2, 0, 2, Records, 0, 20000};
        QTest::newRow("recordset from its current record") << PagesCase{5, 0, 1, FromRecordset};
        QTest::newRow("counter for all rows") << PagesCase{5, 0, 1, Counted, 5};
        QTest::newRow("counter below the rows") << PagesCase{5, 0, 1, Counted, 2};
    }
    void pagesAndPageCount() {
        QFETCH(PagesCase, c);
        std::optional<TempProgramDir> dir;
        if (c.from != Records) addGoods(dir.emplace(), c.goods);
        Recordset rec;
        if (c.from >= FromRecordset) fnOpenRecordset(rec, kAllGoods);
        QList<QVariantMap> rows;
        for (int i = 1; c.from == Records && i <= c.goods; ++i)
            rows.append({{u"CODE"_s, QString::number(i)}, {u"Name"_s, nameOf(i)}});
        GoodsListReport r(c.from == Database ? kAllGoods : QString());
        if (c.from == Records) r.setRecords(rows);
        if (c.from == FromRecordset) rec.MoveNext(), r.setRecordset(rec);
        if (c.from == Counted) r.grecBuff = &rec, r.glngCnt = c.counter;
        r.Detail.Height = c.detailHeight;
        r.skipCode = c.skip ? QString::number(c.skip) : QString();
        QVERIFY(r.Run());
        QCOMPARE(r.PageCount(), c.pages);
        QCOMPARE(r.footers, c.pages);
        QVERIFY(r.ended);
        const int first = c.from == FromRecordset ? 2 : 1, last = c.from == Counted ? c.counter : c.goods;
        QCOMPARE(r.fetched, last - first + 1);
        QStringList expected = names(first, last);
        expected.removeAll(nameOf(c.skip));
        QCOMPARE(printedNames(r), expected);
        for (int p = 0; p < c.pages; ++p) { // "page / page count" in every header
            const QStringList texts = r.Pages().at(p).texts();
            const int slash = texts.indexOf(u"/"_s);
            QVERIFY2(slash > 0 && slash + 1 < texts.size(), qPrintable(texts.join(u'|')));
            QCOMPARE(texts.mid(slash - 1, 3).join(u' '), u"%1 / %2"_s.arg(p + 1).arg(c.pages));
            QCOMPARE(texts.first(), u"商品一覧表"_s);
        }
    }

    // Bound fields in their formats, an unbound one filled in FetchData (kingaku = stanka * 3,
    // "#,##0"), a name too long for its box cut to the box.
    void detailTexts() {
        TempProgramDir dir;
        const QString longName = u"テスト商品"_s + QString(55, QChar(u'長'));
        dir.addGoods(u"A1"_s, longName);
        dir.exec(u"update goods set stanka = 1234.5"_s);
        GoodsListReport r(kAllGoods);
        QVERIFY(r.Run());
        const QStringList texts = r.Pages().at(0).texts();
        for (const QString& s : {u"1,234.50"_s, u"3,704"_s, u"          A1"_s})
            QVERIFY2(texts.contains(s), qPrintable(s + u" in "_s + texts.join(u'|')));
        const QStringList printed = printedNames(r);
        QCOMPARE(printed.size(), 1);
        QVERIFY(printed.first().size() < longName.size());
        QVERIFY(longName.startsWith(printed.first()));
        const QFontMetricsF fm(ReportPage::fontFor(u"IPAGothic"_s, 10, false));
        QVERIFY(fm.horizontalAdvance(printed.first()) <= 4000);
    }

    // A figure too wide for its column prints smaller, or as a row of '#' when even the smallest
    // type is too wide: never as its leading digits, which read as another number.
    void figuresNeverCut_data() {
        QTest::addColumn<double>("stanka");
        QTest::addColumn<QString>("printed"); // "#" for a row of marks
        QTest::newRow("fits") << 1234.5 << u"1,234.50"_s;
        QTest::newRow("shrinks") << 2469133987654.33 << u"2,469,133,987,654.33"_s;
        QTest::newRow("negative shrinks") << -2469133987654.33 << u"-2,469,133,987,654.33"_s;
        QTest::newRow("marks") << 9.0e20 << u"#"_s;
    }
    void figuresNeverCut() {
        QFETCH(double, stanka);
        QFETCH(QString, printed);
        TempProgramDir dir;
        dir.addGoods(u"A1"_s, u"商品"_s);
        dir.exec(u"update goods set stanka = %1"_s.arg(stanka, 0, 'f', 2));
        GoodsListReport r(kAllGoods);
        QVERIFY(r.Run());
        // The price column: the left one of the two 1400-twip figure columns of the detail.
        QString shown;
        double size = 0;
        int left = INT_MAX;
        for (const ReportPage::Op& op : r.Pages().at(0).ops())
            if (op.type == ReportPage::Op::Text && op.rect.width() == 1400 && op.text != u"原価"_s &&
                op.text != u"金額"_s && op.rect.left() < left)
                shown = op.text, size = op.pointSize, left = op.rect.left();
        if (printed == u"#"_s) {
            QVERIFY2(!shown.isEmpty() && shown.count(u'#') == shown.size(), qPrintable(shown));
        } else {
            QCOMPARE(shown, printed);
            QVERIFY(
                QFontMetricsF(ReportPage::fontFor(u"IPAGothic"_s, size, false)).horizontalAdvance(shown) <=
                1400);
        }
    }

    // A text is drawn where a text box of its alignment draws it, whichever way it is drawn
    // (glyph by glyph, through the layout for other scripts, clipped when too wide): the ink of the
    // page and of Qt's own text box drawing lie on each other.
    void paintedAsTextBoxes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("alignment");
        QTest::addColumn<double>("size");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<int>("width");
        const int right = Qt::AlignRight | Qt::AlignVCenter, left = Qt::AlignLeft | Qt::AlignVCenter;
        QTest::newRow("figure right") << u"1,234,567"_s << right << 9.0 << false << 1400;
        QTest::newRow("padded code left") << u"        A-10"_s << left << 9.0 << false << 1400;
        QTest::newRow("Japanese left") << u"ボールペン 黒 ｺｰﾄﾞ"_s << left << 9.0 << false << 3000;
        QTest::newRow("bold title centred")
            << u"現在庫一覧表"_s << int(Qt::AlignCenter) << 16.0 << true << 9000;
        QTest::newRow("top left") << u"作成日"_s << int(Qt::AlignLeft | Qt::AlignTop) << 10.0 << false
                                  << 1000;
        QTest::newRow("bottom right")
            << u"1 / 388"_s << int(Qt::AlignRight | Qt::AlignBottom) << 10.0 << false << 1000;
        QTest::newRow("other script through the layout") << u"سلام 12"_s << right << 10.0 << false << 2000;
        QTest::newRow("too wide: clipped") << u"あいうえおかきくけこ"_s << left << 10.0 << false << 900;
    }
    void paintedAsTextBoxes() {
        QFETCH(QString, text);
        QFETCH(int, alignment);
        QFETCH(double, size);
        QFETCH(bool, bold);
        QFETCH(int, width);
        const QRect box(300, 200, width, 500);
        ReportPage page(box.right() + 300, 1000);
        ReportPage::Op op;
        op.rect = box;
        op.text = text;
        op.family = u"IPAGothic"_s;
        op.pointSize = size;
        op.bold = bold;
        op.alignment = alignment;
        page.append(op);
        constexpr double dpi = 288;
        const auto ink = [&](const std::function<void(QPainter&)>& draw) {
            QImage image(qCeil(page.width() * dpi / 1440), qCeil(page.height() * dpi / 1440),
                         QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            draw(p);
            p.end();
            return image;
        };
        ReportTextCache texts;
        const QImage ours = ink([&](QPainter& p) { page.paint(p, dpi, texts); });
        const QImage theirs = ink([&](QPainter& p) {
            p.setRenderHint(QPainter::TextAntialiasing);
            p.scale(dpi / 1440, dpi / 1440);
            p.setFont(ReportPage::fontFor(op.family, size, bold));
            p.drawText(box, alignment, text);
        });
        // Ink box and amount: a glyph off by more than a pixel at 288 dpi (5 twips) shows.
        const auto measure = [](const QImage& im, QRect* bounds) {
            qint64 sum = 0;
            for (int y = 0; y < im.height(); ++y)
                for (int x = 0; x < im.width(); ++x) {
                    const int dark = 255 - qGray(im.pixel(x, y));
                    if (dark > 64) *bounds |= QRect(x, y, 1, 1);
                    sum += dark;
                }
            return sum;
        };
        QRect a, b;
        const qint64 inkOurs = measure(ours, &a), inkTheirs = measure(theirs, &b);
        QVERIFY(!b.isEmpty());
        const auto near = [](int u, int v) { return qAbs(u - v) <= 1; };
        QVERIFY2(near(a.left(), b.left()) && near(a.right(), b.right()) && near(a.top(), b.top()) &&
                     near(a.bottom(), b.bottom()),
                 qPrintable(u"ours %1,%2 %3x%4, text box %5,%6 %7x%8"_s.arg(a.x())
                                .arg(a.y())
                                .arg(a.width())
                                .arg(a.height())
                                .arg(b.x())
                                .arg(b.y())
                                .arg(b.width())
                                .arg(b.height())));
        QVERIFY2(qAbs(inkOurs - inkTheirs) <= inkTheirs / 20,
                 qPrintable(u"ink %1 vs %2"_s.arg(inkOurs).arg(inkTheirs)));
    }

    // Stopped through Progress: a run ends with no pages to show, a PDF export leaves no file and an
    // older file of that name as it was, a second export of the same report goes through.
    void stoppedWork() {
        TempProgramDir dir;
        for (int i = 1; i <= 120; ++i)
            dir.addGoods(u"A%1"_s.arg(i), nameOf(i));
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
        {
            QFile older(file);
            QVERIFY(older.open(QIODevice::WriteOnly));
            older.write("older");
        }
        QVERIFY(!pdf.Export(r));
        QFile older(file);
        QVERIFY(older.open(QIODevice::ReadOnly));
        QCOMPARE(older.readAll(), QByteArray("older"));
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

    // Shown, run or printed: the NoData message, the error box of a bad source, or what was printed.
    // kakuho of goods i is i; a goods is short when its kakuho is below the minimum.
    void outcome_data() {
        QTest::addColumn<OutcomeCase>("c");
        const QString none = u"SELECT * FROM goods WHERE code = 'none'"_s, pelko = u"ＰＥＬＫＯ"_s;
        QTest::newRow("no data") << OutcomeCase{none, 0, pelko, 0};
        QTest::newRow("bad source") << OutcomeCase{u"SELECT * FROM nosuchtable"_s, 0, u"エラー"_s, 0};
        QTest::newRow("footer closes, none short") << OutcomeCase{kAllGoods, 1, pelko, 0};
        QTest::newRow("some short") << OutcomeCase{kAllGoods, 4, QString(), 3};
        QTest::newRow("run, no records handed over") << OutcomeCase{QString(), 0, pelko, 0, Run};
        QTest::newRow("printing no data") << OutcomeCase{none, 0, pelko, 0, Print};
    }
    void outcome() {
        QFETCH(OutcomeCase, c);
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        addGoods(dir, 10);
        dir.exec(u"update goods set kakuho = cast(trim(code) as integer)"_s);
        auto owned = std::make_unique<GoodsListReport>(c.source);
        QPointer<GoodsListReport> r = owned.get();
        r->minimum = c.minimum;
        if (c.source.isEmpty()) r->setRecords({});
        const bool ok = c.how == Show    ? (ActiveReport::Show(std::move(owned)), false)
                        : c.how == Print ? r->PrintReport(true)
                                         : r->Run();
        QVERIFY2(!ok, "nothing to print is no success");
        QVERIFY(r && r->started);
        QCOMPARE(dialogs.messages.size(), c.title.isEmpty() ? 0 : 1);
        if (c.printed > 0) {
            QVERIFY(r->preview()->isVisible());
            QCOMPARE(printedNames(*r), names(1, c.printed));
            r->Unload();
        } else if (c.title == u"エラー") {
            QCOMPARE(dialogs.lastMessage().icon, MsgIcon::Critical);
            QVERIFY2(dialogs.lastMessage().text.contains(u": "_s), qPrintable(dialogs.lastMessage().text));
            QVERIFY(r->ended);
        } else {
            QCOMPARE(dialogs.lastMessage().text, u"該当データがありません"_s);
            QCOMPARE(r->lastErrorNumber(), 0);
        }
        if (!c.title.isEmpty()) QCOMPARE(dialogs.lastMessage().title, c.title);
        QVERIFY(!r->preview() || !r->preview()->isVisible());
        QVERIFY(r->isUnloaded());
        owned.reset(); // a report never shown stays its caller's
        settle();
        QVERIFY(r.isNull()); // unloaded with its preview
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<ReportPreview*>(w) || !w->isVisible());
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

    // A database error in any event ends the report with the provider's words; the caller goes on.
    void databaseErrorInAnEvent_data() {
        QTest::addColumn<QString>("event");
        QTest::addColumn<bool>("preview");
        for (const char* e : {"ReportStart", "FetchData", "Detail_Format", "PageFooter_Format"}) {
            QTest::addRow("%s, printed", e) << QString::fromLatin1(e) << false;
            QTest::addRow("%s, previewed", e) << QString::fromLatin1(e) << true;
        }
    }
    void databaseErrorInAnEvent() {
        QFETCH(QString, event);
        QFETCH(bool, preview);
        struct Failing : GoodsListReport {
            using GoodsListReport::GoodsListReport;
            QString at;
            void fail(const char* name) {
                if (at == QLatin1String(name)) throw DbError(u"テーブル 'gdai' が見つかりません。"_s);
            }
            void ReportStart() override { GoodsListReport::ReportStart(), fail("ReportStart"); }
            void FetchData(bool& eof) override {
                GoodsListReport::FetchData(eof);
                if (fetched == 2) fail("FetchData");
            }
            void Detail_Format() override { GoodsListReport::Detail_Format(), fail("Detail_Format"); }
            void PageFooter_Format() override { fail("PageFooter_Format"); }
        };
        TempProgramDir dir;
        addGoods(dir, 3);
        ScriptedDialogs dialogs;
        auto r = std::make_unique<Failing>(kAllGoods);
        r->at = event;
        QPointer<Failing> alive(r.get());
        if (preview) {
            ActiveReport::Show(std::move(r));
        } else {
            QVERIFY(!r->PrintReport(false));
            QVERIFY(r->isUnloaded());
            r.reset();
        }
        settle();
        QVERIFY(!alive);
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.lastMessage().text, u"テーブル 'gdai' が見つかりません。"_s);
        QCOMPARE(dialogs.lastMessage().icon, MsgIcon::Critical);
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!w->isVisible());
    }
};

QTEST_MAIN(TestReportEngine)
#include "tst_reportengine.moc"

#include "data/basDb.h"
#include "export/CsvExport.h"
#include "export/ExportTable.h"
#include "export/XlsxExport.h"
#include "reports/GoodsListReport.h"
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

} // namespace

class TestReportEngine : public QObject, DataRows {
    Q_OBJECT

private slots:
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
        std::optional<TempProgramDir> dir;
        if (c.from != Records) addGoods(dir.emplace(), c.goods);
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
        TempProgramDir dir;
        const QString longName = u"テスト商品"_s + QString(55, QChar(u'長'));
        dir.addGoods(u"A1"_s, longName);
        dir.exec(u"update goods set stanka = %1"_s.arg(fetch<double>("stanka"), 0, 'f', 2));
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
        TempProgramDir dir;
        addGoods(dir, 120);
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
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        addGoods(dir, 10);
        dir.exec(u"update goods set kakuho = cast(trim(code) as integer)"_s);
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

#include "reports/GoodsListReport.h"
#include "support/ScriptedDialogs.h"

#include "data/basDb.h"
#include "data/basSettings.h"

#include <QtTest>
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

// The shortage-list pattern: details skipped in Detail_Format, the first page footer closes the
// report when nothing was printed. A plain goods list without a minimum.
class ShortageReport : public GoodsListReport {
public:
    using GoodsListReport::GoodsListReport;
    int printedLines = 0, minimum = 0;
    void Detail_Format() override {
        if (minimum > 0 && minimum <= Fields(u"kakuho"_s).toInt())
            Detail.LayoutAction = ReportSection::ddLANextRecord;
        else
            ++printedLines;
    }
    void PageFooter_Format() override {
        if (minimum > 0 && printedLines == 0) fnPreviewNoData(*this);
    }
};

// The receipt-list pattern: no data control, FetchData takes rows from a handed-over recordset
// while a counter lasts.
class CountedReport : public GoodsListReport {
public:
    Recordset* grecBuff = nullptr;
    int glngCnt = 0;
    void ReportStart() override {} // no data control
    void FetchData(bool& eof) override {
        if (glngCnt-- <= 0) return void(eof = true);
        Fields().setValue(u"name"_s, grecBuff->Fields(u"name"_s));
        Fields().setValue(u"code"_s, grecBuff->Fields(u"code"_s));
        grecBuff->MoveNext();
    }
};

// Goods 1..goods, the one of code skip not printed (0: none), from the database or handed over
// with no database at all.
struct PagesCase {
    int goods, skip, pages;
    bool handed = false;
    int detailHeight = 300;
};

} // namespace

class tst_ReportEngine : public QObject {
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
        QTest::newRow("three handed over") << PagesCase{3, 0, 1, true};
        QTest::newRow("sixty handed over") << PagesCase{60, 0, 2, true};
        QTest::newRow("details taller than a page") << PagesCase{2, 0, 2, true, 20000};
    }
    void pagesAndPageCount() {
        QFETCH(PagesCase, c);
        const int goods = c.goods, pages = c.pages;
        std::optional<TempProgramDir> dir;
        QList<QVariantMap> rows;
        for (int i = 1; c.handed && i <= goods; ++i)
            rows.append({{u"CODE"_s, QString::number(i)}, {u"Name"_s, nameOf(i)}});
        if (!c.handed) addGoods(dir.emplace(), goods);
        GoodsListReport r(c.handed ? QString() : kAllGoods);
        if (c.handed) r.setRecords(rows);
        r.Detail.Height = c.detailHeight;
        r.skipCode = c.skip ? QString::number(c.skip) : QString();
        QVERIFY(r.Run());
        QCOMPARE(r.PageCount(), pages);
        QCOMPARE(r.fetched, goods);
        QCOMPARE(r.footers, pages);
        QVERIFY(r.ended);
        QStringList expected = names(1, goods);
        expected.removeAll(nameOf(c.skip));
        QCOMPARE(printedNames(r), expected);
        for (int p = 0; p < pages; ++p) { // "page / page count" in every header
            const QStringList texts = r.Pages().at(p).texts();
            const int slash = texts.indexOf(u"/"_s);
            QVERIFY2(slash > 0 && slash + 1 < texts.size(), qPrintable(texts.join(u'|')));
            QCOMPARE(texts.mid(slash - 1, 3).join(u' '), u"%1 / %2"_s.arg(p + 1).arg(pages));
            QCOMPARE(texts.first(), u"商品一覧表"_s);
        }
    }

    void boundAndUnboundFieldsAreFormatted() {
        TempProgramDir dir;
        dir.addGoods(u"A1"_s, nameOf(1));
        dir.exec(u"update goods set stanka = 1234.5"_s);
        GoodsListReport r(kAllGoods);
        QVERIFY(r.Run());
        const QStringList texts = r.Pages().at(0).texts();
        // kingaku = stanka * 3, filled in FetchData, format "#,##0".
        for (const QString& s : {u"1,234.50"_s, u"3,704"_s, u"          A1"_s})
            QVERIFY2(texts.contains(s), qPrintable(s + u" in "_s + texts.join(u'|')));
        QCOMPARE(r.DataControl1.ConnectionString,
                 u"provider=Microsoft.Jet.OLEDB.4.0;Data Source="_s + fnProgramFolder() +
                     u"\\data1.dat;Jet OLEDB:Database Password=QelMorvan;Persist Security Info=False"_s);
    }

    // Nothing to print: the NoData message, false, unloaded; a report never shown is its caller's.
    void nothingToPrint_data() {
        QTest::addColumn<bool>("print");
        QTest::newRow("no records handed over") << false;
        QTest::newRow("printing an empty table") << true;
    }
    void nothingToPrint() {
        QFETCH(bool, print);
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        auto* r = new GoodsListReport(print ? kAllGoods : QString());
        QPointer<GoodsListReport> guard(r);
        if (!print) r->setRecords({});
        QVERIFY(!(print ? r->PrintReport(true) : r->Run()));
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.lastMessage().title, u"ＰＥＬＫＯ"_s);
        QCOMPARE(r->lastErrorNumber(), 0);
        QVERIFY(r->isUnloaded());
        delete r;
        settle();
        QVERIFY(guard.isNull());
    }

    // Shown: the NoData message, the error box of a bad source, or a preview of what was printed.
    // kakuho of goods i is i; a goods is short when its kakuho is below the minimum.
    void show_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("minimum");   // 0: no shortage check
        QTest::addColumn<QString>("title"); // of the message box, "" for none
        QTest::addColumn<int>("printed");
        const QString pelko = u"ＰＥＬＫＯ"_s;
        QTest::newRow("no data") << u"SELECT * FROM goods WHERE code = 'none'"_s << 0 << pelko << 0;
        QTest::newRow("bad source") << u"SELECT * FROM nosuchtable"_s << 0 << u"エラー"_s << 0;
        QTest::newRow("footer closes, none short") << kAllGoods << 1 << pelko << 0;
        QTest::newRow("some short") << kAllGoods << 4 << QString() << 3;
    }
    void show() {
        QFETCH(QString, source);
        QFETCH(int, minimum);
        QFETCH(QString, title);
        QFETCH(int, printed);
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        addGoods(dir, 10);
        dir.exec(u"update goods set kakuho = cast(trim(code) as integer)"_s);
        QPointer<ShortageReport> r = new ShortageReport(source);
        r->minimum = minimum;
        r->Show();
        QVERIFY(r && r->started);
        QCOMPARE(dialogs.messages.size(), title.isEmpty() ? 0 : 1);
        if (printed > 0) {
            QVERIFY(r->preview()->isVisible());
            QCOMPARE(printedNames(*r), names(1, printed));
            return r->Unload();
        }
        const MessageRequest& box = dialogs.lastMessage();
        QCOMPARE(box.title, title);
        if (title == u"エラー") {
            QCOMPARE(box.icon, MsgIcon::Critical);
            QVERIFY2(box.text.contains(u": "_s), qPrintable(box.text));
            QVERIFY(r->ended);
        } else {
            QCOMPARE(box.text, u"該当データがありません"_s);
        }
        QVERIFY(!r->preview() || !r->preview()->isVisible());
        settle();
        QVERIFY(r.isNull()); // unloaded with its preview
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<ReportPreview*>(w) || !w->isVisible());
    }

    void longTextIsCutToItsBox() {
        GoodsListReport r;
        const QString longName = u"テスト商品"_s + QString(60, QChar(u'長'));
        r.setRecords({{{u"name"_s, longName}}});
        QVERIFY(r.Run());
        const QStringList printed = printedNames(r);
        QCOMPARE(printed.size(), 1);
        QVERIFY(printed.first().size() < longName.size());
        QVERIFY(longName.startsWith(printed.first()));
        const QFontMetricsF fm(ReportPage::fontFor(u"IPAGothic"_s, 10, false));
        QVERIFY(fm.horizontalAdvance(printed.first()) <= 4000);
    }

    void landscapeSwapsPaper() {
        ReportPageSettings s;
        s.Orientation = ReportPageSettings::ddOLandscape;
        QCOMPARE(QSize(s.paperWidth(), s.paperHeight()), QSize(16838, 11906));
        QCOMPARE(s.pageLayout().orientation(), QPageLayout::Landscape);
        s.Orientation = ReportPageSettings::ddOPortrait;
        QCOMPARE(s.paperWidth(), 11906);
    }

    // A recordset handed over: to a FetchData of the report's own while a counter lasts, or
    // copied by setRecordset from its current record on (counter -1).
    void recordsetHandedOver_data() {
        QTest::addColumn<int>("counter");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("counter for all five") << 5 << 1 << 5;
        QTest::newRow("counter below the rows") << 2 << 1 << 2;
        QTest::newRow("from the current record") << -1 << 2 << 5;
    }
    void recordsetHandedOver() {
        QFETCH(int, counter);
        QFETCH(int, first);
        QFETCH(int, last);
        TempProgramDir dir;
        addGoods(dir, 5);
        Recordset rec;
        fnOpenRecordset(rec, kAllGoods);
        CountedReport counted;
        counted.grecBuff = &rec;
        counted.glngCnt = counter;
        GoodsListReport copied;
        if (counter < 0) rec.MoveNext(), copied.setRecordset(rec);
        ActiveReport& r = counter < 0 ? static_cast<ActiveReport&>(copied) : counted;
        QVERIFY(r.Run());
        QCOMPARE(printedNames(r), names(first, last));
    }

    void reportWithoutDataEnds() {
        // No source, no records, no FetchData of its own: one empty page, not an endless one.
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

QTEST_MAIN(tst_ReportEngine)
#include "tst_reportengine.moc"

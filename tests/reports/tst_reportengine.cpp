#include "reports/GoodsListReport.h"
#include "support/ScriptedDialogs.h"

#include "data/basDb.h"
#include "data/basSettings.h"
#include "reports/ReportPreview.h"

#include <QPointer>
#include <QtTest>

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
// report when nothing was printed.
class ShortageReport : public GoodsListReport {
public:
    using GoodsListReport::GoodsListReport;
    int printedLines = 0, minimum = 0;
    void Detail_Format() override {
        if (minimum <= Fields(u"kakuho"_s).toInt())
            Detail.LayoutAction = ReportSection::ddLANextRecord;
        else
            ++printedLines;
    }
    void PageFooter_Format() override {
        if (printedLines == 0) fnPreviewNoData(*this);
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

} // namespace

class tst_ReportEngine : public QObject {
    Q_OBJECT

private slots:
    void pagesAndPageCount_data() {
        QTest::addColumn<int>("goods");
        QTest::addColumn<int>("skip"); // code of the detail skipped, 0 for none
        QTest::addColumn<int>("pages");
        // 46 details fit a page: A4 16838 twips - margins 1440 - header 1100 - footer 400, 300 each.
        QTest::newRow("one line") << 1 << 0 << 1;
        QTest::newRow("exactly one page") << 46 << 0 << 1;
        QTest::newRow("one more line opens page two") << 47 << 0 << 2;
        QTest::newRow("three pages") << 100 << 0 << 3;
        QTest::newRow("skipped detail frees its place") << 47 << 47 << 1;
        QTest::newRow("three pages, one skipped") << 100 << 50 << 3;
    }
    void pagesAndPageCount() {
        QFETCH(int, goods);
        QFETCH(int, skip);
        QFETCH(int, pages);
        TempProgramDir dir;
        addGoods(dir, goods);
        GoodsListReport r(kAllGoods);
        r.skipCode = skip ? QString::number(skip) : QString();
        QVERIFY(r.Run());
        QCOMPARE(r.PageCount(), pages);
        QCOMPARE(r.fetched, goods);
        QCOMPARE(r.footers, pages);
        QVERIFY(r.ended);
        QStringList expected = names(1, goods);
        expected.removeAll(nameOf(skip));
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

    void handedOverRecordsDriveTheDetail_data() {
        QTest::addColumn<int>("records");
        for (int n : {0, 3, 60})
            QTest::addRow("%d records", n) << n;
    }
    void handedOverRecordsDriveTheDetail() {
        QFETCH(int, records);
        ScriptedDialogs dialogs;
        QList<QVariantMap> rows;
        for (int i = 1; i <= records; ++i)
            rows.append({{u"CODE"_s, QString::number(i)}, {u"Name"_s, nameOf(i)}});
        auto* r = new GoodsListReport; // no database at all: the records come from the caller
        QPointer<GoodsListReport> guard(r);
        r->setRecords(rows);
        QCOMPARE(r->Run(), records > 0);
        QCOMPARE(printedNames(*r), names(1, records));
        QCOMPARE(dialogs.messages.size(), records == 0 ? 1 : 0);
        if (records == 0) QCOMPARE(dialogs.lastMessage().title, u"ＰＥＬＫＯ"_s);
        QCOMPARE(r->isUnloaded(), records == 0);
        if (records > 0) QCOMPARE(r->PageCount(), records > 46 ? 2 : 1);
        delete r; // a report that was never shown belongs to its caller
        settle();
        QVERIFY(guard.isNull());
    }

    // The preview does not stay open: the NoData message, or the error box of a bad source.
    void showWithoutPreview_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("error");
        QTest::newRow("no data") << u"SELECT * FROM goods WHERE code = 'none'"_s << false;
        QTest::newRow("bad source") << u"SELECT * FROM nosuchtable"_s << true;
    }
    void showWithoutPreview() {
        QFETCH(QString, source);
        QFETCH(bool, error);
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        dir.addGoods(u"1"_s, nameOf(1));
        QPointer<GoodsListReport> r = new GoodsListReport(source);
        r->Show();
        QVERIFY(r && r->started);
        QCOMPARE(dialogs.messages.size(), 1);
        const MessageRequest& box = dialogs.lastMessage();
        QCOMPARE(box.title, error ? u"エラー"_s : u"ＰＥＬＫＯ"_s);
        if (error) {
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

    void detailTallerThanPageDoesNotLoop() {
        GoodsListReport r;
        r.Detail.Height = 20000;
        r.setRecords({{{u"name"_s, nameOf(1)}}, {{u"name"_s, nameOf(2)}}});
        QVERIFY(r.Run());
        QCOMPARE(r.PageCount(), 2);
    }

    void landscapeSwapsPaper() {
        ReportPageSettings s;
        s.Orientation = ReportPageSettings::ddOLandscape;
        QCOMPARE(QSize(s.paperWidth(), s.paperHeight()), QSize(16838, 11906));
        QCOMPARE(s.pageLayout().orientation(), QPageLayout::Landscape);
        s.Orientation = ReportPageSettings::ddOPortrait;
        QCOMPARE(s.paperWidth(), 11906);
    }

    // kakuho of goods i is i; a goods is short when its kakuho is below the minimum.
    void footerCanCloseWhenNothingPrinted_data() {
        QTest::addColumn<int>("minimum");
        for (int minimum : {1, 4})
            QTest::addRow("%d short", minimum - 1) << minimum;
    }
    void footerCanCloseWhenNothingPrinted() {
        QFETCH(int, minimum);
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        addGoods(dir, 10);
        dir.exec(u"update goods set kakuho = cast(trim(code) as integer)"_s);
        QPointer<ShortageReport> r = new ShortageReport(kAllGoods);
        r->minimum = minimum;
        r->Show();
        QCOMPARE(dialogs.messages.size(), minimum == 1 ? 1 : 0);
        if (minimum == 1) {
            QCOMPARE(dialogs.lastMessage().text, u"該当データがありません"_s);
            settle();
            QVERIFY(r.isNull());
            return;
        }
        QVERIFY(r->preview()->isVisible());
        QCOMPARE(printedNames(*r), names(1, minimum - 1));
        r->Unload();
        settle();
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

    void printWithNoDataPrintsNothing() {
        TempProgramDir dir;
        ScriptedDialogs dialogs;
        GoodsListReport r(kAllGoods); // an empty goods table
        QVERIFY(!r.PrintReport(true));
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(r.lastErrorNumber(), 0);
        QVERIFY(r.isUnloaded());
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

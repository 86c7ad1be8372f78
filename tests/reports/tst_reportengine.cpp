#include "reports/GoodsListReport.h"
#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include "data/basDb.h"
#include "data/basSettings.h"
#include "reports/ReportPreview.h"

#include <QPointer>
#include <QtTest>

namespace {

const QString kAllGoods = QStringLiteral("SELECT * FROM goods ORDER BY code");

QString nameOf(int i) {
    return QStringLiteral("テスト商品%1").arg(i, 3, 10, QLatin1Char('0'));
}

// Lets deferred deletes run, as the event loop would after an event handler returns.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Texts of every page, detail names only, in print order.
QStringList printedNames(const ActiveReport& r) {
    QStringList out;
    for (const ReportPage& p : r.Pages())
        for (const QString& t : p.texts())
            if (t.startsWith(QStringLiteral("テスト商品"))) out << t;
    return out;
}

// The shortage-list pattern: details skipped in Detail_Format, the first page footer closes the
// report when nothing was printed.
class ShortageReport : public GoodsListReport {
public:
    using GoodsListReport::GoodsListReport;
    int printedLines = 0;
    int minimum = 0;
    void Detail_Format() override {
        if (minimum <= Fields(QStringLiteral("kakuho")).toInt())
            Detail.LayoutAction = ReportSection::ddLANextRecord;
        else
            ++printedLines;
    }
    void PageFooter_Format() override {
        ++footers;
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
        if (glngCnt > 0) {
            Fields().setValue(QStringLiteral("name"), grecBuff->Fields(QStringLiteral("name")));
            Fields().setValue(QStringLiteral("code"), grecBuff->Fields(QStringLiteral("code")));
            grecBuff->MoveNext();
            --glngCnt;
        } else {
            eof = true;
        }
    }
};

} // namespace

class tst_ReportEngine : public QObject {
    Q_OBJECT

private slots:
    void pagesAndPageCount_data();
    void pagesAndPageCount();
    void headerShowsPageOfCountOnEveryPage();
    void boundAndUnboundFieldsAreFormatted();
    void handedOverRecordsDriveTheDetail_data();
    void handedOverRecordsDriveTheDetail();
    void noDataShowsMessageAndClosesPreview();
    void badSourceShowsErrorBoxAndNoPreview();
    void dataControlTakesProgramConnectionString();
    void longTextIsCutToItsBox();
    void detailTallerThanPageDoesNotLoop();
    void landscapeSwapsPaper();
    void footerCanCloseWhenNothingPrinted_data();
    void footerCanCloseWhenNothingPrinted();
    void unboundFetchEndsByCounter_data();
    void unboundFetchEndsByCounter();
    void recordsetHandedOver();
    void printWithNoDataPrintsNothing();
    void reportWithoutDataEnds();
};

void tst_ReportEngine::pagesAndPageCount_data() {
    QTest::addColumn<int>("goods");
    QTest::addColumn<QString>("skip");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("printed");
    // 46 details fit a page: A4 16838 twips - margins 1440 - header 1100 - footer 400, 300 each.
    QTest::newRow("one line") << 1 << QString() << 1 << 1;
    QTest::newRow("exactly one page") << 46 << QString() << 1 << 46;
    QTest::newRow("one more line opens page two") << 47 << QString() << 2 << 47;
    QTest::newRow("three pages") << 100 << QString() << 3 << 100;
    QTest::newRow("skipped detail frees its place") << 47 << QStringLiteral("47") << 1 << 46;
    QTest::newRow("three pages, one skipped") << 100 << QStringLiteral("50") << 3 << 99;
}

void tst_ReportEngine::pagesAndPageCount() {
    QFETCH(int, goods);
    QFETCH(QString, skip);
    QFETCH(int, pages);
    QFETCH(int, printed);
    TempProgramDir dir;
    for (int i = 1; i <= goods; ++i)
        dir.addGoods(QString::number(i), nameOf(i));

    GoodsListReport r(kAllGoods);
    r.skipCode = skip;
    QVERIFY(r.Run());
    QCOMPARE(r.PageCount(), pages);
    QCOMPARE(r.fetched, goods);
    QCOMPARE(r.footers, pages);
    QVERIFY(r.ended);

    QStringList expected;
    for (int i = 1; i <= goods; ++i)
        if (QString::number(i) != skip) expected << nameOf(i);
    QCOMPARE(printedNames(r), expected);
    QCOMPARE(printedNames(r).size(), printed);
}

void tst_ReportEngine::headerShowsPageOfCountOnEveryPage() {
    TempProgramDir dir;
    for (int i = 1; i <= 100; ++i)
        dir.addGoods(QString::number(i), nameOf(i));
    GoodsListReport r(kAllGoods);
    QVERIFY(r.Run());
    QCOMPARE(r.PageCount(), 3);
    for (int p = 0; p < 3; ++p) {
        const QStringList texts = r.Pages().at(p).texts();
        const int slash = texts.indexOf(QStringLiteral("/"));
        QVERIFY2(slash > 0, qPrintable(texts.join(u'|')));
        QCOMPARE(texts.at(slash - 1), QString::number(p + 1));
        QCOMPARE(texts.at(slash + 1), QStringLiteral("3"));
        QCOMPARE(texts.first(), QStringLiteral("商品一覧表"));
    }
}

void tst_ReportEngine::boundAndUnboundFieldsAreFormatted() {
    TempProgramDir dir;
    dir.addGoods(QStringLiteral("A1"), nameOf(1));
    dir.exec(QStringLiteral("update goods set stanka = 1234.5"));
    GoodsListReport r(kAllGoods);
    QVERIFY(r.Run());
    const QStringList texts = r.Pages().at(0).texts();
    QVERIFY2(texts.contains(QStringLiteral("1,234.50")), qPrintable(texts.join(u'|')));
    // kingaku = stanka * 3, filled in FetchData, format "#,##0".
    QVERIFY2(texts.contains(QStringLiteral("3,704")), qPrintable(texts.join(u'|')));
    QVERIFY(texts.contains(QStringLiteral("          A1")));
}

void tst_ReportEngine::handedOverRecordsDriveTheDetail_data() {
    QTest::addColumn<int>("records");
    QTest::newRow("none") << 0;
    QTest::newRow("three") << 3;
    QTest::newRow("sixty") << 60;
}

void tst_ReportEngine::handedOverRecordsDriveTheDetail() {
    QFETCH(int, records);
    ScriptedDialogs dialogs;
    QList<QVariantMap> rows;
    for (int i = 1; i <= records; ++i)
        rows.append({{QStringLiteral("CODE"), QString::number(i)}, {QStringLiteral("Name"), nameOf(i)}});
    // No database at all: the records come from the caller.
    auto* r = new GoodsListReport;
    QPointer<GoodsListReport> guard(r);
    r->setRecords(rows);
    QVERIFY(r->Run() == (records > 0));
    QCOMPARE(printedNames(*r).size(), records);
    if (records == 0) {
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.lastMessage().title, QStringLiteral("ＰＥＬＫＯ"));
        QVERIFY(r->isUnloaded());
    } else {
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(r->PageCount(), records > 46 ? 2 : 1);
    }
    delete r; // a report that was never shown belongs to its caller
    settle();
    QVERIFY(guard.isNull());
}

void tst_ReportEngine::noDataShowsMessageAndClosesPreview() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    dir.addGoods(QStringLiteral("1"), nameOf(1));
    QPointer<GoodsListReport> r =
        new GoodsListReport(QStringLiteral("SELECT * FROM goods WHERE code = 'none'"));
    r->Show();
    QVERIFY(r);
    QVERIFY(r->started);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.lastMessage().title, QStringLiteral("ＰＥＬＫＯ"));
    QCOMPARE(dialogs.lastMessage().text, QStringLiteral("該当データがありません"));
    QVERIFY(!r->preview() || !r->preview()->isVisible());
    settle();
    QVERIFY(r.isNull()); // unloaded with its preview
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<ReportPreview*>(w) || !w->isVisible());
}

void tst_ReportEngine::badSourceShowsErrorBoxAndNoPreview() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    QPointer<GoodsListReport> r = new GoodsListReport(QStringLiteral("SELECT * FROM nosuchtable"));
    r->Show();
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.lastMessage().title, QStringLiteral("エラー"));
    QCOMPARE(dialogs.lastMessage().icon, MsgIcon::Critical);
    QVERIFY(dialogs.lastMessage().text.contains(QStringLiteral(": ")));
    QVERIFY(r->ended);
    settle();
    QVERIFY(r.isNull());
}

void tst_ReportEngine::dataControlTakesProgramConnectionString() {
    TempProgramDir dir;
    GoodsListReport r;
    fnSetDataControl(r);
    QCOMPARE(
        r.DataControl1.ConnectionString,
        QStringLiteral("provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + fnProgramFolder() +
            QStringLiteral("\\data1.dat;Jet OLEDB:Database Password=QelMorvan;Persist Security Info=False"));
}

void tst_ReportEngine::longTextIsCutToItsBox() {
    GoodsListReport r;
    const QString longName = QStringLiteral("テスト商品") + QString(60, QChar(u'長'));
    r.setRecords({{{QStringLiteral("name"), longName}}});
    QVERIFY(r.Run());
    QString printed;
    for (const ReportPage::Op& op : r.Pages().at(0).ops())
        if (op.text.startsWith(QStringLiteral("テスト商品"))) printed = op.text;
    QVERIFY(!printed.isEmpty());
    QVERIFY(printed.size() < longName.size());
    QVERIFY(longName.startsWith(printed));
    const QFontMetricsF fm(ReportPage::fontFor(QStringLiteral("IPAGothic"), 10, false));
    QVERIFY(fm.horizontalAdvance(printed) <= 4000);
}

void tst_ReportEngine::detailTallerThanPageDoesNotLoop() {
    GoodsListReport r;
    r.Detail.Height = 20000;
    r.setRecords({{{QStringLiteral("name"), nameOf(1)}}, {{QStringLiteral("name"), nameOf(2)}}});
    QVERIFY(r.Run());
    QCOMPARE(r.PageCount(), 2);
}

void tst_ReportEngine::landscapeSwapsPaper() {
    ReportPageSettings s;
    s.Orientation = ReportPageSettings::ddOLandscape;
    QCOMPARE(s.paperWidth(), 16838);
    QCOMPARE(s.paperHeight(), 11906);
    QCOMPARE(s.pageLayout().orientation(), QPageLayout::Landscape);
    s.Orientation = ReportPageSettings::ddOPortrait;
    QCOMPARE(s.paperWidth(), 11906);
}

void tst_ReportEngine::footerCanCloseWhenNothingPrinted_data() {
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("printed");
    // kakuho of goods i is i; a goods is short when its kakuho is below the minimum.
    QTest::newRow("none short") << 1 << 0;
    QTest::newRow("some short") << 4 << 3;
}

void tst_ReportEngine::footerCanCloseWhenNothingPrinted() {
    QFETCH(int, minimum);
    QFETCH(int, printed);
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    for (int i = 1; i <= 10; ++i)
        dir.addGoods(QString::number(i), nameOf(i));
    dir.exec(QStringLiteral("update goods set kakuho = cast(trim(code) as integer)"));
    QPointer<ShortageReport> r = new ShortageReport(kAllGoods);
    r->minimum = minimum;
    r->Show();
    if (printed == 0) {
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.lastMessage().text, QStringLiteral("該当データがありません"));
        settle();
        QVERIFY(r.isNull());
    } else {
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(r->preview()->isVisible());
        QCOMPARE(printedNames(*r), QStringList({nameOf(1), nameOf(2), nameOf(3)}));
        r->Unload();
        settle();
    }
}

void tst_ReportEngine::unboundFetchEndsByCounter_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("printed");
    QTest::newRow("all three") << 3 << 3;
    QTest::newRow("counter below the rows") << 2 << 2;
}

void tst_ReportEngine::unboundFetchEndsByCounter() {
    QFETCH(int, count);
    QFETCH(int, printed);
    TempProgramDir dir;
    for (int i = 1; i <= 3; ++i)
        dir.addGoods(QString::number(i), nameOf(i));
    Recordset rec;
    fnOpenRecordset(rec, kAllGoods);
    CountedReport r;
    r.grecBuff = &rec;
    r.glngCnt = count;
    QVERIFY(r.Run());
    QCOMPARE(printedNames(r), QStringList({nameOf(1), nameOf(2), nameOf(3)}).mid(0, printed));
}

void tst_ReportEngine::recordsetHandedOver() {
    TempProgramDir dir;
    for (int i = 1; i <= 5; ++i)
        dir.addGoods(QString::number(i), nameOf(i));
    Recordset rec;
    fnOpenRecordset(rec, kAllGoods);
    rec.MoveNext(); // from the current record on
    GoodsListReport r;
    r.setRecordset(rec);
    QVERIFY(r.Run());
    QCOMPARE(printedNames(r), QStringList({nameOf(2), nameOf(3), nameOf(4), nameOf(5)}));
}

void tst_ReportEngine::printWithNoDataPrintsNothing() {
    TempProgramDir dir;
    ScriptedDialogs dialogs;
    GoodsListReport r(kAllGoods); // an empty goods table
    QVERIFY(!r.PrintReport(true));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(r.lastErrorNumber(), 0);
    QVERIFY(r.isUnloaded());
}

void tst_ReportEngine::reportWithoutDataEnds() {
    // No source, no records, no FetchData of its own: one empty page, not an endless one.
    struct Bare : ActiveReport {
        int noData = 0;
        void NoData() override { ++noData; }
    } r;
    r.Detail.Height = 300;
    r.PageHeader.Height = 300;
    r.PageHeader.addLabel(QStringLiteral("lblMenu"), QStringLiteral("見出し"), 0, 0, 2000, 300);
    QVERIFY(r.Run());
    QCOMPARE(r.PageCount(), 1);
    QCOMPARE(r.noData, 1);
    QCOMPARE(r.Pages().at(0).texts(), QStringList{QStringLiteral("見出し")});
}

QTEST_MAIN(tst_ReportEngine)
#include "tst_reportengine.moc"

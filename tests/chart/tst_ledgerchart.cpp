#include "chart/LedgerChart.h"
#include "support/ScreenBench.h"
#include "ui/DataRows.h"

#include <QBarSet>
#include <QChart>
#include <QLineSeries>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QtTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// What the chart says of a day: "stock receipts returns shipments counts" (counts joined by '/', "-"
// for none).
QString dayText(QChart* chart, int index) {
    const auto* stock = chart->findChild<QLineSeries*>(u"stock"_s);
    const auto* counts = chart->findChild<QScatterSeries*>(u"counts"_s);
    const auto* bars = chart->findChild<QStackedBarSeries*>(u"movements"_s);
    if (!stock || !counts || !bars) return u"no series"_s;
    const QList<QPointF> line = stock->points();
    // The day's value runs from x = index - 0.5 to index + 0.5.
    if (line.value(2 * index) != QPointF(index - 0.5, line.value(2 * index).y()) ||
        line.value(2 * index + 1) != QPointF(index + 0.5, line.value(2 * index).y()))
        return u"no step at %1"_s.arg(index);
    QStringList marks;
    for (const QPointF& p : counts->points())
        if (p.x() == index) marks << QString::number(p.y());
    QStringList out{QString::number(line.at(2 * index).y())};
    for (const char* name : {"receipts", "returns", "shipments"}) {
        for (QBarSet* set : bars->barSets())
            if (set->objectName() == QLatin1String(name)) out << QString::number(set->at(index));
    }
    out << (marks.isEmpty() ? u"-"_s : marks.join(u'/'));
    return out.join(u' ');
}

} // namespace

// The ledger's chart read back from its series (not its pixels): for chosen days, the running stock
// of the step line, the receipts, returns and shipments bars and the count marks are what the
// ledger rows of those days say, across month boundaries. The tool's pictures are in tst_tool.
class TestLedgerChart : public QObject, DataRows {
    Q_OBJECT

private slots:
    // Ledger rows of goods 1001; the first month yyyymm, the months, the days on the axis, and
    // "yyyymmdd=stock receipts returns shipments counts" of chosen days.
    void seriesFollowTheLedger_data() {
        cols<QString, int, int, int, QString>("rows", "first", "months", "days", "at");
        row("one month: every kind of row",
            "20240301 0 7; 20240503 0 10; 20240510 1 4; 20240515 2 2; "
            "20240520 9 30; 20240520 0 5; 20240522 5 3",
            202405, 1, 31,
            "20240501=7 0 0 0 -, 20240503=17 10 0 0 -, 20240509=17 0 0 0 -, 20240510=13 0 0 -4 -, "
            "20240515=15 0 2 0 -, 20240520=35 5 0 0 30, 20240522=35 0 0 0 -, 20240531=35 0 0 0 -");
        row("month boundary and a year's turn", "20231231 0 3; 20231231 1 1; 20240101 2 4; 20240102 1 10",
            202312, 2, 62,
            "20231230=0 0 0 0 -, 20231231=2 3 0 -1 -, 20240101=6 0 4 0 -, 20240102=-4 0 0 -10 -, "
            "20240131=-4 0 0 0 -");
        // The stock engine takes a count as the stock at its day's end: the next month starts from the
        // count, while the ledger's last row had the day's receipt added to it.
        row("a count with a receipt on the month's last day",
            "20240410 0 20; 20240430 0 10; 20240430 9 50; 20240502 1 5", 202404, 2, 61,
            "20240429=20 0 0 0 -, 20240430=60 10 0 0 50, 20240501=50 0 0 0 -, 20240502=45 0 0 -5 -");
        row("twelve months, counts, empty months between",
            "20230610 0 100; 20231115 9 80; 20231116 9 90; 20240531 1 30", 202306, 12, 366,
            "20230601=0 0 0 0 -, 20230610=100 100 0 0 -, 20231114=100 0 0 0 -, 20231115=80 0 0 0 80, "
            "20231116=90 0 0 0 90, 20240530=90 0 0 0 -, 20240531=60 0 0 -30 -");
    }
    void seriesFollowTheLedger() {
        QFETCH(int, first);
        QFETCH(int, days);
        const QStringList at = fetch<QString>("at").split(u", "_s);
        TempProgramDir dir;
        dir.addGoods(u"1001"_s, u"商品"_s);
        addLedgerRows(dir, fetch<QString>("rows"), u"1001"_s);
        QList<LedgerMonth> ledger;
        for (int m = 0; m < fetch<int>("months"); ++m) {
            const int serial = first / 100 * 12 + first % 100 - 1 + m;
            ledger << fnLedgerMonth(u"        1001"_s, (serial / 12 * 100 + serial % 12 + 1) * 100);
        }
        std::unique_ptr<QChart> chart(LedgerChart::newChart());
        LedgerChart::fill(chart.get(), ledger);
        QCOMPARE(chart->findChild<QLineSeries*>(u"stock"_s)->count(), 2 * days);
        for (QBarSet* set : chart->findChild<QStackedBarSeries*>(u"movements"_s)->barSets())
            QCOMPARE(set->count(), days);
        const QDate start(first / 100, first % 100, 1);
        for (const QString& expected : at) {
            const QDate day = QDate::fromString(expected.left(8), u"yyyyMMdd"_s);
            QCOMPARE(expected.left(9) + dayText(chart.get(), int(start.daysTo(day))), expected);
        }
        // No count mark on a day not listed with one.
        int marks = 0;
        for (const QString& expected : at)
            if (!expected.endsWith(u'-')) marks += int(expected.section(u' ', 4).split(u'/').size());
        QCOMPARE(chart->findChild<QScatterSeries*>(u"counts"_s)->count(), marks);

        // Nothing shown: an empty chart.
        LedgerChart::fill(chart.get(), {});
        QVERIFY(chart->series().isEmpty() && chart->axes().isEmpty());
    }
};

QTEST_MAIN(TestLedgerChart)
#include "tst_ledgerchart.moc"

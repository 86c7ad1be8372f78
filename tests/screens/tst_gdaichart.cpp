// The goods ledger's chart moves with the grid: after each display, F2 or F3, it shows the month
// and product the grid shows, day by day as the grid's rows say; and the window still fits.

#include "support/ScreenBench.h"
#include "ui/DataRows.h"

#include "screens/frmGdai.h"

#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QScreen>
#include <QStackedBarSeries>
#include <QTableWidget>
#include <QtTest>

using namespace screen;
using namespace Qt::Literals::StringLiterals;

class TestGdaiChart : public QObject, DataRows {
    Q_OBJECT
    std::unique_ptr<ScreenBench> b;

    QChart* chart() const { return child<QChartView>(b->form.get(), "chtLedger")->chart(); }
    // The grid's month by day as the chart should show it: "d:stock receipts returns shipments
    // [counts]" for each day with rows, oldest first; the day's stock is its top row's.
    QStringList gridDays() const {
        auto* grid = child<QTableWidget>(b->form.get(), "msgMei");
        QMap<int, QStringList> days;
        auto number = [](const QString& s) { return QString(s).remove(u',').toLongLong(); };
        for (int r = grid->rowCount() - 1; r >= 0; --r) {
            auto cell = [&](int c) { return grid->item(r, c)->text(); };
            QStringList& f = days[cell(frmGdai::ColDay).right(2).toInt()];
            if (f.isEmpty()) f = {"0", "0", "0", "0", ""};
            f[0] = cell(frmGdai::ColStock).remove(u',');
            f[1] = QString::number(number(f[1]) + number(cell(frmGdai::ColIn)));
            f[2] = QString::number(number(f[2]) + number(cell(frmGdai::ColReturn)));
            f[3] = QString::number(number(f[3]) - number(cell(frmGdai::ColOut)));
            if (!cell(frmGdai::ColCount).isEmpty())
                f[4] += u'[' + cell(frmGdai::ColCount).remove(u',') + u']';
        }
        QStringList out;
        for (auto it = days.cbegin(); it != days.cend(); ++it)
            out << QString::number(it.key()) + u':' + it.value().mid(0, 4).join(u' ') + it.value().at(4);
        return out;
    }
    // The same read from the chart's series, for the days gridDays names.
    QStringList chartDays(const QStringList& days) const {
        const auto* stock = chart()->findChild<QLineSeries*>(u"stock"_s);
        const auto* counts = chart()->findChild<QScatterSeries*>(u"counts"_s);
        const auto* bars = chart()->findChild<QStackedBarSeries*>(u"movements"_s);
        if (!stock || !counts || !bars) return {u"no chart"_s};
        QStringList out;
        for (const QString& day : days) {
            const int d = day.section(u':', 0, 0).toInt(), i = d - 1;
            QStringList f{QString::number(stock->at(2 * i).y())};
            for (QBarSet* set : bars->barSets())
                f << QString::number(set->at(i));
            QString marks;
            for (const QPointF& p : counts->points())
                if (p.x() == i) marks += u'[' + QString::number(p.y()) + u']';
            out << QString::number(d) + u':' + f.join(u' ') + marks;
        }
        return out;
    }

private slots:
    void cleanup() { b.reset(); }

    // May 2024 of 1001 shown, then the steps; the code, month and days on the chart's axis, and the
    // days with rows as the chart shows them (' ' between days).
    void chartFollowsTheGrid_data() {
        cols<QString, QString, QString>("steps", "month", "days");
        const char* may = "3:50 10 0 0 10:46 0 0 -4 15:48 0 2 0 20:35 5 0 0[30]";
        row("shown", "", "1001 2024/05 31", may);
        row("next month in the grid", "click:msgMei;F2", "1001 2024/06 30", "2:-1170 0 0 -1200");
        row("and back", "click:msgMei;F2;F3", "1001 2024/05 31", may);
        row("next goods in the code", "click:txtCode;F2", "1004 2024/05 31", "7:3 3 0 0");
        row("and back", "click:txtCode;F2;F3", "1001 2024/05 31", may);
    }
    void chartFollowsTheGrid() {
        b = std::make_unique<ScreenBench>();
        addGoodsRows(b->dir, u"1001 テスト商品Ａ; 1004 テスト商品Ｄ"_s);
        addLedgerRows(b->dir,
                      u"20240430 0 40; 20240503 0 10; 20240510 1 4 7001 1; 20240515 2 2 7002 1;"
                      "20240520 9 30; 20240520 0 5; 20240602 1 1200 7003 1; 20240507 0 3 0 0 1004"_s,
                      u"1001"_s);
        QWidget* form = b->open<frmGdai>();
        QVERIFY(chart()->series().isEmpty()); // nothing shown yet
        QVERIFY(form->frameGeometry().height() <= form->screen()->availableGeometry().height());
        QCOMPARE(child<QChartView>(form, "chtLedger")->focusPolicy(), Qt::NoFocus);
        QCOMPARE(b->play(u"txtCode=1001;Enter;txtYy=2024;txtMm=05;Enter;"_s + fetch<QString>("steps")),
                 QString());
        const int axisDays = int(chart()->findChild<QLineSeries*>(u"stock"_s)->count() / 2);
        QCOMPARE(
            u"%1 %2/%3 %4"_s.arg(text(form, "txtCode").trimmed(), text(form, "txtYy"), text(form, "txtMm"))
                .arg(axisDays),
            fetch<QString>("month"));
        const QStringList days = fetch<QString>("days").split(QRegularExpression(u" (?=\\d+:)"_s));
        QCOMPARE(gridDays(), days);
        QCOMPARE(chartDays(days), days);
    }
};

QTEST_MAIN(TestGdaiChart)
#include "tst_gdaichart.moc"

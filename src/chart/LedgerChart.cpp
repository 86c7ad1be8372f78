#include "chart/LedgerChart.h"

#include "core/basNumber.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QSaveFile>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QSvgGenerator>
#include <QValueAxis>

#include <cmath>

namespace {

// A quantity as the ledger shows it ("1,500"), read back.
qint64 shown(const QString& text) {
    return static_cast<qint64>(std::nearbyint(fnVal(QString(text).remove(u','))));
}

bool filled(const QString& text) {
    return !text.trimmed().isEmpty();
}

// A step of about a fifth of the span, 1, 2 or 5 times a power of ten.
double niceStep(double span) {
    const double raw = std::max(span / 5.0, 1.0);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0})
        if (raw <= m * power) return m * power;
    return 10.0 * power;
}

void setRange(QValueAxis* axis, double lo, double hi) {
    axis->setRange(lo, hi);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(niceStep(hi - lo));
    axis->setLabelFormat(QStringLiteral("%.0f"));
}

const QColor kStock(0x1f, 0x4e, 0x9a);
const QColor kReceipts(0x3a, 0x9a, 0x4a);
const QColor kReturns(0x8c, 0xc6, 0x5a);
const QColor kShipments(0xd0, 0x5a, 0x3a);
const QColor kCounts(0x8a, 0x3a, 0xb0);

} // namespace

QList<LedgerChart::Day> LedgerChart::days(const QList<LedgerMonth>& months) {
    QList<Day> out;
    for (const LedgerMonth& month : months) {
        const QDate first(month.from / 10000, month.from / 100 % 100, 1);
        if (!first.isValid()) continue;
        const int base = int(out.size());
        const int length = first.daysInMonth();
        for (int d = 0; d < length; ++d) {
            Day day;
            day.date = first.addDays(d);
            out << day;
        }
        // Oldest row first; a day's stock is the running stock after its last row. A stored day
        // outside the calendar (00, 32..99) counts as the month's first or last day.
        QList<bool> hasRow(length, false);
        QList<qint64> after(length, 0);
        for (qsizetype r = month.rows.size() - 1; r >= 0; --r) {
            const QStringList& cells = month.rows.at(r).cells;
            const int d = std::clamp(month.rows.at(r).day.right(2).toInt(), 1, length) - 1;
            Day& day = out[base + d];
            if (filled(cells.value(LedgerIn))) day.receipts += shown(cells.value(LedgerIn));
            if (filled(cells.value(LedgerOut))) day.shipments += shown(cells.value(LedgerOut));
            if (filled(cells.value(LedgerReturn))) day.returns += shown(cells.value(LedgerReturn));
            if (filled(cells.value(LedgerCount))) day.counts << shown(cells.value(LedgerCount));
            hasRow[d] = true;
            after[d] = shown(cells.value(LedgerStock));
        }
        qint64 stock = month.opening;
        for (int d = 0; d < length; ++d) {
            if (hasRow[d]) stock = after[d];
            out[base + d].stock = stock;
        }
    }
    return out;
}

QChart* LedgerChart::newChart() {
    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->setAlignment(Qt::AlignTop);
    QFont small = chart->legend()->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    chart->legend()->setFont(small);
    return chart;
}

void LedgerChart::fill(QChart* chart, const QList<LedgerMonth>& months, const QString& title) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    chart->setTitle(title);
    const QList<Day> all = days(months);
    if (all.isEmpty()) return;
    const int n = int(all.size());

    auto* stock = new QLineSeries;
    stock->setObjectName(QStringLiteral("stock"));
    stock->setName(QStringLiteral("在庫数"));
    stock->setPen(QPen(kStock, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    auto* counts = new QScatterSeries;
    counts->setObjectName(QStringLiteral("counts"));
    counts->setName(QStringLiteral("棚卸"));
    counts->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    counts->setMarkerSize(8);
    counts->setColor(kCounts);
    counts->setBorderColor(kCounts.darker());
    auto* receipts = new QBarSet(QStringLiteral("入庫"));
    receipts->setObjectName(QStringLiteral("receipts"));
    auto* returns = new QBarSet(QStringLiteral("返品入庫"));
    returns->setObjectName(QStringLiteral("returns"));
    auto* shipments = new QBarSet(QStringLiteral("出庫"));
    shipments->setObjectName(QStringLiteral("shipments"));
    for (const auto& [set, color] :
         {std::pair{receipts, kReceipts}, {returns, kReturns}, {shipments, kShipments}}) {
        set->setColor(color);
        set->setBorderColor(color);
    }

    QStringList categories;
    double stockLo = 0, stockHi = 1, moveLo = 0, moveHi = 1;
    QList<QPointF> line;
    line.reserve(2 * n);
    for (int d = 0; d < n; ++d) {
        const Day& day = all.at(d);
        line << QPointF(d - 0.5, double(day.stock)) << QPointF(d + 0.5, double(day.stock));
        stockLo = std::min(stockLo, double(day.stock));
        stockHi = std::max(stockHi, double(day.stock));
        for (const qint64 c : day.counts) {
            counts->append(d, double(c));
            stockLo = std::min(stockLo, double(c));
            stockHi = std::max(stockHi, double(c));
        }
        receipts->append(double(day.receipts));
        returns->append(double(day.returns));
        shipments->append(-double(day.shipments));
        moveHi = std::max(moveHi, double(day.receipts + day.returns));
        moveLo = std::min(moveLo, -double(day.shipments));
        categories << day.date.toString(QStringLiteral("yyyyMMdd"));
    }
    stock->replace(line);
    auto* movements = new QStackedBarSeries;
    movements->setObjectName(QStringLiteral("movements"));
    movements->setBarWidth(0.7);
    movements->append({receipts, returns, shipments});

    chart->addSeries(movements);
    chart->addSeries(stock);
    chart->addSeries(counts);

    // The bars sit on a hidden axis of one category per day; the days axis the line uses spans
    // the same range (-0.5 to n - 0.5) and carries the labels: days within one month, months
    // over several.
    auto* barDays = new QBarCategoryAxis;
    barDays->setObjectName(QStringLiteral("barDays"));
    barDays->append(categories);
    barDays->setVisible(false);
    chart->addAxis(barDays, Qt::AlignBottom);
    movements->attachAxis(barDays);

    auto* dayAxis = new QCategoryAxis;
    dayAxis->setObjectName(QStringLiteral("days"));
    dayAxis->setStartValue(-0.5);
    if (months.size() == 1) {
        dayAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        for (int d = 0; d < n; ++d) {
            const int dd = all.at(d).date.day();
            if (dd == 1 || dd % 5 == 0) dayAxis->append(all.at(d).date.toString(QStringLiteral("M/d")), d);
        }
    } else {
        dayAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
        for (int d = 0; d < n; ++d)
            if (d + 1 == n || all.at(d + 1).date.day() == 1)
                dayAxis->append(all.at(d).date.toString(months.size() > 12 ? QStringLiteral("yy/M")
                                                                           : QStringLiteral("yyyy/MM")),
                                d + 0.5);
    }
    dayAxis->setRange(-0.5, n - 0.5);
    chart->addAxis(dayAxis, Qt::AlignBottom);
    stock->attachAxis(dayAxis);
    counts->attachAxis(dayAxis);

    // Stock on the left, movements on the right, their zeros at one height: each range is widened
    // to the larger of the two shares below zero, at most 60 % of the height (a scale with less
    // below zero is widened above it).
    const double below = std::min(0.6, std::max(-stockLo / (stockHi - stockLo), -moveLo / (moveHi - moveLo)));
    for (auto [lo, hi] : {std::pair{&stockLo, &stockHi}, std::pair{&moveLo, &moveHi}}) {
        if (below <= 0.0) break;
        if (-*lo / (*hi - *lo) < below)
            *lo = -below * *hi / (1.0 - below);
        else
            *hi = -*lo * (1.0 - below) / below;
    }
    auto* stockAxis = new QValueAxis;
    stockAxis->setObjectName(QStringLiteral("stockAxis"));
    setRange(stockAxis, stockLo * 1.08, stockHi * 1.08);
    stockAxis->setTitleText(QStringLiteral("在庫数"));
    chart->addAxis(stockAxis, Qt::AlignLeft);
    stock->attachAxis(stockAxis);
    counts->attachAxis(stockAxis);
    auto* moveAxis = new QValueAxis;
    moveAxis->setObjectName(QStringLiteral("movementAxis"));
    setRange(moveAxis, moveLo * 1.08, moveHi * 1.08);
    moveAxis->setGridLineVisible(false);
    moveAxis->setTitleText(QStringLiteral("入出庫"));
    chart->addAxis(moveAxis, Qt::AlignRight);
    movements->attachAxis(moveAxis);
    for (QAbstractAxis* axis : chart->axes()) {
        QFont f = axis->labelsFont();
        f.setPointSizeF(f.pointSizeF() * 0.85);
        axis->setLabelsFont(f);
        axis->setTitleFont(f);
    }
}

bool LedgerChart::save(QChart* chart, const QString& fileName, bool svg, const QSize& size, QString* error) {
    // The chart is drawn by a view of its own, never shown on a screen; the chart goes back to the
    // caller afterwards.
    QChartView view(chart);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.setRenderHint(QPainter::Antialiasing);
    view.setFrameShape(QFrame::NoFrame);
    view.resize(size);
    view.show();
    QApplication::processEvents();

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        view.setChart(new QChart); // the caller's chart is not the view's to delete
        return false;
    }
    bool drawn = true;
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&file);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(chart->title());
        QPainter painter(&generator);
        view.render(&painter);
        drawn = painter.end();
    } else {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            view.render(&painter);
        }
        drawn = image.save(&file, "PNG");
    }
    view.setChart(new QChart);
    if (!drawn || !file.commit()) {
        *error =
            file.errorString().isEmpty() ? QStringLiteral("cannot write the picture") : file.errorString();
        return false;
    }
    return true;
}

#include "support/ScriptedDialogs.h"
#include "support/TempProgramDir.h"

#include "data/basDb.h"
#include "screens/frmGdai.h"

#include <QApplication>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLineEdit>
#include <QLineSeries>
#include <QScatterSeries>
#include <QScreen>
#include <QStackedBarSeries>
#include <QTableWidget>
#include <QTest>

#include <memory>

// The goods ledger's chart moves with the grid: after each display, F2 or F3, it shows the month
// and product the grid shows, day by day as the grid's rows say; and the window still fits.
class tst_gdaichart : public QObject {
    Q_OBJECT
    std::unique_ptr<TempProgramDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<frmGdai> m_form;

    template <typename T> T* control(const char* name) const {
        T* w = m_form->findChild<T*>(QString::fromLatin1(name));
        if (!w) qFatal("no control %s", name);
        return w;
    }
    QChart* chart() const { return control<QChartView>("chtLedger")->chart(); }

    // The grid's month by day as the chart should show it: "d:stock receipts returns shipments
    // [counts]" for each day with rows, oldest first; the day's stock is its top row's.
    QStringList gridDays() const {
        auto* grid = control<QTableWidget>("msgMei");
        QMap<int, QStringList> days;
        auto number = [](const QString& s) { return QString(s).remove(u',').toLongLong(); };
        for (int r = grid->rowCount() - 1; r >= 0; --r) {
            auto cell = [&](int c) { return grid->item(r, c)->text(); };
            const int d = cell(frmGdai::ColDay).right(2).toInt();
            QStringList& f = days[d];
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
        const auto* stock = chart()->findChild<QLineSeries*>(QStringLiteral("stock"));
        const auto* counts = chart()->findChild<QScatterSeries*>(QStringLiteral("counts"));
        const auto* bars = chart()->findChild<QStackedBarSeries*>(QStringLiteral("movements"));
        if (!stock || !counts || !bars) return {QStringLiteral("no chart")};
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
    void init() {
        m_dir = std::make_unique<TempProgramDir>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dir->addGoods(QStringLiteral("1001"), QStringLiteral("テスト商品Ａ"));
        m_dir->addGoods(QStringLiteral("1004"), QStringLiteral("テスト商品Ｄ"));
        for (const auto& [code, day, kubun, suu, denno] :
             std::initializer_list<std::tuple<const char*, int, int, double, int>>{
                 {"1001", 20240430, 0, 40, 0},
                 {"1001", 20240503, 0, 10, 0},
                 {"1001", 20240510, 1, 4, 7001},
                 {"1001", 20240515, 2, 2, 7002},
                 {"1001", 20240520, 9, 30, 0},
                 {"1001", 20240520, 0, 5, 0},
                 {"1001", 20240602, 1, 1200, 7003},
                 {"1004", 20240507, 0, 3, 0}})
            m_dir->addLedger(QString::fromLatin1(code), day, kubun, suu, denno, denno ? 1 : 0);
        m_form = std::make_unique<frmGdai>();
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    void cleanup() { m_form.reset(), m_dialogs.reset(), m_dir.reset(); }

    void chartFollowsTheGrid() {
        // As shown at first: nothing.
        QVERIFY(chart()->series().isEmpty());
        QVERIFY(m_form->frameGeometry().height() <= m_form->screen()->availableGeometry().height());
        QCOMPARE(control<QChartView>("chtLedger")->focusPolicy(), Qt::NoFocus);
        auto* code = control<QLineEdit>("txtCode");
        QTest::keyClicks(code, "1001");
        QTest::keyClicks(control<QLineEdit>("txtMm"), "05");
        QTest::keyClicks(control<QLineEdit>("txtYy"), "2024");
        QTest::keyClick(control<QLineEdit>("txtYy"), Qt::Key_F5);
        // Each step: where the key goes (grid or code), the key, the month then shown, the days with
        // rows as the chart shows them.
        // clang-format off
        const QList<std::tuple<const char*, Qt::Key, QString, QStringList>> steps = {
            {"", Qt::Key_unknown, "1001 2024/05 31", {"3:50 10 0 0", "10:46 0 0 -4", "15:48 0 2 0", "20:35 5 0 0[30]"}},
            {"msgMei", Qt::Key_F2, "1001 2024/06 30", {"2:-1170 0 0 -1200"}},
            {"msgMei", Qt::Key_F3, "1001 2024/05 31", {"3:50 10 0 0", "10:46 0 0 -4", "15:48 0 2 0", "20:35 5 0 0[30]"}},
            {"txtCode", Qt::Key_F2, "1004 2024/05 31", {"7:3 3 0 0"}},
            {"txtCode", Qt::Key_F3, "1001 2024/05 31", {"3:50 10 0 0", "10:46 0 0 -4", "15:48 0 2 0", "20:35 5 0 0[30]"}}};
        // clang-format on
        for (const auto& [where, key, month, days] : steps) {
            if (*where) {
                auto* w = control<QWidget>(where);
                if (QApplication::focusWidget() != w) QTest::mouseClick(w, Qt::LeftButton);
                QTest::keyClick(w, key);
            }
            const int axisDays = int(chart()->findChild<QLineSeries*>(QStringLiteral("stock"))->count() / 2);
            QCOMPARE(QStringLiteral("%1 %2/%3 %4")
                         .arg(code->text().trimmed(), control<QLineEdit>("txtYy")->text(),
                              control<QLineEdit>("txtMm")->text())
                         .arg(axisDays),
                     month);
            QCOMPARE(gridDays(), days);
            QCOMPARE(chartDays(days), days);
        }
    }
};

QTEST_MAIN(tst_gdaichart)
#include "tst_gdaichart.moc"

// The figures we track, each beside a limit measured on the same file in the same run: the same
// result computed by the sqlite3 shell in one statement (or the bare query). Absolute times vary
// from machine to machine; the ratios are what we watch. Prints one table at the end.
//   bench_all BIG GOODS [--runs N] [--no-generate] [--day YYYYMMDD] [--sqlite3 PATH] [--lookup-only]
// --lookup-only: the goods lookup's figures alone (BIG is then not opened).
// BIG: zanmo-tool generate BIG --goods 10000 --rows 1000000
// GOODS: zanmo-tool generate GOODS --goods 100000 --rows 1000
// The current-stock list comes from bench_stock_list beside this program, run on BIG.
#include "app/basStartCheck.h"
#include "data/DbError.h"
#include "data/DialogSeam.h"
#include "data/Schema.h"
#include "data/SqlDialect.h"
#include "data/basDb.h"
#include "data/basSettings.h"
#include "data/clsDbClass.h"
#include "popups/frmPopupGoods.h"
#include "reports/ReportPdfExport.h"
#include "reports/rptNyuuden.h"
#include "screens/frmGdai.h"
#include "stock/basStock.h"
#include "ui/basTextNormalize.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTranslator>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Every box answers its default at once, so no modal loop waits for a user.
class DefaultAnswers final : public DialogSeam {
public:
    QStringList texts;
    int messageBox(const MessageRequest& request) override {
        texts << request.text;
        return request.defaultButton;
    }
    QString saveFileName(const SaveFileRequest&) override { return {}; }
    bool startProgram(const ProgramStart&, QString* error) override {
        if (error) *error = QStringLiteral("not started in a bench");
        return false;
    }
};

void say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

int fail(const QString& message) {
    std::fprintf(stderr, "bench_all: %s\n", message.toUtf8().constData());
    return 2;
}

double msSince(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

QString ms(double v) {
    return QString::number(v, 'f', v < 10 ? 2 : (v < 100 ? 1 : 0));
}

QDate toDate(int day) {
    return QDate(day / 10000, day / 100 % 100, day % 100);
}

int toDay(const QDate& d) {
    return d.year() * 10000 + d.month() * 100 + d.day();
}

// Waits for the next paint of w after asking for one: what the user sees, not just the model.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* w) : m_widget(w) { w->installEventFilter(this); }
    bool waitNext(int timeoutMs = 5000) {
        m_painted = false;
        m_widget->update();
        QElapsedTimer t;
        t.start();
        while (!m_painted && t.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return m_painted;
    }
    bool painted() const { return m_painted; }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == m_widget && e->type() == QEvent::Paint) m_painted = true;
        return false;
    }

private:
    QWidget* m_widget;
    bool m_painted = false;
};

void showActive(QWidget* w) {
    w->show();
    w->activateWindow();
    QElapsedTimer t;
    t.start();
    while (!w->isActiveWindow() && t.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

struct Shell {
    QString path, dbFile;
    double startMs = 0; // median of a bare start on the file: what every run pays before its work

    // One run on the file, timed around the whole process; -1 when it failed.
    double run(const QString& sql, const QString& outFile = QProcess::nullDevice(), QString* error = nullptr,
               const QString& file = QString()) const {
        QProcess p;
        p.setProgram(path);
        p.setArguments({QStringLiteral("-batch"), QStringLiteral("-bail"), file.isEmpty() ? dbFile : file});
        p.setStandardOutputFile(outFile);
        QElapsedTimer t;
        t.start();
        p.start();
        // On its input: a few hundred statements are more than one argument may hold.
        bool finished = p.waitForStarted(-1);
        if (finished) {
            p.write(sql.toUtf8());
            p.closeWriteChannel();
            finished = p.waitForFinished(-1);
        }
        const double elapsed = msSince(t);
        if (finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) return elapsed;
        if (error)
            *error = p.error() == QProcess::FailedToStart
                         ? p.errorString()
                         : QString::fromUtf8(p.readAllStandardError()).trimmed();
        return -1;
    }
    double median(const QString& sql, int runs) const {
        std::vector<double> v;
        for (int i = 0; i < runs; ++i) {
            QString error;
            const double t = run(sql, QProcess::nullDevice(), &error);
            if (t < 0) throw DbError(QStringLiteral("sqlite3: ") + error);
            v.push_back(t);
        }
        return ::median(v);
    }
    void measureStart() { startMs = median(QStringLiteral("select 1;"), 7); }
    // One statement's cost: repeated in one run so the process start is paid once, then taken out.
    double perStatement(const QString& sql, int repeats, int runs) const {
        QString all;
        for (int i = 0; i < repeats; ++i)
            all += sql + QStringLiteral(";\n");
        return qMax(0.01, (median(all, runs) - startMs) / repeats);
    }
    QStringList lines(const QString& sql) const {
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        QString error;
        if (run(sql, out, &error) < 0) throw DbError(QStringLiteral("sqlite3: ") + error);
        QFile f(out);
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
        return QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
};

struct Row {
    QString figure;
    double ours = 0, limit = 0;
    QString target;
    int verdict = -1; // 1 PASS, 0 MISS, -1 none
};

// --- goods lookup ------------------------------------------------------------------------------

// The statement of the lookup's 検索 for a stock-managed search with only kana typed (or nothing).
QString lookupSql(const QString& kana) {
    QString sql = QStringLiteral(
        "SELECT goods.code AS code,goods.kana AS kana,goods.name AS gname, goods.unit AS unit,goods.stop AS "
        "stop,goods.bunrui AS bcode, goods.gkubun AS gkubun,goods.zkubun AS zkubun,goods.tkubun AS tkubun, "
        "goods.tanka1 AS tanka1,goods.tanka2 AS tanka2,goods.tanka3 AS tanka3 FROM goods WHERE goods.code >= "
        "'           0' and goods.zkubun=0 and goods.stop=0");
    if (!kana.isEmpty())
        sql += QStringLiteral(" and goods.skana LIKE '%") + fnSqlLike(QString(kana).remove(u'-').trimmed()) +
               QStringLiteral("%'");
    return sql + QStringLiteral(" order by goods.code");
}

// The statement of the ranked name search for these words.
QString rankedSql(const QStringList& words) {
    QStringList pieces;
    for (const QString& w : words)
        pieces << QStringLiteral(" select name from goods where name like'%") + fnSqlLike(w) +
                      QStringLiteral("%'");
    return QStringLiteral(
               "select goods.code AS code,goods.kana AS kana,na AS gname, goods.unit AS unit,goods.stop "
               "AS stop,goods.bunrui AS bcode, goods.gkubun AS gkubun,goods.zkubun AS "
               "zkubun,goods.tkubun AS tkubun, goods.tanka1 AS tanka1,goods.tanka2 AS "
               "tanka2,goods.tanka3 AS tanka3,ct from (select name as na,count(*) as ct from (") +
           pieces.join(QStringLiteral(" union all")) +
           QStringLiteral(") group by name) dummy,goods where goods.name=dummy.na order by ct desc");
}

// The statement as the popup runs it here: its access class, at most maxRows rows read.
double queryMs(const QString& sql, int maxRows, int* rows) {
    clsDbClass db;
    db.OpenDb();
    std::vector<double> v;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        Recordset rec;
        db.DbSql(sql, rec, maxRows);
        v.push_back(msSince(t));
        *rows = rec.RecordCount();
    }
    db.CloseDb();
    return median(v);
}

void benchLookup(const Shell& shell, int runs, DefaultAnswers& answers, QList<Row>& rows) {
    Recordset rec;
    fnOpenRecordset(rec,
                    QStringLiteral("select maxline, (select count(*) from goods) from sysfile where id = 1"));
    const int maxline = rec.Eof() ? 0 : rec.Fields(0).toInt();
    say(QStringLiteral("goods lookup on %1: %2 goods, maxline %3")
            .arg(shell.dbFile, rec.Eof() ? QStringLiteral("?") : rec.Fields(1).toString())
            .arg(maxline));
    const QString cut = QStringLiteral(" LIMIT %1").arg(maxline + 1);

    // Condition search: one popup, 検索 clicked again and again.
    const QString kanas[] = {QString(), QStringLiteral("ｼｭﾆｸ")};
    for (const QString& kana : kanas) {
        frmPopupGoods popup;
        popup.gbytMode = 1;
        showActive(&popup);
        auto* list = popup.findChild<QTreeView*>(QStringLiteral("ListView"));
        popup.findChild<QLineEdit*>(QStringLiteral("txtKana"))->setText(kana);
        auto* find = popup.findChild<QPushButton*>(QStringLiteral("cmdFind"));
        PaintWatch watch(list->viewport());
        std::vector<double> v;
        answers.texts.clear();
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer t;
            t.start();
            find->click();
            watch.waitNext();
            v.push_back(msSince(t));
        }
        const double ours = median(v);
        const QString sql = lookupSql(kana);
        const double limit = shell.perStatement(sql + cut, 3, 3);
        int fetched = 0;
        const double open = queryMs(sql, maxline + 1, &fetched);
        const double whole = shell.perStatement(sql, 1, 3);
        const QString name = kana.isEmpty() ? QStringLiteral("none") : QStringLiteral("kana ") + kana;
        const QString figure =
            kana.isEmpty() ? QStringLiteral("lookup, no condition") : QStringLiteral("lookup, kana");
        say(QStringLiteral("  lookup, %1: %2 rows shown, messages: %3")
                .arg(name)
                .arg(list->model()->rowCount())
                .arg(answers.texts.isEmpty() ? QStringLiteral("-") : answers.texts.first()));
        say(QStringLiteral("    limit: its statement%1 in the shell; the whole statement there %2 ms")
                .arg(cut)
                .arg(ms(whole)));
        say(QStringLiteral("    ours ~ its query in this process %1 ms (%2 rows) + list, paint %3 ms")
                .arg(ms(open))
                .arg(fetched)
                .arg(ms(ours - open)));
        // Filling the list costs little beside its statement: a short statement leaves the showing of
        // a screenful, a long one little more than itself.
        if (kana.isEmpty())
            rows << Row{figure, ours, limit, QStringLiteral("<=3x+10 ms"), ours <= 3 * limit + 10 ? 1 : 0};
        else
            rows << Row{figure, ours, limit, QStringLiteral("<=1.3x"), ours <= 1.3 * limit ? 1 : 0};
    }

    // Ranked name search: runs on showing, so each run is a new popup shown with a name.
    const QString name = QStringLiteral("【特価】ボールペン黒");
    QString split = name;
    QStringList words;
    fnSplitName(split, words);
    words = words.mid(0, 10);
    std::vector<double> v, bare;
    int shown = 0;
    for (int i = 0; i < runs; ++i) {
        for (const bool named : {false, true}) {
            frmPopupGoods popup;
            popup.gbytMode = 1;
            if (named) popup.gstrGname = name;
            auto* list = popup.findChild<QTreeView*>(QStringLiteral("ListView"));
            PaintWatch watch(list->viewport());
            answers.texts.clear();
            QElapsedTimer t;
            t.start();
            popup.show();
            while (named &&
                   !(popup.gstrGname.isEmpty() && popup.isEnabled() &&
                     (popup.listHasRows() || !answers.texts.isEmpty())) &&
                   t.elapsed() < 10000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (named)
                watch.waitNext();
            else
                while (!watch.painted() && t.elapsed() < 5000)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            (named ? v : bare).push_back(msSince(t));
            if (named) shown = list->model()->rowCount();
        }
    }
    const double ours = median(v);
    const QString sql = rankedSql(words);
    const double limit = shell.perStatement(sql + cut, 3, 3);
    int fetched = 0;
    const double open = queryMs(sql, maxline + 1, &fetched);
    say(QStringLiteral("  ranked name search \"%1\" -> %2: %3 rows shown, messages: %4")
            .arg(name, words.join(QStringLiteral("、")))
            .arg(shown)
            .arg(answers.texts.isEmpty() ? QStringLiteral("-") : answers.texts.first()));
    say(QStringLiteral("    limit: its statement%1 in the shell").arg(cut));
    say(QStringLiteral(
            "    ours ~ popup shown and painted without a name %1 ms + its query in this process %2 ms (%3 "
            "rows) + list, paint %4 ms")
            .arg(ms(median(bare)), ms(open))
            .arg(fetched)
            .arg(ms(ours - median(bare) - open)));
    rows << Row{QStringLiteral("ranked name, %1 words").arg(words.size()), ours, limit,
                QStringLiteral("<=1.3x"), ours <= 1.3 * limit ? 1 : 0};
}

// --- goods ledger and stock ---------------------------------------------------------------------

// The stock of one product at the end of a day in one statement: the latest count on or before
// it, the later receipts and returns added, shipments taken off. Generated quantities are whole,
// so rounding after every step changes nothing.
QString stockSql(const QString& code, int day) {
    const QString last = QStringLiteral("(SELECT %3 FROM gdai WHERE gcode = '%1' AND day <= %2 AND kubun = 9 "
                                        "ORDER BY day DESC, denno DESC LIMIT 1)");
    const QString c = fnSqlText(code), d = QString::number(day);
    return QStringLiteral(
               "SELECT CAST(ROUND(COALESCE(%3, 0)) AS INTEGER) + CAST(TOTAL(CASE kubun WHEN 1 THEN "
               "-suu ELSE suu END) AS INTEGER) AS v FROM gdai WHERE gcode = '%1' AND day <= %2 AND "
               "kubun IN (0, 1, 2) AND day > COALESCE(%4, 0)")
        .arg(c, d, last.arg(c, d, QStringLiteral("suu")), last.arg(c, d, QStringLiteral("day")));
}

// The month of the ledger screen in one statement: its rows newest first with the stock after
// each (from the end of the previous month, a count replacing it), the three totals and the stock
// at the month's end.
QString ledgerSql(const QString& code, int from, int to) {
    const QString c = fnSqlText(code);
    return QStringLiteral(R"(
WITH s0 AS (%4), s1 AS (%5),
m AS (SELECT day, kubun, denno, line, suu,
      ROW_NUMBER() OVER (ORDER BY day DESC, kubun, denno DESC, line) AS rn
      FROM gdai WHERE gcode = '%1' AND day BETWEEN %2 AND %3),
g AS (SELECT *, SUM(kubun = 9) OVER (ORDER BY rn DESC) AS grp FROM m),
r AS (SELECT *, CASE WHEN grp = 0 THEN (SELECT v FROM s0) ELSE FIRST_VALUE(suu) OVER w END
        + SUM(CASE kubun WHEN 0 THEN suu WHEN 2 THEN suu WHEN 1 THEN -suu ELSE 0 END) OVER w AS stock
      FROM g WINDOW w AS (PARTITION BY grp ORDER BY rn DESC))
SELECT day, kubun, CAST(suu AS INTEGER), CAST(stock AS INTEGER),
  (SELECT CAST(TOTAL(suu) AS INTEGER) FROM m WHERE kubun = 0),
  (SELECT CAST(TOTAL(suu) AS INTEGER) FROM m WHERE kubun = 1),
  (SELECT CAST(TOTAL(suu) AS INTEGER) FROM m WHERE kubun = 2), (SELECT v FROM s1)
FROM r ORDER BY rn)")
        .arg(c, QString::number(from), QString::number(to), stockSql(code, from - 1), stockSql(code, to));
}

qint64 number(const QString& text) {
    return QString(text).remove(u',').trimmed().toLongLong();
}

// What the screen shows, in the shape of the statement's lines.
QStringList ledgerLines(const QTableWidget* grid, const QWidget* form) {
    const auto label = [form](const char* name) {
        return QString::number(number(form->findChild<QLabel*>(QString::fromLatin1(name))->text()));
    };
    const QString tail =
        QStringList{label("lblNsuu"), label("lblSsuu"), label("lblHsuu"), label("lblZsuu")}.join(u'|');
    QStringList out;
    const int kinds[] = {0, 1, 2, 9};
    for (int r = 0; r < grid->rowCount(); ++r) {
        int kind = -1;
        qint64 qty = 0;
        for (int i = 0; i < 4; ++i) {
            const QTableWidgetItem* item = grid->item(r, frmGdai::ColIn + i);
            if (item && !item->text().trimmed().isEmpty()) {
                kind = kinds[i];
                qty = number(item->text());
            }
        }
        out << QStringLiteral("%1|%2|%3|%4|")
                       .arg(grid->item(r, frmGdai::ColDay)->data(Qt::UserRole).toString())
                       .arg(kind)
                       .arg(qty)
                       .arg(number(grid->item(r, frmGdai::ColStock)->text())) +
                   tail;
    }
    return out;
}

int middleDay() {
    Recordset rec;
    fnOpenRecordset(rec, QStringLiteral("select min(day), max(day) from gdai"));
    const QDate first = toDate(rec.Fields(0).toInt()), last = toDate(rec.Fields(1).toInt());
    if (!first.isValid() || !last.isValid()) throw DbError(QStringLiteral("the ledger has no days"));
    return toDay(QDate::fromJulianDay((first.toJulianDay() + last.toJulianDay()) / 2));
}

void benchLedger(const Shell& shell, int runs, int day, QList<Row>& rows) {
    Recordset rec;
    fnOpenRecordset(rec, QStringLiteral("select code from goods where zkubun = 0 order by code"));
    QStringList codes;
    for (; !rec.Eof(); rec.MoveNext())
        codes << rec.Fields(0).toString();
    if (codes.isEmpty()) throw DbError(QStringLiteral("no stock-managed goods"));
    const int from = day / 100 * 100 + 1, to = from + 99;
    // The stock-managed goods with the most rows in D's month: the fullest month a user pages to.
    fnOpenRecordset(rec, QStringLiteral("select gcode from gdai join goods on goods.code = gdai.gcode where "
                                        "goods.zkubun = 0 and day between %1 and %2 group by gcode order by "
                                        "count(*) desc, gcode limit 1")
                             .arg(from)
                             .arg(to));
    if (rec.Eof()) throw DbError(QStringLiteral("no ledger rows in the month of ") + QString::number(day));
    const QString code = rec.Fields(0).toString();

    frmGdai form;
    form.setLogOpenClose(false); // the bench leaves no log rows behind
    showActive(&form);
    auto* grid = form.findChild<QTableWidget*>(QStringLiteral("msgMei"));
    form.findChild<QLineEdit*>(QStringLiteral("txtCode"))->setText(code.trimmed());
    form.findChild<QLineEdit*>(QStringLiteral("txtYy"))->setText(QString::number(day / 10000));
    form.findChild<QLineEdit*>(QStringLiteral("txtMm"))
        ->setText(QStringLiteral("%1").arg(day / 100 % 100, 2, 10, QLatin1Char('0')));
    // Straight from the code to the month: the code check would show the ledger itself.
    auto* mm = form.findChild<QLineEdit*>(QStringLiteral("txtMm"));
    mm->setFocus();
    QCoreApplication::processEvents();
    QAction* f5 = form.tlbFunction()->findChild<QAction*>(QStringLiteral("F5"));
    if (!f5 || !f5->isEnabled()) throw DbError(QStringLiteral("the ledger's F5 is not enabled"));
    PaintWatch watch(grid->viewport());
    std::vector<double> v;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f5->trigger();
        watch.waitNext();
        v.push_back(msSince(t));
    }
    if (grid->rowCount() == 0)
        throw DbError(QStringLiteral("the ledger shows no rows for ") + code.trimmed());
    const double ours = median(v);
    const QString sql = ledgerSql(code, from, to);
    const double limit = shell.perStatement(sql, 5, 3);
    const QStringList expected = shell.lines(sql), shownLines = ledgerLines(grid, &form);
    int bad = int(qAbs(expected.size() - shownLines.size()));
    for (int i = 0; i < qMin(expected.size(), shownLines.size()); ++i)
        bad += expected[i] != shownLines[i];

    // Where the time goes: the month's rows and the two stock computations alone.
    QElapsedTimer t;
    t.start();
    fnOpenRecordset(rec,
                    QStringLiteral("select * from gdai where gcode = '") + fnSqlText(code) +
                        QStringLiteral("' and day between %1 and %2 order by day desc,kubun,denno desc,line")
                            .arg(from)
                            .arg(to));
    const double query = msSince(t);
    t.restart();
    fnGetStock(code, from - 1);
    fnGetStock(code, to);
    const double stocks = msSince(t);
    say(QStringLiteral("goods ledger on %1: goods %2, %3/%4, %5 rows; check: %6 of the shell's lines differ")
            .arg(shell.dbFile, code.trimmed())
            .arg(from / 10000)
            .arg(from / 100 % 100, 2, 10, QLatin1Char('0'))
            .arg(grid->rowCount())
            .arg(bad));
    say(QStringLiteral("  limit: rows, running stock, totals and month-end stock in one statement (window "
                       "functions)"));
    say(QStringLiteral(
            "  ours ~ month query %1 ms + two stock computations %2 ms + goods name, grid, paint %3 ms")
            .arg(ms(query), ms(stocks), ms(ours - query - stocks)));
    rows << Row{QStringLiteral("ledger month shown"), ours, limit, QStringLiteral("<=30 ms"),
                ours <= 30 ? 1 : 0};

    // Stock of one product as of a date: a spread of goods, per call.
    QStringList sample;
    const int n = qMin<int>(200, codes.size());
    for (int i = 0; i < n; ++i)
        sample << codes[int(qint64(i) * codes.size() / n)];
    std::vector<double> calls;
    QStringList ours1;
    for (int r = 0; r < qMax(3, runs / 2); ++r) {
        ours1.clear();
        QElapsedTimer c;
        c.start();
        for (const QString& g : sample)
            ours1 << QString::number(fnGetStock(g, day));
        calls.push_back(msSince(c) / n);
    }
    QString all;
    for (const QString& g : sample)
        all += stockSql(g, day) + QStringLiteral(";\n");
    const double each = qMax(0.001, (shell.median(all, 3) - shell.startMs) / n);
    const int differ = [&] {
        const QStringList got = shell.lines(all);
        int d = int(qAbs(got.size() - ours1.size()));
        for (int i = 0; i < qMin(got.size(), ours1.size()); ++i)
            d += got[i] != ours1[i];
        return d;
    }();
    say(QStringLiteral("stock as of %1: %2 goods, per call; check: %3 differ from the shell's")
            .arg(day)
            .arg(n)
            .arg(differ));
    say(QStringLiteral(
            "  limit: the latest count and the later movements in one statement, %1 of them in one "
            "shell run")
            .arg(n));
    const double oursStock = median(calls);
    rows << Row{QStringLiteral("stock of one goods as of D"), oursStock, each, QStringLiteral("<=1 ms"),
                oursStock <= 1 ? 1 : 0};
}

// --- receipt list -------------------------------------------------------------------------------

void benchReceipts(const Shell& shell, int day, QList<Row>& rows) {
    const QDate d = toDate(day);
    const int start = toDay(QDate(d.year(), d.month(), 1));
    const int end = toDay(QDate(d.year(), d.month(), d.daysInMonth()));
    const QString sql = rptNyuuden::listSql(0, start, end);
    QTemporaryDir temp;
    std::vector<double> queries, layouts, pdfs;
    int count = 0, pageCount = 0;
    qint64 bytes = 0;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        Recordset rec;
        fnOpenRecordset(rec, sql);
        queries.push_back(msSince(t));
        count = rec.RecordCount();
        if (count == 0) throw DbError(QStringLiteral("no receipts in the month"));
        // As the print screen hands it over.
        rptNyuuden report;
        report.grecBuff = &rec;
        report.setMode(0);
        report.glngCnt = count;
        report.StartDay = start;
        report.EndDay = end;
        if (!report.Run() || report.PageCount() == 0)
            throw DbError(QStringLiteral("the receipt list did not run: ") + report.lastErrorText());
        layouts.push_back(msSince(t) - queries.back());
        pageCount = report.PageCount();
        ReportPdfExport pdf;
        pdf.FileName = temp.filePath(QStringLiteral("nyuuden%1.pdf").arg(i));
        t.restart();
        if (!pdf.Export(report)) throw DbError(QStringLiteral("PDF: ") + pdf.errorDescription());
        pdfs.push_back(msSince(t));
        bytes = QFileInfo(pdf.FileName).size();
    }
    const double query = median(queries), pages = query + median(layouts), pdfMs = median(pdfs);
    const double limit = qMax(0.01, shell.median(sql, 3) - shell.startMs);
    say(QStringLiteral("receipt list %1..%2: %3 rows on %4 pages, PDF %5 KB")
            .arg(start)
            .arg(end)
            .arg(count)
            .arg(pageCount)
            .arg(bytes / 1024));
    say(QStringLiteral(
            "  limit: rptNyuuden::listSql in the shell; ours ~ Recordset open %1 ms + layout %2 ms, "
            "then PDF %3 ms")
            .arg(ms(query), ms(pages - query), ms(pdfMs)));
    const double cap = 2 * limit + 300;
    rows << Row{QStringLiteral("receipts: query + pages"), pages, limit, QStringLiteral("<=2x+300 ms"),
                pages <= cap ? 1 : 0};
    rows << Row{QStringLiteral("receipts: + PDF (whole)"), pages + pdfMs, limit,
                QStringLiteral("<=2x+300 ms"), pages + pdfMs <= cap ? 1 : 0};
    const double perPage = pdfMs / qMax(1, pageCount);
    rows << Row{QStringLiteral("receipts: PDF a page"), perPage, limit, QStringLiteral("<=1 ms"),
                perPage <= 1.0 ? 1 : 0};
}

// --- start-up -----------------------------------------------------------------------------------

// The child: what main does for "zanmo 3", up to the ledger's first paint, then a normal close.
int firstPaint(int argc, char** argv) {
    QElapsedTimer t;
    t.start();
    QApplication app(argc, argv);
    QTranslator qtJapanese;
    if (qtJapanese.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtJapanese);
    DefaultAnswers answers; // instead of Qt's boxes: nothing may wait for a user here
    setDialogs(&answers);
    const double appMs = msSince(t);
    fnSetProgramFolder(QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath());
    if (fnCheckDataFile() && fnOpenDB()) fnCheckDatabaseLayout();
    fnGetDbMode();
    const double dbMs = msSince(t);
    auto* form = new frmGdai;
    const double formMs = msSince(t);
    struct Painted : QObject {
        bool seen = false;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) seen = true;
            return false;
        }
    } painted;
    form->installEventFilter(&painted);
    form->show();
    while (!painted.seen)
        app.processEvents(QEventLoop::AllEvents, 5);
    std::printf("painted %.2f %.2f %.2f %.2f\n", appMs, dbMs, formMs, msSince(t));
    std::fflush(stdout);
    form->close();
    delete form;
    fnCloseDB();
    setDialogs(nullptr);
    return 0;
}

void benchStartup(const Shell& shell, const QString& dir, int runs, QList<Row>& rows) {
    std::vector<double> total, app, db, form, paint;
    for (int i = 0; i < runs; ++i) {
        QProcess p;
        p.setProgram(QCoreApplication::applicationFilePath());
        p.setArguments({QStringLiteral("--first-paint"), dir});
        QElapsedTimer t;
        t.start();
        p.start();
        while (p.state() != QProcess::NotRunning && !p.canReadLine())
            p.waitForReadyRead(100);
        const double elapsed = msSince(t);
        const QStringList f = QString::fromUtf8(p.readLine()).trimmed().split(u' ');
        p.waitForFinished(-1);
        if (f.size() != 5 || f[0] != u"painted")
            throw DbError(QStringLiteral("the start-up child did not paint: ") +
                          QString::fromUtf8(p.readAllStandardError()).trimmed());
        total.push_back(elapsed);
        app.push_back(f[1].toDouble());
        db.push_back(f[2].toDouble() - f[1].toDouble());
        form.push_back(f[3].toDouble() - f[2].toDouble());
        paint.push_back(f[4].toDouble() - f[3].toDouble());
    }
    const double ours = median(total);
    const double limit = shell.median(QStringLiteral("select gno,maxline from sysfile where id = 1;"), runs);
    say(QStringLiteral(
        "start-up (\"zanmo 3\" done in a child of this program, offscreen): from the process start "
        "to the ledger's first paint"));
    say(QStringLiteral("  limit: the sqlite3 shell started on the file reading sysfile, start to exit"));
    say(QStringLiteral(
            "  ours ~ exec and loading %1 ms + QApplication %2 ms + checks and open %3 ms + form %4 ms "
            "+ show to paint %5 ms")
            .arg(ms(ours - median(app) - median(db) - median(form) - median(paint)), ms(median(app)),
                 ms(median(db)), ms(median(form)), ms(median(paint))));
    rows << Row{QStringLiteral("start-up to first paint"), ours, limit, QStringLiteral("<=300 ms"),
                ours <= 300 ? 1 : 0};
}

// --- generate -----------------------------------------------------------------------------------

// The same number of goods and ledger rows into the same tables and indexes, by one shell run with
// the pragmas generate uses: the rows come from recursive CTEs in the order generate writes them.
QString bulkSql(int goods, int perGoods, const QDate& end) {
    const QDate start = end.addYears(-3);
    const int span = int(start.daysTo(end));
    QStringList s = {QStringLiteral("PRAGMA journal_mode=OFF"), QStringLiteral("PRAGMA synchronous=OFF"),
                     QStringLiteral("BEGIN")};
    s += Schema::createStatements();
    s << QStringLiteral("INSERT INTO sysfile (id, gno, maxline, stankakbn) VALUES (1, 0, 1000, 0)")
      << QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12) "
                        "INSERT INTO bunrui SELECT 4, i, '分類' || i, i FROM n")
      << QStringLiteral(
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
             "INSERT INTO goods SELECT substr('            ' || i, -12), 'ボールペン 黒 ' || "
             "substr('0000' || i, -5), 'ﾎﾞｰﾙﾍﾟﾝ ｸﾛ ' || substr('0000' || i, -5), 'ボールペン 黒 ' || "
             "substr('0000' || i, -5), 'ﾎﾞｰﾙﾍﾟﾝ ｸﾛ ' || substr('0000' || i, -5), '本', 120, 114, 108, i % 12 "
             "+ 1, "
             "0, 0, 0, i % 33 = 0, 72, 0 FROM n")
             .arg(goods)
      << QStringLiteral(
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1), "
             "k(j) AS (SELECT 0 UNION ALL SELECT j + 1 FROM k WHERE j < %2 - 1), "
             "x AS (SELECT i, j, (i * 7919 + j * 104729) % 100 AS h FROM n CROSS JOIN k) "
             "INSERT INTO gdai SELECT substr('            ' || i, -12), "
             "CAST(strftime('%Y%m%d', %3 + j * %4 / %2) AS INTEGER), "
             "CASE WHEN j = 0 OR h >= 97 THEN 9 WHEN h < 25 THEN 0 WHEN h >= 92 THEN 2 ELSE 1 END, "
             "CASE WHEN j > 0 AND h BETWEEN 25 AND 96 THEN 100000 + i * %2 + j ELSE 0 END, "
             "j % 5 + 1, (i + j) % 12 + 1 FROM x")
             .arg(goods)
             .arg(perGoods)
             .arg(start.toJulianDay() - 0.5, 0, 'f', 1)
             .arg(span)
      << QStringLiteral("COMMIT") << QStringLiteral("PRAGMA journal_mode=DELETE");
    return s.join(QStringLiteral(";\n")) + u';';
}

// The cost of the insert path alone: a prepared QSqlQuery bound and run per row, as generate does,
// with values made up by a counter.
double preparedInsertMs(const QString& file, int goods, int ledgerRows) {
    const QString name = QStringLiteral("bench-prepared");
    double elapsed = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (db.open()) {
            QElapsedTimer t;
            t.start();
            QSqlQuery q(db);
            for (const QString& sql : QStringList{QStringLiteral("PRAGMA journal_mode=OFF"),
                                                  QStringLiteral("PRAGMA synchronous=OFF")} +
                                          Schema::createStatements())
                q.exec(sql);
            db.transaction();
            QSqlQuery ledger(db);
            ledger.prepare(QStringLiteral(
                "insert into gdai (gcode, day, kubun, denno, line, suu) values (?, ?, ?, ?, ?, ?)"));
            const int perGoods = ledgerRows / goods;
            for (int i = 1; i <= goods; ++i) {
                const QString code = QString::number(i).rightJustified(12);
                for (int j = 0; j < perGoods; ++j) {
                    const int h = (i * 7919 + j * 104729) % 100;
                    ledger.bindValue(0, code);
                    ledger.bindValue(1, 20230101 + j);
                    ledger.bindValue(2, h < 25 ? 0 : (h >= 97 ? 9 : 1));
                    ledger.bindValue(3, 100000 + i * perGoods + j);
                    ledger.bindValue(4, j % 5 + 1);
                    ledger.bindValue(5, double((i + j) % 12 + 1));
                    ledger.exec();
                }
            }
            db.commit();
            elapsed = msSince(t);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return elapsed;
}

void benchGenerate(const Shell& shell, const QString& near, QList<Row>& rows) {
    const int goods = 10000, ledgerRows = 1000000;
    QTemporaryDir temp(QDir(near).filePath(QStringLiteral("generate-XXXXXX")));
    if (!temp.isValid()) throw DbError(QStringLiteral("no temporary folder beside ") + near);
    const QString tool = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("zanmo-tool"));
    QProcess p;
    p.setProgram(tool);
    p.setArguments({QStringLiteral("generate"), temp.filePath(QStringLiteral("tool")),
                    QStringLiteral("--goods"), QString::number(goods), QStringLiteral("--rows"),
                    QString::number(ledgerRows)});
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start();
    if (!p.waitForStarted(-1) || !p.waitForFinished(-1) || p.exitCode() != 0)
        throw DbError(QStringLiteral("zanmo-tool generate: ") +
                      QString::fromUtf8(p.readAllStandardError()).trimmed());
    const double ours = msSince(t);

    const QString file = temp.filePath(QStringLiteral("shell.dat"));
    QString error;
    const double limit = shell.run(bulkSql(goods, ledgerRows / goods, QDate::currentDate()),
                                   QProcess::nullDevice(), &error, file);
    if (limit < 0) throw DbError(QStringLiteral("sqlite3 bulk insert: ") + error);
    const auto counted = [&](const QString& dbFile) {
        Shell other = shell;
        other.dbFile = dbFile;
        return other
            .lines(
                QStringLiteral("select (select count(*) from goods) || ' goods, ' || (select count(*) from "
                               "gdai) || ' rows'"))
            .value(0);
    };
    const QString toolFile =
        QDir(temp.filePath(QStringLiteral("tool"))).filePath(QString::fromLatin1(kDataFileName));
    const double prepared =
        preparedInsertMs(temp.filePath(QStringLiteral("prepared.dat")), goods, ledgerRows);
    say(QStringLiteral(
            "generate: zanmo-tool %1 (whole process) vs the shell's bulk insert %2 (same tables, indexes, "
            "pragmas, one transaction)")
            .arg(counted(toolFile), counted(file)));
    say(QStringLiteral(
            "  ours ~ the insert path alone, as many rows bound and run one at a time through a prepared "
            "QSqlQuery (values from a counter): %1 ms")
            .arg(ms(prepared)));
    rows << Row{QStringLiteral("generate 1,000,000 rows"), ours, limit, QStringLiteral("<=1.3x"),
                ours <= 1.3 * limit ? 1 : 0};
}

// --- the current-stock list, from its own bench ------------------------------------------------

void benchStockList(const QString& big, const QString& day, const QString& shellPath, QList<Row>& rows) {
    QProcess p;
    p.setProgram(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench_stock_list")));
    QStringList args = {big, QStringLiteral("--sqlite3"), shellPath};
    if (!day.isEmpty()) args << QStringLiteral("--day") << day;
    p.setArguments(args);
    p.start();
    if (!p.waitForStarted(-1) || !p.waitForFinished(-1) || p.exitCode() != 0)
        throw DbError(QStringLiteral("bench_stock_list: ") +
                      QString::fromUtf8(p.readAllStandardError()).trimmed());
    // Its table: figure, ours, limit, ratio, target (12 wide), verdict.
    static const QRegularExpression line(
        QStringLiteral(R"(^(\S+)\s+([\d.]+)\s+(\d+)\s+[\d.]+x  (.{1,16}?)\s*(PASS|MISS)?$)"));
    bool table = false;
    for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n')) {
        if (l.startsWith(QLatin1String("figure "))) {
            table = true;
            continue;
        }
        if (!table) {
            if (!l.trimmed().isEmpty()) say(QStringLiteral("  ") + l);
            continue;
        }
        const QRegularExpressionMatch m = line.match(l);
        if (!m.hasMatch()) continue;
        const QString verdict = m.captured(5);
        QString target = m.captured(4).trimmed();
        target.replace(QStringLiteral(" limit"), QString());
        target.remove(u' ');
        rows << Row{QStringLiteral("stock list: ") + m.captured(1), m.captured(2).toDouble(),
                    m.captured(3).toDouble(), target == u"-" ? QStringLiteral("-") : target,
                    verdict.isEmpty() ? -1 : verdict == u"PASS"};
    }
}

// The offscreen platform's notes about window hints would bury the figures.
void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtDebugMsg || text.contains(QLatin1String("propagateSizeHints")) ||
        text.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(quietHandler);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && qstrcmp(argv[1], "--first-paint") == 0) return firstPaint(argc, argv);

    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const char* usage =
        "usage: bench_all BIG GOODS [--runs N] [--no-generate] [--day YYYYMMDD] [--sqlite3 PATH] "
        "[--lookup-only]\n";
    if (args.size() < 2 || !QFileInfo(args[0]).isDir() || !QFileInfo(args[1]).isDir()) {
        std::fputs(usage, stderr);
        return 2;
    }
    int runs = 7;
    bool generate = true, lookupOnly = false;
    QString day, shellName = QStringLiteral("sqlite3");
    for (int i = 2; i < args.size(); ++i) {
        const bool value = i + 1 < args.size();
        if (args[i] == u"--runs" && value)
            runs = qMax(1, args[++i].toInt());
        else if (args[i] == u"--no-generate")
            generate = false;
        else if (args[i] == u"--lookup-only")
            lookupOnly = true;
        else if (args[i] == u"--day" && value)
            day = args[++i];
        else if (args[i] == u"--sqlite3" && value)
            shellName = args[++i];
        else {
            std::fputs(usage, stderr);
            return 2;
        }
    }
    Shell shell;
    shell.path = shellName.contains(u'/') ? (QFileInfo(shellName).isExecutable() ? shellName : QString())
                                          : QStandardPaths::findExecutable(shellName);
    if (shell.path.isEmpty())
        return fail(QStringLiteral("no sqlite3 shell '%1' (apt-get install sqlite3, or give --sqlite3 PATH)")
                        .arg(shellName));
    const QString big = QFileInfo(args[0]).absoluteFilePath(), goods = QFileInfo(args[1]).absoluteFilePath();
    const auto dataFile = [](const QString& dir) {
        return QDir(dir).filePath(QString::fromLatin1(kDataFileName));
    };

    DefaultAnswers answers;
    setDialogs(&answers);
    QList<Row> rows;
    say(QStringLiteral("sqlite3 shell: %1; medians of %2 runs for the short figures")
            .arg(shell.path)
            .arg(runs));
    try {
        fnSetProgramFolder(goods);
        if (!fnOpenDB()) return 2;
        shell.dbFile = dataFile(goods);
        shell.measureStart();
        benchLookup(shell, runs, answers, rows);
        fnCloseDB();
        if (!lookupOnly) {
            fnSetProgramFolder(big);
            if (!fnOpenDB()) return 2;
            shell.dbFile = dataFile(big);
            shell.measureStart();
            const int d = day.isEmpty() ? middleDay() : day.toInt();
            if (!toDate(d).isValid()) return fail(QStringLiteral("--day takes a calendar day YYYYMMDD"));
            say(QStringLiteral("ledger database %1, D = %2, shell start on it %3 ms")
                    .arg(shell.dbFile)
                    .arg(d)
                    .arg(ms(shell.startMs)));
            benchLedger(shell, runs, d, rows);
            if (!gcnData && !fnOpenDB()) return 2;
            benchReceipts(shell, d, rows);
            fnCloseDB();

            say(QStringLiteral("current-stock list (bench_stock_list):"));
            benchStockList(big, day, shell.path, rows);
            benchStartup(shell, big, runs, rows);
            if (generate) benchGenerate(shell, QFileInfo(big).absolutePath(), rows);
        }
    } catch (const DbError& e) {
        return fail(e.description());
    }
    setDialogs(nullptr);

    std::printf("\n%-28s %10s %10s %8s  %-16s %s\n", "figure", "ours (ms)", "limit (ms)", "ratio", "target",
                "");
    for (const Row& r : rows)
        std::printf("%-28s %10s %10s %7.2fx  %-16s %s\n", r.figure.toUtf8().constData(),
                    ms(r.ours).toUtf8().constData(), ms(r.limit).toUtf8().constData(),
                    r.limit > 0 ? r.ours / r.limit : 0.0, r.target.toUtf8().constData(),
                    r.verdict < 0 ? "" : (r.verdict ? "PASS" : "MISS"));
    return 0;
}
